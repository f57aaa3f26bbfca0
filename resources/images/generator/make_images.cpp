// Draws the pictures compiled into F2tp: the background of the splash and about
// windows (background.jpg), the three certification marks (mark1.png to
// mark3.png) and the raster program icons rendered from f2tp.svg.
// Not part of the build; see README.md beside this file for how to run it.

#include <cmath>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

void softCloud(QPainter& p, QPointF centre, qreal rx, qreal ry, int alpha)
{
    QRadialGradient g(centre, rx);
    g.setColorAt(0, QColor(255, 255, 255, alpha));
    g.setColorAt(0.6, QColor(255, 255, 255, alpha / 2));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.save();
    p.translate(centre);
    p.scale(1, ry / rx);
    p.translate(-centre);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, rx, rx);
    p.restore();
}

QImage background()
{
    const int w = 663, h = 476;
    QImage img(w, h, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    // Pale sky over the texts, deepening into a dark band for the white bottom line.
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.00, QColor(0xf4, 0xf9, 0xfe));
    sky.setColorAt(0.45, QColor(0xe2, 0xee, 0xf9));
    sky.setColorAt(0.76, QColor(0xc4, 0xdc, 0xf1));
    sky.setColorAt(0.86, QColor(0x5d, 0x8c, 0xbb));
    sky.setColorAt(1.00, QColor(0x23, 0x47, 0x70));
    p.fillRect(img.rect(), sky);

    // Clouds, faint enough for dark text on top of them.
    softCloud(p, {560, 70}, 150, 55, 150);
    softCloud(p, {470, 120}, 110, 35, 110);
    softCloud(p, {140, 190}, 170, 45, 90);
    softCloud(p, {380, 260}, 200, 40, 80);
    softCloud(p, {600, 330}, 130, 30, 90);

    // Air currents: thin light streams across the sky.
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        QPainterPath stream;
        const qreal y = 60 + i * 52;
        stream.moveTo(-20, y);
        stream.cubicTo(180, y - 30 + i * 4, 420, y + 34, w + 20, y - 8);
        p.setPen(QPen(QColor(255, 255, 255, 120 - i * 10), 2.2 - i * 0.2));
        p.drawPath(stream);
    }

    // A far horizon of hills and a distant factory at the top of the dark band.
    QPainterPath hills;
    hills.moveTo(0, 392);
    hills.cubicTo(120, 370, 220, 396, 330, 384);
    hills.cubicTo(450, 370, 560, 392, w, 378);
    hills.lineTo(w, h);
    hills.lineTo(0, h);
    hills.closeSubpath();
    QLinearGradient hillShade(0, 370, 0, h);
    hillShade.setColorAt(0, QColor(0x3f, 0x6b, 0x98, 200));
    hillShade.setColorAt(1, QColor(0x1b, 0x37, 0x58, 230));
    p.setPen(Qt::NoPen);
    p.setBrush(hillShade);
    p.drawPath(hills);

    const QColor silhouette(0x1d, 0x36, 0x55, 200);
    p.setBrush(silhouette);
    p.drawRect(QRectF(560, 372, 44, 18));
    p.drawPolygon(
        QPolygonF({QPointF(570, 372), QPointF(574, 344), QPointF(578, 344), QPointF(581, 372)}));
    softCloud(p, {592, 338}, 22, 9, 130);
    softCloud(p, {614, 332}, 18, 7, 100);

    // Fine noise keeps the gradient from banding after JPEG compression.
    quint32 seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int d = int((seed >> 24) % 5) - 2;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + d, 255), qBound(0, qGreen(c) + d, 255),
                           qBound(0, qBlue(c) + d, 255));
        }
    }
    return img;
}

QImage canvas()
{
    QImage img(112, 112, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// A shield with a tick: the check of the form-filling rules.
QImage markShield()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shield;
    shield.moveTo(56, 6);
    shield.cubicTo(72, 16, 88, 18, 100, 18);
    shield.cubicTo(100, 62, 86, 90, 56, 106);
    shield.cubicTo(26, 90, 12, 62, 12, 18);
    shield.cubicTo(24, 18, 40, 16, 56, 6);
    QLinearGradient g(0, 0, 0, 112);
    g.setColorAt(0, QColor(0x3b, 0x7d, 0xd8));
    g.setColorAt(1, QColor(0x12, 0x3f, 0x85));
    p.setPen(QPen(QColor(0xe8, 0xb9, 0x3a), 6));
    p.setBrush(g);
    p.drawPath(shield);
    p.setPen(QPen(Qt::white, 11, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(34, 56), QPointF(50, 72), QPointF(80, 38)}));
    return img;
}

// A leaf in a ring with streams of air: the ecology package.
QImage markLeaf()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(QPointF(46, 40), 60);
    g.setColorAt(0, QColor(0xf2, 0xfb, 0xee));
    g.setColorAt(1, QColor(0xc8, 0xe8, 0xbc));
    p.setPen(QPen(QColor(0x2e, 0x7d, 0x32), 6));
    p.setBrush(g);
    p.drawEllipse(QPointF(56, 56), 49, 49);
    QPainterPath leaf;
    leaf.moveTo(30, 82);
    leaf.cubicTo(28, 44, 54, 26, 86, 26);
    leaf.cubicTo(88, 62, 66, 84, 30, 82);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x43, 0xa0, 0x47));
    p.drawPath(leaf);
    p.setPen(QPen(QColor(0xe8, 0xf5, 0xe9), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(34, 78), QPointF(78, 34));
    p.setPen(QPen(QColor(0x42, 0x8b, 0xca), 4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath air;
    air.moveTo(24, 94);
    air.cubicTo(44, 86, 62, 100, 88, 90);
    p.setBrush(Qt::NoBrush);
    p.drawPath(air);
    return img;
}

// A padlock on a page: data kept on the user's computer.
QImage markLock()
{
    QImage img = canvas();
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x37, 0x47, 0x5a), 5));
    p.setBrush(QColor(0xf7, 0xf9, 0xfc));
    p.drawRoundedRect(QRectF(16, 8, 70, 92), 8, 8);
    p.setPen(QPen(QColor(0xa8, 0xb4, 0xc4), 4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(28, 26 + i * 12), QPointF(72 - (i % 2) * 14, 26 + i * 12));
    p.setPen(QPen(QColor(0x8d, 0x6e, 0x1a), 7));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(60, 50, 32, 36), 0, 180 * 16);
    p.drawLine(QPointF(60, 68), QPointF(60, 72));
    p.drawLine(QPointF(92, 68), QPointF(92, 72));
    QLinearGradient body(0, 70, 0, 106);
    body.setColorAt(0, QColor(0xf2, 0xc9, 0x4c));
    body.setColorAt(1, QColor(0xc9, 0x95, 0x1a));
    p.setPen(QPen(QColor(0x7a, 0x5a, 0x10), 3));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(50, 70, 52, 36), 6, 6);
    p.setBrush(QColor(0x5a, 0x40, 0x0a));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(76, 84), 5, 5);
    p.drawRect(QRectF(74, 86, 4, 11));
    return img;
}

QImage renderIcon(QSvgRenderer& svg, int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: make_images <resources/images folder>\n";
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool ok = background().save(dir + QStringLiteral("background.jpg"), "JPEG", 90);
    ok = markShield()
             .scaled(56, 56, Qt::KeepAspectRatio, Qt::SmoothTransformation)
             .save(dir + QStringLiteral("mark1.png")) &&
         ok;
    ok = markLeaf()
             .scaled(56, 56, Qt::KeepAspectRatio, Qt::SmoothTransformation)
             .save(dir + QStringLiteral("mark2.png")) &&
         ok;
    ok = markLock()
             .scaled(56, 56, Qt::KeepAspectRatio, Qt::SmoothTransformation)
             .save(dir + QStringLiteral("mark3.png")) &&
         ok;
    QSvgRenderer svg(dir + QStringLiteral("f2tp.svg"));
    ok = svg.isValid() && ok;
    ok = renderIcon(svg, 48).save(dir + QStringLiteral("f2tp-48.png")) && ok;
    ok = renderIcon(svg, 256).save(dir + QStringLiteral("f2tp-256.png")) && ok;
    if (!ok) {
        err << "could not write the pictures\n";
        return 1;
    }
    return 0;
}

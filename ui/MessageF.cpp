#include "MessageF.h"

#include <cmath>
#include <numbers>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int FormWidth = 292;
constexpr int FormHeight = 53;
constexpr int AnimationSize = 36;
constexpr int AnimationLeft = 5;
constexpr int FrameInterval = 70; // milliseconds

QPointer<TMessageForm> g_waitForm;
bool g_cursorOverridden = false;

} // namespace

TSearchAnimation::TSearchAnimation(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setFixedSize(AnimationSize, AnimationSize);
    setAttribute(Qt::WA_TranslucentBackground);
    m_timer->setInterval(FrameInterval);
    connect(m_timer, &QTimer::timeout, this, &TSearchAnimation::advance);
    m_timer->start();
}

void TSearchAnimation::advance()
{
    m_frame = (m_frame + 1) % FrameCount;
    update();
}

void TSearchAnimation::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The page with a folded corner and lines of text.
    const QRectF page(5.5, 3.5, 20, 27);
    QPainterPath sheet;
    sheet.moveTo(page.topLeft());
    sheet.lineTo(page.right() - 6, page.top());
    sheet.lineTo(page.right(), page.top() + 6);
    sheet.lineTo(page.bottomRight());
    sheet.lineTo(page.bottomLeft());
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x60, 0x6a, 0x78), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(0xdd, 0xe3, 0xea));
    p.drawPolygon(
        QPolygonF({QPointF(page.right() - 6, page.top()), QPointF(page.right() - 6, page.top() + 6),
                   QPointF(page.right(), page.top() + 6)}));
    p.setPen(QPen(QColor(0x9a, 0xa7, 0xb6), 1.5));
    for (int line = 0; line < 5; ++line) {
        const qreal y = page.top() + 9 + line * 4;
        const qreal right = page.right() - (line % 2 == 0 ? 3 : 6);
        p.drawLine(QPointF(page.left() + 3, y), QPointF(right, y));
    }

    // The magnifier walks a figure of eight over the page.
    const qreal t = 2 * std::numbers::pi * m_frame / FrameCount;
    const QPointF lens(page.center().x() + 5 * std::sin(t),
                       page.center().y() + 5 * std::sin(2 * t));
    constexpr qreal radius = 6.5;
    const QPointF handleStart = lens + QPointF(radius * 0.72, radius * 0.72);
    p.setPen(QPen(QColor(0x5a, 0x3d, 0x1e), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(handleStart, handleStart + QPointF(7, 7));
    p.setPen(QPen(QColor(0x2c, 0x3e, 0x57), 2));
    p.setBrush(QColor(0xa8, 0xd4, 0xf5, 150));
    p.drawEllipse(lens, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(lens.x() - radius + 2, lens.y() - radius + 2, 2 * radius - 4, 2 * radius - 4),
              100 * 16, 70 * 16);
}

TMessageForm::TMessageForm(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_panel(new QFrame(this))
    , m_label(new QLabel(m_panel))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(FormWidth, FormHeight);

    m_panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_panel->setLineWidth(1);
    m_panel->setAutoFillBackground(true);
    m_panel->setGeometry(0, 0, FormWidth, FormHeight);

    m_animation = new TSearchAnimation(m_panel);
    m_animation->move(AnimationLeft, (FormHeight - AnimationSize) / 2);

    // The caption is centred in the room right of the animation, so a long
    // message never runs under it.
    const int textLeft = AnimationLeft + AnimationSize + 3;
    m_label->setGeometry(textLeft, 2, FormWidth - textLeft - 4, FormHeight - 4);
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    m_label->setFont(font);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(FormWidth / 2, FormHeight / 2));
    }
}

QString TMessageForm::text() const
{
    return m_label->text();
}

void TMessageForm::setText(const QString& text)
{
    m_label->setText(text);
}

void ShowWaitMessage(const QString& text)
{
    if (!g_waitForm)
        g_waitForm = new TMessageForm; // no owner: HideWaitMessage destroys it
    if (!g_cursorOverridden) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        g_cursorOverridden = true;
    }
    g_waitForm->setText(text);
    g_waitForm->show();
    g_waitForm->raise();
    g_waitForm->repaint();
    // Let the window system map and paint the window before the long work.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void HideWaitMessage()
{
    delete g_waitForm.data();
    if (g_cursorOverridden) {
        QApplication::restoreOverrideCursor();
        g_cursorOverridden = false;
    }
}

TMessageForm* CurrentWaitMessage()
{
    return g_waitForm.data();
}

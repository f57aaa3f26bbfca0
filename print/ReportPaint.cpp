#include "ReportPaint.h"

#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include "Errors.h"

namespace {

// The rotated frame the text's lines were laid out in.
void enterTextFrame(QPainter& painter, const TLaidText& text)
{
    const QRect& r = text.rect;
    if (text.rotation == 90) {
        painter.translate(r.left(), r.top() + r.height());
        painter.rotate(-90);
    } else if (text.rotation == 270) {
        painter.translate(r.left() + r.width(), r.top());
        painter.rotate(90);
    } else {
        painter.translate(r.topLeft());
    }
}

QPageLayout pageLayoutOf(const TLaidPage& page)
{
    const QSizeF mm(page.size.width() / double(kLayoutUnitsPerMm),
                    page.size.height() / double(kLayoutUnitsPerMm));
    const bool landscape = mm.width() > mm.height();
    const QPageSize size(landscape ? mm.transposed() : mm, QPageSize::Millimeter, QString(),
                         QPageSize::FuzzyOrientationMatch);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace

void paintPage(QPainter& painter, const TLaidPage& page)
{
    painter.save();
    const qreal scale = painter.device()->logicalDpiX() / 2540.0;
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRect(QPoint(0, 0), page.size), Qt::white);

    for (const TLaidEdge& edge : page.edges) {
        // Explicit widths, not cosmetic: a line keeps its thickness at any resolution.
        QPen pen(Qt::black, edge.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
        pen.setCosmetic(false);
        painter.setPen(pen);
        painter.drawLine(edge.line);
    }
    painter.setPen(Qt::black);
    for (const TLaidText& text : page.texts) {
        painter.save();
        painter.setClipRect(text.rect, Qt::IntersectClip);
        enterTextFrame(painter, text);
        painter.setFont(text.font);
        for (const TLaidLine& line : text.lines)
            painter.drawText(line.origin, line.text);
        painter.restore();
    }
    painter.restore();
}

void paintPages(QPagedPaintDevice& device, const std::vector<TLaidPage>& pages)
{
    if (pages.empty())
        return;
    device.setPageLayout(pageLayoutOf(pages.front()));
    QPainter painter;
    if (!painter.begin(&device))
        throw F2tpError(QStringLiteral("Не удается начать печать"));
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            device.setPageLayout(pageLayoutOf(pages[i]));
            device.newPage();
        }
        paintPage(painter, pages[i]);
    }
    painter.end();
}

void WritePdf(const std::vector<TLaidPage>& pages, const QString& fileName, const QString& title)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw F2tpError(QStringLiteral("Не удается записать файл ") + fileName);
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("F2tp"));
        if (pages.empty()) {
            // A PDF needs a page; an empty report gives one blank A4 page.
            QPainter painter(&writer);
        } else {
            paintPages(writer, pages);
        }
    }
    if (!file.commit())
        throw F2tpError(QStringLiteral("Не удается записать файл ") + fileName);
}

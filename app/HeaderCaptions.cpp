#include "HeaderCaptions.h"

#include <algorithm>

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>

THeaderCaptions::THeaderCaptions(QTableView* grid, QWidget* parent)
    : QWidget(parent)
    , m_grid(grid)
    , m_strip(new QWidget(this))
{
    QFont small;
    small.setFamilies({QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    small.setPixelSize(9);
    setFont(small);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    // The captions follow the columns when the user resizes or moves one, and
    // when the grid scrolls sideways.
    const QHeaderView* header = grid->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &THeaderCaptions::placeCaptions);
    connect(header, &QHeaderView::geometriesChanged, this, &THeaderCaptions::placeCaptions);
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &THeaderCaptions::placeCaptions);
}

QLabel* THeaderCaptions::makeLabel(const QString& text)
{
    auto* label = new QLabel(text, m_strip);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setMargin(0);
    label->setContentsMargins(1, 0, 1, 0);
    return label;
}

QLabel* THeaderCaptions::addCaption(const QString& text, int first, int last)
{
    QLabel* label = makeLabel(text);
    m_captions.append({label, first, last, TRow::Full});
    return label;
}

QLabel* THeaderCaptions::addGroup(const QString& text, int first, const QStringList& parts)
{
    QLabel* group = makeLabel(text);
    m_captions.append({group, first, first + int(parts.size()) - 1, TRow::Upper});
    for (int i = 0; i < parts.size(); ++i)
        m_captions.append({makeLabel(parts.at(i)), first + i, first + i, TRow::Lower});
    return group;
}

QList<QLabel*> THeaderCaptions::captions() const
{
    QList<QLabel*> result;
    for (const TCaption& caption : m_captions)
        result.append(caption.label);
    return result;
}

const THeaderCaptions::TCaption* THeaderCaptions::find(const QLabel* caption) const
{
    for (const TCaption& entry : m_captions) {
        if (entry.label == caption)
            return &entry;
    }
    return nullptr;
}

int THeaderCaptions::firstColumn(const QLabel* caption) const
{
    const TCaption* entry = find(caption);
    return entry ? entry->first : -1;
}

int THeaderCaptions::lastColumn(const QLabel* caption) const
{
    const TCaption* entry = find(caption);
    return entry ? entry->last : -1;
}

QPair<int, int> THeaderCaptions::extent(int first, int last) const
{
    // The grid draws a cell's line on its right and bottom edge, inside the
    // section; the line left of a column is the last pixel of the one before.
    // The strip starts one pixel left of the cells, so strip x = cell x + 1.
    const QHeaderView* header = m_grid->horizontalHeader();
    const int left = header->sectionViewportPosition(first);
    const int right = header->sectionViewportPosition(last) + header->sectionSize(last) - 1;
    return {left, right + 1};
}

namespace {

// The widest word of the text in the font.
int widestWord(const QString& text, const QFontMetrics& metrics)
{
    int widest = 0;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest;
}

// The caption's print, narrowed where a word would not fit its width: first a
// condensed face, then one pixel smaller. Fonts as narrow as the form's own
// need neither.
void fitFont(QLabel* label, const QFont& base, int width)
{
    const int room = width - 2 * label->frameWidth() - 2;
    QFont font = base;
    if (widestWord(label->text(), QFontMetrics(font)) > room) {
        font.setStretch(QFont::SemiCondensed);
        if (widestWord(label->text(), QFontMetrics(font)) > room)
            font.setPixelSize(base.pixelSize() - 1);
    }
    if (label->font() != font)
        label->setFont(font);
}

} // namespace

void THeaderCaptions::placeCaptions()
{
    if (m_placing)
        return;
    m_placing = true;
    const QRect cells = m_grid->viewport()->geometry();
    m_strip->setGeometry(cells.x() - 1, 0, cells.width() + 1, height());

    // Heights the texts need at the widths they get: the full-height captions
    // set the total, the group captions and their parts split it.
    int fullHeight = 0;
    int upperHeight = 0;
    int lowerHeight = 0;
    for (const TCaption& caption : m_captions) {
        const auto [left, right] = extent(caption.first, caption.last);
        fitFont(caption.label, font(), right - left + 1);
        const int needed = caption.label->heightForWidth(right - left + 1) + 2;
        switch (caption.row) {
        case TRow::Full:
            fullHeight = std::max(fullHeight, needed);
            break;
        case TRow::Upper:
            upperHeight = std::max(upperHeight, needed);
            break;
        case TRow::Lower:
            lowerHeight = std::max(lowerHeight, needed);
            break;
        }
    }
    // Upper and lower share the line between them.
    const int total = std::max(fullHeight, upperHeight + lowerHeight - 1);

    for (const TCaption& caption : m_captions) {
        const auto [left, right] = extent(caption.first, caption.last);
        const int width = right - left + 1;
        switch (caption.row) {
        case TRow::Full:
            caption.label->setGeometry(left, 0, width, total);
            break;
        case TRow::Upper:
            caption.label->setGeometry(left, 0, width, upperHeight);
            break;
        case TRow::Lower:
            caption.label->setGeometry(left, upperHeight - 1, width, total - upperHeight + 1);
            break;
        }
    }
    // The captions' own bottom line stands on the grid's top frame line.
    setFixedHeight(total);
    m_strip->setGeometry(cells.x() - 1, 0, cells.width() + 1, total);
    m_placing = false;
}

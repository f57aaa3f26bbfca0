#include "ReportLayout.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QTextLayout>

namespace {

// Space between a cell's borders and its text: across (room for italic
// overhangs) and along the lines.
constexpr int kPadding = 100;
constexpr int kPaddingY = 50;
// Space between the sheet's last line and the footer.
constexpr int kFooterGap = 200;

int units(double mm, double scale = 1)
{
    return int(std::lround(mm * kLayoutUnitsPerMm * scale));
}

void registerSubstitutes()
{
    static const bool done = [] {
        QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                                  QStringLiteral("Liberation Serif"));
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));
        return true;
    }();
    Q_UNUSED(done)
}

// Lines of a text in a frame of the given width; wrapped at word boundaries
// (or anywhere inside a word too long) when wrap is set. Height is the sum of
// the line heights.
struct TBrokenText
{
    std::vector<TLaidLine> lines;
    std::vector<qreal> widths;
    qreal height = 0;
    qreal width = 0;
};

TBrokenText breakText(const QString& text, const QFont& font, qreal width, bool wrap)
{
    TBrokenText result;
    if (text.isEmpty())
        return result;
    const QFontMetricsF metrics(font);
    QTextOption option;
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        QTextLayout layout(paragraph, font);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(wrap ? std::max<qreal>(width, 1) : 1e9);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (part.endsWith(QLatin1Char(' ')))
                part.chop(1);
            result.lines.push_back({QPointF(0, result.height + metrics.ascent()), part});
            const qreal partWidth = metrics.horizontalAdvance(part);
            result.widths.push_back(partWidth);
            result.width = std::max(result.width, partWidth);
            result.height += metrics.height();
        }
        layout.endLayout();
    }
    return result;
}

// Places broken lines in a frame of the size by the alignments.
std::vector<TLaidLine> alignLines(const TBrokenText& text, QSizeF frame, TvxAlign align,
                                  TvxVAlign valign)
{
    qreal top = kPaddingY;
    if (valign == TvxVAlign::Middle)
        top = (frame.height() - text.height) / 2;
    else if (valign == TvxVAlign::Bottom)
        top = frame.height() - kPaddingY - text.height;
    std::vector<TLaidLine> lines = text.lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        qreal left = kPadding;
        if (align == TvxAlign::Center)
            left = (frame.width() - text.widths[i]) / 2;
        else if (align == TvxAlign::Right)
            left = frame.width() - kPadding - text.widths[i];
        lines[i].origin += QPointF(left, top);
    }
    return lines;
}

int footerLineHeight(const TvxPage& page)
{
    return int(std::ceil(QFontMetricsF(LayoutFont(page.footerFont, 1)).height()));
}

class SheetLayout
{
public:
    SheetLayout(const TvxSheet& sheet, const TReportVariables& variables)
        : m_sheet(sheet)
        , m_variables(variables)
        , m_scale(sheet.page.scale / 100)
    {
        registerSubstitutes();
        m_pageSize = LayoutPageSize(sheet.page);
        const auto& margins = sheet.page.margins;
        m_left = units(margins[0]);
        m_top = units(margins[1]);
        m_right = m_pageSize.width() - units(margins[2]);
        m_bottom = m_pageSize.height() - units(margins[3]);
        m_bottom -= LayoutFooterHeight(sheet.page);
        m_columnX.push_back(m_left);
        for (double width : sheet.columns)
            m_columnX.push_back(m_columnX.back() + units(width, m_scale));
        m_owner = FindCellOwners(sheet);
        measureRows();
    }

    const std::vector<int>& heights() const { return m_height; }

    std::vector<TLaidPage> run()
    {
        paginate();
        for (TLaidPage& page : m_pages)
            placeCells(page);
        addFooters();
        return std::move(m_pages);
    }

private:
    int columns() const { return int(m_sheet.columns.size()); }
    int rows() const { return int(m_sheet.rows.size()); }
    const TvxCell& cell(int row, int column) const
    {
        return m_sheet.rows[std::size_t(row)].cells[std::size_t(column)];
    }
    bool printed(int row) const { return !m_sheet.rows[std::size_t(row)].model; }

    bool owns(int row, int column) const
    {
        const TCellOwner& owner = m_owner[std::size_t(row)][std::size_t(column)];
        return owner.row == row && owner.column == column;
    }

    // The last row of the cell's span, clipped at the sheet's end.
    int spanEnd(int row, int column) const
    {
        return std::min(rows(), row + cell(row, column).rowSpan) - 1;
    }

    int columnsWidth(int column, int span) const
    {
        const int end = std::min(columns(), column + span);
        return m_columnX[std::size_t(end)] - m_columnX[std::size_t(column)];
    }

    QString cellText(const TvxCell& c) const { return SubstituteVariables(c.text, m_variables); }

    // The height the cell's text needs, borders' padding included.
    int neededHeight(int row, int column) const
    {
        const TvxCell& c = cell(row, column);
        const QString text = cellText(c);
        if (text.isEmpty())
            return 0;
        const QFont font = LayoutFont(c.font, m_scale);
        const int width = columnsWidth(column, c.colSpan);
        if (c.rotation != 0)
            return int(std::ceil(breakText(text, font, 0, false).width)) + 2 * kPadding;
        return int(std::ceil(breakText(text, font, width - 2 * kPadding, c.wrap).height)) +
               2 * kPaddingY;
    }

    void measureRows()
    {
        m_height.resize(std::size_t(rows()));
        for (int r = 0; r < rows(); ++r)
            m_height[std::size_t(r)] = units(m_sheet.rows[std::size_t(r)].height, m_scale);
        for (int r = 0; r < rows(); ++r) {
            for (int c = 0; c < columns(); ++c) {
                if (!owns(r, c) || !printed(r))
                    continue;
                const int end = spanEnd(r, c);
                int have = 0;
                int last = r;
                for (int rr = r; rr <= end; ++rr) {
                    if (printed(rr)) {
                        have += m_height[std::size_t(rr)];
                        last = rr;
                    }
                }
                const int need = neededHeight(r, c);
                if (need > have)
                    m_height[std::size_t(last)] += need - have;
            }
        }
    }

    // The printed rows from row on that must stay on one page with it.
    std::vector<int> groupFrom(int row) const
    {
        int end = row;
        for (int r = row; r <= end; ++r)
            for (int c = 0; c < columns(); ++c)
                if (owns(r, c))
                    end = std::max(end, spanEnd(r, c));
        std::vector<int> group;
        for (int r = row; r <= end; ++r)
            if (printed(r))
                group.push_back(r);
        return group;
    }

    void startPage(const std::vector<int>& repeats)
    {
        m_pages.emplace_back();
        m_pages.back().size = m_pageSize;
        m_y = m_top;
        for (int r : repeats)
            putRow(r);
        m_pageHasContent = false;
    }

    void putRow(int row)
    {
        m_pages.back().rows.push_back(row + 1);
        m_pages.back().rowTops.push_back(m_y);
        m_y += m_height[std::size_t(row)];
    }

    void paginate()
    {
        std::vector<int> repeats;
        startPage(repeats);
        bool breakPending = false;
        for (int r = 0; r < rows();) {
            if (!printed(r)) {
                ++r;
                continue;
            }
            const std::vector<int> group = groupFrom(r);
            int height = 0;
            for (int g : group)
                height += m_height[std::size_t(g)];
            if (breakPending || (m_pageHasContent && m_y + height > m_bottom))
                startPage(repeats);
            breakPending = false;
            for (int g : group) {
                putRow(g);
                if (m_sheet.rows[std::size_t(g)].repeat)
                    repeats.push_back(g);
                breakPending = breakPending || m_sheet.rows[std::size_t(g)].pageBreak;
            }
            m_pageHasContent = true;
            r = group.empty() ? r + 1 : std::max(r + 1, group.back() + 1);
        }
    }

    // Which placed cell covers each place of a page's grid (-1: none), and
    // the sheet's row and column of each placed cell.
    struct PageGrid
    {
        std::vector<std::vector<int>> owner;
        std::vector<std::pair<int, int>> cells;
    };

    void placeCells(TLaidPage& page)
    {
        const int n = int(page.rows.size());
        PageGrid grid;
        grid.owner.assign(std::size_t(n), std::vector<int>(std::size_t(columns()), -1));
        for (int i = 0; i < n; ++i) {
            const int r = page.rows[std::size_t(i)] - 1;
            for (int c = 0; c < columns(); ++c) {
                if (!owns(r, c))
                    continue;
                // The span reaches down as far as its rows stand on this page.
                const int end = spanEnd(r, c);
                int j = i;
                while (j + 1 < n && page.rows[std::size_t(j + 1)] - 1 <= end)
                    ++j;
                const int id = int(grid.cells.size());
                grid.cells.emplace_back(r, c);
                const int lastColumn = std::min(columns(), c + cell(r, c).colSpan);
                for (int ii = i; ii <= j; ++ii)
                    for (int cc = c; cc < lastColumn; ++cc)
                        grid.owner[std::size_t(ii)][std::size_t(cc)] = id;
                const int top = page.rowTops[std::size_t(i)];
                addText(page, r, c,
                        QRect(m_columnX[std::size_t(c)], top, columnsWidth(c, cell(r, c).colSpan),
                              rowBottom(page, j) - top));
            }
        }
        if (n > 0)
            addEdges(page, grid);
    }

    int rowBottom(const TLaidPage& page, int i) const
    {
        return page.rowTops[std::size_t(i)] + m_height[std::size_t(page.rows[std::size_t(i)] - 1)];
    }

    // Each edge of the page's grid once: between two cells the wider of their
    // borders, none inside a merged cell.
    void addEdges(TLaidPage& page, const PageGrid& grid) const
    {
        const int n = int(page.rows.size());
        auto border = [&](int id, int side) {
            if (id < 0)
                return 0;
            const auto [r, c] = grid.cells[std::size_t(id)];
            return units(cell(r, c).borders[std::size_t(side)], m_scale);
        };
        auto rowY = [&](int i) {
            return i < n ? page.rowTops[std::size_t(i)] : rowBottom(page, n - 1);
        };
        auto owner = [&](int i, int c) {
            return grid.owner[std::size_t(i)][std::size_t(c)];
        };
        for (int i = 0; i <= n; ++i) {
            for (int c = 0; c < columns(); ++c) {
                const int above = i > 0 ? owner(i - 1, c) : -1;
                const int below = i < n ? owner(i, c) : -1;
                const int width = above == below ? 0 : std::max(border(above, 3), border(below, 1));
                addEdge(page,
                        QLine(m_columnX[std::size_t(c)], rowY(i), m_columnX[std::size_t(c + 1)],
                              rowY(i)),
                        width);
            }
        }
        for (int c = 0; c <= columns(); ++c) {
            for (int i = 0; i < n; ++i) {
                const int left = c > 0 ? owner(i, c - 1) : -1;
                const int right = c < columns() ? owner(i, c) : -1;
                const int width = left == right ? 0 : std::max(border(left, 2), border(right, 0));
                const int x = m_columnX[std::size_t(c)];
                addEdge(page, QLine(x, rowY(i), x, rowY(i + 1)), width);
            }
        }
    }

    // Appends an edge, joining it to the previous one when it continues it.
    static void addEdge(TLaidPage& page, QLine line, int width)
    {
        if (width <= 0)
            return;
        if (!page.edges.empty()) {
            TLaidEdge& last = page.edges.back();
            if (last.width == width && last.line.p2() == line.p1() &&
                (last.line.dx() == 0) == (line.dx() == 0)) {
                last.line.setP2(line.p2());
                return;
            }
        }
        page.edges.push_back({line, width});
    }

    void addText(TLaidPage& page, int row, int column, QRect rect) const
    {
        const TvxCell& c = cell(row, column);
        const QString text = cellText(c);
        if (text.isEmpty())
            return;
        TLaidText laid;
        laid.rect = rect;
        laid.font = LayoutFont(c.font, m_scale);
        laid.rotation = c.rotation;
        const QSizeF frame =
            c.rotation == 0 ? QSizeF(rect.size()) : QSizeF(rect.height(), rect.width());
        const TBrokenText broken =
            breakText(text, laid.font, frame.width() - 2 * kPadding, c.wrap && c.rotation == 0);
        laid.lines = alignLines(broken, frame, c.align, c.valign);
        page.texts.push_back(std::move(laid));
    }

    void addFooters()
    {
        const TvxPage& setup = m_sheet.page;
        if (setup.footer.isEmpty())
            return;
        const QFont font = LayoutFont(setup.footerFont, 1);
        const int height = footerLineHeight(setup);
        const QRect rect(m_left, m_pageSize.height() - units(setup.margins[3]) - height,
                         m_right - m_left, height);
        for (std::size_t p = 0; p < m_pages.size(); ++p) {
            TReportVariables variables = m_variables;
            variables[QStringLiteral("PAGE")] = QString::number(p + 1);
            variables[QStringLiteral("PAGES")] = QString::number(m_pages.size());
            TLaidText laid;
            laid.rect = rect;
            laid.font = font;
            const TBrokenText broken =
                breakText(SubstituteVariables(setup.footer, variables), font, rect.width(), false);
            laid.lines = alignLines(broken, rect.size(), setup.footerAlign, TvxVAlign::Bottom);
            m_pages[p].texts.push_back(std::move(laid));
        }
    }

    const TvxSheet& m_sheet;
    const TReportVariables& m_variables;
    double m_scale;
    QSize m_pageSize;
    int m_left = 0;
    int m_top = 0;
    int m_right = 0;
    int m_bottom = 0;
    std::vector<int> m_columnX;
    TCellOwners m_owner;
    std::vector<int> m_height;
    std::vector<TLaidPage> m_pages;
    int m_y = 0;
    bool m_pageHasContent = false;
};

} // namespace

QString SubstituteVariables(const QString& text, const TReportVariables& variables)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if ((ch == QLatin1Char('{') || ch == QLatin1Char('}')) && i + 1 < text.size() &&
            text.at(i + 1) == ch) {
            result += ch;
            ++i;
            continue;
        }
        if (ch == QLatin1Char('{')) {
            const qsizetype end = text.indexOf(QLatin1Char('}'), i + 1);
            if (end > i) {
                const auto it = variables.find(text.mid(i + 1, end - i - 1));
                if (it != variables.end())
                    result += it->second;
                i = end;
                continue;
            }
        }
        result += ch;
    }
    return result;
}

QFont LayoutFont(const TvxFont& font, double scale)
{
    registerSubstitutes();
    QFont result(font.family);
    // Points are 1/72 inch, the layout unit 1/2540 inch.
    result.setPixelSize(std::max(1, int(std::lround(font.size * 2540.0 / 72.0 * scale))));
    result.setBold(font.bold);
    result.setItalic(font.italic);
    result.setUnderline(font.underline);
    result.setHintingPreference(QFont::PreferNoHinting);
    result.setKerning(true);
    return result;
}

QSize LayoutPageSize(const TvxPage& page)
{
    QSizeF mm = QPageSize(page.paper).size(QPageSize::Millimeter);
    if (page.orientation == QPageLayout::Landscape)
        mm.transpose();
    return QSize(units(mm.width()), units(mm.height()));
}

QPageLayout LayoutPageLayout(const TvxPage& page)
{
    return QPageLayout(QPageSize(page.paper), page.orientation, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
}

TCellOwners FindCellOwners(const TvxSheet& sheet)
{
    const std::size_t rows = sheet.rows.size();
    const std::size_t columns = sheet.columns.size();
    TCellOwners owners(rows, std::vector<TCellOwner>(columns));
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            if (owners[r][c].row >= 0)
                continue;
            const TvxCell& owner = sheet.rows[r].cells[c];
            const std::size_t lastRow = std::min(rows, r + std::size_t(std::max(1, owner.rowSpan)));
            const std::size_t lastColumn =
                std::min(columns, c + std::size_t(std::max(1, owner.colSpan)));
            for (std::size_t rr = r; rr < lastRow; ++rr)
                for (std::size_t cc = c; cc < lastColumn; ++cc)
                    if (owners[rr][cc].row < 0)
                        owners[rr][cc] = {int(r), int(c)};
        }
    }
    return owners;
}

int LayoutFooterHeight(const TvxPage& page)
{
    return page.footer.isEmpty() ? 0 : kFooterGap + footerLineHeight(page);
}

std::vector<double> LayoutRowHeights(const TvxSheet& sheet, const TReportVariables& variables)
{
    const SheetLayout layout(sheet, variables);
    const double unitsPerMm = kLayoutUnitsPerMm * sheet.page.scale / 100;
    std::vector<double> heights;
    heights.reserve(layout.heights().size());
    for (int height : layout.heights())
        heights.push_back(height / unitsPerMm);
    return heights;
}

std::vector<TLaidPage> LayoutSheet(const TvxSheet& sheet, const TReportVariables& variables)
{
    if (sheet.columns.empty())
        return {};
    return SheetLayout(sheet, variables).run();
}

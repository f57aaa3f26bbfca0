#include "XlsxSheet.h"

#include <algorithm>
#include <cmath>

#include <xlsxwriter.h>

#include "XlsxError.h"
#include "XlsxFormats.h"
#include "XlsxNumber.h"
#include "XlsxPageSetup.h"

namespace {

constexpr double kMmPerInch = 25.4;
// Excel measures columns in pixels of 96 dpi and rows in points.
constexpr double kPixelsPerInch = 96;
constexpr double kPointsPerInch = 72;
// Excel's limit of manual page breaks on a sheet.
constexpr std::size_t kMaxPageBreaks = 1023;

enum Side
{
    Left,
    Top,
    Right,
    Bottom
};

class SheetWriter
{
public:
    SheetWriter(lxw_worksheet* worksheet, TXlsxFormats& formats, const TvxSheet& sheet,
                const TReportVariables& variables)
        : m_worksheet(worksheet)
        , m_formats(formats)
        , m_sheet(sheet)
        , m_variables(variables)
        , m_owners(FindCellOwners(sheet))
    {
        for (std::size_t r = 0; r < sheet.rows.size(); ++r)
            if (!sheet.rows[r].model)
                m_printed.push_back(int(r));
    }

    void run()
    {
        setSizes();
        mergeSpans();
        writePlaces();
        SetXlsxPageSetup(m_worksheet, m_sheet.page, m_variables);
        setPageBreaks();
        setPrintTitles();
        if (rows() > 0 && columns() > 0)
            CheckXlsx(worksheet_print_area(m_worksheet, 0, 0, lxw_row_t(rows() - 1),
                                           lxw_col_t(columns() - 1)));
    }

private:
    int rows() const { return int(m_printed.size()); }
    int columns() const { return int(m_sheet.columns.size()); }
    const TvxRow& row(int i) const { return m_sheet.rows[std::size_t(m_printed[std::size_t(i)])]; }
    const TvxCell& cell(TCellOwner owner) const
    {
        return m_sheet.rows[std::size_t(owner.row)].cells[std::size_t(owner.column)];
    }

    // The cell shown at a place of the worksheet; none outside the grid or
    // where the place's owner is a model row, which print leaves empty too.
    TCellOwner ownerAt(int i, int c) const
    {
        if (i < 0 || i >= rows() || c < 0 || c >= columns())
            return {};
        const TCellOwner owner = m_owners[std::size_t(m_printed[std::size_t(i)])][std::size_t(c)];
        if (owner.row < 0 || m_sheet.rows[std::size_t(owner.row)].model)
            return {};
        return owner;
    }

    bool isTopLeft(int i, int c, TCellOwner owner) const
    {
        return owner.row == m_printed[std::size_t(i)] && owner.column == c;
    }

    // As in print: the wider of the two cells' borders on a shared edge, none
    // inside a merged cell.
    double border(int i, int c, Side side) const
    {
        const TCellOwner self = ownerAt(i, c);
        const int di = side == Top ? -1 : side == Bottom ? 1 : 0;
        const int dc = side == Left ? -1 : side == Right ? 1 : 0;
        const TCellOwner other = ownerAt(i + di, c + dc);
        if (other == self)
            return 0;
        const double own = cell(self).borders[std::size_t(side)];
        if (other.row < 0)
            return own;
        return std::max(own, cell(other).borders[std::size_t((side + 2) % 4)]);
    }

    TXlsxLook look(int i, int c, const TvxCell& owner) const
    {
        TXlsxLook result;
        result.font = owner.font;
        result.align = owner.align;
        result.valign = owner.valign;
        result.wrap = owner.wrap;
        result.rotation = owner.rotation;
        for (Side side : {Left, Top, Right, Bottom})
            result.borders[std::size_t(side)] = border(i, c, side);
        return result;
    }

    void setSizes()
    {
        for (int c = 0; c < columns(); ++c) {
            const double mm = m_sheet.columns[std::size_t(c)];
            const auto pixels = uint16_t(std::lround(mm / kMmPerInch * kPixelsPerInch));
            CheckXlsx(worksheet_set_column_pixels(m_worksheet, lxw_col_t(c), lxw_col_t(c), pixels,
                                                  nullptr));
        }
        const std::vector<double> heights = LayoutRowHeights(m_sheet, m_variables);
        for (int i = 0; i < rows(); ++i) {
            const double mm = heights[std::size_t(m_printed[std::size_t(i)])];
            CheckXlsx(worksheet_set_row(m_worksheet, lxw_row_t(i), mm / kMmPerInch * kPointsPerInch,
                                        nullptr));
        }
    }

    // Merges each spanning cell over the places it shows on; written over
    // afterwards, place by place, with each place's own borders.
    void mergeSpans()
    {
        for (int i = 0; i < rows(); ++i) {
            for (int c = 0; c < columns(); ++c) {
                const TCellOwner owner = ownerAt(i, c);
                if (owner.row < 0 || !isTopLeft(i, c, owner))
                    continue;
                int lastColumn = c;
                while (ownerAt(i, lastColumn + 1) == owner)
                    ++lastColumn;
                int lastRow = i;
                while (rowOwned(lastRow + 1, c, lastColumn, owner))
                    ++lastRow;
                if (lastRow == i && lastColumn == c)
                    continue;
                CheckXlsx(worksheet_merge_range(m_worksheet, lxw_row_t(i), lxw_col_t(c),
                                                lxw_row_t(lastRow), lxw_col_t(lastColumn), "",
                                                m_formats.format(look(i, c, cell(owner)))));
            }
        }
    }

    bool rowOwned(int i, int first, int last, TCellOwner owner) const
    {
        if (i >= rows())
            return false;
        for (int c = first; c <= last; ++c)
            if (ownerAt(i, c) != owner)
                return false;
        return true;
    }

    void writePlaces()
    {
        for (int i = 0; i < rows(); ++i) {
            for (int c = 0; c < columns(); ++c) {
                const TCellOwner owner = ownerAt(i, c);
                if (owner.row < 0)
                    continue;
                TXlsxLook placeLook = look(i, c, cell(owner));
                if (isTopLeft(i, c, owner)) {
                    writeValue(i, c, placeLook, SubstituteVariables(cell(owner).text, m_variables));
                    continue;
                }
                CheckXlsx(worksheet_write_blank(m_worksheet, lxw_row_t(i), lxw_col_t(c),
                                                m_formats.format(placeLook)));
            }
        }
    }

    void writeValue(int i, int c, TXlsxLook placeLook, const QString& text)
    {
        const auto r = lxw_row_t(i);
        const auto col = lxw_col_t(c);
        if (text.isEmpty()) {
            CheckXlsx(worksheet_write_blank(m_worksheet, r, col, m_formats.format(placeLook)));
            return;
        }
        if (const auto number = XlsxNumberOf(text)) {
            placeLook.decimals = number->decimals;
            CheckXlsx(worksheet_write_number(m_worksheet, r, col, number->value,
                                             m_formats.format(placeLook)));
            return;
        }
        // Print breaks lines at line feeds; Excel shows them only when wrapping.
        placeLook.wrap = placeLook.wrap || text.contains(QLatin1Char('\n'));
        CheckXlsx(worksheet_write_string(m_worksheet, r, col, text.toUtf8().constData(),
                                         m_formats.format(placeLook)));
    }

    // Every page starts where print starts it, after a page break flag or a
    // full page alike: a spreadsheet fills its pages by its own measure.
    void setPageBreaks()
    {
        std::vector<int> placeOf(m_sheet.rows.size(), -1);
        for (int i = 0; i < rows(); ++i)
            placeOf[std::size_t(m_printed[std::size_t(i)])] = i;
        // Zero ends the list; a break stands above the row it names, the first
        // row of a page that is not a repeated heading.
        std::vector<lxw_row_t> breaks;
        int printedLast = 0;
        for (const TLaidPage& page : LayoutSheet(m_sheet, m_variables)) {
            const auto first = std::find_if(page.rows.begin(), page.rows.end(),
                                            [printedLast](int r) { return r > printedLast; });
            if (first == page.rows.end())
                continue;
            if (printedLast > 0 && breaks.size() < kMaxPageBreaks)
                breaks.push_back(lxw_row_t(placeOf[std::size_t(*first - 1)]));
            printedLast = *std::max_element(first, page.rows.end());
        }
        if (breaks.empty())
            return;
        breaks.push_back(0);
        CheckXlsx(worksheet_set_h_pagebreaks(m_worksheet, breaks.data()));
    }

    // Excel repeats one band of rows; print repeats every repeated row once
    // it has been printed, which is that band for the forms' one heading.
    void setPrintTitles()
    {
        int first = 0;
        while (first < rows() && !row(first).repeat)
            ++first;
        if (first == rows())
            return;
        int last = first;
        while (last + 1 < rows() && row(last + 1).repeat)
            ++last;
        CheckXlsx(worksheet_repeat_rows(m_worksheet, lxw_row_t(first), lxw_row_t(last)));
    }

    lxw_worksheet* m_worksheet;
    TXlsxFormats& m_formats;
    const TvxSheet& m_sheet;
    const TReportVariables& m_variables;
    TCellOwners m_owners;
    // The sheet's rows (0-based) that print, in order: the worksheet's rows.
    std::vector<int> m_printed;
};

} // namespace

void WriteXlsxSheet(lxw_worksheet* worksheet, TXlsxFormats& formats, const TvxSheet& sheet,
                    const TReportVariables& variables)
{
    SheetWriter(worksheet, formats, sheet, variables).run();
}

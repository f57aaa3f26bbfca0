#pragma once

#include <array>
#include <map>

#include "TvxTemplate.h"

struct lxw_workbook;
struct lxw_format;

// How one place of a worksheet looks: its cell's look, the borders resolved
// for that place and, for a number, the decimals it shows.
struct TXlsxLook
{
    TvxFont font;
    TvxAlign align = TvxAlign::Left;
    TvxVAlign valign = TvxVAlign::Middle;
    bool wrap = false;
    int rotation = 0;
    // Widths in millimetres: left, top, right, bottom.
    std::array<double, 4> borders{};
    // -1: text.
    int decimals = -1;

    bool operator<(const TXlsxLook& other) const;
};

// The Excel border style nearest to a line of the width in millimetres (Excel
// draws thin, medium and thick as 1, 2 and 3 pixels at 96 dpi): none, hair,
// thin (0.2 mm), medium (0.5 mm) or thick.
int XlsxBorderStyle(double width);

// The workbook's cell formats, one per distinct look; the workbook owns them.
class TXlsxFormats
{
public:
    explicit TXlsxFormats(lxw_workbook* workbook);
    TXlsxFormats(const TXlsxFormats&) = delete;
    TXlsxFormats& operator=(const TXlsxFormats&) = delete;

    lxw_format* format(const TXlsxLook& look);

private:
    lxw_format* create(const TXlsxLook& look);

    lxw_workbook* m_workbook;
    std::map<TXlsxLook, lxw_format*> m_formats;
};

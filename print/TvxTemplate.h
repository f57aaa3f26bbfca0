#pragma once

#include <array>
#include <vector>

#include <QPageLayout>
#include <QPageSize>
#include <QString>

// A report template as read from a ".tvx" file (format: print/TVX.md). Plain
// data: the reader fills it, the sheet operations change it, the layout reads
// it. Lengths are millimetres, font sizes points.

enum class TvxAlign
{
    Left,
    Center,
    Right
};

enum class TvxVAlign
{
    Top,
    Middle,
    Bottom
};

// Border widths of the thin and thick lines, in millimetres.
inline constexpr double kTvxThinBorder = 0.2;
inline constexpr double kTvxThickBorder = 0.5;

struct TvxFont
{
    QString family = QStringLiteral("Times New Roman");
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

struct TvxCell
{
    // The text with {NAME} variables still in it.
    QString text;
    int colSpan = 1;
    int rowSpan = 1;
    // Left, top, right, bottom; 0 is no line.
    std::array<double, 4> borders{};
    TvxFont font;
    TvxAlign align = TvxAlign::Left;
    TvxVAlign valign = TvxVAlign::Middle;
    bool wrap = false;
    // 0, 90 (reads upwards) or 270 (reads downwards).
    int rotation = 0;
};

struct TvxRow
{
    // The least height; the layout makes a row taller when its texts need it.
    double height = 5;
    // Printed again at the top of every page after the first one it is on.
    bool repeat = false;
    // A row that the program copies and that is not printed itself.
    bool model = false;
    // A new page starts after this row.
    bool pageBreak = false;
    // One cell per column; a cell covered by another's span is ignored.
    std::vector<TvxCell> cells;
};

struct TvxPage
{
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    // Left, top, right, bottom.
    std::array<double, 4> margins{20, 15, 10, 15};
    // Percent applied to every length and font of the sheet.
    double scale = 100;
    // Printed at the foot of every page when not empty; {PAGE} and {PAGES}
    // are the page's number and the number of pages.
    QString footer;
    TvxFont footerFont;
    TvxAlign footerAlign = TvxAlign::Right;
};

struct TvxSheet
{
    QString name;
    TvxPage page;
    std::vector<double> columns;
    std::vector<TvxRow> rows;
};

struct TvxTemplate
{
    std::vector<TvxSheet> sheets;
};

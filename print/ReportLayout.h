#pragma once

#include <map>
#include <vector>

#include <QFont>
#include <QLine>
#include <QPageLayout>
#include <QPointF>
#include <QRect>
#include <QString>

#include "TvxTemplate.h"

// The second stage of printing: a sheet with its variables becomes a list of
// pages of positioned boxes. Every length is in layout units of 0.01 mm.
inline constexpr int kLayoutUnitsPerMm = 100;

struct TLaidLine
{
    // The baseline's start, relative to the box's text origin.
    QPointF origin;
    QString text;
};

struct TLaidText
{
    // The cell's rectangle on the page.
    QRect rect;
    QFont font;
    // 0, 90 or 270; lines are laid out in the rotated frame.
    int rotation = 0;
    std::vector<TLaidLine> lines;
};

struct TLaidEdge
{
    QLine line;
    int width = 0;
};

struct TLaidPage
{
    QSize size;
    // The sheet's row numbers (1-based) printed on the page, in order,
    // repeated header rows included.
    std::vector<int> rows;
    // The top of each of those rows on the page.
    std::vector<int> rowTops;
    std::vector<TLaidText> texts;
    std::vector<TLaidEdge> edges;
};

using TReportVariables = std::map<QString, QString>;

// The text of a cell with every {NAME} replaced by the variable's value (an
// unknown variable gives the empty text); "{{" and "}}" stand for braces.
QString SubstituteVariables(const QString& text, const TReportVariables& variables);

// The font of the layout: size in layout units, no hinting, so that screen,
// printer and PDF break lines alike. Times New Roman and Arial come as their
// metric-compatible Liberation fonts where those are what the system has.
QFont LayoutFont(const TvxFont& font, double scale);

// The page size of the sheet's page setup, in layout units.
QSize LayoutPageSize(const TvxPage& page);
// The page setup as Qt's page layout (margins are the layout's, so none).
QPageLayout LayoutPageLayout(const TvxPage& page);

// Which cell covers each place of a sheet's grid, by 0-based row and column
// (-1: none). Cells take their places row by row from the left; a span takes
// only places no earlier cell took and is clipped at the sheet's edge.
struct TCellOwner
{
    int row = -1;
    int column = -1;
    bool operator==(const TCellOwner&) const = default;
};
using TCellOwners = std::vector<std::vector<TCellOwner>>;
TCellOwners FindCellOwners(const TvxSheet& sheet);

// The height the footer takes at the foot of the printable area, with the
// gap above it, in layout units; 0 without a footer.
int LayoutFooterHeight(const TvxPage& page);

// The height of every row of the sheet (model rows as the template gives
// them) once its texts have grown it, in millimetres before the sheet's scale.
std::vector<double> LayoutRowHeights(const TvxSheet& sheet, const TReportVariables& variables);

// Lays the printed rows (all but model rows) of the sheet out on pages:
// rows grow to fit their texts, a row-span group stays on one page, rows
// marked to repeat start every later page, a page break flag ends the page,
// and the footer gets its page numbers once the count is known.
std::vector<TLaidPage> LayoutSheet(const TvxSheet& sheet, const TReportVariables& variables);

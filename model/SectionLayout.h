#pragma once

#include <QList>
#include <QString>

// The layout of the form's five sections, written once and read by the grids,
// the section rules, the editable-cell rule and f2tp-cli: each section's
// columns, its fixed rows and the rows the rules name. Row numbers are those
// of the printed form: section × 100 + position.
struct TSectionColumn
{
    QString field;
    QString title;
    // Width of the cell's text area in the grid (the grid adds its line).
    int width;
    // Whether a person may type into the column; the rows' own rules come on top.
    bool editable;
};

namespace SectionLayout {

constexpr int SectionCount = 5;

// Section 1: 101 is the total of 102 and 103, 103 the total of 104 to 109.
constexpr int R1Total = 101;
constexpr int R1Solid = 102;
constexpr int R1GasAndLiquid = 103;
constexpr int R1FirstGas = 104;
constexpr int R1LastRow = 109;
// Rows 104 to 106 carry the norms (columns 8 and 9); 106 is nitrogen oxides.
constexpr int R1FirstNormed = 104;
constexpr int R1LastNormed = 106;
constexpr int R1NitrogenOxides = 106;

// Section 2 starts with three pollutants whose rows cannot be deleted.
constexpr int FixedPollutants[] = {703, 322, 410};
// The code of the statistics print's one row for the pollutants it does not
// list by themselves; the shipped classifier names it.
constexpr int OtherPollutants = 8888;

// Section 4: five fixed measures and one added row.
constexpr int R4AddedRow = 406;
constexpr int R4MaxRows = 6;

// The section's grid columns, in order.
const QList<TSectionColumn>& Columns(int section);
// Whether a person may type into the column of the section; false for an
// unknown section or column.
bool ColumnEditable(int section, const QString& fieldName);
// The number of rows an empty section starts with (section 2: one per fixed pollutant).
int FixedRowCount(int section);
// The first row number of the section.
constexpr int FirstRow(int section)
{
    return section * 100 + 1;
}

} // namespace SectionLayout

#include "SectionLayout.h"

#include <iterator>

namespace SectionLayout {

namespace {

TSectionColumn column(const char* field, const char* title, int width, bool editable)
{
    return {QString::fromLatin1(field), QString::fromUtf8(title), width, editable};
}

} // namespace

const QList<TSectionColumn>& Columns(int section)
{
    // Section 1's column 7 (C7) is computed, so nobody types into it.
    static const QList<TSectionColumn> columns[SectionCount] = {
        {column("CA", "A", 26, false), column("C1", "1", 29, false), column("CB", "Б", 176, false),
         column("C2", "2", 70, true), column("C3", "3", 70, true), column("C4", "4", 70, true),
         column("C5", "5", 70, true), column("C6", "6", 60, true), column("C7", "7", 80, false),
         column("C9", "8", 60, true), column("C10", "9", 60, true)},
        {column("CA", "A", 28, false), column("C1", "1", 39, false), column("CB", "Б", 254, false),
         column("C2", "2", 120, true), column("C4", "3", 120, true), column("C5", "4", 120, true)},
        {column("CA", "А", 31, false), column("CB", "Б", 275, false), column("C1", "1", 78, true),
         column("C2", "2", 76, true), column("C3", "3", 100, true), column("C4", "4", 105, true)},
        {column("CA", "А", 24, false), column("CB", "Б", 142, true), column("CC", "В", 118, true),
         column("C1", "1", 43, true), column("C2", "2", 77, true), column("C3", "3", 50, true),
         column("C4", "4", 50, true), column("C5", "5", 49, true), column("C6", "6", 48, true)},
        {column("CA", "А", 27, false), column("C1", "1", 35, false), column("C2", "2", 321, false),
         column("C3", "3", 111, true), column("C4", "4", 94, true)},
    };
    static const QList<TSectionColumn> none;
    if (section < 1 || section > SectionCount)
        return none;
    return columns[section - 1];
}

bool ColumnEditable(int section, const QString& fieldName)
{
    for (const TSectionColumn& c : Columns(section)) {
        if (c.field.compare(fieldName, Qt::CaseInsensitive) == 0)
            return c.editable;
    }
    return false;
}

int FixedRowCount(int section)
{
    switch (section) {
    case 1:
        return R1LastRow - FirstRow(1) + 1;
    case 2:
        return int(std::size(FixedPollutants));
    case 3:
        return 3;
    case 4:
        return R4AddedRow - FirstRow(4);
    case 5:
        return 5;
    default:
        return 0;
    }
}

} // namespace SectionLayout

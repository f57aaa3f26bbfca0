#include "RowTemplates.h"

#include <gtest/gtest.h>

#include <QMap>

namespace {

TEST(RowTemplates, FitTheirColumns)
{
    for (const RowTemplate& row : rowTemplates()) {
        EXPECT_FALSE(row.name.isEmpty()) << row.row;
        EXPECT_LE(row.name.size(), RowTemplateNameWidth) << row.row;
        EXPECT_TRUE(row.code.isEmpty() || row.code.size() == RowTemplateCodeWidth) << row.row;
    }
}

TEST(RowTemplates, PairSectionFiveWithTheRowsTheCheckComparesItTo)
{
    // The consistency check compares 501 with 102, 502 with 104, 503 with 105,
    // 504 with 106 and 505 with 107 and 108 together, which share no code: 0401
    // is 107's alone, hydrocarbons without the volatile organic compounds.
    QMap<int, QString> codes;
    for (const RowTemplate& row : rowTemplates())
        codes[row.row] = row.code;
    EXPECT_EQ(codes[501], codes[102]);
    EXPECT_EQ(codes[502], codes[104]);
    EXPECT_EQ(codes[503], codes[105]);
    EXPECT_EQ(codes[504], codes[106]);
    EXPECT_EQ(codes[107], QStringLiteral("0401"));
    EXPECT_EQ(codes[505], QString());
}

} // namespace

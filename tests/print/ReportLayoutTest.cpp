// The page list: how many pages, which rows fall where, breaks, repeated
// headers, rows that grow with their text, footers and resolved borders.
#include <gtest/gtest.h>

#include "PrintTestSupport.h"
#include "ReportLayout.h"

namespace {

// A4 portrait, 15 mm top and bottom margins: 267 mm of rows per page.
QString sheetWith(const QString& rows, const QString& extra = QString())
{
    return QStringLiteral("<sheet><page top=\"15\" bottom=\"15\"/>") + extra +
           QStringLiteral("<columns><column width=\"40\"/><column width=\"60\"/></columns>") +
           rows + QStringLiteral("</sheet>");
}

QString rows(int count, double height, const QString& attributes = QString())
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("<row height=\"") + QString::number(height) + QStringLiteral("\" ") +
                attributes + QStringLiteral("><cell>r") + QString::number(i) +
                QStringLiteral("</cell></row>");
    return text;
}

std::vector<TLaidPage> layout(const QString& sheetText, const TReportVariables& variables = {})
{
    return LayoutSheet(readTvxText(sheetText).sheets[0], variables);
}

} // namespace

TEST(ReportLayoutTest, RowsFillPagesInOrder)
{
    // 26 rows of 10 mm fit into 267 mm; the 27th starts page 2.
    const auto pages = layout(sheetWith(rows(30, 10)));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].rows.size(), 26u);
    EXPECT_EQ(pages[0].rows.front(), 1);
    EXPECT_EQ(pages[1].rows.front(), 27);
    EXPECT_EQ(pages[1].rows.size(), 4u);
    EXPECT_EQ(pages[0].rowTops[0], 1500);
    EXPECT_EQ(pages[0].rowTops[1], 2500);
    EXPECT_EQ(pages[1].rowTops[0], 1500);
    EXPECT_EQ(pages[0].size, QSize(21000, 29700));
}

TEST(ReportLayoutTest, PageBreakFlagEndsThePage)
{
    const QString body =
        rows(2, 10) + QStringLiteral("<row break=\"yes\"><cell>b</cell></row>") + rows(2, 10);
    const auto pages = layout(sheetWith(body));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].rows, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(pages[1].rows, (std::vector<int>{4, 5}));
}

TEST(ReportLayoutTest, RepeatedRowsStartEveryLaterPage)
{
    const QString body =
        QStringLiteral("<row height=\"20\"><cell>Заголовок</cell></row>"
                       "<row height=\"10\" repeat=\"yes\"><cell>Графа</cell></row>") +
        rows(40, 10);
    const auto pages = layout(sheetWith(body));
    ASSERT_EQ(pages.size(), 2u);
    // Page 1: title, header, 23 rows (20 + 10 + 230 <= 267).
    EXPECT_EQ(pages[0].rows.size(), 25u);
    EXPECT_EQ(pages[1].rows.front(), 2);
    EXPECT_EQ(pages[1].rows[1], 26);
    EXPECT_EQ(pageTexts(pages[1]).front(), QStringLiteral("Графа"));
    EXPECT_EQ(pages[1].rows.size(), 18u);
}

TEST(ReportLayoutTest, ModelRowsAreNotPrinted)
{
    const QString body = rows(1, 10) + rows(1, 10, QStringLiteral("model=\"yes\"")) + rows(1, 10);
    const auto pages = layout(sheetWith(body));
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].rows, (std::vector<int>{1, 3}));
    EXPECT_EQ(pages[0].rowTops[1], 2500);
}

TEST(ReportLayoutTest, WrappedTextMakesItsRowTaller)
{
    const QString longText = QStringLiteral("слово ").repeated(40);
    const QString body = QStringLiteral("<row height=\"5\"><cell>x</cell><cell wrap=\"yes\">") +
                         longText + QStringLiteral("</cell></row>") + rows(1, 5);
    const auto pages = layout(sheetWith(body));
    const int height = pages[0].rowTops[1] - pages[0].rowTops[0];
    // Forty words in a 60 mm column at 10 pt need several lines of about 4 mm.
    EXPECT_GT(height, 1500);
    const QStringList lines = pageTexts(pages[0]);
    EXPECT_GT(lines.size(), 4);
    for (const QString& line : lines)
        EXPECT_FALSE(line.endsWith(QLatin1Char(' ')));
    // Without wrap the row keeps its height.
    const auto plain = layout(sheetWith(QStringLiteral("<row height=\"5\"><cell>x</cell><cell>") +
                                        longText + QStringLiteral("</cell></row>") + rows(1, 5)));
    EXPECT_EQ(plain[0].rowTops[1] - plain[0].rowTops[0], 500);
}

TEST(ReportLayoutTest, RowSpanGroupsStayOnOnePage)
{
    const QString body =
        rows(25, 10) +
        QStringLiteral("<row height=\"10\"><cell rowspan=\"2\">A</cell><cell>B</cell></row>"
                       "<row height=\"10\"><cell>C</cell></row>");
    const auto pages = layout(sheetWith(body));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].rows.size(), 25u);
    EXPECT_EQ(pages[1].rows, (std::vector<int>{26, 27}));
}

TEST(ReportLayoutTest, FooterCountsPages)
{
    // 26 rows of 10.2 mm would fit into 267 mm, but not beside the footer.
    const auto pages = layout(
        sheetWith(rows(30, 10.2), QStringLiteral("<footer>Страница {PAGE} из {PAGES}</footer>")));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pageTexts(pages[0]).back(), QStringLiteral("Страница 1 из 2"));
    EXPECT_EQ(pageTexts(pages[1]).back(), QStringLiteral("Страница 2 из 2"));
    // The footer takes its room from the rows.
    EXPECT_EQ(pages[0].rows.size(), 25u);
}

TEST(ReportLayoutTest, SharedEdgesAreDrawnOnceWithTheStrongerBorder)
{
    const QString body = QStringLiteral(
        "<row height=\"10\"><cell border=\"thin\">a</cell><cell border=\"thick\">b</cell></row>"
        "<row height=\"10\"><cell span=\"2\" border=\"thin\">c</cell></row>");
    const auto pages = layout(sheetWith(body));
    const std::vector<TLaidEdge>& edges = pages[0].edges;
    // The vertical line between a and b is thick and stops at the merged row.
    int between = 0;
    for (const TLaidEdge& e : edges) {
        if (e.line.dx() == 0 && e.line.x1() == 2000 + 4000) {
            ++between;
            EXPECT_EQ(e.width, 50);
            EXPECT_EQ(e.line.y1(), 1500);
            EXPECT_EQ(e.line.y2(), 2500);
        }
    }
    EXPECT_EQ(between, 1);
    // Across the boundary between the rows: thin under a, thick under b.
    std::vector<std::pair<int, int>> middle;
    for (const TLaidEdge& e : edges)
        if (e.line.dy() == 0 && e.line.y1() == 2500)
            middle.emplace_back(e.line.x1(), e.width);
    EXPECT_EQ(middle, (std::vector<std::pair<int, int>>{{2000, 20}, {6000, 50}}));
    // No edge repeats another.
    for (std::size_t i = 0; i < edges.size(); ++i)
        for (std::size_t j = i + 1; j < edges.size(); ++j)
            EXPECT_FALSE(edges[i].line == edges[j].line);
}

TEST(ReportLayoutTest, VariablesAndEscapedBraces)
{
    const TReportVariables variables{{QStringLiteral("A"), QStringLiteral("1")}};
    EXPECT_EQ(SubstituteVariables(QStringLiteral("{A}+{B}={{A}}"), variables),
              QStringLiteral("1+={A}"));
    EXPECT_EQ(SubstituteVariables(QStringLiteral("открыто {A"), variables),
              QStringLiteral("открыто {A"));
}

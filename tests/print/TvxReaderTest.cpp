// Reading templates: the look of cells from styles and attributes, spans and
// the columns they cover, and errors that name file, line and column.
#include <gtest/gtest.h>

#include <QDir>

#include "Errors.h"
#include "PrintTestSupport.h"
#include "TvxReader.h"

TEST(TvxReaderTest, CellsTakeStyleThenRowThenOwnAttributes)
{
    const TvxTemplate t = readTvxText(QStringLiteral(
        "<style name=\"box\" font=\"Arial\" size=\"9\" border=\"thin\" align=\"right\"/>"
        "<sheet name=\"Лист\"><page paper=\"A4\" orientation=\"landscape\" left=\"5\" "
        "scale=\"80\"/>"
        "<columns><column width=\"30\"/><column width=\"40.5\"/><column width=\"10\"/></columns>"
        "<row height=\"8\" repeat=\"yes\" bold=\"yes\">"
        "<cell style=\"box\" border-left=\"thick\" wrap=\"yes\">Итого {X}</cell>"
        "<cell span=\"2\" rotate=\"90\" valign=\"top\" border=\"0.3\">Б</cell></row>"
        "</sheet>"));
    ASSERT_EQ(t.sheets.size(), 1u);
    const TvxSheet& sheet = t.sheets[0];
    EXPECT_EQ(sheet.name, QStringLiteral("Лист"));
    EXPECT_EQ(sheet.page.orientation, QPageLayout::Landscape);
    EXPECT_EQ(sheet.page.margins[0], 5);
    EXPECT_EQ(sheet.page.margins[1], 15);
    EXPECT_EQ(sheet.page.scale, 80);
    EXPECT_EQ(sheet.columns, (std::vector<double>{30, 40.5, 10}));
    ASSERT_EQ(sheet.rows.size(), 1u);
    const TvxRow& row = sheet.rows[0];
    EXPECT_TRUE(row.repeat);
    EXPECT_FALSE(row.model);
    const TvxCell& a = row.cells[0];
    EXPECT_EQ(a.text, QStringLiteral("Итого {X}"));
    EXPECT_EQ(a.font.family, QStringLiteral("Arial"));
    EXPECT_EQ(a.font.size, 9);
    // The style replaces the row's look, so the row's bold does not reach it.
    EXPECT_FALSE(a.font.bold);
    EXPECT_EQ(a.align, TvxAlign::Right);
    EXPECT_TRUE(a.wrap);
    EXPECT_EQ(a.borders, (std::array<double, 4>{kTvxThickBorder, kTvxThinBorder, kTvxThinBorder,
                                                kTvxThinBorder}));
    const TvxCell& b = row.cells[1];
    EXPECT_TRUE(b.font.bold);
    EXPECT_EQ(b.colSpan, 2);
    EXPECT_EQ(b.rotation, 90);
    EXPECT_EQ(b.valign, TvxVAlign::Top);
    EXPECT_EQ(b.borders, (std::array<double, 4>{0.3, 0.3, 0.3, 0.3}));
}

TEST(TvxReaderTest, RowSpansPushLaterCellsRight)
{
    const TvxTemplate t = readTvxText(
        QStringLiteral("<sheet><columns><column/><column/><column/></columns>"
                       "<row><cell rowspan=\"2\">A</cell><cell>B</cell><cell>C</cell></row>"
                       "<row><cell>D</cell><cell>E</cell></row>"
                       "<row><cell>F</cell></row></sheet>"));
    const auto& rows = t.sheets[0].rows;
    EXPECT_EQ(rows[1].cells[0].text, QString());
    EXPECT_EQ(rows[1].cells[1].text, QStringLiteral("D"));
    EXPECT_EQ(rows[1].cells[2].text, QStringLiteral("E"));
    EXPECT_EQ(rows[2].cells[0].text, QStringLiteral("F"));
}

TEST(TvxReaderTest, MalformedTemplatesNameFileLineAndColumn)
{
    const std::pair<const char*, const char*> cases[] = {
        {"<sheet><columns><column width=\"x\"/></columns></sheet>",
         "строка 3, столбец 35: неверное значение атрибута width: \"x\""},
        {"<sheet><columns><column/></columns><row><cell/><cell/></row></sheet>",
         "строка 3, столбец 54: ячеек в строке больше, чем столбцов"},
        {"<sheet><columns><column/></columns><row><cell span=\"2\"/></row></sheet>",
         "ячейка выходит за последний столбец"},
        {"<sheet><row/></sheet>", "у листа не описаны столбцы"},
        {"<sheet><columns><column/></columns><row><cell style=\"none\"/></row></sheet>",
         "нет стиля \"none\""},
        {"<sheet><columns><column/></columns><row model=\"да\"/></sheet>",
         "атрибут model принимает значения yes и no"},
        {"<sheet><columns><column/></columns><row><cell>",
         "строка 4, столбец 6: Opening and ending tag mismatch."},
        {"", "в шаблоне нет ни одного листа"},
    };
    for (const auto& [body, expected] : cases) {
        try {
            readTvxText(QString::fromUtf8(body));
            ADD_FAILURE() << "read: " << body;
        } catch (const F2tpError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Шаблон test.tvx, строка ")))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(expected)))
                << e.message().toStdString() << " / " << expected;
        }
    }
}

TEST(TvxReaderTest, UnknownElementsAreSkippedWithTheirContent)
{
    const TvxTemplate t = readTvxText(QStringLiteral(
        "<note><row/></note><sheet><columns><column/></columns>"
        "<comment>любой <b>текст</b></comment><row><cell>A<i>x</i></cell></row></sheet>"));
    ASSERT_EQ(t.sheets[0].rows.size(), 1u);
    EXPECT_EQ(t.sheets[0].rows[0].cells[0].text, QStringLiteral("A"));
}

TEST(TvxReaderTest, MissingFileIsNamed)
{
    EXPECT_THROW(
        {
            try {
                ReadTvxFile(QStringLiteral("/nonexistent/Contr2TPV.tvx"));
            } catch (const F2tpError& e) {
                EXPECT_EQ(e.message(),
                          QStringLiteral("Не удается открыть шаблон /nonexistent/Contr2TPV.tvx"));
                throw;
            }
        },
        F2tpError);
}

TEST(TvxReaderTest, EveryShippedTemplateReads)
{
    const QDir dir(QStringLiteral(F2TP_TEMPLATES));
    const QStringList files = dir.entryList({QStringLiteral("*.tvx")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        const TvxTemplate t = ReadTvxFile(dir.filePath(name));
        EXPECT_FALSE(t.sheets.empty()) << name.toStdString();
    }
    const TvxTemplate protocol = ReadTvxFile(dir.filePath(QStringLiteral("Contr2TPV.tvx")));
    const auto& rows = protocol.sheets[0].rows;
    ASSERT_GE(rows.size(), 4u);
    EXPECT_FALSE(rows[0].model);
    EXPECT_TRUE(rows[1].model && rows[2].model && rows[3].model);
    EXPECT_EQ(protocol.sheets[0].columns.size(), 5u);
}

// Reports saved as Excel workbooks, read back with openpyxl: cells, numbers,
// merges, borders, fonts, sizes, page setup; the failures that leave files
// as they were; and the pieces the writer decides with (numbers, sheet names,
// footer codes).
#include <clocale>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Errors.h"
#include "FormatSettings.h"
#include "PrintTestSupport.h"
#include "ReportXlsx.h"
#include "XlsxNumber.h"
#include "XlsxPageSetup.h"
#include "XlsxSheetNames.h"

namespace {

// The report's sheet as a program's template would give it.
const char* const kSheet = R"(
<style name="box" font="Arial" size="10" border="thin" align="center"/>
<sheet name="Раздел 1: выбросы?">
  <page paper="A3" orientation="landscape" left="25" top="10" right="12" bottom="18" scale="80"/>
  <footer font="Times New Roman" size="9" align="center">{ORG} &amp; К: стр. {PAGE} из {PAGES}</footer>
  <columns><column width="30"/><column width="50"/><column width="20"/></columns>
  <row height="12"><cell span="3" size="14" bold="yes" align="center">Отчёт {ORG}</cell></row>
  <row height="7" model="yes"><cell style="box">модель</cell><cell style="box"/><cell style="box"/></row>
  <row height="9" repeat="yes">
    <cell style="box" rowspan="2" border="thick" rotate="90">Код</cell>
    <cell style="box" italic="yes" underline="yes" wrap="yes">Наименование</cell>
    <cell style="box">Тонн</cell>
  </row>
  <row height="6" repeat="yes"><cell style="box">Б</cell><cell style="box">1</cell></row>
  <row height="6" break="yes">
    <cell style="box">0012</cell><cell style="box" align="left">{AMOUNT}</cell><cell style="box">3.5</cell>
  </row>
  <row height="5">
    <cell wrap="yes" valign="top">Текст, который не помещается в узкой графе и растит строку</cell>
    <cell>{NEGATIVE}</cell><cell>1,2,3</cell>
  </row>
</sheet>
<sheet name="раздел 1_ выбросы_">
  <columns><column width="20"/></columns>
  <row><cell>Второй лист</cell></row>
</sheet>
)";

QString localNumber(const char* whole, const char* fraction)
{
    return QString::fromLatin1(whole) + FormatSettings::decimalSeparator() +
           QString::fromLatin1(fraction);
}

TPreparedReport preparedReport()
{
    TPreparedReport report;
    report.title = QStringLiteral("Отчёт");
    report.sheets = readTvxText(QString::fromUtf8(kSheet)).sheets;
    report.variables = {{QStringLiteral("ORG"), QStringLiteral("ООО «Ромашка»")},
                        {QStringLiteral("AMOUNT"), localNumber("12", "500")},
                        {QStringLiteral("NEGATIVE"), localNumber("-7", "25")}};
    return report;
}

class ReportXlsxTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!canReadXlsx())
            GTEST_SKIP() << "no python3 with openpyxl";
        ASSERT_TRUE(m_dir.isValid());
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QStringList files() const { return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden); }

private:
    QTemporaryDir m_dir;
};

QJsonObject cellAt(const QJsonObject& sheet, const char* name)
{
    return sheet[QStringLiteral("cells")].toObject()[QString::fromLatin1(name)].toObject();
}

QStringList strings(const QJsonValue& value)
{
    QStringList result;
    for (const QJsonValue& item : value.toArray())
        result << item.toString();
    return result;
}

double millimetres(double inches)
{
    return inches * 25.4;
}

} // namespace

TEST_F(ReportXlsxTest, WorkbookHoldsTheSheetsAsPrinted)
{
    const std::string numericLocale = std::setlocale(LC_NUMERIC, nullptr);
    SaveReportAsXlsx(preparedReport(), path(QStringLiteral("отчёт.xlsx")));
    // The writer needs "C" numbers and gives the user's locale back.
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), numericLocale);
    const QJsonObject book = readXlsx(path(QStringLiteral("отчёт.xlsx")));
    EXPECT_EQ(book[QStringLiteral("title")].toString(), QStringLiteral("Отчёт"));
    const QJsonArray sheets = book[QStringLiteral("sheets")].toArray();
    ASSERT_EQ(sheets.size(), 2);
    const QJsonObject sheet = sheets[0].toObject();
    EXPECT_EQ(sheet[QStringLiteral("name")].toString(), QStringLiteral("Раздел 1_ выбросы_"));
    EXPECT_EQ(sheets[1].toObject()[QStringLiteral("name")].toString(),
              QStringLiteral("раздел 1_ выбросы_ (2)"));

    // The model row is left out: five rows, no trace of its text.
    EXPECT_EQ(sheet[QStringLiteral("max_row")].toInt(), 5);
    EXPECT_FALSE(QJsonDocument(sheet).toJson().contains("модель"));
    EXPECT_EQ(strings(sheet[QStringLiteral("merged")]),
              (QStringList{QStringLiteral("A1:C1"), QStringLiteral("A2:A3")}));

    const QJsonObject title = cellAt(sheet, "A1");
    EXPECT_EQ(title[QStringLiteral("value")].toString(), QStringLiteral("Отчёт ООО «Ромашка»"));
    EXPECT_EQ(title[QStringLiteral("font")].toObject()[QStringLiteral("name")].toString(),
              QStringLiteral("Times New Roman"));
    EXPECT_EQ(title[QStringLiteral("font")].toObject()[QStringLiteral("size")].toDouble(), 14);
    EXPECT_TRUE(title[QStringLiteral("font")].toObject()[QStringLiteral("bold")].toBool());
    EXPECT_EQ(title[QStringLiteral("align")].toString(), QStringLiteral("center"));

    // Numbers as numbers with the decimals they show; codes and lists stay text.
    const QJsonObject amount = cellAt(sheet, "B4");
    EXPECT_EQ(amount[QStringLiteral("type")].toString(), QStringLiteral("n"));
    EXPECT_DOUBLE_EQ(amount[QStringLiteral("value")].toDouble(), 12.5);
    EXPECT_EQ(amount[QStringLiteral("format")].toString(), QStringLiteral("0.000"));
    EXPECT_EQ(amount[QStringLiteral("align")].toString(), QStringLiteral("left"));
    EXPECT_DOUBLE_EQ(cellAt(sheet, "C4")[QStringLiteral("value")].toDouble(), 3.5);
    EXPECT_EQ(cellAt(sheet, "C4")[QStringLiteral("format")].toString(), QStringLiteral("0.0"));
    EXPECT_DOUBLE_EQ(cellAt(sheet, "B5")[QStringLiteral("value")].toDouble(), -7.25);
    EXPECT_EQ(cellAt(sheet, "C3")[QStringLiteral("format")].toString(), QStringLiteral("0"));
    EXPECT_EQ(cellAt(sheet, "A4")[QStringLiteral("value")].toString(), QStringLiteral("0012"));
    EXPECT_EQ(cellAt(sheet, "C5")[QStringLiteral("value")].toString(), QStringLiteral("1,2,3"));

    // Row 2's cells fill B and C beside the code's row span. Where a cell
    // meets the thick code cell, the edge is the thicker line (Excel's medium,
    // 0.5 mm) on both sides. (openpyxl rewrites the borders of merged cells
    // as it reads them, so those are not asked here.)
    EXPECT_EQ(cellAt(sheet, "B3")[QStringLiteral("value")].toString(), QStringLiteral("Б"));
    EXPECT_EQ(cellAt(sheet, "A2")[QStringLiteral("rotation")].toInt(), 90);
    const QJsonObject name = cellAt(sheet, "B2");
    EXPECT_EQ(strings(name[QStringLiteral("borders")]),
              (QStringList{QStringLiteral("medium"), QStringLiteral("thin"), QStringLiteral("thin"),
                           QStringLiteral("thin")}));
    EXPECT_EQ(strings(cellAt(sheet, "B3")[QStringLiteral("borders")]).first(),
              QStringLiteral("medium"));
    EXPECT_EQ(strings(cellAt(sheet, "A4")[QStringLiteral("borders")]),
              (QStringList{QStringLiteral("thin"), QStringLiteral("medium"), QStringLiteral("thin"),
                           QStringLiteral("thin")}));
    // Row 5's cells have no borders but row 4's bottom edge is theirs too.
    EXPECT_EQ(strings(cellAt(sheet, "B5")[QStringLiteral("borders")]),
              (QStringList{QString(), QStringLiteral("thin"), QString(), QString()}));
    const QJsonObject nameFont = name[QStringLiteral("font")].toObject();
    EXPECT_EQ(nameFont[QStringLiteral("name")].toString(), QStringLiteral("Arial"));
    EXPECT_TRUE(nameFont[QStringLiteral("italic")].toBool());
    EXPECT_EQ(nameFont[QStringLiteral("underline")].toString(), QStringLiteral("single"));
    EXPECT_TRUE(name[QStringLiteral("wrap")].toBool());
    EXPECT_EQ(cellAt(sheet, "A5")[QStringLiteral("valign")].toString(), QStringLiteral("top"));

    // Columns to the pixel of 96 dpi (Excel's width counts 7-pixel digits);
    // rows in points, the wrapped text's row grown as in print.
    const QJsonObject widths = sheet[QStringLiteral("widths")].toObject();
    for (const auto& [column, mm] : {std::pair{"A", 30.0}, {"B", 50.0}, {"C", 20.0}})
        EXPECT_NEAR(widths[QString::fromLatin1(column)].toDouble() * 7 / 96 * 25.4, mm, 0.3)
            << column;
    const QJsonObject heights = sheet[QStringLiteral("heights")].toObject();
    EXPECT_NEAR(heights[QStringLiteral("1")].toDouble(), 12 * 72 / 25.4, 0.01);
    EXPECT_NEAR(heights[QStringLiteral("2")].toDouble(), 9 * 72 / 25.4, 0.01);
    EXPECT_GT(heights[QStringLiteral("5")].toDouble(), 2 * 5 * 72 / 25.4);

    EXPECT_EQ(sheet[QStringLiteral("paper")].toInt(), 8);
    EXPECT_EQ(sheet[QStringLiteral("orientation")].toString(), QStringLiteral("landscape"));
    // One page wide whatever width the spreadsheet measures; the scale stays
    // for a person who turns fitting off.
    EXPECT_EQ(sheet[QStringLiteral("fit")].toArray(), (QJsonArray{1, 0}));
    EXPECT_EQ(sheet[QStringLiteral("scale")].toInt(), 80);
    const QJsonArray margins = sheet[QStringLiteral("margins")].toArray();
    EXPECT_NEAR(millimetres(margins[0].toDouble()), 25, 0.01);
    EXPECT_NEAR(millimetres(margins[1].toDouble()), 10, 0.01);
    EXPECT_NEAR(millimetres(margins[2].toDouble()), 12, 0.01);
    // The body ends above the footer, which stands in the bottom margin.
    EXPECT_GT(millimetres(margins[3].toDouble()), 18 + 3);
    EXPECT_NEAR(millimetres(margins[4].toDouble()), 18, 0.01);
    const QJsonObject footer =
        sheet[QStringLiteral("footer")].toObject()[QStringLiteral("center")].toObject();
    EXPECT_EQ(footer[QStringLiteral("text")].toString(),
              QStringLiteral("ООО «Ромашка» && К: стр. &P из &N"));
    EXPECT_EQ(footer[QStringLiteral("font")].toString(), QStringLiteral("Times New Roman,Regular"));
    EXPECT_EQ(footer[QStringLiteral("size")].toInt(), 9);

    EXPECT_EQ(sheet[QStringLiteral("breaks")].toArray(), (QJsonArray{4}));
    EXPECT_EQ(sheet[QStringLiteral("print_titles")].toString(), QStringLiteral("$2:$3"));
    EXPECT_EQ(sheet[QStringLiteral("print_area")].toString(), QStringLiteral("$A$1:$C$5"));
}

TEST_F(ReportXlsxTest, PagesBreakWherePrintBreaksThem)
{
    // A heading repeated on every page, a page break flag after row 6, then
    // more rows than a page holds: print starts pages at both.
    QString body = QStringLiteral("<sheet name=\"Лист\"><columns><column width=\"100\"/></columns>"
                                  "<row height=\"8\" repeat=\"yes\"><cell>Шапка</cell></row>");
    for (int i = 2; i <= 80; ++i)
        body += QStringLiteral("<row height=\"9\"%1><cell>%2</cell></row>")
                    .arg(i == 6 ? QStringLiteral(" break=\"yes\"") : QString())
                    .arg(i);
    TPreparedReport report;
    report.sheets = readTvxText(body + QStringLiteral("</sheet>")).sheets;
    const std::vector<TLaidPage> pages = LayoutSheet(report.sheets[0], {});
    ASSERT_GE(pages.size(), 4u);
    // A break names the worksheet row above which it stands: the first row of
    // the page after its repeated heading, counted from 0.
    QJsonArray expected;
    for (std::size_t page = 1; page < pages.size(); ++page)
        expected.append(pages[page].rows.at(1) - 1);
    EXPECT_EQ(expected.first().toInt(), 6);

    SaveReportAsXlsx(report, path(QStringLiteral("pages.xlsx")));
    const QJsonObject sheet = readXlsx(path(QStringLiteral("pages.xlsx")))[QStringLiteral("sheets")]
                                  .toArray()
                                  .first()
                                  .toObject();
    EXPECT_EQ(sheet[QStringLiteral("breaks")].toArray(), expected);
}

TEST_F(ReportXlsxTest, FailureNamesTheFileAndLeavesFilesAsTheyWere)
{
    const QString missing = path(QStringLiteral("нет/отчёт.xlsx"));
    try {
        SaveReportAsXlsx(preparedReport(), missing);
        ADD_FAILURE() << "no error";
    } catch (const F2tpError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Не удается записать файл ") + missing);
    }

    // A text longer than Excel takes fails the workbook; the old file stays.
    const QString existing = path(QStringLiteral("отчёт.xlsx"));
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    TPreparedReport report = preparedReport();
    report.variables[QStringLiteral("ORG")] = QString(40000, QLatin1Char('x'));
    try {
        SaveReportAsXlsx(report, existing);
        ADD_FAILURE() << "no error";
    } catch (const F2tpError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Не удается записать файл ") + existing +
                                   QStringLiteral(": текст ячейки длиннее 32767 знаков"));
    }
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("отчёт.xlsx")});
}

TEST(XlsxNumberTest, WholeNumbersInTheProgramsFormBecomeNumbers)
{
    const QChar saved = FormatSettings::decimalSeparator();
    struct Case
    {
        QChar separator;
        const char* text;
        bool number;
        double value;
        int decimals;
    };
    const QChar comma(QLatin1Char(',')), point(QLatin1Char('.'));
    for (const Case& c : std::initializer_list<Case>{
             {comma, "12", true, 12, 0},
             {comma, "12,500", true, 12.5, 3},
             {comma, "12.500", true, 12.5, 3},
             {point, "12,500", false, 0, 0},
             {comma, "-7,25", true, -7.25, 2},
             {comma, "0", true, 0, 0},
             {comma, "-0", true, 0, 0},
             {comma, "0,005", true, 0.005, 3},
             {comma, "123456789012345", true, 123456789012345.0, 0},
             {comma, "0,00000000000000123456789012345", true, 1.23456789012345e-15, 29},
             {comma, "1234567890123456", false, 0, 0},
             {comma, "0012", false, 0, 0},
             {comma, "1,2,3", false, 0, 0},
             {comma, "12,", false, 0, 0},
             {comma, ",5", false, 0, 0},
             {comma, "1e5", false, 0, 0},
             {comma, " 12", false, 0, 0},
             {comma, "+12", false, 0, 0},
             {comma, "-", false, 0, 0},
             {comma, "", false, 0, 0},
             {comma, "101 а", false, 0, 0},
         }) {
        FormatSettings::setDecimalSeparator(c.separator);
        const auto number = XlsxNumberOf(QString::fromLatin1(c.text));
        ASSERT_EQ(number.has_value(), c.number) << c.text;
        if (!number)
            continue;
        EXPECT_DOUBLE_EQ(number->value, c.value) << c.text;
        EXPECT_EQ(std::signbit(number->value), c.value < 0) << c.text;
        EXPECT_EQ(number->decimals, c.decimals) << c.text;
    }
    FormatSettings::setDecimalSeparator(saved);
}

TEST(XlsxSheetNamesTest, NamesAreMadeValidAndUnique)
{
    const std::vector<QString> names =
        XlsxSheetNames({QStringLiteral("Протокол [контроля]: 2024/25?"), QString(),
                        QStringLiteral("'Итог'"), QStringLiteral("итог"), QStringLiteral("History"),
                        QStringLiteral("Очень длинное название листа отчёта за год"),
                        QStringLiteral("Очень длинное название листа отчёта за год")});
    EXPECT_EQ(names,
              (std::vector<QString>{QStringLiteral("Протокол _контроля__ 2024_25_"),
                                    QStringLiteral("Лист2"), QStringLiteral("Итог"),
                                    QStringLiteral("итог (2)"), QStringLiteral("History (2)"),
                                    QStringLiteral("Очень длинное название листа от"),
                                    QStringLiteral("Очень длинное название лист (2)")}));
}

TEST(XlsxFooterTest, FooterCodesCarryTheLookAndThePageNumbers)
{
    TvxPage page;
    EXPECT_EQ(XlsxFooter(page, {}), QString());
    page.footer = QStringLiteral("{PAGE}1 из {PAGES}, {ORG}");
    page.footerFont = {QStringLiteral("Arial"), 8.5, true, true, true};
    page.footerAlign = TvxAlign::Left;
    EXPECT_EQ(XlsxFooter(page, {{QStringLiteral("ORG"), QStringLiteral("A&B")}}),
              QStringLiteral("&L&9&\"Arial,Bold Italic\"&U&P1 из &N, A&&B"));
}

// The three templates of the form as the print jobs use them: every report
// variable placed once, the section 2 rows and columns where the supplement
// sheets expect them, a filled form printed to PDF as the golden text, and
// supplement blocks on pages of their own.
#include <gtest/gtest.h>

#include <set>

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "Cp1251.h"
#include "PrintTestSupport.h"
#include "RepProcExt.h"
#include "Report.h"
#include "ReportIntf.h"
#include "ReportPaint.h"

namespace {

struct FormVariant
{
    const char* file;
    int base;
    // The sheet columns of CA, C1, CB, C2, C4, C5 of a section 2 row; 0: none.
    std::array<int, 6> columns;
};

void PrintTo(const FormVariant& variant, std::ostream* out)
{
    *out << variant.file;
}

const FormVariant kVariants[] = {
    {"2TPV.TVX", 40, {1, 2, 4, 8, 12, 14}},
    {"2TPVst.TVX", 40, {1, 2, 4, 8, 12, 14}},
    {"2TP441.TVX", 43, {1, 3, 5, 12, 0, 0}},
};

QString key(int number)
{
    return QString::number(number);
}

// The report variables of the print jobs that a template places. No template
// prints the previous year's figures (C8 of section 1, C3 of section 2), and
// the order 441 form has no norm columns in section 2.
std::set<QString> placedVariables(const FormVariant& variant)
{
    std::set<QString> names{QStringLiteral("_Год"),   QStringLiteral("C100"),
                            QStringLiteral("C60"),    QStringLiteral("_ОКПО"),
                            QStringLiteral("_ИНН"),   QStringLiteral("_ОКВЭД"),
                            QStringLiteral("_ОКАТО"), QStringLiteral("_ОКОПФ"),
                            QStringLiteral("_ОКФС"),  QStringLiteral("_ФИОР")};
    for (int row = 101; row <= 109; ++row)
        for (int column : {2, 3, 4, 5, 6, 7, 9, 10})
            names.insert(QLatin1Char('_') + key(column) + QLatin1Char('_') + key(row));
    const bool norms = variant.columns[4] != 0;
    for (int row = 201; row <= 220; ++row)
        for (const char* column : {"1", "B", "2", "4", "5"})
            if (norms || (qstrcmp(column, "4") != 0 && qstrcmp(column, "5") != 0))
                names.insert(QStringLiteral("2_") + QLatin1String(column) + QLatin1Char('_') +
                             key(row));
    for (int row = 301; row <= 303; ++row)
        for (int column = 1; column <= 4; ++column)
            names.insert(key(row) + QLatin1Char('_') + key(column));
    for (int row = 401; row <= 406; ++row)
        for (const char* column : {"A", "B", "C", "1", "2", "3", "4", "5", "6"})
            names.insert(key(row) + QLatin1Char('_') + QLatin1String(column));
    for (int row = 501; row <= 505; ++row)
        for (int column : {3, 4})
            names.insert(key(row) + QLatin1Char('_') + key(column));
    return names;
}

// A filled form as the print job hands it over: texts with the user's
// decimal comma, "-" for zeros of section 1, "    X    " in its norm columns
// of the rows without norms, and fewer section 4 rows than the form shows.
std::vector<std::pair<QString, QString>> sampleValues()
{
    std::vector<std::pair<QString, QString>> values{
        {QStringLiteral("_Год"), QStringLiteral("за 2011 г.")},
        {QStringLiteral("C100"), QStringLiteral("ОАО \"Северный машиностроительный завод\"")},
        {QStringLiteral("C60"),
         QStringLiteral("164500, Архангельская обл., г. Северодвинск, ул. Заводская, 1")},
        {QStringLiteral("_ОКПО"), QStringLiteral("07501739")},
        {QStringLiteral("_ИНН"), QStringLiteral("2902059091")},
        {QStringLiteral("_ОКВЭД"), QStringLiteral("35.11.1")},
        {QStringLiteral("_ОКАТО"), QStringLiteral("11430000000")},
        {QStringLiteral("_ОКОПФ"), QStringLiteral("47")},
        {QStringLiteral("_ОКФС"), QStringLiteral("41")},
        {QStringLiteral("_ФИОР"), QStringLiteral("Иванов И. И.")},
    };
    const auto set = [&values](const QString& name, const QString& value) {
        values.emplace_back(name, value);
    };
    const QStringList section1[] = {
        {QStringLiteral("101"), QStringLiteral("152,4"), QStringLiteral("148,2"),
         QStringLiteral("611,75"), QStringLiteral("598,31"), QStringLiteral("12,5"),
         QStringLiteral("165,84")},
        {QStringLiteral("102"), QStringLiteral("20,1"), QStringLiteral("18,9"),
         QStringLiteral("580,2"), QStringLiteral("575,5"), QStringLiteral("12,5"),
         QStringLiteral("24,8")},
        {QStringLiteral("103"), QStringLiteral("132,3"), QStringLiteral("129,3"),
         QStringLiteral("31,55"), QStringLiteral("22,81"), QStringLiteral("-"),
         QStringLiteral("141,04")},
        {QStringLiteral("104"), QStringLiteral("45,012"), QStringLiteral("45,012"),
         QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("45,012")},
        {QStringLiteral("105"), QStringLiteral("60,3"), QStringLiteral("58,1"),
         QStringLiteral("31,55"), QStringLiteral("22,81"), QStringLiteral("-"),
         QStringLiteral("69,04")},
        {QStringLiteral("106"), QStringLiteral("21,788"), QStringLiteral("21,788"),
         QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("21,788")},
        {QStringLiteral("107"), QStringLiteral("1,2"), QStringLiteral("1,2"), QStringLiteral("-"),
         QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("1,2")},
        {QStringLiteral("108"), QStringLiteral("3,5"), QStringLiteral("3,2"), QStringLiteral("-"),
         QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("3,5")},
        {QStringLiteral("109"), QStringLiteral("0,5"), QStringLiteral("-"), QStringLiteral("-"),
         QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("0,5")},
    };
    for (const QStringList& row : section1) {
        for (int column = 2; column <= 7; ++column)
            set(QLatin1Char('_') + key(column) + QLatin1Char('_') + row[0], row[column - 1]);
        const bool norms = row[0] >= QLatin1String("104") && row[0] <= QLatin1String("106");
        set(QStringLiteral("_9_") + row[0],
            norms ? QStringLiteral("50,5") : QStringLiteral("    X    "));
        set(QStringLiteral("_10_") + row[0],
            norms ? QStringLiteral("-") : QStringLiteral("    X    "));
    }
    const QStringList section2[] = {
        {QStringLiteral("201"), QStringLiteral("703"), QStringLiteral("Бенз(а)пирен"),
         QStringLiteral("0,000012"), QStringLiteral("0,00002"), QString()},
        {QStringLiteral("202"), QStringLiteral("322"), QStringLiteral("Серная кислота"),
         QStringLiteral("0,214"), QStringLiteral("0,3"), QString()},
        {QStringLiteral("203"), QStringLiteral("410"), QStringLiteral("Метан"),
         QStringLiteral("0,5"), QStringLiteral("0,6"), QString()},
        {QStringLiteral("204"), QStringLiteral("2908"),
         QStringLiteral("Пыль неорганическая: 70-20% двуокиси кремния"), QStringLiteral("18,9"),
         QStringLiteral("20"), QStringLiteral("1,2")},
    };
    for (const QStringList& row : section2) {
        set(QStringLiteral("2_1_") + row[0], row[1]);
        set(QStringLiteral("2_B_") + row[0], row[2]);
        set(QStringLiteral("2_2_") + row[0], row[3]);
        set(QStringLiteral("2_4_") + row[0], row[4]);
        set(QStringLiteral("2_5_") + row[0], row[5]);
    }
    set(QStringLiteral("301_1"), QStringLiteral("42"));
    set(QStringLiteral("301_2"), QStringLiteral("35"));
    set(QStringLiteral("301_3"), QStringLiteral("170,3"));
    set(QStringLiteral("301_4"), QStringLiteral("165,84"));
    set(QStringLiteral("401_A"), QStringLiteral("401"));
    set(QStringLiteral("401_B"), QStringLiteral("Котельная, котел N 2"));
    set(QStringLiteral("401_C"), QStringLiteral("Замена золоуловителя на батарейный циклон"));
    set(QStringLiteral("401_1"), QStringLiteral("2"));
    set(QStringLiteral("401_2"), QStringLiteral("1"));
    set(QStringLiteral("401_3"), QStringLiteral("1250"));
    set(QStringLiteral("401_5"), QStringLiteral("-3,5"));
    set(QStringLiteral("401_6"), QStringLiteral("-3,1"));
    set(QStringLiteral("501_3"), QStringLiteral("15,6"));
    set(QStringLiteral("501_4"), QStringLiteral("9,2"));
    set(QStringLiteral("504_3"), QStringLiteral("20,1"));
    set(QStringLiteral("504_4"), QStringLiteral("1,688"));
    return values;
}

class FormTemplatesTest : public ::testing::TestWithParam<FormVariant>
{
protected:
    void SetUp() override
    {
        LoadReportEngine();
        CreateReportIntf(report.put(), 0);
        ASSERT_TRUE(report);
    }

    void load(bool filled)
    {
        if (filled)
            for (const auto& [name, value] : sampleValues())
                report->SetVariable(Cp1251::encode(name).constData(),
                                    Cp1251::encode(value).constData());
        const QString path = QStringLiteral(F2TP_TEMPLATES "/") + QLatin1String(GetParam().file);
        report->LoadTemplate(path, -1);
        report->GetSheet(0, sheet.put());
        ASSERT_TRUE(sheet);
    }

    QString text(int column, int row)
    {
        return Cp1251::decode(QByteArray(sheet->GetCellText(column, row)));
    }

    void setText(int column, int row, const QString& value)
    {
        sheet->SetCellText(column, row, Cp1251::encode(value).constData());
    }

    // One supplement block as the print job appends it, filled with the
    // rows from `first` on while there are any of `count`; gives the next.
    int appendSupplement(int first, int count)
    {
        const int base = GetParam().base;
        const QString title = text(1, base) + QStringLiteral(" (дополнение)");
        sheet->CopyRow(-1, base);
        setText(1, -1, title);
        sheet->SetRowValue(-1, sheet->GetRowValue(base - 2));
        for (int row = base + 1; row <= base + 4; ++row)
            sheet->CopyRow(-1, row);
        const int firstRow = sheet->CopyRow(-1, base + 5);
        for (int i = 1; i < 30; ++i)
            sheet->CopyRow(-1, base + 5);
        sheet->CopyRow(-1, base + 25);
        sheet->SetRowFlag(sheet->CopyRow(-1, base + 26), true);
        for (int i = 0; i < 30; ++i, ++first) {
            const int number = 221 + first;
            const bool filled = first < count;
            const std::array<QString, 6> values{
                filled ? key(number) : QString(),
                filled ? key(5000 + first) : QString(),
                filled ? QStringLiteral("Вещество %1").arg(first) : QString(),
                filled ? QStringLiteral("0,%1").arg(first + 1) : QString(),
                filled ? QStringLiteral("1,%1").arg(first + 1) : QString(),
                filled ? QStringLiteral("2,%1").arg(first + 1) : QString()};
            for (std::size_t c = 0; c < values.size(); ++c)
                if (GetParam().columns[c] != 0)
                    setText(GetParam().columns[c], firstRow + i, values[c]);
        }
        sheet->Refresh();
        return first;
    }

    TReport& engine() { return *static_cast<TReport*>(report.get()); }

    TRepRef<IRepReport> report;
    TRepRef<IRepSheet> sheet;
};

std::set<QString> variablesInTemplate(const std::vector<TvxSheet>& sheets)
{
    static const QRegularExpression variable(QStringLiteral("\\{([^{}]+)\\}"));
    std::set<QString> names;
    for (const TvxSheet& sheet : sheets)
        for (const TvxRow& row : sheet.rows)
            for (const TvxCell& cell : row.cells)
                for (const QRegularExpressionMatch& match : variable.globalMatch(cell.text))
                    names.insert(match.captured(1));
    return names;
}

} // namespace

TEST_P(FormTemplatesTest, PlacesExactlyTheReportVariables)
{
    load(false);
    const std::set<QString> expected = placedVariables(GetParam());
    const std::set<QString> placed = variablesInTemplate(engine().sheets());
    std::vector<QString> missing, unknown;
    std::set_difference(expected.begin(), expected.end(), placed.begin(), placed.end(),
                        std::back_inserter(missing));
    std::set_difference(placed.begin(), placed.end(), expected.begin(), expected.end(),
                        std::back_inserter(unknown));
    EXPECT_TRUE(missing.empty()) << "missing " << missing.size() << ", first "
                                 << (missing.empty() ? "" : missing.front().toStdString());
    EXPECT_TRUE(unknown.empty()) << "unknown " << unknown.size() << ", first "
                                 << (unknown.empty() ? "" : unknown.front().toStdString());
}

TEST_P(FormTemplatesTest, HoldsSection2AtTheRowsAndColumnsOfTheSupplements)
{
    load(false);
    const int base = GetParam().base;
    const auto& columns = GetParam().columns;
    EXPECT_EQ(text(1, base),
              QStringLiteral("Раздел 2. Выброс в атмосферу специфических загрязняющих веществ"));
    EXPECT_GT(sheet->GetRowValue(base - 2), 500);
    // Rows 201 to 220 fill base + 5 to base + 24, row 201 being the model.
    for (int number = 201; number <= 220; ++number) {
        const int row = base + 5 + number - 201;
        EXPECT_EQ(text(columns[0], row), key(number));
        EXPECT_EQ(text(columns[1], row), QStringLiteral("{2_1_%1}").arg(number));
        EXPECT_EQ(text(columns[2], row), QStringLiteral("{2_B_%1}").arg(number));
        EXPECT_EQ(text(columns[3], row), QStringLiteral("{2_2_%1}").arg(number));
        if (columns[4] != 0) {
            EXPECT_EQ(text(columns[4], row), QStringLiteral("{2_4_%1}").arg(number));
            EXPECT_EQ(text(columns[5], row), QStringLiteral("{2_5_%1}").arg(number));
        }
    }
    // A copy of the model row shows nothing of row 201 once its columns are written.
    const TvxRow& model = engine().sheets()[0].rows[std::size_t(base + 4)];
    for (std::size_t c = 0; c < model.cells.size(); ++c) {
        const bool written = std::find(columns.begin(), columns.end(), int(c + 1)) != columns.end();
        EXPECT_TRUE(written || model.cells[c].text.isEmpty()) << "column " << c + 1;
    }
    EXPECT_TRUE(text(1, base + 25).startsWith(QStringLiteral("1) В разделе отражаются")));
    // The first sheet ends with section 2, so supplements follow it on a new page.
    EXPECT_EQ(int(engine().sheets()[0].rows.size()), base + 26);
    EXPECT_TRUE(engine().sheets()[0].rows.back().pageBreak);
}

TEST_P(FormTemplatesTest, PrintsTheFilledFormAsTheGoldenText)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    load(true);
    report->Prepare();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("form.pdf"));
    WritePdf(engine().pages(), pdf, QStringLiteral("Форма"));
    const QString text = runTool(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const QString golden = QStringLiteral(F2TP_PRINT_TEST_DATA "/") +
                           QLatin1String(GetParam().file) + QStringLiteral(".txt");
    if (qEnvironmentVariableIsSet("F2TP_WRITE_GOLDEN")) {
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text.toUtf8());
        QFile::copy(pdf, qEnvironmentVariable("F2TP_WRITE_GOLDEN") + QLatin1Char('/') +
                             QLatin1String(GetParam().file) + QStringLiteral(".pdf"));
    }
    QFile file(golden);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << golden.toStdString();
    EXPECT_EQ(text.toStdString(), QString::fromUtf8(file.readAll()).toStdString());
}

TEST_P(FormTemplatesTest, PrintsEachSupplementBlockOnPagesOfItsOwn)
{
    load(true);
    const int templateRows = int(engine().sheets()[0].rows.size());
    // 31 further pollutants: a full block and one with a single row.
    int next = appendSupplement(0, 31);
    const int secondBlock = int(engine().sheets()[0].rows.size()) + 1;
    next = appendSupplement(next, 31);
    EXPECT_EQ(next, 60);
    // The title page, section 1, section 2, then one page per block.
    const std::vector<TLaidPage> pages = LayoutSheet(engine().sheets()[0], engine().variables());
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(pages[2].rows.front(), GetParam().base);
    EXPECT_EQ(pages[3].rows.front(), templateRows + 1);
    EXPECT_EQ(pages[4].rows.front(), secondBlock);
    const QString title = QStringLiteral(
        "Раздел 2. Выброс в атмосферу специфических загрязняющих веществ (дополнение)");
    for (const TLaidPage& page : {pages[3], pages[4]})
        EXPECT_TRUE(pageTexts(page).join(QLatin1Char(' ')).contains(title));
    const QStringList first = pageTexts(pages[3]);
    EXPECT_TRUE(first.contains(QStringLiteral("Вещество 0")));
    EXPECT_TRUE(first.contains(QStringLiteral("Вещество 29")));
    // The second block lists the 31st pollutant and nothing of the first sheet's rows.
    const QStringList second = pageTexts(pages[4]);
    EXPECT_TRUE(second.contains(QStringLiteral("Вещество 30")));
    EXPECT_TRUE(second.contains(QStringLiteral("251")));
    EXPECT_FALSE(second.contains(QStringLiteral("Вещество 31")));
    EXPECT_FALSE(second.contains(QStringLiteral("Бенз(а)пирен")));
    EXPECT_FALSE(second.contains(QStringLiteral("0,000012")));
}

INSTANTIATE_TEST_SUITE_P(Variants, FormTemplatesTest, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<FormVariant>& variant) {
                             return std::string(variant.index == 0   ? "Plain"
                                                : variant.index == 1 ? "Statistics"
                                                                     : "Order441");
                         });

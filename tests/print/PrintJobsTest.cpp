// The print jobs: the report variables from the card and the sections, the
// keys of section 2 and the supplement blocks for the pollutants the form
// has no rows for, and the print command around the job.
#include <QFile>

#include "CheckForm.h"
#include "FormatSettings.h"
#include "PrintJobTestSupport.h"
#include "RepProcExt.h"
#include "ozField.h"

namespace {

// The test templates: 66 rows, section 2 titled at row 40 (43 for order 441).
constexpr int kTemplateRows = 66;
// A block: title, four header rows, 30 data rows, the two closing rows.
constexpr int kBlockRows = 37;
constexpr int kFirstDataRow = kTemplateRows + 6;

QStringList texts(std::initializer_list<const char*> utf8)
{
    QStringList result;
    for (const char* text : utf8)
        result.append(QString::fromUtf8(text));
    return result;
}

QStringList cardNames()
{
    return texts(
        {"_Год", "C100", "C60", "_ОКПО", "_ИНН", "_ОКВЭД", "_ОКАТО", "_ОКОПФ", "_ОКФС", "_ФИОР"});
}

class PrintJobsTest : public PrintJobTest
{
};

} // namespace

TEST_F(PrintJobsTest, VariablesOfAFilledReportInTheirOrder)
{
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    dm->setCurrentYear(2011);
    setNumber(1, 104, "C2", 1.5);
    enter(4, 402, "CB", QStringLiteral("Цех 2"));
    const VariableRecorder vars = fill();
    const QStringList names = vars.names();
    ASSERT_GE(names.size(), 10);
    EXPECT_EQ(names.mid(0, 10), cardNames());
    EXPECT_EQ(vars.set[0].second, QStringLiteral("за 2011 г."));
    EXPECT_EQ(vars.value(QStringLiteral("C100")), QStringLiteral("Завод"));
    EXPECT_EQ(vars.value(QStringLiteral("_ОКАТО")), QStringLiteral("45286"));
    EXPECT_EQ(vars.value(QStringLiteral("_ФИОР")), QString());
    // Section 1 row by row, "_2_" first; then sections 2 to 5.
    EXPECT_EQ(names.mid(10, 10), texts({"_2_101", "_3_101", "_4_101", "_5_101", "_6_101", "_7_101",
                                        "_8_101", "_9_101", "_10_101", "_2_102"}));
    EXPECT_EQ(names.indexOf(QStringLiteral("2_1_201")), 10 + 9 * 9);
    EXPECT_EQ(names.size(), 10 + 9 * 9 + 3 * 6 + 3 * 4 + 5 * 9 + 5 * 2);
    EXPECT_EQ(names.last(), QStringLiteral("505_4"));
    // Edit texts: the locale's separator, "-" for an empty section 1 value,
    // "    X    " for the norms of a row without them, empty elsewhere.
    EXPECT_EQ(vars.value(QStringLiteral("_2_104")), QStringLiteral("1,5"));
    EXPECT_EQ(vars.value(QStringLiteral("_2_101")), QStringLiteral("11,5"));
    EXPECT_EQ(vars.value(QStringLiteral("_3_104")), QStringLiteral("-"));
    EXPECT_EQ(vars.value(QStringLiteral("_9_102")), QStringLiteral("    X    "));
    EXPECT_EQ(vars.value(QStringLiteral("2_1_201")), QStringLiteral("703"));
    EXPECT_EQ(vars.value(QStringLiteral("2_2_201")), QStringLiteral("10"));
    EXPECT_EQ(vars.value(QStringLiteral("2_2_202")), QString());
    EXPECT_EQ(vars.value(QStringLiteral("301_4")), QStringLiteral("10"));
    EXPECT_EQ(vars.value(QStringLiteral("402_A")), QStringLiteral("402"));
    EXPECT_EQ(vars.value(QStringLiteral("402_B")), QStringLiteral("Цех 2"));
    EXPECT_EQ(vars.value(QStringLiteral("501_3")), QStringLiteral("10"));
    // The sections are left on their first rows.
    for (int s : {1, 3, 4, 5})
        EXPECT_EQ(section(s).fieldByName(QStringLiteral("CA")).asInteger(), s * 100 + 1);
}

TEST_F(PrintJobsTest, SeventeenOtherPollutantsFillTheFormWithoutSupplement)
{
    addOtherPollutants(17);
    const VariableRecorder vars = fill();
    EXPECT_EQ(vars.value(QStringLiteral("2_1_220")), QStringLiteral("1017"));
    EXPECT_EQ(vars.value(QStringLiteral("2_2_204")), QStringLiteral("1"));
    EXPECT_TRUE(vars.value(QStringLiteral("2_1_221")).isNull());
    jobs->RunPrintJob(TPrintVariant::Form);
    ASSERT_EQ(presenter.reports.size(), 1u);
    EXPECT_EQ(shownSheet().rows.size(), std::size_t(kTemplateRows));
    // Without supplements section 2 stays on its last row.
    EXPECT_EQ(section(2).fieldByName(QStringLiteral("C1")).asInteger(), 1017);
}

TEST_F(PrintJobsTest, EighteenthPollutantStartsTheSupplement)
{
    addOtherPollutants(18);
    const VariableRecorder vars = fill();
    EXPECT_TRUE(vars.value(QStringLiteral("2_1_221")).isNull());
    EXPECT_EQ(vars.count(QStringLiteral("2_1_220")), 1);
    // The overflowing row stays current for the supplement.
    EXPECT_EQ(section(2).fieldByName(QStringLiteral("C1")).asInteger(), 1018);

    jobs->RunPrintJob(TPrintVariant::Form);
    ASSERT_EQ(presenter.reports.size(), 1u);
    const TvxSheet& sheet = shownSheet();
    ASSERT_EQ(sheet.rows.size(), std::size_t(kTemplateRows + kBlockRows));
    const int title = kTemplateRows + 1;
    EXPECT_EQ(sheetRow(title).at(0),
              QStringLiteral("Раздел 2. Выброс специфических ЗВ (дополнение)"));
    EXPECT_DOUBLE_EQ(sheet.rows[std::size_t(title - 1)].height, sheet.rows[37].height);
    EXPECT_EQ(sheetRow(title + 1).at(0), QStringLiteral("Шапка 1"));
    const QStringList first = sheetRow(kFirstDataRow);
    EXPECT_EQ(first.at(0), QStringLiteral("221"));
    EXPECT_EQ(first.at(1), QStringLiteral("1018"));
    EXPECT_EQ(first.at(3), QString());
    EXPECT_EQ(first.at(7), QStringLiteral("18"));
    // The other 29 rows of the block are emptied at every column of the variant.
    const QStringList emptied = sheetRow(kFirstDataRow + 1);
    for (int column : {1, 2, 4, 8, 12, 14})
        EXPECT_EQ(emptied.at(column - 1), QString()) << column;
    EXPECT_TRUE(sheet.rows.back().pageBreak);
    EXPECT_EQ(sheetRow(kTemplateRows + kBlockRows - 1).at(0), QStringLiteral("Итого по разделу 2"));
    // After supplements section 2 is on its first row.
    EXPECT_EQ(section(2).fieldByName(QStringLiteral("CA")).asInteger(), 201);
}

TEST_F(PrintJobsTest, ThirtyOneRemainingRowsMakeTwoBlocks)
{
    addOtherPollutants(17 + 31);
    jobs->RunPrintJob(TPrintVariant::Form);
    ASSERT_EQ(presenter.reports.size(), 1u);
    const TvxSheet& sheet = shownSheet();
    ASSERT_EQ(sheet.rows.size(), std::size_t(kTemplateRows + 2 * kBlockRows));
    EXPECT_EQ(sheetRow(kFirstDataRow + 29).at(1), QStringLiteral("1047"));
    const int second = kFirstDataRow + kBlockRows;
    EXPECT_EQ(sheetRow(second).at(1), QStringLiteral("1048"));
    EXPECT_EQ(sheetRow(second).at(7), QStringLiteral("48"));
    for (int row = second + 1; row < second + 30; ++row)
        EXPECT_EQ(sheetRow(row).at(1), QString()) << row;
    EXPECT_TRUE(sheet.rows[std::size_t(kTemplateRows + kBlockRows - 1)].pageBreak);
    EXPECT_FALSE(sheet.rows[std::size_t(kTemplateRows + kBlockRows)].pageBreak);
}

TEST_F(PrintJobsTest, OrderFourFortyOneUsesItsBaseRowAndColumns)
{
    addOtherPollutants(18);
    jobs->RunPrintJob(TPrintVariant::Order441);
    ASSERT_EQ(presenter.reports.size(), 1u);
    const int rows = 69;
    ASSERT_EQ(shownSheet().rows.size(), std::size_t(rows + kBlockRows));
    EXPECT_EQ(sheetRow(rows + 1).at(0), QStringLiteral("Раздел 2 (приказ 441) (дополнение)"));
    const QStringList first = sheetRow(rows + 6);
    EXPECT_EQ(first.at(0), QStringLiteral("221"));
    EXPECT_EQ(first.at(2), QStringLiteral("1018"));
    EXPECT_EQ(first.at(11), QStringLiteral("18"));
    EXPECT_EQ(first.size(), 12);
}

TEST_F(PrintJobsTest, RepeatedFixedCodeAndEmptySection)
{
    addPollutant(204, 703, 7);
    VariableRecorder vars = fill();
    EXPECT_EQ(vars.count(QStringLiteral("2_2_201")), 2);
    EXPECT_EQ(vars.value(QStringLiteral("2_2_201")), QStringLiteral("7"));
    EXPECT_TRUE(vars.value(QStringLiteral("2_1_204")).isNull());

    dm->R2Table().ClearRecords();
    dm->R2Table().first();
    vars = fill();
    for (const QString& name : vars.names())
        EXPECT_FALSE(name.startsWith(QStringLiteral("2_"))) << name.toStdString();
    jobs->RunPrintJob(TPrintVariant::Form);
    ASSERT_EQ(presenter.reports.size(), 1u);
    EXPECT_EQ(shownSheet().rows.size(), std::size_t(kTemplateRows));
}

TEST_F(PrintJobsTest, SevenMeasuresGetKeys401To407)
{
    std::vector<QStringList> measures;
    for (int row = 401; row <= 407; ++row)
        measures.push_back({QString::number(row)});
    folder->writeData(QStringLiteral("F2TPR4.xml"),
                      dataPacket({QStringLiteral("CA:i2")}, measures));
    load();
    jobs = std::make_unique<TPrintJobs>(*dm);
    const VariableRecorder vars = fill();
    EXPECT_EQ(vars.value(QStringLiteral("407_A")), QStringLiteral("407"));
    EXPECT_TRUE(vars.value(QStringLiteral("408_A")).isNull());
}

TEST_F(PrintJobsTest, CommandChecksSavesAndShowsUnderTheWaitMessage)
{
    EXPECT_EQ(jobs->PrintCommand(TPrintVariant::Form), TPrintOutcome::Done);
    ASSERT_EQ(presenter.reports.size(), 1u);
    EXPECT_EQ(presenter.reports[0].title, QStringLiteral("Форма 2-тп (воздух)"));
    EXPECT_EQ(waitCalls(), (QStringList{QStringLiteral("wait: Подождите, идет обработка данных..."),
                                        QStringLiteral("wait hidden")}));
    EXPECT_TRUE(folder->hasData(QStringLiteral("F2TPR1.xml")));
    EXPECT_FALSE(presenter.reports[0].pages.empty());
    for (int s = 1; s <= 5; ++s)
        EXPECT_FALSE(section(s).controlsDisabled());
}

TEST_F(PrintJobsTest, FailedCheckShowsWarningAndProtocolAndPrintsNothing)
{
    QFile::copy(QStringLiteral(F2TP_TEMPLATES "/Contr2TPV.tvx"),
                folder->path() + QStringLiteral("шаблоны/Contr2TPV.tvx"));
    setNumber(3, 301, "C4", 3);
    const QString message = checkMessage();
    ASSERT_FALSE(message.isEmpty());
    forgetCalls();
    EXPECT_EQ(jobs->PrintCommand(TPrintVariant::Order441), TPrintOutcome::FormFailed);
    EXPECT_EQ(warnings(), QStringList{QStringLiteral("Ошибка заполнения формы: ") + message});
    // Only the protocol was shown.
    ASSERT_EQ(presenter.reports.size(), 1u);
    EXPECT_NE(presenter.reports[0].title, QStringLiteral("Форма 2-тп (воздух) приказ №441"));
}

TEST_F(PrintJobsTest, WithoutEngineTheCommandStillChecksAndAsks)
{
    UnloadReportEngine();
    addPollutant(204, 304, 0);
    enter(2, 204, "C3", QStringLiteral("1"));
    EXPECT_EQ(jobs->PrintCommand(TPrintVariant::Statistics), TPrintOutcome::Cancelled);
    EXPECT_TRUE(ui->calls.contains(QStringLiteral("nitrogen oxide dialog")));
    EXPECT_TRUE(presenter.reports.empty());
    LoadReportEngine();
}

TEST_F(PrintJobsTest, MissingTemplateFailsAfterTheCleanUp)
{
    QFile::remove(folder->path() + QStringLiteral("шаблоны/2TPVst.TVX"));
    EXPECT_THROW(jobs->RunPrintJob(TPrintVariant::Statistics), F2tpError);
    EXPECT_TRUE(presenter.reports.empty());
    EXPECT_EQ(&jobs->source(2), &dm->R2Table());
    EXPECT_FALSE(ui->waitShown());
}

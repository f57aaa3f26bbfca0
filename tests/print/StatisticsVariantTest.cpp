// The statistics variant: the statistics copy of section 2, the nitrogen
// oxide dialog and the conversion into nitrogen dioxide, which is printed
// but never saved.
#include <QFile>

#include "Errors.h"
#include "FormatSettings.h"
#include "OwnPollutants.h"
#include "PrintJobTestSupport.h"
#include "ozField.h"

namespace {

struct StatRow
{
    int row;
    int code;
    double amount;
    bool operator==(const StatRow&) const = default;
};

std::ostream& operator<<(std::ostream& out, const StatRow& r)
{
    return out << r.row << '/' << r.code << '/' << r.amount;
}

class StatisticsVariantTest : public PrintJobTest
{
protected:
    std::vector<StatRow> statisticsCopy()
    {
        std::vector<StatRow> rows;
        TozMemoryData& copy = dm->R2TableStat();
        for (copy.first(); !copy.eof(); copy.next())
            rows.push_back({copy.fieldByName(QStringLiteral("CA")).asInteger(),
                            copy.fieldByName(QStringLiteral("C1")).asInteger(),
                            copy.fieldByName(QStringLiteral("C2")).asFloat()});
        return rows;
    }

    // A passing report with 2 t of nitrogen oxide in section 2 (1 t the year
    // before, 0.5 + 0.5 t of norms) and 10 t of it in row 106.
    void reportNitrogenOxide()
    {
        addPollutant(204, 304, 2);
        enter(2, 204, "C3", QStringLiteral("1"));
        setNumber(2, 204, "C4", 0.5);
        setNumber(2, 204, "C5", 0.5);
        setNumber(1, 106, "C2", 10);
        setNumber(1, 109, "C2", 2);
        setNumber(3, 301, "C1", 1);
        setNumber(3, 301, "C4", 22);
        setNumber(5, 504, "C3", 10);
        ASSERT_EQ(checkMessage(), QString());
    }

    // The user distributes the 2 t: all emitted without treatment, all from
    // fuel burnt for power, and confirms.
    void confirmDialog()
    {
        ui->nitrogenOxide = [](const TNitrogenOxideTables& tables) {
            tables.section1.edit();
            tables.section1.fieldByName(QStringLiteral("C2")).setText(QStringLiteral("2"));
            tables.section5.edit();
            tables.section5.fieldByName(QStringLiteral("C3")).setText(QStringLiteral("2"));
            tables.accept();
            return true;
        };
    }

    QString printed(const char* name) const
    {
        const TReportVariables& vars = presenter.reports.back().variables;
        const auto it = vars.find(QString::fromUtf8(name));
        return it == vars.end() ? QStringLiteral("<unset>") : it->second;
    }
};

} // namespace

TEST_F(StatisticsVariantTest, CopyListsMarkedPollutantsAndSumsTheOthers)
{
    TozMemoryData& pollutants = dm->SprKlzav();
    ASSERT_TRUE(pollutants.locate(QStringLiteral("KDZV"), 8888));
    pollutants.edit();
    pollutants.fieldByName(QStringLiteral("STAT")).setAsString(QStringLiteral("1"));
    pollutants.post();
    addPollutant(204, 123, 1);
    addPollutant(205, 456, 2);
    addPollutant(206, 999, 5); // not in the classifier: neither copied nor summed
    addPollutant(207, 8888, 3);
    addPollutant(208, 304, 4);
    jobs->PrepareStatistics();
    EXPECT_EQ(&jobs->source(2), &dm->R2TableStat());
    EXPECT_EQ(statisticsCopy(),
              (std::vector<StatRow>{{202, 322, 0}, {203, 410, 0}, {204, 123, 1}, {204, 8888, 15}}));
    EXPECT_TRUE(pollutants.filtered());

    // Every pollutant marked, or the others without amounts: no summary row.
    dm->R2Table().ClearRecords();
    addPollutant(201, 322, 1);
    addPollutant(202, 410, 1);
    jobs->PrepareStatistics();
    EXPECT_EQ(statisticsCopy(), (std::vector<StatRow>{{201, 322, 1}, {202, 410, 1}}));
    addPollutant(203, 703, 0);
    jobs->PrepareStatistics();
    EXPECT_EQ(statisticsCopy().size(), 2u);
}

TEST_F(StatisticsVariantTest, OwnPollutantsAreSummedUnlessMarkedAndPrintedWithTheirNames)
{
    TOwnPollutants own(*dm);
    own.Add(2868, QStringLiteral("Эмульсол"), false);
    own.Add(2869, QStringLiteral("Пыль абразивная"), true);
    addPollutant(204, 2868, 4);
    addPollutant(205, 2869, 2);
    addPollutant(206, 456, 1);
    jobs->PrepareStatistics();
    EXPECT_EQ(
        statisticsCopy(),
        (std::vector<StatRow>{{202, 322, 0}, {203, 410, 0}, {205, 2869, 2}, {204, 8888, 15}}));

    // The plain form names both.
    jobs->setSource(2, dm->R2Table());
    const VariableRecorder vars = fill();
    EXPECT_EQ(vars.value(QStringLiteral("2_B_204")), QStringLiteral("Эмульсол"));
    EXPECT_EQ(vars.value(QStringLiteral("2_B_205")), QStringLiteral("Пыль абразивная"));
}

TEST_F(StatisticsVariantTest, PrintShowsTheCopyAndTheFilesStayAsTheyWere)
{
    addPollutant(204, 304, 0);
    EXPECT_EQ(jobs->PrintCommand(TPrintVariant::Statistics), TPrintOutcome::Done);
    EXPECT_FALSE(ui->calls.contains(QStringLiteral("nitrogen oxide dialog")));
    ASSERT_EQ(presenter.reports.size(), 1u);
    // 703 is summed: 322 and 410 keep their rows, the summary is the next key.
    EXPECT_EQ(printed("2_1_201"), QStringLiteral("<unset>"));
    EXPECT_EQ(printed("2_1_202"), QStringLiteral("322"));
    EXPECT_EQ(printed("2_1_204"), QStringLiteral("8888"));
    EXPECT_EQ(printed("2_2_204"), QStringLiteral("10"));
    EXPECT_EQ(&jobs->source(2), &dm->R2Table());
    EXPECT_FALSE(jobs->NOxApplied());
}

TEST_F(StatisticsVariantTest, ConfirmedNitrogenOxideIsConvertedForThePrintOnly)
{
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    reportNitrogenOxide();
    confirmDialog();
    saveAll();
    const QByteArray section1File = folder->readData(QStringLiteral("F2TPR1.xml"));
    const QByteArray section3File = folder->readData(QStringLiteral("F2TPR3.xml"));
    const QByteArray section5File = folder->readData(QStringLiteral("F2TPR5.xml"));

    EXPECT_EQ(jobs->PrintCommand(TPrintVariant::Statistics), TPrintOutcome::Done);
    ASSERT_EQ(presenter.reports.size(), 1u);
    EXPECT_TRUE(jobs->NOxApplied());
    // Row 106: 10 + 1.53 × 2, entered as text, so the totals follow.
    EXPECT_EQ(printed("_2_106"), QStringLiteral("13,06"));
    EXPECT_EQ(printed("_2_103"), QStringLiteral("13,06"));
    EXPECT_EQ(printed("_2_101"), QStringLiteral("23,06"));
    EXPECT_EQ(printed("_8_106"), QStringLiteral("1,53"));
    // Row 109 gives up the oxide, never below 0.
    EXPECT_EQ(printed("_2_109"), QStringLiteral("-"));
    EXPECT_EQ(printed("_8_109"), QStringLiteral("-"));
    EXPECT_EQ(printed("301_4"), QStringLiteral("23,06"));
    EXPECT_EQ(printed("301_3"), QStringLiteral("0,53"));
    EXPECT_EQ(printed("504_3"), QStringLiteral("13,06"));

    // Nothing converted is kept or saved; the dialog's tables are.
    EXPECT_DOUBLE_EQ(value(1, 106, "C2"), 10);
    EXPECT_DOUBLE_EQ(value(3, 301, "C4"), 22);
    EXPECT_DOUBLE_EQ(value(5, 504, "C3"), 10);
    saveAll();
    EXPECT_EQ(folder->readData(QStringLiteral("F2TPR1.xml")), section1File);
    EXPECT_EQ(folder->readData(QStringLiteral("F2TPR3.xml")), section3File);
    EXPECT_EQ(folder->readData(QStringLiteral("F2TPR5.xml")), section5File);
    EXPECT_TRUE(folder->hasData(QStringLiteral("F2TPR1NO.xml")));
    EXPECT_TRUE(folder->hasData(QStringLiteral("F2TPR5NO.xml")));
    EXPECT_EQ(&jobs->source(2), &dm->R2Table());
}

TEST_F(StatisticsVariantTest, DialogIsPrefilledFromSection2)
{
    reportNitrogenOxide();
    double total = -1;
    double previous = -1;
    bool row301Editable = true;
    ui->nitrogenOxide = [&](const TNitrogenOxideTables& tables) {
        total = tables.section1.fieldByName(QStringLiteral("C7")).asFloat();
        previous = tables.section1.fieldByName(QStringLiteral("C8")).asFloat();
        row301Editable = tables.section3.CanEdit();
        tables.cancel();
        return false;
    };
    EXPECT_EQ(jobs->PrintCommand(TPrintVariant::Statistics), TPrintOutcome::Cancelled);
    EXPECT_DOUBLE_EQ(total, 2);
    EXPECT_DOUBLE_EQ(previous, 1);
    EXPECT_FALSE(row301Editable);
}

TEST_F(StatisticsVariantTest, CancelledDialogEndsSilentlyWithNothingWritten)
{
    reportNitrogenOxide();
    EXPECT_EQ(jobs->PrintCommand(TPrintVariant::Statistics), TPrintOutcome::Cancelled);
    EXPECT_TRUE(presenter.reports.empty());
    EXPECT_TRUE(ui->errors.isEmpty());
    EXPECT_TRUE(ui->applicationErrors.isEmpty());
    EXPECT_FALSE(folder->hasData(QStringLiteral("F2TPR1NO.xml")));
    EXPECT_FALSE(dm->NOR1Table().active());
    EXPECT_FALSE(jobs->NOxApplied());
}

TEST_F(StatisticsVariantTest, MissingFixedRowFailsAndRestoresTheSections)
{
    reportNitrogenOxide();
    folder->writeData(
        QStringLiteral("F2TPR3NO.xml"),
        dataPacket({QStringLiteral("CA:i2"), QStringLiteral("C3:r8"), QStringLiteral("C4:r8")},
                   {{QStringLiteral("301"), QString(), QString()}}));
    confirmDialog();
    try {
        jobs->PrintCommand(TPrintVariant::Statistics);
        ADD_FAILURE() << "no error";
    } catch (const F2tpError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Ошибка формирования данных по оксидам азота"));
    }
    EXPECT_TRUE(presenter.reports.empty());
    EXPECT_FALSE(ui->waitShown());
    EXPECT_EQ(&jobs->source(2), &dm->R2Table());
    EXPECT_DOUBLE_EQ(value(1, 106, "C2"), 10);
}

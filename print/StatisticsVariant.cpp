// The statistics variant: the nitrogen oxide dialog before the job, the
// statistics copy of section 2 and the conversion of nitrogen oxide into
// nitrogen dioxide inside it. The conversion lives only in memory: the job
// rereads sections 1, 3 and 5 from their files when it ends.
#include "PrintJobs.h"

#include <algorithm>
#include <array>

#include "Errors.h"
#include "FormatSettings.h"
#include "MDM.h"
#include "ObFunc.h"
#include "ReportFiles.h"
#include "SectionLayout.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

constexpr int kNitrogenOxide = 304;
// Nitrogen dioxide per tonne of nitrogen oxide.
constexpr double kDioxideFactor = 1.53;
constexpr int kSection3Rows[] = {301, 302, 303};
constexpr int kSection5Nitrogen = 504;

const char* const kAmountColumns[] = {"C2", "C3", "C4", "C5"};

QString conversionError()
{
    return QStringLiteral("Ошибка формирования данных по оксидам азота");
}

TField& fieldOf(TDataSet& table, const char* name)
{
    return table.fieldByName(QString::fromLatin1(name));
}

// Empty values, and a table without a row, count as 0.
double number(TDataSet& table, const char* name)
{
    if (!table.active() || (table.state() == TDataSetState::dsBrowse && table.isEmpty()))
        return 0;
    const TField& field = fieldOf(table, name);
    return field.isNull() ? 0 : field.asFloat();
}

void goToRow(TozMemoryData& table, int row)
{
    table.checkBrowseMode();
    if (!table.locate(QStringLiteral("CA"), row))
        throw F2tpError(conversionError());
}

// A permission switched on for the guard's lifetime.
class TInsertAllowed
{
public:
    explicit TInsertAllowed(TozMemoryData& table)
        : m_table(table)
    {
        m_table.setCanInsert(true);
    }
    ~TInsertAllowed() { m_table.setCanInsert(false); }
    Q_DISABLE_COPY_MOVE(TInsertAllowed)

private:
    TozMemoryData& m_table;
};

// Every pollutant visible in the classifier for the guard's lifetime.
class TUnfiltered
{
public:
    explicit TUnfiltered(TozMemoryData& table)
        : m_table(table)
    {
        m_table.setFiltered(false);
    }
    ~TUnfiltered()
    {
        try {
            m_table.setFiltered(true);
        } catch (...) {
        }
    }
    Q_DISABLE_COPY_MOVE(TUnfiltered)

private:
    TozMemoryData& m_table;
};

void prefillSection1(TozMemoryData& table, const std::array<double, 4>& amounts)
{
    TInsertAllowed allowed(table);
    table.edit();
    const char* const totals[] = {"C7", "C8", "C9", "C10"};
    for (std::size_t i = 0; i < amounts.size(); ++i)
        fieldOf(table, totals[i]).setAsFloat(amounts[i]);
    if (number(table, "C7") < number(table, "C2"))
        fieldOf(table, "C2").setAsFloat(number(table, "C7"));
    if (number(table, "C2") < number(table, "C3"))
        fieldOf(table, "C3").setAsFloat(number(table, "C2"));
    table.post();
}

void prefillSection3(TDM& dm, double permitted, double actual)
{
    TozMemoryData& table = dm.NOR3Table();
    const auto setRow301 = [&] {
        fieldOf(table, "C3").setAsFloat(permitted);
        fieldOf(table, "C4").setAsFloat(actual);
    };
    if (table.isEmpty()) {
        TInsertAllowed allowed(table);
        for (int row : kSection3Rows) {
            table.append();
            fieldOf(table, "CA").setAsInteger(row);
            if (row == kSection3Rows[0])
                setRow301();
            table.post();
        }
    } else {
        goToRow(table, kSection3Rows[0]);
        table.setCanEdit(true);
        table.edit();
        setRow301();
        table.post();
    }
    // The dialog starts on row 301, which the user cannot change.
    table.first();
    dm.NOR3TableAfterScroll(table);
}

} // namespace

void TPrintJobs::PrepareNitrogenOxide()
{
    m_noxApplied = false;
    TozMemoryData& section2 = m_dm.R2Table();
    if (!section2.active() || !section2.locate(QStringLiteral("C1"), kNitrogenOxide))
        return;
    std::array<double, 4> amounts{};
    for (std::size_t i = 0; i < amounts.size(); ++i)
        amounts[i] = number(section2, kAmountColumns[i]);
    if (!(amounts[0] > 0 || amounts[1] > 0))
        return;
    const TNitrogenOxideTables tables{m_dm.NOR1Table(), m_dm.NOR3Table(), m_dm.NOR5Table()};
    for (TozMemoryData* table : {&tables.section1, &tables.section3, &tables.section5})
        if (!table->active())
            table->open();
    prefillSection1(tables.section1, amounts);
    prefillSection3(m_dm, amounts[2] + amounts[3], amounts[0]);
    if (!userInterface().editNitrogenOxide(tables))
        throw EAbort();
    SaveReportTables(m_dm, {&tables.section1, &tables.section3, &tables.section5});
    m_noxApplied = true;
}

void TPrintJobs::PrepareStatistics()
{
    TozMemoryData& copy = m_dm.R2TableStat();
    copy.close();
    copy.open();
    copyStatisticsRows();
    setSource(2, copy);
    if (!m_noxApplied)
        return;
    convertSection1();
    convertSection3();
    convertSection5();
}

// The pollutants marked for statistics one by one in section 2 order, then
// one row with the sums of the others.
void TPrintJobs::copyStatisticsRows()
{
    TozMemoryData& section2 = m_dm.R2Table();
    TozMemoryData& copy = m_dm.R2TableStat();
    TozMemoryData& pollutants = m_dm.SprKlzav();
    if (!pollutants.active())
        pollutants.open();
    std::array<double, 4> sums{};
    {
        TControlsDisabler quiet(section2);
        TUnfiltered all(pollutants);
        for (section2.first(); !section2.eof(); section2.next()) {
            const int code = fieldOf(section2, "C1").asInteger();
            if (code == kNitrogenOxide || !pollutants.locate(QStringLiteral("KDZV"), code))
                continue;
            if (fieldOf(pollutants, "STAT").asString() == QLatin1String("1") &&
                code != SectionLayout::OtherPollutants) {
                copy.append();
                for (const char* name : {"CA", "C1", "C2", "C3", "C4", "C5"})
                    fieldOf(copy, name).setValue(fieldOf(section2, name).value());
                copy.post();
                continue;
            }
            for (std::size_t i = 0; i < sums.size(); ++i)
                sums[i] += number(section2, kAmountColumns[i]);
        }
    }
    if (std::none_of(sums.begin(), sums.end(), [](double sum) { return sum > 0; }))
        return;
    const int row = copy.recordCount() + SectionLayout::FirstRow(2);
    copy.append();
    fieldOf(copy, "CA").setAsInteger(row);
    fieldOf(copy, "C1").setAsInteger(SectionLayout::OtherPollutants);
    for (std::size_t i = 0; i < sums.size(); ++i)
        fieldOf(copy, kAmountColumns[i]).setAsFloat(sums[i]);
    copy.post();
}

// Row 106 gains 1.53 times the nitrogen oxide, row 109 gives it up, both as
// typed text, so the section's own rounding and totals apply.
void TPrintJobs::convertSection1()
{
    TozMemoryData& section1 = source(1);
    TozMemoryData& nitrogen = m_dm.NOR1Table();
    const QChar separator = FormatSettings::decimalSeparator();
    const auto enter = [&](const char* name, double value) {
        TField& field = fieldOf(section1, name);
        if (field.fieldKind() != TFieldKind::fkData)
            return;
        section1.edit();
        field.setText(FloatToText(value, separator));
    };
    goToRow(section1, SectionLayout::R1NitrogenOxides);
    for (const char* name : {"C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9", "C10"})
        enter(name, number(section1, name) + kDioxideFactor * number(nitrogen, name));
    goToRow(section1, SectionLayout::R1LastRow);
    for (const char* name : {"C2", "C3", "C4", "C5", "C6", "C7", "C8"})
        enter(name, std::max(0.0, number(section1, name) - number(nitrogen, name)));
    section1.checkBrowseMode();
}

void TPrintJobs::convertSection3()
{
    TozMemoryData& section3 = source(3);
    TozMemoryData& nitrogen = m_dm.NOR3Table();
    for (int row : kSection3Rows) {
        goToRow(section3, row);
        goToRow(nitrogen, row);
        section3.edit();
        for (const char* name : {"C3", "C4"}) {
            const double oxide = number(nitrogen, name);
            fieldOf(section3, name)
                .setAsFloat(number(section3, name) - oxide + kDioxideFactor * oxide);
        }
        section3.post();
    }
}

void TPrintJobs::convertSection5()
{
    TozMemoryData& section5 = source(5);
    TozMemoryData& nitrogen = m_dm.NOR5Table();
    goToRow(section5, kSection5Nitrogen);
    section5.edit();
    for (const char* name : {"C3", "C4"})
        fieldOf(section5, name)
            .setAsFloat(number(section5, name) + kDioxideFactor * number(nitrogen, name));
    section5.post();
}

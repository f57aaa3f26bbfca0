// Row rules of the sections: totals and permissions of section 1, numbering
// and use marks of section 2, the added row of section 4.
#include "MDM.h"

#include <cmath>
#include <deque>
#include <map>

#include "Errors.h"
#include "MDMGuard.h"
#include "ObFunc.h"
#include "SectionLayout.h"
#include "ozField.h"

using namespace SectionLayout;

namespace {

const QString kCA = QStringLiteral("CA");
const QString kC1 = QStringLiteral("C1");

bool isEditing(const TDataSet& dataSet)
{
    return dataSet.state() == TDataSetState::dsEdit || dataSet.state() == TDataSetState::dsInsert;
}

// Writes a total into the row of the given number, which is not editable by hand.
void writeTotal(TozMemoryData& table, TField& field, int row, double value)
{
    if (!table.locate(kCA, row))
        return;
    table.setCanEdit(true);
    table.edit();
    field.setAsFloat(value);
    table.post();
}

// The stored column of a field; fails as fieldByName does for an unknown one.
int storedColumn(const TozMemoryData& table, const QString& name)
{
    const QString field = table.fieldByName(name).fieldName();
    for (qsizetype i = 0; i < table.fieldDefs().size(); ++i)
        if (table.fieldDefs().at(i).name.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    table.databaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
}

} // namespace

void TDM::R1TableBeforeClose(TDataSet& dataSet)
{
    if (isEditing(dataSet))
        dataSet.post();
}

void TDM::UpdateSection1Totals(TField& field)
{
    auto* table = dynamic_cast<TozMemoryData*>(&field.dataSet());
    if (!table || table->controlsDisabled())
        return;
    TControlsDisabler disabler(*table);
    const TBookmark current = table->bookmark();
    runThenRestore(
        [&] {
            // Moving to the first row posts the value just entered.
            table->first();
            double part = 0;
            double sum = 0;
            // The rows are taken by number, so a section that lacks a row still
            // gets the right totals instead of writing them into another row.
            while (!table->eof()) {
                const int row = table->fieldByName(kCA).asInteger();
                const double value = RoundDecimals(field.asFloat(), 3);
                if (row == R1Solid)
                    part = value;
                else if (row >= R1FirstGas && row <= R1LastRow)
                    sum += value;
                table->next();
            }
            writeTotal(*table, field, R1Total, RoundDecimals(sum + part, 3));
            writeTotal(*table, field, R1GasAndLiquid, RoundDecimals(sum, 3));
        },
        [&] { table->gotoBookmark(current); });
}

namespace {

// A column of section 1 by row number: the stored values, the current row's
// from its record buffer.
std::map<int, double> section1Column(TozMemoryData& table, const QString& name)
{
    const QList<TFieldDef>& defs = table.fieldDefs();
    qsizetype rowSlot = -1;
    qsizetype valueSlot = -1;
    for (qsizetype i = 0; i < defs.size(); ++i) {
        if (defs.at(i).name == kCA)
            rowSlot = i;
        else if (defs.at(i).name == name)
            valueSlot = i;
    }
    std::map<int, double> values;
    if (rowSlot < 0 || valueSlot < 0)
        return values;
    for (int i = 0; i < table.recordCount(); ++i) {
        const TozMemoryRecord& record = table.record(i);
        values[record.value(int(rowSlot)).toInt()] = i == table.position()
                                                         ? table.fieldByName(name).asFloat()
                                                         : record.value(int(valueSlot)).toDouble();
    }
    return values;
}

} // namespace

void TDM::CheckSection1Value(TField& field, double value, const QString& typed)
{
    auto* table = dynamic_cast<TozMemoryData*>(&field.dataSet());
    if (!table || !table->active() || table->isEmpty())
        return;
    const int current = table->fieldByName(kCA).asInteger();
    const auto columnWithValue = [&](const QString& name) {
        std::map<int, double> column = section1Column(*table, name);
        if (name != field.fieldName())
            return column;
        column[current] = value;
        double gas = 0;
        for (int row = R1FirstGas; row <= R1LastRow; ++row)
            gas += column.count(row) ? column.at(row) : 0.0;
        column[R1GasAndLiquid] = gas;
        column[R1Total] = gas + (column.count(R1Solid) ? column.at(R1Solid) : 0.0);
        return column;
    };
    const std::map<int, double> c2 = columnWithValue(QStringLiteral("C2"));
    const std::map<int, double> c4 = columnWithValue(QStringLiteral("C4"));
    const std::map<int, double> c5 = columnWithValue(QStringLiteral("C5"));
    bool finite = std::isfinite(value);
    for (const auto& [row, total] : columnWithValue(field.fieldName()))
        finite = finite && std::isfinite(total);
    // Column 7 of every row: emitted = without cleaning + (cleaned - captured).
    for (const auto& [row, amount] : c2) {
        const double received = c4.count(row) ? c4.at(row) : 0.0;
        const double captured = c5.count(row) ? c5.at(row) : 0.0;
        finite = finite && std::isfinite(amount + (received - captured));
    }
    if (!finite)
        throw EDatabaseError(QStringLiteral("Слишком большое число %1: итоги раздела 1 вышли бы "
                                            "за пределы допустимых значений")
                                 .arg(typed));
    // The file holds fifteen significant digits; tonnes are kept to three decimals.
    const std::optional<double> held =
        TextToFloat(FloatToText(value, QLatin1Char('.')), QLatin1Char('.'));
    if (!held || std::fabs(*held - value) >= 0.0005)
        throw EDatabaseError(
            QStringLiteral("Число %1 не может быть сохранено с точностью до 0,001").arg(typed));
}

void TDM::R1TableAfterScroll(TDataSet& dataSet)
{
    const int row = dataSet.fieldByName(kCA).asInteger();
    const bool total = row == R1Total || row == R1GasAndLiquid;
    m_r1Table.setCanEdit(!total);
    if (total)
        return;
    // Rows 104 to 106 have norms; rows 102 and 107 to 109 show none. A row
    // without a number (one being appended while a file is read) changes nothing.
    bool readOnly = false;
    if (row == R1Solid || (row > R1LastNormed && row <= R1LastRow))
        readOnly = true;
    else if (row < R1FirstNormed || row > R1LastNormed)
        return;
    dataSet.fieldByName(QStringLiteral("C9")).setReadOnly(readOnly);
    dataSet.fieldByName(QStringLiteral("C10")).setReadOnly(readOnly);
}

void TDM::SprKlzavFilterRecord(TDataSet& dataSet, bool& accept)
{
    accept = dataSet.fieldByName(QStringLiteral("PRIZN")).asInteger() == 0;
}

void TDM::MarkPollutant(int code, int value)
{
    if (code <= 0 || !m_sprKlzav.active())
        return;
    if (!m_sprKlzav.locate(QStringLiteral("KDZV"), code))
        return;
    // The marks live in memory only: the table never counts as changed, so
    // no save can write the shipped classifier over with them.
    const bool changed = m_sprKlzav.changed();
    m_sprKlzav.edit();
    m_sprKlzav.fieldByName(QStringLiteral("PRIZN")).setAsInteger(value);
    m_sprKlzav.post();
    m_sprKlzav.setChanged(changed);
}

void TDM::MarkSection2Pollutants()
{
    TControlsDisabler disabler(m_r2Table);
    if (!m_sprKlzav.active()) {
        runThenRestore([&] { m_r2Table.first(); }, [&] { m_r2Table.first(); });
        return;
    }
    // Marking pollutant by pollutant under the filter would run the filter
    // over the classifier for every row. The filter hides exactly the marked
    // records, so each row takes the first record of its code still unmarked,
    // in list order, as the filtered search would find it.
    const bool wasFiltered = m_sprKlzav.filtered();
    m_sprKlzav.setFiltered(false);
    runThenRestore(
        [&] {
            // Neither table has scroll handlers, and section 2's computed
            // columns only repeat the report context and the name, so the
            // stored values read in list order are what walks would show.
            std::map<int, std::deque<TBookmark>> unmarked;
            const int code = storedColumn(m_sprKlzav, QStringLiteral("KDZV"));
            const int mark = storedColumn(m_sprKlzav, QStringLiteral("PRIZN"));
            for (int i = 0; i < m_sprKlzav.recordCount(); ++i) {
                const TozMemoryRecord& record = m_sprKlzav.record(i);
                if (record.value(mark).toInt() == 0)
                    unmarked[record.value(code).toInt()].push_back(record.ID());
            }
            const int rowCode = storedColumn(m_r2Table, kC1);
            TField& markField = m_sprKlzav.fieldByName(QStringLiteral("PRIZN"));
            for (int i = 0; i < m_r2Table.recordCount(); ++i) {
                const int pollutant = m_r2Table.record(i).value(rowCode).toInt();
                const auto it = unmarked.find(pollutant);
                if (pollutant <= 0 || it == unmarked.end() || it->second.empty())
                    continue;
                m_sprKlzav.gotoBookmark(it->second.front());
                it->second.pop_front();
                m_sprKlzav.edit();
                markField.setAsInteger(1);
                m_sprKlzav.post();
            }
        },
        [&] {
            m_r2Table.first();
            m_sprKlzav.setFiltered(wasFiltered);
        });
}

void TDM::RenumberSection2(TozMemoryData& table)
{
    TControlsDisabler disabler(table);
    const TBookmark current = table.bookmark();
    runThenRestore(
        [&] {
            table.first();
            int number = 201;
            while (!table.eof()) {
                table.edit();
                table.fieldByName(kCA).setAsInteger(number++);
                table.post();
                table.next();
            }
        },
        [&] { table.gotoBookmark(current); });
}

void TDM::R2TableAfterPost(TDataSet& dataSet)
{
    if (dataSet.controlsDisabled())
        return;
    auto& table = static_cast<TozMemoryData&>(dataSet);
    const bool newRow = table.fieldByName(kCA).asInteger() == 0;
    if (newRow)
        RenumberSection2(table);

    // The pick list was opened on this row: the row being inserted then, or
    // the row with the remembered bookmark.
    bool pickedRow = false;
    if (m_prevPollutantNewRow) {
        if (newRow) {
            pickedRow = true;
            m_prevPollutantNewRow = false;
            m_prevPollutantRow = table.bookmark();
        }
    } else {
        pickedRow = m_prevPollutantRow.has_value() && table.bookmark() == m_prevPollutantRow;
    }
    const int code = table.fieldByName(kC1).asInteger();
    if (!pickedRow || code == m_prevPollutant)
        return;
    m_sprKlzav.setFiltered(false);
    runThenRestore(
        [&] {
            MarkPollutant(m_prevPollutant, 0);
            MarkPollutant(code, 1);
        },
        [&] { m_sprKlzav.setFiltered(true); });
}

void TDM::R2TableBeforeDelete(TDataSet& dataSet)
{
    // A record's bookmark may be given again once the table was emptied.
    if (m_prevPollutantRow && dataSet.bookmark() == m_prevPollutantRow)
        forgetPrevPollutantRow();
    const int code = dataSet.fieldByName(kC1).asInteger();
    m_sprKlzav.setFiltered(false);
    runThenRestore([&] { MarkPollutant(code, 0); }, [&] { m_sprKlzav.setFiltered(true); });
}

void TDM::R2TableAfterDelete(TDataSet& dataSet)
{
    if (!dataSet.controlsDisabled())
        RenumberSection2(static_cast<TozMemoryData&>(dataSet));
}

void TDM::R4TableBeforePost(TDataSet& dataSet)
{
    TField& row = dataSet.fieldByName(kCA);
    if (row.asInteger() == 0)
        row.setAsInteger(R4AddedRow);
}

void TDM::R4TableAfterPost(TDataSet& dataSet)
{
    // The five fixed rows and one added row.
    m_r4Table.setCanInsert(dataSet.recordCount() < R4MaxRows);
}

void TDM::R4TableAfterDelete(TDataSet& dataSet)
{
    m_r4Table.setCanInsert(dataSet.recordCount() < R4MaxRows);
}

void TDM::R4TableAfterScroll(TDataSet& dataSet)
{
    const int row = dataSet.fieldByName(kCA).asInteger();
    m_r4Table.setCanDelete(row == R4AddedRow || row == 0);
}

void TDM::NOR3TableAfterScroll(TDataSet& dataSet)
{
    m_nor3Table.setCanEdit(dataSet.fieldByName(kCA).asInteger() != 301);
}

// The report variables of the printed forms and the supplement sheets that
// list the pollutants of section 2 the form has no rows for.
#include "PrintJobs.h"

#include <initializer_list>
#include <iterator>

#include "Cp1251.h"
#include "MDM.h"
#include "ReportIntf.h"
#include "SectionLayout.h"
#include "ozField.h"

namespace {

// The form lists section 2 in rows 201 to 220: the fixed pollutants in their
// own rows first, then the others.
constexpr int kLastListedKey = 220;

// A supplement block's data rows.
constexpr int kBlockRows = 30;

struct TVariableColumn
{
    const char* format;
    const char* field;
};

using TVariableColumns = std::initializer_list<TVariableColumn>;

const TVariableColumns kSection1 = {{"_2_%1", "C2"}, {"_3_%1", "C3"}, {"_4_%1", "C4"},
                                    {"_5_%1", "C5"}, {"_6_%1", "C6"}, {"_7_%1", "C7"},
                                    {"_8_%1", "C8"}, {"_9_%1", "C9"}, {"_10_%1", "C10"}};
const TVariableColumns kSection2 = {{"2_1_%1", "C1"}, {"2_B_%1", "CB"}, {"2_2_%1", "C2"},
                                    {"2_3_%1", "C3"}, {"2_4_%1", "C4"}, {"2_5_%1", "C5"}};
const TVariableColumns kSection3 = {{"%1_1", "C1"}, {"%1_2", "C2"}, {"%1_3", "C3"}, {"%1_4", "C4"}};
const TVariableColumns kSection4 = {{"%1_A", "CA"}, {"%1_B", "CB"}, {"%1_C", "CC"},
                                    {"%1_1", "C1"}, {"%1_2", "C2"}, {"%1_3", "C3"},
                                    {"%1_4", "C4"}, {"%1_5", "C5"}, {"%1_6", "C6"}};
const TVariableColumns kSection5 = {{"%1_3", "C3"}, {"%1_4", "C4"}};

// The columns of a supplement data row; 0: the variant has no such column.
struct TSupplementColumn
{
    const char* field;
    int formColumn;
    int order441Column;
};

constexpr TSupplementColumn kSupplementColumns[] = {
    {"CA", 1, 1}, {"C1", 2, 3}, {"CB", 4, 5}, {"C2", 8, 12}, {"C4", 12, 0}, {"C5", 14, 0},
};

int supplementColumn(const TSupplementColumn& column, TPrintVariant variant)
{
    return variant == TPrintVariant::Order441 ? column.order441Column : column.formColumn;
}

// The first sheet's row of the section 2 title.
int section2BaseRow(TPrintVariant variant)
{
    return variant == TPrintVariant::Order441 ? 43 : 40;
}

QString fieldText(TDataSet& table, const char* field)
{
    return table.fieldByName(QString::fromLatin1(field)).editText();
}

QString textOf(const char* text)
{
    return Cp1251::decode(QByteArray(text));
}

// Runs the body on every row of the section with its controls suspended and
// leaves it on its first row, also after an error.
template <class Body> void forEachRow(TozMemoryData& table, Body&& body)
{
    TControlsDisabler quiet(table);
    if (!table.active())
        table.open();
    table.first();
    try {
        for (; !table.eof(); table.next())
            body();
    } catch (...) {
        table.first();
        throw;
    }
    table.first();
}

} // namespace

void TPrintJobs::setVariable(IRepReport& report, const QString& name, const QString& value)
{
    report.SetVariable(Cp1251::encode(name).constData(), Cp1251::encode(value).constData());
}

bool TPrintJobs::FillReportVariables(IRepReport& report)
{
    fillCardVariables(report);
    const auto setRow = [&](TozMemoryData& table, const QString& key, TVariableColumns columns) {
        for (const TVariableColumn& column : columns)
            setVariable(report, QString::fromLatin1(column.format).arg(key),
                        fieldText(table, column.field));
    };
    const auto byRowNumber = [&](int section, TVariableColumns columns) {
        TozMemoryData& table = source(section);
        forEachRow(table, [&] {
            setRow(table, table.fieldByName(QStringLiteral("CA")).asString(), columns);
        });
    };
    byRowNumber(1, kSection1);
    const bool supplements = fillSection2(report);
    byRowNumber(3, kSection3);
    int measure = 400;
    TozMemoryData& section4 = source(4);
    forEachRow(section4, [&] { setRow(section4, QString::number(++measure), kSection4); });
    byRowNumber(5, kSection5);
    return supplements;
}

void TPrintJobs::fillCardVariables(IRepReport& report)
{
    setVariable(report, QStringLiteral("_Год"),
                QStringLiteral("за ") + QString::number(m_dm.CurrentYear()) +
                    QStringLiteral(" г."));
    TozMemoryData& card = m_dm.PrTable();
    if (!card.active())
        card.open();
    const std::pair<const char*, const char*> details[] = {
        {"C100", "PNAZ"},   {"C60", "ADR"},      {"_ОКПО", "OKPO"},
        {"_ИНН", "INN"},    {"_ОКВЭД", "OKOH1"}, {"_ОКАТО", "OKCM"},
        {"_ОКОПФ", "KOPF"}, {"_ОКФС", "KFS"},    {"_ФИОР", "FIOR"},
    };
    for (const auto& [name, column] : details) {
        const QString value =
            card.isEmpty() ? QString() : card.fieldByName(QString::fromLatin1(column)).asString();
        setVariable(report, QString::fromUtf8(name), value);
    }
}

// The keys of the form's rows; the first pollutant past row 220 stops the
// pass and stays current for the supplements.
bool TPrintJobs::fillSection2(IRepReport& report)
{
    TozMemoryData& table = source(2);
    TControlsDisabler quiet(table);
    if (!table.active())
        table.open();
    table.first();
    int counter = SectionLayout::FirstRow(2) + int(std::size(SectionLayout::FixedPollutants)) - 1;
    for (; !table.eof(); table.next()) {
        const int code = table.fieldByName(QStringLiteral("C1")).asInteger();
        int key = 0;
        for (int i = 0; i < int(std::size(SectionLayout::FixedPollutants)); ++i)
            if (code == SectionLayout::FixedPollutants[i])
                key = SectionLayout::FirstRow(2) + i;
        if (key == 0) {
            if (++counter > kLastListedKey)
                return true;
            key = counter;
        }
        for (const TVariableColumn& column : kSection2)
            setVariable(report, QString::fromLatin1(column.format).arg(key),
                        fieldText(table, column.field));
    }
    return false;
}

void TPrintJobs::AddSupplementSheets(IRepSheet& sheet, TPrintVariant variant)
{
    TozMemoryData& table = source(2);
    if (table.eof())
        return;
    const int base = section2BaseRow(variant);
    const QString title = textOf(sheet.GetCellText(1, base)) + QStringLiteral(" (дополнение)");
    {
        TControlsDisabler quiet(table);
        try {
            while (!table.eof()) {
                sheet.CopyRow(-1, base);
                sheet.SetCellText(1, -1, Cp1251::encode(title).constData());
                sheet.SetRowValue(-1, sheet.GetRowValue(base - 2));
                for (int header = 1; header <= 4; ++header)
                    sheet.CopyRow(-1, base + header);
                const int first = sheet.CopyRow(-1, base + 5);
                for (int i = 1; i < kBlockRows; ++i)
                    sheet.CopyRow(-1, base + 5);
                sheet.CopyRow(-1, base + 25);
                sheet.SetRowFlag(sheet.CopyRow(-1, base + 26), true);
                fillSupplementBlock(sheet, variant, first);
            }
        } catch (...) {
            table.first();
            throw;
        }
        table.first();
    }
    sheet.Refresh();
}

// Fills the block's rows from section 2 onward and empties the rows left over.
void TPrintJobs::fillSupplementBlock(IRepSheet& sheet, TPrintVariant variant, int first)
{
    TozMemoryData& table = source(2);
    const bool hasName = table.findField(QStringLiteral("CB")) != nullptr;
    int i = 0;
    for (; i < kBlockRows && !table.eof(); ++i, table.next()) {
        for (const TSupplementColumn& column : kSupplementColumns) {
            const int at = supplementColumn(column, variant);
            const bool name = qstrcmp(column.field, "CB") == 0;
            if (at == 0 || (name && !hasName))
                continue;
            sheet.SetCellText(at, first + i,
                              Cp1251::encode(fieldText(table, column.field)).constData());
        }
    }
    for (; i < kBlockRows; ++i)
        for (const TSupplementColumn& column : kSupplementColumns)
            if (const int at = supplementColumn(column, variant))
                sheet.SetCellText(at, first + i, "");
}

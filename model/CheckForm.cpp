#include "CheckForm.h"

#include <array>
#include <cmath>

#include "MDM.h"
#include "ObFunc.h"
#include "ReportFiles.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

double R(double value)
{
    return RoundDecimals(value, 3);
}

double valueOf(TozMemoryData& table, const char* column)
{
    const TField& field = table.fieldByName(QString::fromLatin1(column));
    return field.isNull() ? 0 : field.asFloat();
}

// Goes to the row whose CA is row; false when the section has none.
bool locateRow(TozMemoryData& table, int row)
{
    return table.locate(QStringLiteral("CA"), row);
}

// The first row of the table is current; false when it has none.
bool firstRow(TozMemoryData& table)
{
    table.first();
    return !table.eof();
}

// Suspends the bound controls of the five sections for a scope.
class SectionsSuspended
{
public:
    explicit SectionsSuspended(TDM& dm)
        : m_guards{std::make_unique<TControlsDisabler>(dm.R1Table()),
                   std::make_unique<TControlsDisabler>(dm.R2Table()),
                   std::make_unique<TControlsDisabler>(dm.R3Table()),
                   std::make_unique<TControlsDisabler>(dm.R4Table()),
                   std::make_unique<TControlsDisabler>(dm.R5Table())}
    {
    }

private:
    std::array<std::unique_ptr<TControlsDisabler>, 5> m_guards;
};

struct TCardDetail
{
    const char* column;
    QString message;
};

// The card's mandatory details in the check's order; several messages have
// the Latin K after the Cyrillic О, as the program has always shown them.
const std::array<TCardDetail, 7>& checkedDetails()
{
    static const std::array<TCardDetail, 7> details{{
        {"OKPO", QStringLiteral("Не заполнен код О") + QLatin1Char('K') + QStringLiteral("ПО")},
        {"PNAZ", QStringLiteral("Не заполнено наименование предприятия")},
        {"OKOH1", QStringLiteral("Не заполнен код О") + QLatin1Char('K') + QStringLiteral("ВЭД")},
        {"KFS", QStringLiteral("Не заполнен код ОКФС")},
        {"KOPF", QStringLiteral("Не заполнен код О") + QLatin1Char('K') + QStringLiteral("ОПФ")},
        {"OKCM", QStringLiteral("Не заполнен код О") + QLatin1Char('K') + QStringLiteral("АТО")},
        {"ADR", QStringLiteral("Не заполнен адрес предприятия")},
    }};
    return details;
}

void checkCard(TDM& dm)
{
    TozMemoryData& card = dm.PrTable();
    if (!card.active())
        card.open();
    for (const TCardDetail& detail : checkedDetails())
        if (card.fieldByName(QString::fromLatin1(detail.column)).asString().isEmpty())
            throw T2tpException(detail.message);
}

// Rules 4 and 5: within the tolerance a warning, beyond it the error.
void checkTolerated(const TRuleValues& values, const QString& message)
{
    if (values.equal())
        return;
    if (!TFormRules::Tolerated(values))
        throw T2tpException(message);
    userInterface().showWarning(QStringLiteral("Внимание"), message);
}

void checkEqual(const TRuleValues& values, const QString& message)
{
    if (!values.equal())
        throw T2tpException(message);
}

void checkAtLeast(const TRuleValues& values, const QString& message)
{
    if (values.left < values.right)
        throw T2tpException(message);
}

QString section5Message(int section1Row, int section5Row)
{
    return QStringLiteral("Графа 7 строка ") + QString::number(section1Row) +
           QStringLiteral(" раздел 1 <> Суммы графы 3,4 строки ") + QString::number(section5Row) +
           QStringLiteral(" раздела 5");
}

void checkRules(TFormRules& rules)
{
    if (const std::optional<int> row = rules.Section1Mismatch())
        throw T2tpException(QStringLiteral("Графа 7 раздел 1 <> Графа 4 раздел 1 - графа 5 раздел "
                                           "1 + графа 2 раздел 1 по строке ") +
                            QString::number(*row));
    if (rules.AllSourcesOrganised())
        checkEqual(rules.Row101Columns2And3(),
                   QStringLiteral("Графа 2 строка 101 раздел 1 <> Графа 3 строка 101 раздел 1"));
    checkEqual(rules.Rule3(),
               QStringLiteral("Графа 7 строка 101 раздел 1 <> Графа 4 строка 301 раздел 3"));
    checkTolerated(rules.Rule4(), QStringLiteral("Графа 7 сумма строк 102,107,108,109 раздел 1 <> "
                                                 "Сумме всех строк графы 2 раздела 2"));
    checkTolerated(rules.Section5Rule(102, 501), section5Message(102, 501));
    checkEqual(rules.Section5Rule(104, 502), section5Message(104, 502));
    checkEqual(rules.Section5Rule(105, 503), section5Message(105, 503));
    checkEqual(rules.Section5Rule(106, 504), section5Message(106, 504));
    checkAtLeast(rules.Rule9(), QStringLiteral("Графа 7 сумма строк 107,108 раздел 1 < Суммы "
                                               "графы 3,4 строки 505 раздела 5"));
    checkAtLeast(rules.Rule10(), QStringLiteral("Графа 7 сумма строк 107,108 раздел 1 < Графа 2 "
                                                "строка 203 раздела 2"));
}

} // namespace

TFormRules::TFormRules(TDM& dm)
    : m_dm(dm)
{
}

std::optional<int> TFormRules::Section1Mismatch()
{
    TozMemoryData& r1 = m_dm.R1Table();
    for (r1.first(); !r1.eof(); r1.next()) {
        const double expected = R(valueOf(r1, "C2") + (valueOf(r1, "C4") - valueOf(r1, "C5")));
        if (R(valueOf(r1, "C7")) != expected)
            return r1.fieldByName(QStringLiteral("CA")).asInteger();
    }
    return std::nullopt;
}

bool TFormRules::AllSourcesOrganised()
{
    TozMemoryData& r3 = m_dm.R3Table();
    if (!firstRow(r3))
        return true;
    const TField& c1 = r3.fieldByName(QStringLiteral("C1"));
    const TField& c2 = r3.fieldByName(QStringLiteral("C2"));
    return c1.asInteger() == c2.asInteger();
}

TRuleValues TFormRules::Row101Columns2And3()
{
    TozMemoryData& r1 = m_dm.R1Table();
    if (!locateRow(r1, 101))
        return {};
    return {R(valueOf(r1, "C2")), R(valueOf(r1, "C3"))};
}

TRuleValues TFormRules::Row301Columns1And2()
{
    TozMemoryData& r3 = m_dm.R3Table();
    if (!firstRow(r3))
        return {};
    return {R(valueOf(r3, "C1")), R(valueOf(r3, "C2"))};
}

TRuleValues TFormRules::Rule3()
{
    TRuleValues values;
    if (firstRow(m_dm.R1Table()))
        values.left = R(valueOf(m_dm.R1Table(), "C7"));
    if (firstRow(m_dm.R3Table()))
        values.right = R(valueOf(m_dm.R3Table(), "C4"));
    return values;
}

double TFormRules::sumOfRows(TozMemoryData& table, std::initializer_list<int> rows,
                             const char* column)
{
    double sum = 0;
    for (int row : rows)
        if (locateRow(table, row))
            sum = R(sum + valueOf(table, column));
    return sum;
}

TRuleValues TFormRules::Rule4()
{
    TRuleValues values;
    values.left = sumOfRows(m_dm.R1Table(), {102, 107, 108, 109}, "C7");
    TozMemoryData& r2 = m_dm.R2Table();
    for (r2.first(); !r2.eof(); r2.next())
        values.right = R(values.right + valueOf(r2, "C2"));
    return values;
}

TRuleValues TFormRules::Section5Rule(int section1Row, int section5Row)
{
    TRuleValues values;
    if (locateRow(m_dm.R1Table(), section1Row))
        values.left = R(valueOf(m_dm.R1Table(), "C7"));
    TozMemoryData& r5 = m_dm.R5Table();
    if (locateRow(r5, section5Row))
        values.right = R(valueOf(r5, "C3") + valueOf(r5, "C4"));
    return values;
}

TRuleValues TFormRules::Rule9()
{
    TRuleValues values;
    values.left = sumOfRows(m_dm.R1Table(), {107, 108}, "C7");
    TozMemoryData& r5 = m_dm.R5Table();
    if (locateRow(r5, 505))
        values.right = R(valueOf(r5, "C3") + valueOf(r5, "C4"));
    return values;
}

TRuleValues TFormRules::Rule10()
{
    TRuleValues values;
    values.left = sumOfRows(m_dm.R1Table(), {107, 108}, "C7");
    TozMemoryData& r2 = m_dm.R2Table();
    if (r2.locate(QStringLiteral("C1"), 410))
        values.right = R(valueOf(r2, "C2"));
    return values;
}

bool TFormRules::Tolerated(const TRuleValues& values)
{
    const long double difference =
        static_cast<long double>(values.left) - static_cast<long double>(values.right);
    return std::fabs(difference) <= 0.001L;
}

void CheckForm(TDM& dm)
{
    checkCard(dm);
    SaveReportSections(dm);
    SectionsSuspended suspended(dm);
    TFormRules rules(dm);
    checkRules(rules);
}

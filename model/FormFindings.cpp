#include "FormFindings.h"

#include <array>
#include <cmath>
#include <memory>

#include "MDM.h"
#include "ObFunc.h"
#include "ozField.h"

namespace {

const QString kCA = QStringLiteral("CA");

double R(double value)
{
    return RoundDecimals(value, 3);
}

double columnValue(TozMemoryData& table, const QString& column)
{
    const bool minus = column.startsWith(QLatin1Char('-'));
    const TField& field = table.fieldByName(minus ? column.mid(1) : column);
    const double value = field.isNull() ? 0 : field.asFloat();
    return minus ? -value : value;
}

QString fieldOf(const QString& column)
{
    return column.startsWith(QLatin1Char('-')) ? column.mid(1) : column;
}

// The columns of the current row summed as listed: C2 + (C4 + (-C5)), which
// is C2 + (C4 - C5) to the last bit.
double termValue(TozMemoryData& table, const QStringList& columns)
{
    double value = 0;
    for (qsizetype i = columns.size() - 1; i >= 0; --i)
        value = i == columns.size() - 1 ? columnValue(table, columns.at(i))
                                        : columnValue(table, columns.at(i)) + value;
    return value;
}

int currentRow(TozMemoryData& table)
{
    return table.eof() && table.bof() ? 0 : table.fieldByName(kCA).asInteger();
}

// Quiets the five sections' bound controls for a scope and puts their
// current rows back where they were.
class SectionsKept
{
public:
    explicit SectionsKept(TDM& dm)
        : m_dm(dm)
    {
        for (int section = 1; section <= 5; ++section) {
            TozMemoryData& table = dm.sectionTable(section);
            m_quiet.at(std::size_t(section - 1)) = std::make_unique<TControlsDisabler>(table);
            if (table.active())
                m_marks.at(std::size_t(section - 1)) = table.bookmark();
        }
    }
    ~SectionsKept()
    {
        for (int section = 1; section <= 5; ++section) {
            TozMemoryData& table = m_dm.sectionTable(section);
            const TBookmark& mark = m_marks.at(std::size_t(section - 1));
            try {
                if (table.active() && mark && table.bookmarkValid(mark))
                    table.gotoBookmark(mark);
            } catch (...) {
                // The rows were only read; a row that cannot be gone back to stays where it is.
            }
        }
    }
    Q_DISABLE_COPY_MOVE(SectionsKept)

private:
    TDM& m_dm;
    std::array<std::unique_ptr<TControlsDisabler>, 5> m_quiet;
    std::array<TBookmark, 5> m_marks;
};

} // namespace

QString CellPlace(const TFindingCell& cell)
{
    if (cell.section == 0) {
        for (const TCardDetail& detail : FormRules::CardDetails())
            if (detail.column == cell.field)
                return QStringLiteral("организация, поле «") + detail.label + QStringLiteral("»");
        return QStringLiteral("организация, поле ") + cell.field;
    }
    QString place = QStringLiteral("раздел ") + QString::number(cell.section);
    if (cell.pollutant != 0)
        place += QStringLiteral(", код ") + QString::number(cell.pollutant);
    else if (cell.row != 0)
        place += QStringLiteral(", строка ") + QString::number(cell.row);
    return place + QStringLiteral(", графа ") + FormRules::ColumnTitle(cell.section, cell.field);
}

QString FindingPlace(const TFinding& finding)
{
    return finding.cells.isEmpty() ? QString() : CellPlace(finding.cells.first());
}

QString FindingKindText(TFindingKind kind)
{
    switch (kind) {
    case TFindingKind::Error:
        return QStringLiteral("Ошибка");
    case TFindingKind::Tolerated:
        return QStringLiteral("Допустимое расхождение");
    case TFindingKind::Advisory:
        return QStringLiteral("Предупреждение");
    }
    return QString();
}

QString RelationText(TRelation relation)
{
    switch (relation) {
    case TRelation::Equal:
        return QStringLiteral("=");
    case TRelation::AtLeast:
        return QStringLiteral(">=");
    case TRelation::AtMost:
        return QStringLiteral("<=");
    }
    return QString();
}

bool HasErrors(const QList<TFinding>& findings)
{
    for (const TFinding& finding : findings)
        if (finding.kind == TFindingKind::Error)
            return true;
    return false;
}

TFormCheck::TFormCheck(TDM& dm)
    : m_dm(dm)
{
}

bool TFormCheck::AllSourcesOrganised()
{
    TozMemoryData& r3 = m_dm.sectionTable(3);
    r3.first();
    if (r3.eof())
        return true;
    return r3.fieldByName(QStringLiteral("C1")).asInteger() ==
           r3.fieldByName(QStringLiteral("C2")).asInteger();
}

bool TFormCheck::Applies(const TFormRule& rule)
{
    return !rule.onlyWhenAllSourcesOrganised || AllSourcesOrganised();
}

namespace {

// One side of a rule: its terms added in order, rounded after every addition.
double side(TDM& dm, const std::vector<TRuleTerm>& terms, QList<TFindingCell>* cells)
{
    double sum = 0;
    for (const TRuleTerm& term : terms) {
        TozMemoryData& table = dm.sectionTable(term.section);
        TFindingCell cell{term.section, 0, 0, QString()};
        const auto add = [&] {
            sum = R(sum + termValue(table, term.columns));
        };
        switch (term.row.kind) {
        case TRowRef::Kind::Row:
            cell.row = term.row.number;
            if (table.locate(kCA, term.row.number))
                add();
            break;
        case TRowRef::Kind::First:
            table.first();
            if (!table.eof()) {
                cell.row = currentRow(table);
                add();
            }
            break;
        case TRowRef::Kind::All:
            for (table.first(); !table.eof(); table.next())
                add();
            break;
        case TRowRef::Kind::Pollutant:
            cell.pollutant = term.row.number;
            if (table.locate(QStringLiteral("C1"), term.row.number))
                add();
            break;
        case TRowRef::Kind::Current:
            cell.row = currentRow(table);
            add();
            break;
        }
        if (cells) {
            for (const QString& column : term.columns) {
                cell.field = fieldOf(column);
                cells->append(cell);
            }
        }
    }
    return sum;
}

} // namespace

TRuleValues TFormCheck::Values(const TFormRule& rule, QList<TFindingCell>* cells)
{
    TRuleValues values;
    values.left = side(m_dm, rule.left, cells);
    values.right = side(m_dm, rule.right, cells);
    return values;
}

bool TFormCheck::Violated(const TFormRule& rule, const TRuleValues& values)
{
    switch (rule.relation) {
    case TRelation::Equal:
        return !values.equal();
    case TRelation::AtLeast:
        return values.left < values.right;
    case TRelation::AtMost:
        return values.left > values.right;
    }
    return false;
}

bool TFormCheck::Tolerated(const TRuleValues& values)
{
    const long double difference =
        static_cast<long double>(values.left) - static_cast<long double>(values.right);
    return std::fabs(difference) <= 0.001L;
}

QList<TFinding> TFormCheck::CardFindings()
{
    TozMemoryData& card = m_dm.PrTable();
    if (!card.active())
        card.open();
    QList<TFinding> findings;
    for (const TCardDetail& detail : FormRules::CardDetails()) {
        if (!card.fieldByName(detail.column).asString().isEmpty())
            continue;
        TFinding finding;
        finding.message = detail.message;
        finding.heading = detail.protocolMessage;
        finding.cells = {{0, 0, 0, detail.column}};
        findings.append(finding);
    }
    return findings;
}

std::optional<TFinding> TFormCheck::check(const TFormRule& rule, int row)
{
    TFinding finding;
    finding.values = Values(rule, &finding.cells);
    if (!Violated(rule, finding.values))
        return std::nullopt;
    if (rule.advisory)
        finding.kind = TFindingKind::Advisory;
    else if (rule.toleratesThousandth && Tolerated(finding.values))
        finding.kind = TFindingKind::Tolerated;
    finding.relation = rule.relation;
    finding.message = rule.eachRowOf ? rule.message.arg(row) : rule.message;
    if (!rule.headings.isEmpty())
        finding.heading = rule.eachRowOf ? rule.headings.last().arg(row) : rule.headings.last();
    return finding;
}

void TFormCheck::VisitRules(const std::vector<TFormRule>& rules,
                            const std::function<bool(TFinding&&)>& visit)
{
    for (const TFormRule& rule : rules) {
        // A protocol block that is no rule of the check gives no finding.
        if (rule.message.isEmpty() || !Applies(rule))
            continue;
        if (rule.eachRowOf == 0) {
            if (std::optional<TFinding> finding = check(rule, 0);
                finding && !visit(std::move(*finding)))
                return;
            continue;
        }
        TozMemoryData& table = m_dm.sectionTable(rule.eachRowOf);
        for (table.first(); !table.eof(); table.next()) {
            const int row = currentRow(table);
            if (std::optional<TFinding> finding = check(rule, row);
                finding && !visit(std::move(*finding)))
                return;
        }
    }
}

QList<TFinding> FindFormFindings(TDM& dm)
{
    TFormCheck check(dm);
    QList<TFinding> findings = check.CardFindings();
    SectionsKept kept(dm);
    const auto collect = [&findings](TFinding&& finding) {
        findings.append(std::move(finding));
        return true;
    };
    check.VisitRules(FormRules::Rules(), collect);
    check.VisitRules(FormRules::AdvisoryRules(), collect);
    return findings;
}

QList<TFinding> FindAdvisoryFindings(TDM& dm)
{
    TFormCheck check(dm);
    QList<TFinding> findings;
    SectionsKept kept(dm);
    check.VisitRules(FormRules::AdvisoryRules(), [&findings](TFinding&& finding) {
        findings.append(std::move(finding));
        return true;
    });
    return findings;
}

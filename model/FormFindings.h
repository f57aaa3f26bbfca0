#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>

#include "FormRules.h"

class TDM;

// Two values a rule compares, rounded to three decimals.
struct TRuleValues
{
    double left = 0;
    double right = 0;
    bool equal() const { return left == right; }
};

enum class TFindingKind
{
    Error,     // a rule is violated: the check fails
    Tolerated, // rules 4 and 5 differ by at most one thousandth: a warning
    Advisory   // a column ratio or an amount below zero: never fails the check
};

// A cell a finding concerns: a column of a section row, or a field of the
// organisation card (section 0).
struct TFindingCell
{
    int section = 0;
    // The row's CA; 0 with pollutant 0: every row of the section.
    int row = 0;
    // A section 2 row named by its pollutant code instead of its CA.
    int pollutant = 0;
    // The section's column (C1 to C10) or the card's column (OKPO, ...).
    QString field;

    bool operator==(const TFindingCell&) const = default;
};

struct TFinding
{
    TFindingKind kind = TFindingKind::Error;
    QString message;
    // The cells the rule compares, left side first: the first is where the
    // findings list takes the user.
    QList<TFindingCell> cells;
    // For the protocol: the block's heading, the relation and both values.
    QString heading;
    TRelation relation = TRelation::Equal;
    TRuleValues values;
};

// "раздел 1, строка 104, графа 3", "раздел 2, код 410, графа 2", "раздел 2,
// графа 2" (every row), "организация, поле «ОКПО»".
QString CellPlace(const TFindingCell& cell);
// The place of the finding's first cell.
QString FindingPlace(const TFinding& finding);
// "Ошибка", "Допустимое расхождение", "Предупреждение".
QString FindingKindText(TFindingKind kind);
// The relation as the protocol writes it: "=", ">=", "<=".
QString RelationText(TRelation relation);
bool HasErrors(const QList<TFinding>& findings);

// Evaluates the declared rules on the sections of the data module. Reading
// moves the sections' current rows: each locate leaves its section where it
// went, as the check always has.
class TFormCheck final
{
public:
    explicit TFormCheck(TDM& dm);
    Q_DISABLE_COPY_MOVE(TFormCheck)

    // Whether C1 = C2 as integers in the first row of section 3 (true
    // without a row): the rules so marked apply only then.
    bool AllSourcesOrganised();
    bool Applies(const TFormRule& rule);
    // Both sides of a rule checked once (not per row); the cells it read are
    // appended to cells when given.
    TRuleValues Values(const TFormRule& rule, QList<TFindingCell>* cells = nullptr);
    // Any difference the relation does not allow, tolerance aside.
    static bool Violated(const TFormRule& rule, const TRuleValues& values);
    // Whether two values differ by no more than one thousandth; the
    // difference is taken exactly, so 10 against 9.999 and 1.001 against 1
    // are within it and 100.001 against 100 is not.
    static bool Tolerated(const TRuleValues& values);

    // The missing details of the card, in the check's order (opens the card
    // table when it is closed).
    QList<TFinding> CardFindings();
    // Checks the rules in order (a per-row rule row by row) and hands every
    // finding to visit, which returns false to stop.
    void VisitRules(const std::vector<TFormRule>& rules,
                    const std::function<bool(TFinding&&)>& visit);

private:
    std::optional<TFinding> check(const TFormRule& rule, int row);

    TDM& m_dm;
};

// Every finding of the form at once: the card's missing details, the rules
// in their order, then the advisory ones. Changes no value; the sections'
// current rows are where they were and their bound controls quiet meanwhile.
QList<TFinding> FindFormFindings(TDM& dm);
// The advisory findings alone, the current rows kept.
QList<TFinding> FindAdvisoryFindings(TDM& dm);

#pragma once

#include <optional>

#include <QString>

#include "Errors.h"

class TDM;
class TozMemoryData;

// The form filling error: a consistency rule of the form or a mandatory
// detail of the card does not hold. Raised only by CheckForm.
class T2tpException : public F2tpError
{
public:
    using F2tpError::F2tpError;
};

// Two values a rule compares, rounded to three decimals.
struct TRuleValues
{
    double left = 0;
    double right = 0;
    bool equal() const { return left == right; }
};

// The quantities of the form's consistency rules, read from the section
// tables of the data module. Empty values and missing rows count as 0; sums
// are rounded to three decimals after every addition. Each read moves the
// sections' current rows and leaves them where the last locate went.
class TFormRules final
{
public:
    explicit TFormRules(TDM& dm);
    Q_DISABLE_COPY_MOVE(TFormRules)

    // Rule 1: the CA of the first section 1 row whose C7 is not C2 + (C4 - C5).
    std::optional<int> Section1Mismatch();
    // Whether C1 = C2 as integers in the first row of section 3 (all
    // sources are organised); rule 2 and blocks 1 and 2 apply only then.
    bool AllSourcesOrganised();
    // Rule 2: C2 and C3 of row 101.
    TRuleValues Row101Columns2And3();
    // C1 and C2 of the first row of section 3.
    TRuleValues Row301Columns1And2();
    // Rule 3: C7 of the first row of section 1, C4 of the first row of section 3.
    TRuleValues Rule3();
    // Rule 4: C7 of rows 102, 107, 108, 109; C2 of all section 2 rows.
    TRuleValues Rule4();
    // Rules 5 to 8: C7 of the section 1 row, C3 + C4 of the section 5 row.
    TRuleValues Section5Rule(int section1Row, int section5Row);
    // Rule 9: C7 of rows 107 and 108; C3 + C4 of row 505.
    TRuleValues Rule9();
    // Rule 10: C7 of rows 107 and 108; C2 of the pollutant 410 row (0 without one).
    TRuleValues Rule10();

    // Whether two values differ by no more than one thousandth; the
    // difference is taken exactly, so 10 against 9.999 and 1.001 against 1
    // are within it and 100.001 against 100 is not.
    static bool Tolerated(const TRuleValues& values);

private:
    double sumOfRows(TozMemoryData& table, std::initializer_list<int> rows, const char* column);

    TDM& m_dm;
};

// The check run before the form leaves the program: the card's mandatory
// details, the save of the five sections, then the ten rules in order. The
// first violated one raises T2tpException with its message; a tolerated
// difference of rules 4 and 5 shows a warning box captioned "Внимание" and
// the check goes on. The sections' bound controls are suspended while the
// rules run.
void CheckForm(TDM& dm);

#pragma once

#include <vector>

#include <QString>
#include <QStringList>

// The form's consistency rules and the card's mandatory details, declared
// once: the form check, the control protocol and the findings list all read
// these tables, so a rule's terms, relation, tolerance, message and protocol
// heading stand in one place.

// Which row of a section a term reads.
struct TRowRef
{
    enum class Kind
    {
        Row,       // the row whose CA is number; a missing row contributes nothing
        First,     // the section's first row
        All,       // every row, in order
        Pollutant, // the section 2 row whose pollutant code (C1) is number
        Current    // the row a per-row rule is checked on
    };
    Kind kind = Kind::Current;
    int number = 0;
};

// One term of a side of a rule: columns of one row summed as they are listed
// (C2 + (C4 - C5) for {"C2", "C4", "-C5"}), then rounded to three decimals. A
// side adds its terms in order, rounding after every addition; an empty
// value counts as 0.
struct TRuleTerm
{
    int section = 0;
    TRowRef row;
    QStringList columns;
};

enum class TRelation
{
    Equal,   // left = right
    AtLeast, // left >= right
    AtMost   // left <= right
};

struct TFormRule
{
    std::vector<TRuleTerm> left;
    std::vector<TRuleTerm> right; // empty: 0
    TRelation relation = TRelation::Equal;
    // A difference of at most one thousandth is tolerated: a warning, not an error.
    bool toleratesThousandth = false;
    // Advisory: reported, but never makes the check fail.
    bool advisory = false;
    // Checked only when all sources of section 3 are organised (C1 = C2 in its first row).
    bool onlyWhenAllSourcesOrganised = false;
    // Nonzero: the rule is checked on every row of this section, its terms
    // reading the Current row, and "%1" in the texts stands for the row's CA.
    int eachRowOf = 0;
    // The text of a violation; empty for a protocol block that is no rule of the check.
    QString message;
    // The protocol block's heading rows; empty: the rule has no block.
    QStringList headings;
    // The protocol shows the values as the grid does ("-" for 0), not as numbers.
    bool gridTexts = false;
};

// A mandatory detail of the organisation card.
struct TCardDetail
{
    QString column;
    // The caption of its edit on the card.
    QString label;
    // The check's message and the protocol's, which spell some codes differently.
    QString message;
    QString protocolMessage;
};

namespace FormRules {

// The rules of the check and the blocks of the protocol, in order.
const std::vector<TFormRule>& Rules();
// The column ratios and the amounts below zero, checked after the rules.
const std::vector<TFormRule>& AdvisoryRules();
// The card's details in the check's order.
const std::vector<TCardDetail>& CardDetails();
// The same details in the protocol's order.
std::vector<TCardDetail> ProtocolCardDetails();
// The heading of the protocol's block of advisory findings.
QString AdvisoryHeading();
// The "графа" a column of a section is printed under (section 1's C9 is 8).
QString ColumnTitle(int section, const QString& field);

} // namespace FormRules

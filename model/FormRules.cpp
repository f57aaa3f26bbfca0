#include "FormRules.h"

#include "SectionLayout.h"

namespace FormRules {

namespace {

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

TRuleTerm term(int section, TRowRef row, std::initializer_list<const char*> columns)
{
    TRuleTerm result{section, row, {}};
    for (const char* column : columns)
        result.columns.append(QString::fromLatin1(column));
    return result;
}

TRowRef row(int number)
{
    return {TRowRef::Kind::Row, number};
}

constexpr TRowRef kFirst{TRowRef::Kind::First, 0};
constexpr TRowRef kAll{TRowRef::Kind::All, 0};
constexpr TRowRef kCurrent{TRowRef::Kind::Current, 0};

// Column 7 of section 1 in the given rows, added in order.
std::vector<TRuleTerm> section1Totals(std::initializer_list<int> rows)
{
    std::vector<TRuleTerm> terms;
    for (int number : rows)
        terms.push_back(term(1, row(number), {"C7"}));
    return terms;
}

// Rules 5 to 8: column 7 of a section 1 row against columns 3 and 4 of a
// section 5 row. The check says "графы", the protocol "граф".
TFormRule section5Rule(int row1, int row5, bool tolerated)
{
    const QString rows1 = QString::number(row1);
    const QString rows5 = QString::number(row5);
    TFormRule rule;
    rule.left = {term(1, row(row1), {"C7"})};
    rule.right = {term(5, row(row5), {"C3", "C4"})};
    rule.toleratesThousandth = tolerated;
    rule.message = text("Графа 7 строка ") + rows1 + text(" раздел 1 <> Суммы графы 3,4 строки ") +
                   rows5 + text(" раздела 5");
    rule.headings = {text("Графа 7 строка ") + rows1 + text(" раздел 1 = Суммы граф 3,4 строки ") +
                     rows5 + text(" раздела 5")};
    return rule;
}

std::vector<TFormRule> buildRules()
{
    std::vector<TFormRule> rules;
    // 1: the balance of every row of section 1; no protocol block.
    TFormRule balance;
    balance.eachRowOf = 1;
    balance.left = {term(1, kCurrent, {"C7"})};
    balance.right = {term(1, kCurrent, {"C2", "C4", "-C5"})};
    balance.message = text("Графа 7 раздел 1 <> Графа 4 раздел 1 - графа 5 раздел 1 + графа 2 "
                           "раздел 1 по строке %1");
    rules.push_back(balance);

    // 2: all sources organised, so everything emitted untreated comes from them.
    TFormRule organised;
    organised.onlyWhenAllSourcesOrganised = true;
    organised.left = {term(1, row(SectionLayout::R1Total), {"C2"})};
    organised.right = {term(1, row(SectionLayout::R1Total), {"C3"})};
    organised.message = text("Графа 2 строка 101 раздел 1 <> Графа 3 строка 101 раздел 1");
    organised.headings = {text("Если на предприятии все источники организованные"),
                          text("Графа 2 строка 101 раздел 1 = Графа 3 строка 101 раздел 1")};
    organised.gridTexts = true;
    rules.push_back(organised);

    // The protocol shows the sources compared, in the same case; the check has no such rule.
    TFormRule sources;
    sources.onlyWhenAllSourcesOrganised = true;
    sources.left = {term(3, kFirst, {"C1"})};
    sources.right = {term(3, kFirst, {"C2"})};
    sources.headings = {text("Графа 1 строка 301 раздел 3 = Графа 2 строка 301 раздел 3")};
    rules.push_back(sources);

    // 3: what section 1 says was emitted is what section 3 says.
    TFormRule emitted;
    emitted.left = {term(1, kFirst, {"C7"})};
    emitted.right = {term(3, kFirst, {"C4"})};
    emitted.message = text("Графа 7 строка 101 раздел 1 <> Графа 4 строка 301 раздел 3");
    emitted.headings = {text("Графа 7 строка 101 раздел 1 = Графа 4 строка 301 раздел 3")};
    rules.push_back(emitted);

    // 4: the specific pollutants of section 2 add up to their rows of section 1.
    TFormRule specific;
    specific.left = section1Totals({102, 107, 108, 109});
    specific.right = {term(2, kAll, {"C2"})};
    specific.toleratesThousandth = true;
    specific.message = text("Графа 7 сумма строк 102,107,108,109 раздел 1 <> Сумме всех строк "
                            "графы 2 раздела 2");
    specific.headings = {text("Графа 7 сумма строк 102,107,108,109 раздел 1 = Сумме всех строк "
                              "графы 2 раздела 2")};
    rules.push_back(specific);

    // 5 to 8: section 5 splits the rows of section 1 by group of sources.
    rules.push_back(section5Rule(102, 501, true));
    rules.push_back(section5Rule(104, 502, false));
    rules.push_back(section5Rule(105, 503, false));
    rules.push_back(section5Rule(106, 504, false));

    // 9 and 10: rows 107 and 108 hold at least their parts in sections 5 and 2.
    TFormRule hydrocarbons;
    hydrocarbons.left = section1Totals({107, 108});
    hydrocarbons.right = {term(5, row(505), {"C3", "C4"})};
    hydrocarbons.relation = TRelation::AtLeast;
    hydrocarbons.message =
        text("Графа 7 сумма строк 107,108 раздел 1 < Суммы графы 3,4 строки 505 раздела 5");
    hydrocarbons.headings = {
        text("Графа 7 сумма строк 107,108 раздел 1 >= Суммы графы 3,4 строки 505 раздела 5")};
    rules.push_back(hydrocarbons);

    TFormRule pollutant410;
    pollutant410.left = section1Totals({107, 108});
    pollutant410.right = {term(2, {TRowRef::Kind::Pollutant, 410}, {"C2"})};
    pollutant410.relation = TRelation::AtLeast;
    pollutant410.message =
        text("Графа 7 сумма строк 107,108 раздел 1 < Графа 2 строка 203 раздела 2");
    pollutant410.headings = {
        text("Графа 7 сумма строк 107,108 раздел 1 >= Графа 2 строка 203 раздела 2")};
    rules.push_back(pollutant410);
    return rules;
}

// "Графа N строка %1 раздел S" for a column of the row a per-row rule is on.
QString cellText(int section, const QString& field)
{
    return text("Графа ") + ColumnTitle(section, field) + text(" строка %1 раздел ") +
           QString::number(section);
}

// An "of which" column may not exceed its total in any row.
TFormRule partOfTotal(int section, const char* part, const char* total)
{
    const QString partText = cellText(section, QString::fromLatin1(part));
    const QString totalText = cellText(section, QString::fromLatin1(total));
    TFormRule rule;
    rule.eachRowOf = section;
    rule.advisory = true;
    rule.left = {term(section, kCurrent, {part})};
    rule.right = {term(section, kCurrent, {total})};
    rule.relation = TRelation::AtMost;
    rule.message = partText + text(" > ") + totalText;
    rule.headings = {partText + text(" <= ") + totalText};
    return rule;
}

// An amount of the column may not be below zero in any row.
TFormRule notNegative(int section, const char* column)
{
    const QString cell = cellText(section, QString::fromLatin1(column));
    TFormRule rule;
    rule.eachRowOf = section;
    rule.advisory = true;
    rule.left = {term(section, kCurrent, {column})};
    rule.relation = TRelation::AtLeast;
    rule.message = cell + text(" < 0");
    rule.headings = {cell + text(" >= 0")};
    return rule;
}

std::vector<TFormRule> buildAdvisoryRules()
{
    std::vector<TFormRule> rules{partOfTotal(1, "C3", "C2"), partOfTotal(1, "C5", "C4"),
                                 partOfTotal(1, "C6", "C5")};
    for (const char* column : {"C2", "C3", "C4", "C5", "C6", "C7", "C9", "C10"})
        rules.push_back(notNegative(1, column));
    for (const char* column : {"C2", "C4", "C5"})
        rules.push_back(notNegative(2, column));
    rules.push_back(partOfTotal(3, "C2", "C1"));
    for (const char* column : {"C1", "C2", "C3", "C4"})
        rules.push_back(notNegative(3, column));
    for (const char* column : {"C3", "C4"})
        rules.push_back(notNegative(5, column));
    return rules;
}

// Several codes carry the Latin K after the Cyrillic О in the check's
// messages, as the program has always shown them; the protocol spells ОКПО
// all Cyrillic.
QString latinK(const char* code)
{
    return text("Не заполнен код О") + QLatin1Char('K') + text(code);
}

} // namespace

const std::vector<TFormRule>& Rules()
{
    static const std::vector<TFormRule> rules = buildRules();
    return rules;
}

const std::vector<TFormRule>& AdvisoryRules()
{
    static const std::vector<TFormRule> rules = buildAdvisoryRules();
    return rules;
}

const std::vector<TCardDetail>& CardDetails()
{
    static const std::vector<TCardDetail> details{
        {QStringLiteral("OKPO"), text("ОКПО"), latinK("ПО"), text("Не заполнен код ОКПО")},
        {QStringLiteral("PNAZ"), text("Наименование"),
         text("Не заполнено наименование предприятия"),
         text("Не заполнено наименование предприятия")},
        {QStringLiteral("OKOH1"), text("ОКВЭД"), latinK("ВЭД"), latinK("ВЭД")},
        {QStringLiteral("KFS"), text("ОКФС"), text("Не заполнен код ОКФС"),
         text("Не заполнен код ОКФС")},
        {QStringLiteral("KOPF"), text("ОКОПФ"), latinK("ОПФ"), latinK("ОПФ")},
        {QStringLiteral("OKCM"), text("ОКАТО"), latinK("АТО"), latinK("АТО")},
        {QStringLiteral("ADR"), text("Адрес"), text("Не заполнен адрес предприятия"),
         text("Не заполнен адрес предприятия")},
    };
    return details;
}

std::vector<TCardDetail> ProtocolCardDetails()
{
    std::vector<TCardDetail> result;
    for (const char* column : {"OKPO", "KFS", "KOPF", "OKCM", "OKOH1", "ADR", "PNAZ"})
        for (const TCardDetail& detail : CardDetails())
            if (detail.column == QLatin1String(column))
                result.push_back(detail);
    return result;
}

QString AdvisoryHeading()
{
    return text("Соотношения граф и отрицательные значения (предупреждения, не препятствуют "
                "печати и выгрузке)");
}

QString ColumnTitle(int section, const QString& field)
{
    for (const TSectionColumn& column : SectionLayout::Columns(section))
        if (column.field == field)
            return column.title;
    return field;
}

} // namespace FormRules

#include "Pollutants.h"

#include <gtest/gtest.h>

#include "Errors.h"

namespace {

const QString Names = QStringLiteral(
    "# Сопоставление\n"
    "\n"
    "| Пункт | № 2409-р | № 2909-р | Результат |\n"
    "|---:|---|---|---|\n"
    "| 1 | Азота диоксид (старое) | Азота диоксид (двуокись азота; пероксид азота) | Тот же "
    "пункт |\n"
    "| 8 | Бенз(а)пирен | Бенз(а)пирен | Совпадает |\n"
    "| 51 | Пыль | Пыль неорганическая с содержанием кремния менее 20, 20 - 70, а также "
    "более 70 процентов | Совпадает |\n"
    "| 77 | x | Углеводороды предельные C<sub>6</sub> - C<sub>10</sub>  (смесь) | Тот же |\n");

const QByteArray Positions = R"({"regulation": "x", "positions": {
    "1": ["0301"], "8": ["0703"], "51": ["2907", "2908", "2909"], "77": ["0416"]}})";

const QByteArray Additional = R"({"expected_record_count": 2, "records": [
    {"code": "0402", "name": "Бутан", "position": "76", "group": 4},
    {"code": "0102", "name": "Алкилсульфат натрия", "position": "20", "group": 2}]})";

const Pollutant* find(const QList<Pollutant>& list, int code)
{
    for (const Pollutant& p : list)
        if (p.code == code)
            return &p;
    return nullptr;
}

void expectError(const QByteArray& positions, const QString& names, const QByteArray& additional,
                 const QString& message)
{
    try {
        joinPollutants(positions, names, additional);
        FAIL() << "no error, expected " << message.toStdString();
    } catch (const F2tpError& error) {
        EXPECT_EQ(error.message(), message);
    }
}

TEST(JoinPollutants, GivesEveryCodeOnceSortedByCode)
{
    const QList<Pollutant> list = joinPollutants(Positions, Names, Additional);
    QList<int> codes;
    for (const Pollutant& p : list)
        codes.append(p.code);
    EXPECT_EQ(codes, (QList<int>{102, 301, 402, 416, 703, 2907, 2908, 2909}));
}

TEST(JoinPollutants, TakesTheListsOwnWordingByPosition)
{
    const QList<Pollutant> list = joinPollutants(Positions, Names, Additional);
    const Pollutant* no2 = find(list, 301);
    ASSERT_NE(no2, nullptr);
    EXPECT_EQ(no2->name, QStringLiteral("Азота диоксид (двуокись азота; пероксид азота)"));
    EXPECT_EQ(no2->position, 1);
    EXPECT_TRUE(no2->regulated);
    // Markup removed, blanks folded.
    EXPECT_EQ(find(list, 416)->name, QStringLiteral("Углеводороды предельные C6 - C10 (смесь)"));
    EXPECT_EQ(cleanPollutantName(QStringLiteral("Зола (20<SiO2<70) C<sub>2</sub>H<SUB>6</SUB>")),
              QStringLiteral("Зола (20<SiO2<70) C2H6"));
}

TEST(JoinPollutants, MarksOnlyListedPositionsAsRegulated)
{
    const QList<Pollutant> list = joinPollutants(Positions, Names, Additional);
    EXPECT_TRUE(find(list, 703)->regulated);
    EXPECT_FALSE(find(list, 402)->regulated);
    EXPECT_EQ(find(list, 402)->name, QStringLiteral("Бутан"));
    EXPECT_EQ(find(list, 402)->position, 76);
}

TEST(JoinPollutants, GivesTheCodesOfAGroupedPositionNamesOfTheirOwn)
{
    const QList<Pollutant> list = joinPollutants(Positions, Names, Additional);
    EXPECT_EQ(find(list, 2907)->name, QStringLiteral("Пыль неорганическая: более 70% SiO2"));
    EXPECT_EQ(find(list, 2908)->name, QStringLiteral("Пыль неорганическая: 70-20% SiO2"));
    EXPECT_EQ(find(list, 2909)->name, QStringLiteral("Пыль неорганическая: до 20% SiO2"));
    EXPECT_EQ(find(list, 2908)->position, 51);
}

TEST(JoinPollutants, RefusesAGroupedPositionWithUnknownCodes)
{
    expectError(R"({"positions": {"1": ["0301", "0304"]}})", Names, R"({"records": []})",
                QStringLiteral("pollutant positions: position 1 groups several codes; code 0301 "
                               "has no name of its own"));
}

TEST(JoinPollutants, RefusesFaultySources)
{
    expectError(R"({"positions": {"2": ["0304"]}})", Names, R"({"records": []})",
                QStringLiteral("pollutant positions: no name for position 2"));
    expectError(R"({"positions": {"1": ["301"]}})", Names, R"({"records": []})",
                QStringLiteral("pollutant positions: bad pollutant code '301'"));
    expectError(R"({"positions": {"1": []}})", Names, R"({"records": []})",
                QStringLiteral("pollutant positions: no codes for position 1"));
    expectError(R"({"positions": {"1": ["0301"]}})", Names,
                R"({"records": [{"code": "0301", "name": "x", "position": "1"}]})",
                QStringLiteral("additional pollutant codes: code 0301 given twice"));
    expectError(R"({"positions": {"1": ["0301"]}})", Names,
                R"({"expected_record_count": 3, "records": []})",
                QStringLiteral("additional pollutant codes: 0 records, 3 expected"));
    expectError(R"({"positions": {"1": ["0301"]}})", Names,
                R"({"records": [{"code": "0402", "name": " ", "position": "76"}]})",
                QStringLiteral("additional pollutant codes: no name for code 0402"));
    expectError(R"({"positions": )", Names, R"({"records": []})",
                QStringLiteral("pollutant positions: unterminated object at offset 14"));
    expectError(R"({"positions": {"1": ["0301"]}})", Names + QStringLiteral("| 8 | a | b | c |\n"),
                R"({"records": []})", QStringLiteral("pollutant names: position 8 given twice"));
    expectError(R"({"positions": {"1": ["0301"]}})", QStringLiteral("| 1 | a | b | c | d |\n"),
                R"({"records": []})",
                QStringLiteral("pollutant names: a row needs 4 cells: | 1 | a | b | c | d |"));
}

QList<int> codesOf(const QList<Pollutant>& list)
{
    QList<int> codes;
    for (const Pollutant& p : list)
        codes.append(p.code);
    return codes;
}

TEST(WithOtherPollutants, NamesTheSummaryRowInItsPlaceUnlessASourceDoes)
{
    const QList<Pollutant> sources = {{703, QStringLiteral("Бенз(а)пирен"), 8, true},
                                      {9001, QStringLiteral("Вещество"), 9, false}};
    const QList<Pollutant> list = withOtherPollutants(sources);
    EXPECT_EQ(codesOf(list), (QList<int>{703, 8888, 9001}));
    const Pollutant* other = find(list, 8888);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->name, QStringLiteral("прочие загрязняющие вещества"));
    EXPECT_FALSE(other->regulated);

    const QList<Pollutant> named = {{8888, QStringLiteral("Из источника"), 3, true}};
    const QList<Pollutant> kept = withOtherPollutants(named);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].name, QStringLiteral("Из источника"));
    EXPECT_TRUE(kept[0].regulated);
}

struct WidthCase
{
    QString text;
    qsizetype width;
    QString expected;
};

TEST(FitWidth, CutsAndDropsTrailingBlanks)
{
    const WidthCase cases[] = {
        {QStringLiteral("Бутан"), 50, QStringLiteral("Бутан")},
        {QStringLiteral("abcde fgh"), 6, QStringLiteral("abcde")},
        {QStringLiteral("abcdefgh"), 4, QStringLiteral("abcd")},
        {QString(), 4, QString()},
    };
    for (const WidthCase& c : cases)
        EXPECT_EQ(fitWidth(c.text, c.width), c.expected) << c.text.toStdString();
}

} // namespace

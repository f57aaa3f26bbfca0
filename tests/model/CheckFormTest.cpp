// The form check: the card's mandatory details in their order, then the ten
// rules with their messages, the tolerance of rules 4 and 5 and the save of
// the sections.
#include "FormTestSupport.h"

#include "CheckForm.h"
#include "ozField.h"

namespace {

const QString kLatinK = QStringLiteral("K");

} // namespace

using CheckFormTest = FormTest;

TEST_F(CheckFormTest, ConsistentFormPassesWithoutWarnings)
{
    EXPECT_EQ(checkMessage(), QString());
    EXPECT_TRUE(warnings().isEmpty());
}

TEST_F(CheckFormTest, CardDetailsAreCheckedInOrderWithTheirSpelling)
{
    // Each row empties one more detail; the first in the check's order wins.
    const std::pair<QStringList, QString> cases[] = {
        {{QStringLiteral("ADR")}, QStringLiteral("Не заполнен адрес предприятия")},
        {{QStringLiteral("ADR"), QStringLiteral("OKCM")},
         QStringLiteral("Не заполнен код О") + kLatinK + QStringLiteral("АТО")},
        {{QStringLiteral("OKCM"), QStringLiteral("KOPF")},
         QStringLiteral("Не заполнен код О") + kLatinK + QStringLiteral("ОПФ")},
        {{QStringLiteral("KOPF"), QStringLiteral("KFS")}, QStringLiteral("Не заполнен код ОКФС")},
        {{QStringLiteral("KFS"), QStringLiteral("OKOH1")},
         QStringLiteral("Не заполнен код О") + kLatinK + QStringLiteral("ВЭД")},
        {{QStringLiteral("OKOH1"), QStringLiteral("PNAZ")},
         QStringLiteral("Не заполнено наименование предприятия")},
        {{QStringLiteral("PNAZ"), QStringLiteral("OKPO")},
         QStringLiteral("Не заполнен код О") + kLatinK + QStringLiteral("ПО")},
    };
    for (const auto& [empty, message] : cases) {
        fillCard(empty);
        EXPECT_EQ(checkMessage(), message) << empty.join(QLatin1Char(',')).toStdString();
    }
    // "ОКФС" is all Cyrillic; the others carry the Latin K.
    EXPECT_FALSE(cases[3].second.contains(kLatinK));
}

TEST_F(CheckFormTest, EmptyCardFailsBeforeAnySectionRule)
{
    setNumber(3, 301, "C4", 99);
    TozMemoryData& card = dm->PrTable();
    card.first();
    card.deleteRecord();
    EXPECT_EQ(checkMessage(), QStringLiteral("Не заполнен код О") + kLatinK + QStringLiteral("ПО"));
}

TEST_F(CheckFormTest, SectionsAreSavedEvenWhenARuleFails)
{
    setNumber(3, 301, "C4", 7);
    ASSERT_FALSE(checkMessage().isEmpty());
    for (int s = 1; s <= 5; ++s)
        EXPECT_FALSE(dm->sectionTable(s).changed()) << s;
    EXPECT_TRUE(folder->hasData(QStringLiteral("F2TPR3.xml")));
    // The bound controls are resumed after the failure.
    for (int s = 1; s <= 5; ++s)
        EXPECT_FALSE(dm->sectionTable(s).controlsDisabled()) << s;
}

TEST_F(CheckFormTest, Rule2AppliesWhenAllSourcesAreOrganised)
{
    const QString message =
        QStringLiteral("Графа 2 строка 101 раздел 1 <> Графа 3 строка 101 раздел 1");
    // Section 3 empty reads 0 = 0: rule 2 applies.
    enter(1, 102, "C3", QString());
    setNumber(2, 201, "C2", 10);
    EXPECT_EQ(checkMessage(), message);
    // 5 of 5 sources organised: it still applies.
    setNumber(3, 301, "C1", 5);
    setNumber(3, 301, "C2", 5);
    EXPECT_EQ(checkMessage(), message);
    // 4 of 5: skipped, and the form passes.
    setNumber(3, 301, "C2", 4);
    EXPECT_EQ(checkMessage(), QString());
}

TEST_F(CheckFormTest, Rule3ComparesRow101WithRow301)
{
    setNumber(3, 301, "C4", 10.001);
    EXPECT_EQ(checkMessage(),
              QStringLiteral("Графа 7 строка 101 раздел 1 <> Графа 4 строка 301 раздел 3"));
}

TEST_F(CheckFormTest, Rule4ToleratesOneThousandthWithAWarning)
{
    const QString text = QStringLiteral("Графа 7 сумма строк 102,107,108,109 раздел 1 <> Сумме "
                                        "всех строк графы 2 раздела 2");
    setNumber(2, 201, "C2", 4);
    setNumber(2, 202, "C2", 5.999);
    EXPECT_EQ(checkMessage(), QString());
    EXPECT_EQ(warnings(), QStringList{QStringLiteral("Внимание: ") + text});
    // Every run warns again.
    forgetCalls();
    EXPECT_EQ(checkMessage(), QString());
    EXPECT_EQ(warnings().size(), 1);
    forgetCalls();
    setNumber(2, 202, "C2", 5.998);
    EXPECT_EQ(checkMessage(), text);
    EXPECT_TRUE(warnings().isEmpty());
}

TEST_F(CheckFormTest, Rule4AddsRowsInOrderAndSkipsMissingOnes)
{
    // Rows 107 to 109 count on the left; row 104 does not.
    setNumber(1, 104, "C2", 3);
    setNumber(1, 107, "C2", 1.5);
    setNumber(1, 109, "C2", 0.25);
    setNumber(2, 201, "C2", 11.75);
    setNumber(5, 502, "C3", 3);
    setNumber(3, 301, "C4", 14.75);
    setNumber(1, 102, "C3", 14.75);
    setNumber(5, 505, "C4", 1.5);
    EXPECT_EQ(checkMessage(), QString());
    EXPECT_TRUE(warnings().isEmpty());
}

TEST_F(CheckFormTest, ToleranceBoundaryIsExact)
{
    const std::tuple<double, double, bool> cases[] = {
        {10, 9.999, true},
        {9.999, 10, true},
        {1.001, 1, true},
        {100.001, 100, false},
        {100, 100.001, false},
        {5, 4.998, false},
        // 0.001 as a double lies just above the extended thousandth.
        {0, 0.001, false},
    };
    for (const auto& [left, right, tolerated] : cases)
        EXPECT_EQ(TFormCheck::Tolerated({left, right}), tolerated) << left << " " << right;
}

TEST_F(CheckFormTest, Rule5WarnsOrFailsAsRule4)
{
    const QString text =
        QStringLiteral("Графа 7 строка 102 раздел 1 <> Суммы графы 3,4 строки 501 раздела 5");
    setNumber(5, 501, "C3", 9);
    setNumber(5, 501, "C4", 1.001);
    EXPECT_EQ(checkMessage(), QString());
    EXPECT_EQ(warnings(), QStringList{QStringLiteral("Внимание: ") + text});
    setNumber(5, 501, "C4", 1.002);
    EXPECT_EQ(checkMessage(), text);
}

TEST_F(CheckFormTest, Rules6To8CompareSection1WithSection5)
{
    const std::tuple<int, int, const char*> cases[] = {
        {104, 502, "Графа 7 строка 104 раздел 1 <> Суммы графы 3,4 строки 502 раздела 5"},
        {105, 503, "Графа 7 строка 105 раздел 1 <> Суммы графы 3,4 строки 503 раздела 5"},
        {106, 504, "Графа 7 строка 106 раздел 1 <> Суммы графы 3,4 строки 504 раздела 5"},
    };
    for (const auto& [row1, row5, message] : cases) {
        // No tolerance here: one thousandth fails.
        setNumber(5, row5, "C4", 0.001);
        EXPECT_EQ(checkMessage(), QString::fromUtf8(message));
        setNumber(5, row5, "C4", 0);
        EXPECT_EQ(checkMessage(), QString());
    }
}

TEST_F(CheckFormTest, Rule9NeedsRows107And108AtLeastRow505)
{
    const QString message = QStringLiteral(
        "Графа 7 сумма строк 107,108 раздел 1 < Суммы графы 3,4 строки 505 раздела 5");
    setNumber(1, 107, "C2", 1);
    setNumber(1, 108, "C2", 2);
    setNumber(2, 201, "C2", 13);
    setNumber(3, 301, "C4", 13);
    setNumber(1, 102, "C3", 13);
    setNumber(5, 505, "C3", 2);
    setNumber(5, 505, "C4", 1);
    EXPECT_EQ(checkMessage(), QString());
    setNumber(5, 505, "C4", 1.001);
    EXPECT_EQ(checkMessage(), message);
}

TEST_F(CheckFormTest, Rule10ComparesWithPollutant410)
{
    const QString message =
        QStringLiteral("Графа 7 сумма строк 107,108 раздел 1 < Графа 2 строка 203 раздела 2");
    setNumber(2, 201, "C2", 7);
    setNumber(2, 203, "C2", 3);
    EXPECT_EQ(checkMessage(), message);
    setNumber(1, 108, "C2", 3);
    setNumber(2, 201, "C2", 10);
    setNumber(3, 301, "C4", 13);
    setNumber(1, 102, "C3", 13);
    setNumber(5, 505, "C3", 3);
    EXPECT_EQ(checkMessage(), QString());
}

TEST_F(CheckFormTest, Rule10WithoutPollutant410ComparesWithZero)
{
    go(2, 203);
    TozMemoryData& r2 = section(2);
    {
        TControlsDisabler quiet(r2);
        r2.edit();
        r2.fieldByName(QStringLiteral("C1")).setAsInteger(2);
        r2.post();
    }
    EXPECT_FALSE(r2.locate(QStringLiteral("C1"), 410));
    EXPECT_EQ(checkMessage(), QString());
}

// Every finding of the form at once: the card's missing details, the rules in
// their order with the cells they compare, the advisory column ratios and
// amounts below zero at their boundaries, and the check that stays as it was.
#include "FormTestSupport.h"

#include "CheckForm.h"
#include "FormFindings.h"
#include "ozField.h"

namespace {

using Cells = QList<TFindingCell>;

TFindingCell cell(int section, int row, const char* field)
{
    return {section, row, 0, QString::fromLatin1(field)};
}

QStringList messages(const QList<TFinding>& findings, TFindingKind kind)
{
    QStringList result;
    for (const TFinding& finding : findings)
        if (finding.kind == kind)
            result.append(finding.message);
    return result;
}

} // namespace

class FormFindingsTest : public FormTest
{
protected:
    QList<TFinding> findings() { return FindFormFindings(*dm); }
    QStringList advisory() { return messages(findings(), TFindingKind::Advisory); }
};

TEST_F(FormFindingsTest, ConsistentFormHasNone)
{
    EXPECT_TRUE(findings().isEmpty());
}

TEST_F(FormFindingsTest, SeveralViolatedRulesComeInOrderWithTheirCells)
{
    fillCard({QStringLiteral("ADR"), QStringLiteral("OKPO")});
    setNumber(1, 102, "C3", 9);  // rule 2: row 101 has 14 in column 2, 39 in column 3
    setNumber(1, 104, "C2", 3);  // rule 6 against row 502
    setNumber(1, 104, "C3", 30); // an "of which" above its total, in rows 104, 103 and 101
    setNumber(1, 108, "C2", 1);  // rule 10 against pollutant 410
    setNumber(2, 201, "C2", 9.001);
    setNumber(2, 203, "C2", 2); // rule 4: 11 against 11.001, tolerated
    setNumber(3, 301, "C4", 7); // rule 3
    setNumber(5, 502, "C3", 1);
    go(1, 105);

    const QList<TFinding> all = findings();
    const QString k = QStringLiteral("K");
    const std::vector<std::tuple<TFindingKind, QString, Cells>> expected{
        {TFindingKind::Error,
         QStringLiteral("Не заполнен код О") + k + QStringLiteral("ПО"),
         {{0, 0, 0, QStringLiteral("OKPO")}}},
        {TFindingKind::Error,
         QStringLiteral("Не заполнен адрес предприятия"),
         {{0, 0, 0, QStringLiteral("ADR")}}},
        {TFindingKind::Error,
         QStringLiteral("Графа 2 строка 101 раздел 1 <> Графа 3 строка 101 раздел 1"),
         {cell(1, 101, "C2"), cell(1, 101, "C3")}},
        {TFindingKind::Error,
         QStringLiteral("Графа 7 строка 101 раздел 1 <> Графа 4 строка 301 раздел 3"),
         {cell(1, 101, "C7"), cell(3, 301, "C4")}},
        {TFindingKind::Tolerated,
         QStringLiteral("Графа 7 сумма строк 102,107,108,109 раздел 1 <> Сумме всех строк графы "
                        "2 раздела 2"),
         {cell(1, 102, "C7"), cell(1, 107, "C7"), cell(1, 108, "C7"), cell(1, 109, "C7"),
          cell(2, 0, "C2")}},
        {TFindingKind::Error,
         QStringLiteral("Графа 7 строка 104 раздел 1 <> Суммы графы 3,4 строки 502 раздела 5"),
         {cell(1, 104, "C7"), cell(5, 502, "C3"), cell(5, 502, "C4")}},
        {TFindingKind::Error,
         QStringLiteral("Графа 7 сумма строк 107,108 раздел 1 < Графа 2 строка 203 раздела 2"),
         {cell(1, 107, "C7"), cell(1, 108, "C7"), {2, 0, 410, QStringLiteral("C2")}}},
        {TFindingKind::Advisory,
         QStringLiteral("Графа 3 строка 101 раздел 1 > Графа 2 строка 101 раздел 1"),
         {cell(1, 101, "C3"), cell(1, 101, "C2")}},
        {TFindingKind::Advisory,
         QStringLiteral("Графа 3 строка 103 раздел 1 > Графа 2 строка 103 раздел 1"),
         {cell(1, 103, "C3"), cell(1, 103, "C2")}},
        {TFindingKind::Advisory,
         QStringLiteral("Графа 3 строка 104 раздел 1 > Графа 2 строка 104 раздел 1"),
         {cell(1, 104, "C3"), cell(1, 104, "C2")}},
    };
    ASSERT_EQ(all.size(), qsizetype(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& [kind, message, cells] = expected[i];
        const TFinding& finding = all.at(qsizetype(i));
        EXPECT_EQ(finding.kind, kind) << i;
        EXPECT_EQ(finding.message, message) << i;
        EXPECT_EQ(finding.cells, cells) << i;
    }
    // Both values as the protocol shows them.
    EXPECT_EQ(all.at(3).values.left, 14);
    EXPECT_EQ(all.at(3).values.right, 7);
    EXPECT_EQ(all.at(9).heading,
              QStringLiteral("Графа 3 строка 104 раздел 1 <= Графа 2 строка 104 раздел 1"));
    // The places as the list and f2tp-cli name them.
    EXPECT_EQ(FindingPlace(all.at(0)), QStringLiteral("организация, поле «ОКПО»"));
    EXPECT_EQ(FindingPlace(all.at(4)), QStringLiteral("раздел 1, строка 102, графа 7"));
    EXPECT_EQ(CellPlace(all.at(4).cells.last()), QStringLiteral("раздел 2, графа 2"));
    EXPECT_EQ(CellPlace(all.at(6).cells.last()), QStringLiteral("раздел 2, код 410, графа 2"));
    EXPECT_EQ(FindingPlace(all.at(9)), QStringLiteral("раздел 1, строка 104, графа 3"));
    // Reading all of it left the cursor where the user had it.
    EXPECT_EQ(section(1).fieldByName(QStringLiteral("CA")).asInteger(), 105);
    EXPECT_FALSE(section(1).controlsDisabled());

    // The check stops at the first error: the card, then with the card complete the first
    // rule, before the tolerated difference could warn.
    EXPECT_EQ(checkMessage(), std::get<1>(expected[0]));
    fillCard();
    EXPECT_EQ(checkMessage(), std::get<1>(expected[2]));
    EXPECT_TRUE(warnings().isEmpty());
}

TEST_F(FormFindingsTest, ColumnRatiosAreAdvisoryAtTheirBoundary)
{
    // Rule 2 is skipped (4 of 5 sources organised), so only the ratios speak.
    setNumber(3, 302, "C1", 5);
    setNumber(3, 301, "C1", 5);
    setNumber(3, 301, "C2", 4);
    struct Ratio
    {
        int section, row;
        const char *part, *total;
        double equal, above;
        const char* message;
    };
    const Ratio ratios[] = {
        {1, 104, "C3", "C2", 5, 5.001, "Графа 3 строка 104 раздел 1 > Графа 2 строка 104 раздел 1"},
        {1, 105, "C5", "C4", 5, 5.001, "Графа 5 строка 105 раздел 1 > Графа 4 строка 105 раздел 1"},
        {1, 106, "C6", "C5", 5, 5.001, "Графа 6 строка 106 раздел 1 > Графа 5 строка 106 раздел 1"},
        // Section 3 counts sources: whole numbers.
        {3, 302, "C2", "C1", 5, 6, "Графа 2 строка 302 раздел 3 > Графа 1 строка 302 раздел 3"},
    };
    for (const Ratio& ratio : ratios) {
        setNumber(ratio.section, ratio.row, ratio.total, 5);
        setNumber(ratio.section, ratio.row, ratio.part, ratio.equal);
        EXPECT_FALSE(advisory().contains(QString::fromUtf8(ratio.message))) << ratio.message;
        setNumber(ratio.section, ratio.row, ratio.part, ratio.above);
        EXPECT_TRUE(advisory().contains(QString::fromUtf8(ratio.message))) << ratio.message;
        setNumber(ratio.section, ratio.row, ratio.part, 0);
        setNumber(ratio.section, ratio.row, ratio.total, 0);
    }
}

TEST_F(FormFindingsTest, AmountsBelowZeroAreAdvisoryAndNameTheirColumn)
{
    setNumber(5, 503, "C3", 0);
    EXPECT_TRUE(advisory().isEmpty());
    setNumber(5, 503, "C3", -0.001);
    setNumber(1, 104, "C9", -1);
    setNumber(2, 202, "C4", -2);
    const QList<TFinding> all = findings();
    // Section 1's C9 stands under "8", section 2's C4 under "3", as the grids title them.
    EXPECT_EQ(messages(all, TFindingKind::Advisory),
              (QStringList{QStringLiteral("Графа 8 строка 104 раздел 1 < 0"),
                           QStringLiteral("Графа 3 строка 202 раздел 2 < 0"),
                           QStringLiteral("Графа 3 строка 503 раздел 5 < 0")}));
    EXPECT_EQ(FindingPlace(all.at(all.size() - 3)),
              QStringLiteral("раздел 1, строка 104, графа 8"));
    EXPECT_EQ(all.last().heading, QStringLiteral("Графа 3 строка 503 раздел 5 >= 0"));
}

TEST_F(FormFindingsTest, AdvisoryFindingsNeverFailTheCheck)
{
    setNumber(3, 301, "C1", 5);
    setNumber(3, 301, "C2", 4);
    setNumber(1, 104, "C2", 3);
    setNumber(1, 104, "C3", 30);
    setNumber(5, 502, "C3", 3);
    setNumber(3, 301, "C4", 13);
    setNumber(1, 104, "C10", -4);
    ASSERT_EQ(advisory().size(), 4);
    EXPECT_FALSE(HasErrors(findings()));
    EXPECT_EQ(checkMessage(), QString());
    EXPECT_TRUE(warnings().isEmpty());
}

TEST_F(FormFindingsTest, FirstErrorIsTheChecksMessageInEveryEdgeCase)
{
    const auto firstError = [this] {
        for (const TFinding& finding : findings())
            if (finding.kind == TFindingKind::Error)
                return finding.message;
        return QString();
    };
    const std::function<void()> cases[] = {
        [this] { dm->PrTable().first(), dm->PrTable().deleteRecord(); },
        [this] { setNumber(2, 202, "C2", 5.998), setNumber(2, 201, "C2", 4); },
        [this] { setNumber(1, 102, "C3", 2), setNumber(1, 102, "C2", 3); },
        [this] {
            setNumber(3, 301, "C1", 5), setNumber(3, 301, "C2", 5), setNumber(1, 102, "C3", 2);
        },
        [this] { setNumber(5, 505, "C4", 1.001); },
        [this] { setNumber(1, 107, "C2", -1); },
        [this] { setNumber(5, 504, "C3", 0.001); },
    };
    for (const auto& change : cases) {
        change();
        const QString message = checkMessage();
        EXPECT_FALSE(message.isEmpty());
        EXPECT_EQ(firstError(), message);
        TearDown();
        SetUp();
    }
}

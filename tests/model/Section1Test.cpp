// Section 1: rounding of typed amounts, the totals of rows 101 and 103, the
// computed column 7, the text of zeros and of cells without norms, row permissions.
#include "ModelTestSupport.h"

#include "Errors.h"
#include "FormatSettings.h"
#include "MDM.h"
#include "ozField.h"

using Section1Test = ModelTest;

TEST_F(Section1Test, TypedAmountsAreRoundedToThreeDecimalsHalvesToEven)
{
    struct Case
    {
        const char* typed;
        double stored;
    };
    const Case cases[] = {
        {"12.3456", 12.346}, {"0.0625", 0.062}, {"0.1875", 0.188}, {"1.0004", 1},
        {"2.5", 2.5},        {"-1.0005", -1},   {"1E-6", 0},       {"7", 7},
    };
    load();
    for (const Case& c : cases) {
        enter(1, 104, "C2", QString::fromLatin1(c.typed));
        EXPECT_DOUBLE_EQ(value(1, 104, "C2"), c.stored) << c.typed;
    }
}

TEST_F(Section1Test, RowsOneHundredOneAndThreeAreTotals)
{
    load();
    enter(1, 102, "C2", QStringLiteral("1"));
    enter(1, 104, "C2", QStringLiteral("2.5"));
    enter(1, 105, "C2", QStringLiteral("2.5"));
    EXPECT_DOUBLE_EQ(value(1, 103, "C2"), 5);
    EXPECT_DOUBLE_EQ(value(1, 101, "C2"), 6);
    EXPECT_EQ(shown(1, 101, "C2"), QStringLiteral("6"));

    // Each column has totals of its own; column 9 and 10 have none.
    enter(1, 109, "C8", QStringLiteral("0.001"));
    enter(1, 106, "C9", QStringLiteral("4"));
    EXPECT_DOUBLE_EQ(value(1, 101, "C8"), 0.001);
    EXPECT_DOUBLE_EQ(value(1, 103, "C8"), 0.001);
    EXPECT_DOUBLE_EQ(value(1, 101, "C2"), 6);
    EXPECT_TRUE(isNull(1, 101, "C9"));
}

TEST_F(Section1Test, TotalsFollowEveryColumnThatHasTheRule)
{
    load();
    for (const char* column : {"C2", "C3", "C4", "C5", "C6", "C8"}) {
        enter(1, 107, column, QStringLiteral("0.1"));
        enter(1, 108, column, QStringLiteral("0.2"));
        enter(1, 102, column, QStringLiteral("0.4"));
        EXPECT_DOUBLE_EQ(value(1, 103, column), 0.3) << column;
        EXPECT_DOUBLE_EQ(value(1, 101, column), 0.7) << column;
    }
}

TEST_F(Section1Test, ClearingACellEmptiesItAndCountsAsZero)
{
    load();
    enter(1, 104, "C3", QStringLiteral("3"));
    enter(1, 105, "C3", QStringLiteral("4"));
    enter(1, 104, "C3", QString());
    EXPECT_TRUE(isNull(1, 104, "C3"));
    EXPECT_EQ(shown(1, 104, "C3"), QStringLiteral("-"));
    EXPECT_DOUBLE_EQ(value(1, 101, "C3"), 4);
    EXPECT_DOUBLE_EQ(value(1, 103, "C3"), 4);
}

TEST_F(Section1Test, TextThatIsNoNumberIsRejectedAndNothingChanges)
{
    load();
    enter(1, 104, "C2", QStringLiteral("2"));
    go(1, 104);
    TozMemoryData& r1 = section(1);
    r1.edit();
    try {
        r1.fieldByName(QStringLiteral("C2")).setText(QStringLiteral("1,5"));
        FAIL() << "accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'1,5' is not a valid floating point value"));
    }
    r1.cancel();
    EXPECT_DOUBLE_EQ(value(1, 104, "C2"), 2);
    EXPECT_DOUBLE_EQ(value(1, 101, "C2"), 2);
}

TEST_F(Section1Test, TheUsersDecimalSeparatorIsRead)
{
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    load();
    enter(1, 104, "C2", QStringLiteral("1,2345"));
    EXPECT_DOUBLE_EQ(value(1, 104, "C2"), 1.234);
    EXPECT_EQ(shown(1, 104, "C2"), QStringLiteral("1,234"));
}

TEST_F(Section1Test, ColumnSevenIsTheBalance)
{
    load();
    enter(1, 105, "C2", QStringLiteral("1"));
    enter(1, 105, "C4", QStringLiteral("3"));
    enter(1, 105, "C5", QStringLiteral("0.5"));
    EXPECT_DOUBLE_EQ(value(1, 105, "C7"), 3.5);
    EXPECT_DOUBLE_EQ(value(1, 101, "C7"), 3.5);
    EXPECT_EQ(shown(1, 106, "C7"), QStringLiteral("-"));
}

TEST_F(Section1Test, ZerosShowAsDashAndCellsWithoutNormsAsX)
{
    load();
    enter(1, 104, "C2", QStringLiteral("0"));
    EXPECT_EQ(shown(1, 104, "C2"), QStringLiteral("-"));
    EXPECT_EQ(shown(1, 104, "C9"), QStringLiteral("-"));
    enter(1, 104, "C9", QStringLiteral("8.25"));
    EXPECT_EQ(shown(1, 104, "C9"), QStringLiteral("8.25"));
    for (int row : {101, 102, 103, 107, 108, 109}) {
        EXPECT_EQ(shown(1, row, "C9"), QStringLiteral("    X    ")) << row;
        EXPECT_EQ(shown(1, row, "C10"), QStringLiteral("    X    ")) << row;
    }
    go(1, 105);
    EXPECT_EQ(section(1).fieldByName(QStringLiteral("C9")).editText(), QStringLiteral("-"));
}

TEST_F(Section1Test, NormsAreAcceptedOnlyOnRowsWithNorms)
{
    load();
    for (int row : {104, 105, 106}) {
        enter(1, row, "C10", QStringLiteral("1.23456"));
        EXPECT_DOUBLE_EQ(value(1, row, "C10"), 1.23456) << row;
    }
    for (int row : {102, 107, 108, 109}) {
        go(1, row);
        section(1).edit();
        EXPECT_THROW(section(1).fieldByName(QStringLiteral("C9")).setText(QStringLiteral("1")),
                     EDatabaseError)
            << row;
        section(1).cancel();
    }
}

TEST_F(Section1Test, TotalRowsRefuseEditingSilently)
{
    load();
    for (int row : {101, 103}) {
        go(1, row);
        EXPECT_THROW(section(1).edit(), EAbort) << row;
        EXPECT_EQ(section(1).state(), TDataSetState::dsBrowse);
    }
    go(1, 102);
    EXPECT_NO_THROW(section(1).edit());
    section(1).cancel();
}

TEST_F(Section1Test, NoRowsCanBeAddedOrDeleted)
{
    load();
    EXPECT_THROW(section(1).append(), EAbort);
    go(1, 104);
    EXPECT_THROW(section(1).deleteRecord(), EAbort);
    EXPECT_EQ(section(1).recordCount(), 9);
}

TEST_F(Section1Test, ASectionWithoutSomeRowsStillGetsItsTotalsRight)
{
    folder->writeData(QStringLiteral("F2TPR1.xml"),
                      dataPacket({QStringLiteral("CA:i2"), QStringLiteral("C2:r8")},
                                 {{QStringLiteral("101"), QString()},
                                  {QStringLiteral("103"), QString()},
                                  {QStringLiteral("105"), QStringLiteral("2")}}));
    load();
    enter(1, 105, "C2", QStringLiteral("3"));
    EXPECT_DOUBLE_EQ(value(1, 101, "C2"), 3);
    EXPECT_DOUBLE_EQ(value(1, 103, "C2"), 3);
    EXPECT_DOUBLE_EQ(value(1, 105, "C2"), 3);
}

TEST_F(Section1Test, ChangesReachTheFileOnlyWhenSaved)
{
    load();
    logic->SaveSections();
    const QByteArray saved = folder->readData(QStringLiteral("F2TPR1.xml"));
    enter(1, 104, "C2", QStringLiteral("5"));
    EXPECT_EQ(folder->readData(QStringLiteral("F2TPR1.xml")), saved);
    logic->SaveSections();
    load();
    EXPECT_DOUBLE_EQ(value(1, 104, "C2"), 5);
    EXPECT_DOUBLE_EQ(value(1, 101, "C2"), 5);
}

TEST_F(Section1Test, ReloadingWorksWhateverRowWasCurrent)
{
    load();
    enter(1, 105, "C9", QStringLiteral("2"));
    logic->SaveSections();
    // Row 102 leaves columns 9 and 10 read-only; the next load must still read them.
    go(1, 102);
    ASSERT_TRUE(section(1).fieldByName(QStringLiteral("C9")).readOnly());
    logic->LoadSections();
    EXPECT_DOUBLE_EQ(value(1, 105, "C9"), 2);
}

TEST_F(Section1Test, TheFileDoesNotDependOnTheCurrentRow)
{
    load();
    enter(1, 102, "C2", QStringLiteral("1"));
    ASSERT_TRUE(section(1).fieldByName(QStringLiteral("C9")).readOnly());
    logic->SaveSections();
    EXPECT_FALSE(folder->readData(QStringLiteral("F2TPR1.xml")).contains("readonly"));
    EXPECT_TRUE(section(1).fieldByName(QStringLiteral("C9")).readOnly());
    EXPECT_EQ(section(1).fieldByName(QStringLiteral("CA")).asInteger(), 102);
}

// Sections 3, 4 and 5: plain values, the negative reductions and the one added
// row of section 4.
#include "ModelTestSupport.h"

#include "Errors.h"
#include "ozField.h"

using Sections345Test = ModelTest;

TEST_F(Sections345Test, SectionFourReductionsAreStoredNegative)
{
    struct Case
    {
        const char* typed;
        double stored;
        const char* shown;
    };
    const Case cases[] = {
        {"12.5", -12.5, "-12.5"},
        {"-3", -3, "-3"},
        {"", 0, ""},
        {"0", 0, ""},
        {"-0", 0, ""},
        {"0.12345", -0.12345, "-0.12345"},
    };
    load();
    for (const char* column : {"C5", "C6"}) {
        for (const Case& c : cases) {
            enter(4, 402, column, QString::fromLatin1(c.typed));
            EXPECT_FALSE(isNull(4, 402, column)) << c.typed;
            EXPECT_DOUBLE_EQ(value(4, 402, column), c.stored) << column << ' ' << c.typed;
            EXPECT_EQ(shown(4, 402, column), QString::fromLatin1(c.shown)) << c.typed;
        }
    }
}

TEST_F(Sections345Test, SectionFourRejectsTextThatIsNoNumber)
{
    load();
    enter(4, 403, "C5", QStringLiteral("2"));
    go(4, 403);
    section(4).edit();
    try {
        section(4).fieldByName(QStringLiteral("C5")).setText(QStringLiteral("x"));
        FAIL() << "accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'x' is not a valid floating point value"));
    }
    section(4).cancel();
    EXPECT_DOUBLE_EQ(value(4, 403, "C5"), -2);
}

TEST_F(Sections345Test, SectionFourOtherColumnsTakeTheirTextAsIs)
{
    load();
    enter(4, 401, "C3", QStringLiteral("15.5"));
    enter(4, 401, "C2", QStringLiteral("0"));
    enter(4, 401, "CB", QStringLiteral("Котельная \"Восток\" & цех"));
    EXPECT_DOUBLE_EQ(value(4, 401, "C3"), 15.5);
    EXPECT_EQ(shown(4, 401, "C2"), QStringLiteral("0"));
    EXPECT_EQ(shown(4, 401, "C1"), QString());
    EXPECT_EQ(shown(4, 401, "CB"), QStringLiteral("Котельная \"Восток\" & цех"));
}

TEST_F(Sections345Test, SectionFourTakesExactlyOneAddedRow)
{
    load();
    TozMemoryData& r4 = section(4);
    EXPECT_TRUE(r4.CanInsert());
    r4.append();
    r4.fieldByName(QStringLiteral("CC")).setText(QStringLiteral("Фильтр"));
    r4.post();
    EXPECT_EQ(rows(4), (std::vector<int>{401, 402, 403, 404, 405, 406}));
    EXPECT_FALSE(r4.CanInsert());
    EXPECT_THROW(r4.append(), EAbort);
    EXPECT_EQ(r4.recordCount(), 6);

    go(4, 406);
    r4.deleteRecord();
    EXPECT_EQ(rows(4), (std::vector<int>{401, 402, 403, 404, 405}));
    EXPECT_TRUE(r4.CanInsert());
}

TEST_F(Sections345Test, SectionFourFixedRowsCannotBeDeleted)
{
    load();
    for (int row : {401, 402, 403, 404, 405}) {
        go(4, row);
        EXPECT_THROW(section(4).deleteRecord(), EAbort) << row;
    }
    EXPECT_EQ(section(4).recordCount(), 5);
}

TEST_F(Sections345Test, SectionFourAddedRowIsKeptAcrossLoads)
{
    load();
    section(4).append();
    section(4).fieldByName(QStringLiteral("C5")).setText(QStringLiteral("1"));
    section(4).post();
    logic->SaveSections();
    load();
    EXPECT_EQ(rows(4), (std::vector<int>{401, 402, 403, 404, 405, 406}));
    EXPECT_FALSE(section(4).CanInsert());
    EXPECT_DOUBLE_EQ(value(4, 406, "C5"), -1);
}

TEST_F(Sections345Test, SectionThreeCountsAreIntegersAndAmountsAreNotRounded)
{
    load();
    enter(3, 301, "C1", QStringLiteral("12"));
    enter(3, 301, "C3", QStringLiteral("0.12345"));
    EXPECT_DOUBLE_EQ(value(3, 301, "C1"), 12);
    EXPECT_DOUBLE_EQ(value(3, 301, "C3"), 0.12345);
    enter(3, 301, "C1", QString());
    EXPECT_TRUE(isNull(3, 301, "C1"));
    EXPECT_EQ(shown(3, 301, "C1"), QString());
    go(3, 302);
    section(3).edit();
    try {
        section(3).fieldByName(QStringLiteral("C2")).setText(QStringLiteral("1.5"));
        FAIL() << "accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'1.5' is not a valid integer value for field 'C2'"));
    }
    section(3).cancel();
}

TEST_F(Sections345Test, SectionsThreeAndFiveHaveFixedRowsOnly)
{
    load();
    for (int number : {3, 5}) {
        EXPECT_THROW(section(number).append(), EAbort) << number;
        section(number).first();
        EXPECT_THROW(section(number).deleteRecord(), EAbort) << number;
    }
    enter(5, 504, "C4", QStringLiteral("3.0005"));
    EXPECT_DOUBLE_EQ(value(5, 504, "C4"), 3.0005);
    EXPECT_EQ(shown(5, 504, "C3"), QString());
}

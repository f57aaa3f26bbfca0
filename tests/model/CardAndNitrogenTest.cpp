// The organisation card's computed columns and trimmed codes, the officials
// list, and the nitrogen oxide tables' caps and balances.
#include "ModelTestSupport.h"

#include "Errors.h"
#include "ozField.h"

using CardTest = ModelTest;

TEST_F(CardTest, OwnerIdJoinsTheTrimmedParentCodes)
{
    load();
    TozMemoryData& card = dm->PrTable();
    card.append();
    card.fieldByName(QStringLiteral("NGDU1")).setAsString(QStringLiteral(" 7701234567 "));
    card.fieldByName(QStringLiteral("NGDU2")).setAsString(QStringLiteral(" 01"));
    card.fieldByName(QStringLiteral("INN")).setText(QStringLiteral("  7701234567 "));
    card.fieldByName(QStringLiteral("KOD")).setText(QStringLiteral("\t770123456701 "));
    const QString name = QString(120, QChar(0x0416));
    card.fieldByName(QStringLiteral("PNAZ")).setText(name);
    card.post();
    EXPECT_EQ(card.fieldByName(QStringLiteral("OWNERID")).asString(),
              QStringLiteral("770123456701"));
    EXPECT_EQ(card.fieldByName(QStringLiteral("INN")).asString(), QStringLiteral("7701234567"));
    EXPECT_EQ(card.fieldByName(QStringLiteral("KOD")).asString(), QStringLiteral("770123456701"));
    EXPECT_EQ(card.fieldByName(QStringLiteral("SNAZ")).asString(), name.left(50));
    // Other columns keep their blanks.
    card.edit();
    card.fieldByName(QStringLiteral("ADR")).setText(QStringLiteral(" ул. Мира "));
    card.post();
    EXPECT_EQ(card.fieldByName(QStringLiteral("ADR")).asString(), QStringLiteral(" ул. Мира "));
}

TEST_F(CardTest, CodeAndNameAreRequired)
{
    load();
    TozMemoryData& card = dm->PrTable();
    card.append();
    card.fieldByName(QStringLiteral("KOD")).setText(QStringLiteral("1"));
    try {
        card.post();
        FAIL() << "posted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Поле 'Наименование предприятия' должно иметь значение"));
    }
    card.cancel();
}

TEST_F(CardTest, OfficialsRowCarriesTheContextAndTheHead)
{
    load();
    TozMemoryData& card = dm->PrTable();
    card.append();
    card.fieldByName(QStringLiteral("KOD")).setText(QStringLiteral("7701"));
    card.fieldByName(QStringLiteral("PNAZ")).setText(QStringLiteral("Завод"));
    card.fieldByName(QStringLiteral("FIOR")).setText(QStringLiteral("Иванов И.И."));
    card.post();
    logic->RefreshContext();
    TozMemoryData& officials = dm->sprdolj();
    officials.open();
    officials.append();
    officials.post();
    EXPECT_EQ(officials.fieldByName(QStringLiteral("KODP")).asString(), QStringLiteral("7701"));
    EXPECT_EQ(officials.fieldByName(QStringLiteral("KODD")).asInteger(), 1);
    EXPECT_EQ(officials.fieldByName(QStringLiteral("FIO")).asString(),
              QStringLiteral("Иванов И.И."));
}

TEST_F(CardTest, RegionRowCarriesTheOrganisationCode)
{
    load();
    dm->setCurrentKodp(QStringLiteral("42"));
    TozMemoryData& region = dm->spisokkr();
    region.append();
    region.fieldByName(QStringLiteral("NGDU")).setText(QStringLiteral("45000"));
    region.post();
    EXPECT_EQ(region.fieldByName(QStringLiteral("KODP")).asString(), QStringLiteral("42"));
}

class NitrogenTest : public ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        load();
        n1().open();
        n1().setCanInsert(true);
        n1().append();
        set(n1(), "C7", 10);
        set(n1(), "C5", 2);
        n1().post();
        n1().setCanInsert(false);
        n1().edit();
    }

    TozMemoryData& n1() { return dm->NOR1Table(); }
    TozMemoryData& n5() { return dm->NOR5Table(); }

    static void set(TozMemoryData& table, const char* column, double v)
    {
        table.fieldByName(QString::fromLatin1(column)).setAsFloat(v);
    }
    static double get(TozMemoryData& table, const char* column)
    {
        return table.fieldByName(QString::fromLatin1(column)).asFloat();
    }
    static void type(TozMemoryData& table, const char* column, const char* text)
    {
        table.fieldByName(QString::fromLatin1(column)).setText(QString::fromLatin1(text));
    }
};

TEST_F(NitrogenTest, AmountWithoutTreatmentIsCappedAndBalanced)
{
    type(n1(), "C2", "12");
    EXPECT_DOUBLE_EQ(get(n1(), "C2"), 10);
    EXPECT_DOUBLE_EQ(get(n1(), "C4"), 2);
    type(n1(), "C2", "4");
    EXPECT_DOUBLE_EQ(get(n1(), "C2"), 4);
    EXPECT_DOUBLE_EQ(get(n1(), "C4"), 8);
}

TEST_F(NitrogenTest, PartsAreCappedByTheirWholeOnlyWhenTyped)
{
    type(n1(), "C2", "4");
    type(n1(), "C3", "5");
    EXPECT_DOUBLE_EQ(get(n1(), "C3"), 4);
    type(n1(), "C6", "3");
    EXPECT_DOUBLE_EQ(get(n1(), "C6"), 2);
    type(n1(), "C6", "1.5");
    EXPECT_DOUBLE_EQ(get(n1(), "C6"), 1.5);
    // Lowering the whole later leaves the part typed before.
    type(n1(), "C2", "3");
    EXPECT_DOUBLE_EQ(get(n1(), "C3"), 4);
}

TEST_F(NitrogenTest, SectionFiveAmountsAddUpToTheTotal)
{
    n1().post();
    n5().open();
    n5().append();
    type(n5(), "C3", "3");
    EXPECT_DOUBLE_EQ(get(n5(), "C4"), 7);
    type(n5(), "C4", "15");
    EXPECT_DOUBLE_EQ(get(n5(), "C4"), 10);
    EXPECT_DOUBLE_EQ(get(n5(), "C3"), 0);
}

TEST_F(NitrogenTest, OtherColumnsArePostedAtOnce)
{
    n1().setChanged(false);
    type(n1(), "C8", "1.5");
    EXPECT_EQ(n1().state(), TDataSetState::dsEdit);
    EXPECT_TRUE(n1().changed());
    EXPECT_DOUBLE_EQ(get(n1(), "C8"), 1.5);
}

TEST_F(NitrogenTest, RowThreeHundredOneCannotBeChanged)
{
    n1().post();
    TozMemoryData& n3 = dm->NOR3Table();
    n3.open();
    n3.setCanInsert(true);
    for (int row : {301, 302, 303}) {
        n3.append();
        n3.fieldByName(QStringLiteral("CA")).setAsInteger(row);
        n3.post();
    }
    n3.setCanInsert(false);
    ASSERT_TRUE(n3.locate(QStringLiteral("CA"), 301));
    EXPECT_THROW(n3.edit(), EAbort);
    ASSERT_TRUE(n3.locate(QStringLiteral("CA"), 302));
    EXPECT_NO_THROW(n3.edit());
    EXPECT_EQ(n3.fieldByName(QStringLiteral("CB")).asString(),
              QStringLiteral("в том числе оборудованных"));
}

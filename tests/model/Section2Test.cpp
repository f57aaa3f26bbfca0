// Section 2: choosing pollutants through the pick list, numbering of rows and
// the use marks that keep a pollutant from being chosen twice.
#include "ModelTestSupport.h"

#include "Errors.h"
#include "ozField.h"

namespace {

const QString kC1 = QStringLiteral("C1");

} // namespace

class Section2Test : public ModelTest
{
protected:
    // A card with a code, so the pick list is given.
    void SetUp() override
    {
        ModelTest::SetUp();
        folder->writeData(
            QStringLiteral("B0002.xml"),
            dataPacket({QStringLiteral("KOD:string:20"), QStringLiteral("PNAZ:string:100")},
                       {{QStringLiteral("770100000001"), QStringLiteral("Завод")}}));
    }

    // Appends a row and chooses the pollutant for it, as F8 on a new grid row does.
    void chooseForNewRow(int code)
    {
        section(2).append();
        ASSERT_TRUE(logic->OpenPickList());
        ASSERT_TRUE(logic->ChoosePollutant(code)) << code;
    }

    void chooseForRow(int row, int code)
    {
        go(2, row);
        ASSERT_TRUE(logic->OpenPickList());
        ASSERT_TRUE(logic->ChoosePollutant(code)) << code;
    }

    int pollutant(int row)
    {
        go(2, row);
        return section(2).fieldByName(kC1).asInteger();
    }
};

TEST_F(Section2Test, FixedPollutantsAreNotOffered)
{
    load();
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 304, 456, 8888}));
}

TEST_F(Section2Test, ANewRowGetsTheNextNumberAndItsPollutantIsHidden)
{
    load();
    chooseForNewRow(123);
    EXPECT_EQ(rows(2), (std::vector<int>{201, 202, 203, 204}));
    EXPECT_EQ(pollutant(204), 123);
    EXPECT_EQ(shown(2, 204, "CB"), QStringLiteral("железа оксид"));
    EXPECT_EQ(offered(), (std::vector<int>{2, 304, 456, 8888}));
    EXPECT_FALSE(logic->PickListOffers(123));
}

TEST_F(Section2Test, ReplacingAPollutantReleasesTheFormerOne)
{
    load();
    chooseForNewRow(123);
    chooseForRow(204, 456);
    EXPECT_EQ(pollutant(204), 456);
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 304, 8888}));
    EXPECT_EQ(rows(2), (std::vector<int>{201, 202, 203, 204}));
}

TEST_F(Section2Test, DeletingARowRenumbersAndOffersItsPollutantAgain)
{
    load();
    chooseForNewRow(123);
    chooseForNewRow(456);
    chooseForRow(202, 2);
    ASSERT_EQ(offered(), (std::vector<int>{304, 322, 8888}));
    go(2, 202);
    ASSERT_TRUE(logic->Section2DeleteEnabled());
    section(2).deleteRecord();
    EXPECT_EQ(rows(2), (std::vector<int>{201, 202, 203, 204}));
    EXPECT_EQ(pollutant(202), 410);
    EXPECT_EQ(pollutant(204), 456);
    EXPECT_EQ(offered(), (std::vector<int>{2, 304, 322, 8888}));
}

TEST_F(Section2Test, OpeningThePickListWithoutAChoiceKeepsTheMarks)
{
    load();
    chooseForNewRow(123);
    go(2, 201);
    ASSERT_TRUE(logic->OpenPickList());
    // The list is left without a choice; then another row is edited.
    enter(2, 204, "C2", QStringLiteral("1.5"));
    enter(2, 201, "C4", QStringLiteral("2"));
    EXPECT_EQ(offered(), (std::vector<int>{2, 304, 456, 8888}));
    EXPECT_EQ(pollutant(201), 703);
}

TEST_F(Section2Test, PickListNeedsAnOrganisationCodeAndAYear)
{
    load();
    dm->setCurrentYear(0);
    go(2, 201);
    EXPECT_FALSE(logic->OpenPickList());
    dm->setCurrentYear(2024);
    dm->setCurrentKodp(QString());
    EXPECT_FALSE(logic->OpenPickList());
}

TEST_F(Section2Test, APollutantThatIsNotOfferedIsNotChosen)
{
    load();
    go(2, 201);
    ASSERT_TRUE(logic->OpenPickList());
    EXPECT_FALSE(logic->ChoosePollutant(322));
    EXPECT_FALSE(logic->ChoosePollutant(9999));
    EXPECT_EQ(pollutant(201), 703);
}

TEST_F(Section2Test, FixedPollutantRowsCannotBeDeletedByTheCommand)
{
    load();
    for (int row : {201, 202, 203}) {
        go(2, row);
        EXPECT_FALSE(logic->Section2DeleteEnabled()) << row;
    }
    // Once its pollutant was replaced, the row may go.
    chooseForRow(201, 456);
    EXPECT_TRUE(logic->Section2DeleteEnabled());
}

TEST_F(Section2Test, ValuesShowNothingForZeroAndAreNotRounded)
{
    load();
    enter(2, 201, "C2", QStringLiteral("0.12345"));
    enter(2, 202, "C4", QStringLiteral("0"));
    EXPECT_DOUBLE_EQ(value(2, 201, "C2"), 0.12345);
    EXPECT_EQ(shown(2, 201, "C2"), QStringLiteral("0.12345"));
    EXPECT_EQ(shown(2, 202, "C4"), QString());
    EXPECT_FALSE(isNull(2, 202, "C4"));
    EXPECT_EQ(shown(2, 203, "C5"), QString());
}

TEST_F(Section2Test, MarksAreRebuiltFromTheSectionAtLoad)
{
    load();
    chooseForNewRow(304);
    logic->SaveSections();
    load();
    EXPECT_EQ(rows(2), (std::vector<int>{201, 202, 203, 204}));
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 456, 8888}));
}

TEST_F(Section2Test, NumbersCloseUpAfterEveryDeletion)
{
    load();
    for (int code : {2, 123, 304, 456})
        chooseForNewRow(code);
    for (int row : {206, 204}) {
        go(2, row);
        section(2).deleteRecord();
    }
    EXPECT_EQ(rows(2), (std::vector<int>{201, 202, 203, 204, 205}));
    std::vector<int> codes;
    for (int row : rows(2))
        codes.push_back(pollutant(row));
    EXPECT_EQ(codes, (std::vector<int>{703, 322, 410, 123, 456}));
}

TEST_F(Section2Test, APickListOpenedBeforeReloadingBelongsToNoRow)
{
    load();
    go(2, 201);
    ASSERT_TRUE(logic->OpenPickList());
    // An import replaces the section; the first row now holds another pollutant.
    folder->writeData(QStringLiteral("F2TPR2.xml"),
                      dataPacket({QStringLiteral("CA:i2"), QStringLiteral("C1:i2")},
                                 {{QStringLiteral("201"), QStringLiteral("456")},
                                  {QStringLiteral("202"), QStringLiteral("703")},
                                  {QStringLiteral("203"), QStringLiteral("322")},
                                  {QStringLiteral("204"), QStringLiteral("410")}}));
    logic->LoadSections();
    enter(2, 201, "C2", QStringLiteral("1"));
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 304, 8888}));
}

TEST_F(Section2Test, EachRowMarksTheFirstUnmarkedRecordOfItsCode)
{
    // A classifier holding a code twice, and a section naming codes twice, not
    // at all (0) and outside the classifier.
    folder->writeData(QStringLiteral("KLZAV.xml"),
                      dataPacket({QStringLiteral("KDZV:i2"), QStringLiteral("NAMEK:string:50")},
                                 {{QStringLiteral("703"), QStringLiteral("бенз/а/пирен")},
                                  {QStringLiteral("322"), QStringLiteral("серная кислота")},
                                  {QStringLiteral("410"), QStringLiteral("метан")},
                                  {QStringLiteral("123"), QStringLiteral("железа оксид")},
                                  {QStringLiteral("456"), QStringLiteral("натрия гидроксид")},
                                  {QStringLiteral("123"), QStringLiteral("железа оксид II")},
                                  {QStringLiteral("2"), QStringLiteral("амил")},
                                  {QStringLiteral("456"), QStringLiteral("натрия гидроксид II")}}));
    folder->writeData(QStringLiteral("F2TPR2.xml"),
                      dataPacket({QStringLiteral("CA:i2"), QStringLiteral("C1:i2")},
                                 {{QStringLiteral("201"), QStringLiteral("703")},
                                  {QStringLiteral("202"), QStringLiteral("322")},
                                  {QStringLiteral("203"), QStringLiteral("410")},
                                  {QStringLiteral("204"), QStringLiteral("456")},
                                  {QStringLiteral("205"), QStringLiteral("0")},
                                  {QStringLiteral("206"), QStringLiteral("123")},
                                  {QStringLiteral("207"), QStringLiteral("9999")},
                                  {QStringLiteral("208"), QStringLiteral("456")},
                                  {QStringLiteral("209"), QStringLiteral("456")}}));
    load();
    EXPECT_EQ(offered(), (std::vector<int>{2, 123}));
    TozMemoryData& list = dm->SprKlzav();
    ASSERT_TRUE(list.locate(QStringLiteral("KDZV"), 123));
    EXPECT_EQ(list.fieldByName(QStringLiteral("NAMEK")).asString(),
              QStringLiteral("железа оксид II"));
    EXPECT_EQ(shown(2, 209, "CB"), QStringLiteral("натрия гидроксид"));
    EXPECT_EQ(shown(2, 207, "CB"), QString());
}

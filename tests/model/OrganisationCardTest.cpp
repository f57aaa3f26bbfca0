// The organisation card and the region pickers without their windows: the
// organisation code, the code edits, saving and cancelling, the digits-only
// columns, the district and city lists and the region row.
#include "ModelTestSupport.h"

#include "OrganisationCard.h"
#include "RegionPicker.h"
#include "ozField.h"

namespace {

class OrganisationCardTest : public ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        writeTerritories(*folder);
        load();
    }
    QString cardValue(const char* column)
    {
        return dm->PrTable().fieldByName(QString::fromLatin1(column)).asString();
    }
    // Types the name and the INN part and leaves the code edit, as a person does first.
    void fillRequired(TOrganisationCard& card, const QString& innPart)
    {
        card.setFieldText(QStringLiteral("PNAZ"), QStringLiteral("ООО Заря"));
        card.setInnPartText(innPart);
        ASSERT_TRUE(card.KodEditExit());
    }
};

struct SplitCase
{
    const char* kod;
    const char* inn;
    const char* innPart;
    const char* subdivision;
};

TEST(OrganisationCode, SplitsAtTheInnOrAfterEightCharacters)
{
    const SplitCase cases[] = {
        {"12345678", "12345678", "12345678", ""},
        {"1234567801", "12345678", "12345678", "01"},
        {"7701234567", "7701234567", "7701234567", ""},
        {"770123456701", "7701234567", "7701234567", "01"},
        {"770123456789", "770123456789", "770123456789", ""},
        {"770123456789123", "770123456789", "770123456789", "123"},
        // Without INN, or with an INN that does not begin KOD: eight characters.
        {"7701234567", "", "77012345", "67"},
        {"7701234567", "5000000000", "77012345", "67"},
        {"", "", "", ""},
    };
    for (const SplitCase& c : cases) {
        const auto parts =
            TOrganisationCard::SplitKod(QString::fromLatin1(c.kod), QString::fromLatin1(c.inn));
        EXPECT_EQ(parts.first, QString::fromLatin1(c.innPart)) << c.kod << " / " << c.inn;
        EXPECT_EQ(parts.second, QString::fromLatin1(c.subdivision)) << c.kod << " / " << c.inn;
    }
    EXPECT_EQ(TOrganisationCard::InnPart(QStringLiteral(" 7701234567 ")),
              QStringLiteral("7701234567"));
    EXPECT_EQ(TOrganisationCard::SubdivisionCode(QStringLiteral(" 01 ")), QStringLiteral("01"));
    for (const char* dropped : {"0", "00", "1a", "", " ", "99999999999999999999"})
        EXPECT_TRUE(TOrganisationCard::SubdivisionCode(QString::fromLatin1(dropped)).isEmpty())
            << dropped;
}

TEST(OrganisationCode, DigitsOnlyColumnsDropEverythingElse)
{
    EXPECT_EQ(TOrganisationCard::TypedText(QStringLiteral("OKOH1"), QStringLiteral("01.11")),
              QStringLiteral("0111"));
    EXPECT_EQ(TOrganisationCard::TypedText(QStringLiteral("inn"), QStringLiteral("77 01-x")),
              QStringLiteral("7701"));
    EXPECT_EQ(TOrganisationCard::TypedText(QStringLiteral("ADR"), QStringLiteral("ул. Мира, 1")),
              QStringLiteral("ул. Мира, 1"));
    for (const char* column : {"INN", "OKPO", "OKOH1", "OKCM", "KOPF", "KFS"})
        EXPECT_TRUE(TOrganisationCard::DigitsOnly(QString::fromLatin1(column))) << column;
    for (const char* column : {"PNAZ", "NGDU1", "NGDU2", "ADR", "FIOR", "KOD"})
        EXPECT_FALSE(TOrganisationCard::DigitsOnly(QString::fromLatin1(column))) << column;
}

TEST_F(OrganisationCardTest, SavingComposesTheCodeAndWritesBothFiles)
{
    {
        TOrganisationCard card(*dm);
        EXPECT_EQ(dm->PrTable().state(), TDataSetState::dsInsert);
        EXPECT_FALSE(card.VubActEnabled());
        fillRequired(card, QStringLiteral(" 7701234567 "));
        // Leaving the edit trims it and fills the empty INN.
        EXPECT_EQ(card.innPartText(), QStringLiteral("7701234567"));
        EXPECT_EQ(cardValue("INN"), QStringLiteral("7701234567"));
        card.setSubdivisionText(QStringLiteral("01"));
        card.setFieldText(QStringLiteral("OKOH1"), QStringLiteral("01.11"));
        ASSERT_TRUE(card.Save());
    }
    EXPECT_TRUE(ui->calls.isEmpty()) << ui->calls.join(u'\n').toStdString();
    EXPECT_EQ(cardValue("KOD"), QStringLiteral("770123456701"));
    EXPECT_EQ(cardValue("OKOH1"), QStringLiteral("0111"));
    EXPECT_TRUE(folder->hasData(QStringLiteral("B0002.xml")));
    EXPECT_TRUE(folder->hasData(QStringLiteral("spisokkr.xml")));

    // Opened again, the code comes back split; a subdivision code of 0 is dropped.
    load();
    TOrganisationCard card(*dm);
    EXPECT_EQ(card.innPartText(), QStringLiteral("7701234567"));
    EXPECT_EQ(card.subdivisionText(), QStringLiteral("01"));
    card.setSubdivisionText(QStringLiteral("0"));
    ASSERT_TRUE(card.Save());
    EXPECT_EQ(cardValue("KOD"), QStringLiteral("7701234567"));
    EXPECT_TRUE(card.subdivisionText().isEmpty());
}

TEST_F(OrganisationCardTest, ABadCodeOrAMissingNameWritesNothing)
{
    TOrganisationCard card(*dm);
    card.setFieldText(QStringLiteral("PNAZ"), QStringLiteral("ООО Заря"));
    card.setInnPartText(QStringLiteral("1234567"));
    // Leaving the edit: the application's error display, and the edit stays changed.
    EXPECT_FALSE(card.KodEditExit());
    EXPECT_FALSE(card.KodEditExit());
    EXPECT_TRUE(card.kodChanged());
    EXPECT_TRUE(cardValue("INN").isEmpty());
    EXPECT_FALSE(card.Save());
    EXPECT_EQ(ui->calls, (QStringList{QStringLiteral("application error: Неверный код."),
                                      QStringLiteral("application error: Неверный код."),
                                      QStringLiteral("error: Неверный код предприятия")}));

    // A filled INN stays when the INN part is accepted.
    card.setFieldText(QStringLiteral("INN"), QStringLiteral("5000000000"));
    card.setInnPartText(QStringLiteral("7701234567"));
    EXPECT_TRUE(card.KodEditExit());
    EXPECT_EQ(cardValue("INN"), QStringLiteral("5000000000"));

    ui->calls.clear();
    card.setFieldText(QStringLiteral("PNAZ"), QString());
    EXPECT_FALSE(card.Save());
    EXPECT_EQ(ui->calls, QStringList{QStringLiteral(
                             "error: Поле 'Наименование предприятия' должно иметь значение")});
    // The card stays open on its row, which a corrected name then saves.
    EXPECT_EQ(dm->PrTable().state(), TDataSetState::dsInsert);
    EXPECT_FALSE(folder->hasData(QStringLiteral("B0002.xml")));
    EXPECT_FALSE(folder->hasData(QStringLiteral("spisokkr.xml")));
    card.setFieldText(QStringLiteral("PNAZ"), QStringLiteral("ООО Заря"));
    EXPECT_TRUE(card.Save());
    EXPECT_TRUE(folder->hasData(QStringLiteral("B0002.xml")));
}

TEST_F(OrganisationCardTest, CancelDropsTheCardChangesButKeepsTheChosenTerritory)
{
    {
        TOrganisationCard card(*dm);
        fillRequired(card, QStringLiteral("7701234567"));
        ASSERT_TRUE(card.Save());
    }
    {
        TOrganisationCard card(*dm);
        card.setFieldText(QStringLiteral("ADR"), QStringLiteral("ул. Мира"));
        ASSERT_TRUE(card.selectKobl(QStringLiteral("03")));
        EXPECT_FALSE(card.selectKobl(QStringLiteral("99")));
        EXPECT_EQ(card.selectedKobl(), QStringLiteral("03"));
        card.ChooseTerritory({QStringLiteral("03221"), QStringLiteral("Закаменский район"),
                              QStringLiteral("81221000000")});
        EXPECT_EQ(cardValue("OKCM"), QStringLiteral("81221000000"));
        card.Cancel();
    }
    EXPECT_TRUE(cardValue("ADR").isEmpty());
    EXPECT_TRUE(cardValue("OKCM").isEmpty());
    TozMemoryData& region = dm->spisokkr();
    ASSERT_EQ(region.recordCount(), 1);
    EXPECT_EQ(region.fieldByName(QStringLiteral("NGDU")).asString(), QStringLiteral("03221"));
    EXPECT_EQ(region.fieldByName(QStringLiteral("NAME")).asString(),
              QStringLiteral("Закаменский район"));
    EXPECT_EQ(region.fieldByName(QStringLiteral("FULLNAME")).asString(),
              QStringLiteral("Республика Бурятия Закаменский район"));
    // The region row selects its subject when the card opens again.
    TOrganisationCard card(*dm);
    EXPECT_EQ(card.selectedKobl(), QStringLiteral("03"));
    EXPECT_TRUE(card.VubActEnabled());
}

TEST_F(OrganisationCardTest, PickersListDistrictsAndCitiesWithTheirShortNames)
{
    TRegionPicker picker(folder->path(), QStringLiteral("03"));
    TozMemoryData& list = picker.RnDS();
    QStringList names;
    for (list.first(); !list.eof(); list.next())
        names << list.fieldByName(QStringLiteral("NAME")).asString();
    // By name: the districts of the subject and the city listed with them.
    EXPECT_EQ(names, (QStringList{QStringLiteral("Закаменский"), QStringLiteral("Кабанский"),
                                  QStringLiteral("Улан-Удэ")}));

    ASSERT_TRUE(list.locate(QStringLiteral("KOD"), QStringLiteral("0300401000000")));
    EXPECT_EQ(picker.Choose()->shortName, QStringLiteral("г.Улан-Удэ"));
    ASSERT_TRUE(list.locate(QStringLiteral("KOD"), QStringLiteral("03221")));
    const auto district = picker.Choose();
    EXPECT_EQ(district->shortName, QStringLiteral("Закаменский район"));
    EXPECT_EQ(district->okato, QStringLiteral("81221000000"));

    const auto shown = [&list] {
        QStringList codes;
        for (list.first(); !list.eof(); list.next())
            codes << list.fieldByName(QStringLiteral("KOD")).asString();
        return codes;
    };
    ASSERT_TRUE(picker.ShowCities());
    ASSERT_EQ(shown(), QStringList{QStringLiteral("03221501000")});
    const auto city = picker.Choose();
    EXPECT_EQ(city->code, QStringLiteral("03221501000"));
    EXPECT_EQ(city->shortName, QStringLiteral("г. Закаменск"));
    // Back: the district list, on the district.
    picker.ShowDistricts();
    EXPECT_EQ(list.fieldByName(QStringLiteral("KOD")).asString(), QStringLiteral("03221"));
    EXPECT_EQ(shown().size(), 3);

    EXPECT_EQ(picker.Find(QStringLiteral("03224"))->shortName, QStringLiteral("Кабанский район"));
    EXPECT_EQ(picker.Find(QStringLiteral("03221501000"))->shortName,
              QStringLiteral("г. Закаменск"));
    EXPECT_FALSE(picker.Find(QStringLiteral("04201")));
    EXPECT_FALSE(picker.Find(QStringLiteral("0322")));

    EXPECT_TRUE(
        TRegionPicker::RnDSFilterRecord(QStringLiteral("0300401000000"), 7, QStringLiteral("03")));
    EXPECT_FALSE(
        TRegionPicker::RnDSFilterRecord(QStringLiteral("0322150100"), 7, QStringLiteral("03")));
    EXPECT_FALSE(
        TRegionPicker::CITYFilterRecord(QStringLiteral("03221"), 4, QStringLiteral("03221")));
}

TEST_F(OrganisationCardTest, MissingClassifiersGiveEmptyLists)
{
    QFile::remove(folder->dataFile(QStringLiteral("klobl.xml")));
    QFile::remove(folder->dataFile(QStringLiteral("klreg.xml")));
    TOrganisationCard card(*dm);
    EXPECT_TRUE(card.OblDS().isEmpty());
    EXPECT_FALSE(card.selectKobl(QStringLiteral("03")));
    TRegionPicker picker(folder->path(), QStringLiteral("03"));
    EXPECT_TRUE(picker.RnDS().isEmpty());
    EXPECT_FALSE(picker.Choose());
    EXPECT_FALSE(picker.ShowCities());
}

} // namespace

#include "Territories.h"

#include <gtest/gtest.h>

#include "CsvReader.h"
#include "Errors.h"

namespace {

struct NameCase
{
    const char16_t* source;
    const char16_t* expected;
};

class SubjectNames : public testing::TestWithParam<NameCase>
{
};

TEST_P(SubjectNames, WriteTheKindOutAndShortenOnlyWhatIsTooLong)
{
    const QString name = subjectDisplayName(QString::fromUtf16(GetParam().source));
    EXPECT_EQ(name, QString::fromUtf16(GetParam().expected));
    EXPECT_LE(name.size(), SubjectNameWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SubjectNames,
    testing::Values(NameCase{u"Респ Адыгея", u"Республика Адыгея"},
                    NameCase{u"Амурская обл", u"Амурская область"},
                    NameCase{u"Алтайский край", u"Алтайский край"},
                    NameCase{u"Еврейская Аобл", u"Еврейская автономная область"},
                    NameCase{u"Ненецкий АО", u"Ненецкий автономный округ"},
                    NameCase{u"г Москва", u"г. Москва"},
                    NameCase{u"Респ Саха /Якутия/", u"Республика Саха (Якутия)"},
                    NameCase{u"Чувашская Республика - Чувашия", u"Чувашская Республика - Чувашия"},
                    NameCase{u"Ямало-Ненецкий АО", u"Ямало-Ненецкий АО"},
                    NameCase{u"Ханты-Мансийский Автономный округ - Югра",
                             u"Ханты-Мансийский АО - Югра"},
                    NameCase{u"Респ Северная Осетия - Алания", u"Респ. Северная Осетия - Алания"},
                    NameCase{u"Кабардино-Балкарская Респ", u"Кабардино-Балкарская Респ."}));

TEST(SubjectNames, FailWhenNoRuleShortensThem)
{
    try {
        subjectDisplayName(QStringLiteral("Очень-очень длинное название края"));
        FAIL() << "no error";
    } catch (const F2tpError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("subject name longer than 30 characters: "
                                                  "Очень-очень длинное название края"));
    }
}

const QString RegionHeader =
    QStringLiteral("name,type,name_with_type,federal_district,kladr_id,okato\n");

CsvTable regions(const QString& rows)
{
    return CsvTable::parse(RegionHeader + rows, QStringLiteral("regions"));
}

const QString SampleRegions = QStringLiteral(
    "Тюменская,обл,Тюменская обл,Уральский,7200000000000,71000000000\n"
    "Алтайский,край,Алтайский край,Сибирский,2200000000000,01000000000\n"
    "Байконур,г,г Байконур,,9900000000000,55000000000\n"
    "Ханты-Мансийский Автономный округ - Югра,АО,Ханты-Мансийский Автономный округ - "
    "Югра,Уральский,8600000000000,71100000000\n"
    "Москва,г,г Москва,Центральный,7700000000000,45000000000\n"
    "Московская,обл,Московская обл,Центральный,5000000000000,46000000000\n"
    "Вологодская,обл,Вологодская обл,Северо-Западный,3500000000000,19000000000\n");

TEST(ReadSubjects, TakesTheRegionNumberAndLeavesOutWhatIsNoFederalSubject)
{
    const QList<Subject> subjects = readSubjects(regions(SampleRegions));
    QStringList kobls;
    for (const Subject& s : subjects)
        kobls.append(s.kobl + u' ' + s.name);
    EXPECT_EQ(
        kobls,
        (QStringList{QStringLiteral("22 Алтайский край"), QStringLiteral("35 Вологодская область"),
                     QStringLiteral("50 Московская область"),
                     QStringLiteral("72 Тюменская область"), QStringLiteral("77 г. Москва"),
                     QStringLiteral("86 Ханты-Мансийский АО - Югра")}));
}

TEST(ReadSubjects, RefusesARepeatedOrBadRegionNumber)
{
    auto expectError = [](const QString& rows, const QString& message) {
        try {
            readSubjects(regions(rows));
            FAIL() << "no error";
        } catch (const F2tpError& error) {
            EXPECT_EQ(error.message(), message);
        }
    };
    expectError(QStringLiteral("А,обл,А обл,Ц,2200000000000,01000000000\n"
                               "Б,обл,Б обл,Ц,2200000000000,03000000000\n"),
                QStringLiteral("regions: region number 22 given twice"));
    expectError(QStringLiteral("А,обл,А обл,Ц,X200000000000,01000000000\n"),
                QStringLiteral("regions: bad КЛАДР code 'X200000000000'"));
    expectError(QStringLiteral("А,обл,А обл,Ц,2200000000000,0100000000\n"),
                QStringLiteral("regions: bad ОКАТО code '0100000000'"));
}

const QString CityHeader = QStringLiteral(
    "address,region_type,region,area_type,area,city_type,city,settlement_type,settlement,"
    "kladr_id,okato\n");

CsvTable cities(const QString& rows)
{
    return CsvTable::parse(CityHeader + rows, QStringLiteral("cities"));
}

const QString SampleCities = QStringLiteral(
    // A city of the subject: listed beside the districts.
    "г Барнаул,край,Алтайский,,,г,Барнаул,,,2200000100000,01401000000\n"
    // Two towns of one district reveal it.
    "г Змеиногорск,край,Алтайский,р-н,Змеиногорский,г,Змеиногорск,,,2200000200000,01214501000\n"
    "г Горняк,край,Алтайский,р-н,Змеиногорский,г,Горняк,,,2200000300000,01214502000\n"
    // No district named, but the ОКАТО code puts the town into the district above.
    "г Яровое,край,Алтайский,,,г,Яровое,,,2200000400000,01214503000\n"
    // A district named, but the town belongs to a city's territory (digit 3 is 4).
    "г Красавино,обл,Вологодская,р-н,Великоустюгский,г,Красавино,,,3500000100000,"
    "19410501000\n"
    // A district inside an autonomous okrug, and a city of the okrug.
    "г Лянтор,АО,Ханты-Мансийский Автономный округ - Югра,р-н,Сургутский,г,Лянтор,,,"
    "8600000100000,71126605000\n"
    "г Сургут,АО,Ханты-Мансийский Автономный округ - Югра,,,г,Сургут,,,8600000200000,"
    "71136000000\n"
    // A city that is a subject itself, and an urban okrug standing for its city.
    "г Москва,г,Москва,,,,,,,7700000000000,45000000000\n"
    "г Клин,обл,Московская,г,Клин,,,,,5004700000000,46437000000\n"
    "г Высоковск,обл,Московская,г,Клин,г,Высоковск,,,5004700200000,46437506000\n");

QString describe(const Territory& t)
{
    return t.kod + u' ' + QString::number(int(t.kind)) + u' ' + t.name + u' ' + t.okato;
}

TEST(ReadTerritories, BuildsCodesFromTheSubjectAndTheOkatoCode)
{
    const QList<Territory> list =
        readTerritories(readSubjects(regions(SampleRegions)), cities(SampleCities));
    QStringList rows;
    for (const Territory& t : list)
        rows.append(describe(t));
    EXPECT_EQ(rows, (QStringList{
                        QStringLiteral("2200401000000 7 Барнаул 01401000000"),
                        QStringLiteral("22214 4 Змеиногорский 01214000000"),
                        QStringLiteral("22214501000 5 Змеиногорск 01214501000"),
                        QStringLiteral("22214502000 5 Горняк 01214502000"),
                        QStringLiteral("22214503000 5 Яровое 01214503000"),
                        QStringLiteral("3500410501000 7 Красавино 19410501000"),
                        QStringLiteral("5000437000000 7 Клин 46437000000"),
                        QStringLiteral("5000437506000 7 Высоковск 46437506000"),
                        QStringLiteral("7700000000000 7 Москва 45000000000"),
                        QStringLiteral("8600136000000 7 Сургут 71136000000"),
                        QStringLiteral("86126 4 Сургутский 71126000000"),
                        QStringLiteral("86126605000 5 Лянтор 71126605000"),
                    }));
}

TEST(ReadTerritories, RefusesConflictingOrForeignRows)
{
    const QList<Subject> subjects = readSubjects(regions(SampleRegions));
    auto expectError = [&subjects](const QString& rows, const QString& message) {
        try {
            readTerritories(subjects, cities(rows));
            FAIL() << "no error";
        } catch (const F2tpError& error) {
            EXPECT_EQ(error.message(), message);
        }
    };
    expectError(QStringLiteral("г Байконур,г,Байконур,,,г,Байконур,,,9900000000000,55000000000\n"),
                QStringLiteral("cities: г Байконур lies in no federal subject"));
    expectError(QStringLiteral("г А,край,Алтайский,р-н,Первый,г,А,,,2200000200000,01214501000\n"
                               "г Б,край,Алтайский,р-н,Второй,г,Б,,,2200000300000,01214502000\n"),
                QStringLiteral("cities: district 01214000000 named both Первый and Второй"));
    expectError(QStringLiteral("г А,край,Алтайский,,,г,А,,,2200000200000,0121450100\n"),
                QStringLiteral("cities: г А: bad ОКАТО code '0121450100'"));
    expectError(QStringLiteral("г А,край,Алтайский,,,г,А,,,2200000200000,01401000000\n"
                               "г Б,край,Алтайский,,,г,Б,,,2200000300000,01401000000\n"),
                QStringLiteral("cities: code 2200401000000 given twice (Б)"));
    expectError(QStringLiteral("г А,край,Алтайский,,,,,,,2200000200000,01401000000\n"),
                QStringLiteral("cities: г А: no usable name"));
}

} // namespace

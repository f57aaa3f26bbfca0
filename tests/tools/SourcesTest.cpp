// The joined sources of the repository: every entry they give is there, and the
// codes the program relies on keep their meaning.
#include "ReferenceData.h"

#include <map>

#include <gtest/gtest.h>

#include <QSet>

namespace {

const ReferenceData& data()
{
    static const ReferenceData loaded = ReferenceData::load(QStringLiteral(F2TP_REFDATA_DIR));
    return loaded;
}

TEST(Sources, GiveEveryPollutantCodeOnce)
{
    // 894 codes of the sources and the statistics print's summary row.
    const QList<Pollutant>& pollutants = data().pollutants;
    EXPECT_EQ(pollutants.size(), 895);
    qsizetype regulated = 0;
    QSet<int> codes;
    for (const Pollutant& p : pollutants) {
        regulated += p.regulated ? 1 : 0;
        codes.insert(p.code);
        EXPECT_FALSE(p.name.contains(QStringLiteral("<sub>"))) << p.code;
    }
    EXPECT_EQ(regulated, 201);
    EXPECT_EQ(codes.size(), 895);
}

TEST(Sources, KeepWellKnownPollutantNames)
{
    std::map<int, QString> names;
    for (const Pollutant& p : data().pollutants)
        names[p.code] = p.name;
    EXPECT_EQ(names[301], QStringLiteral("Азота диоксид (двуокись азота; пероксид азота)"));
    EXPECT_EQ(names[304], QStringLiteral("Азота оксид (азот (II) оксид; азот монооксид)"));
    EXPECT_EQ(names[330], QStringLiteral("Серы диоксид"));
    EXPECT_EQ(names[337],
              QStringLiteral("Углерода оксид (углерод окись; углерод моноокись; угарный газ)"));
    EXPECT_EQ(names[703], QStringLiteral("Бенз(а)пирен"));
    EXPECT_EQ(names[410], QStringLiteral("Метан"));
    EXPECT_EQ(names[402], QStringLiteral("Бутан"));
    EXPECT_EQ(names[2908], QStringLiteral("Пыль неорганическая: 70-20% SiO2"));
    EXPECT_NE(names[2907], names[2909]);
}

TEST(Sources, GiveTheEightyFiveFederalSubjects)
{
    const QList<Subject>& subjects = data().subjects;
    ASSERT_EQ(subjects.size(), 85);
    QSet<QString> kobls;
    std::map<QString, QString> names;
    for (const Subject& s : subjects) {
        kobls.insert(s.kobl);
        names[s.kobl] = s.name;
        EXPECT_LE(s.name.size(), 30) << s.name.toStdString();
    }
    EXPECT_EQ(kobls.size(), 85);
    EXPECT_FALSE(kobls.contains(QStringLiteral("99"))); // Baikonur
    EXPECT_EQ(names[QStringLiteral("22")], QStringLiteral("Алтайский край"));
    EXPECT_EQ(names[QStringLiteral("77")], QStringLiteral("г. Москва"));
    // Autonomous okrugs inside other subjects keep numbers of their own.
    EXPECT_EQ(names[QStringLiteral("83")], QStringLiteral("Ненецкий автономный округ"));
    EXPECT_EQ(names[QStringLiteral("86")], QStringLiteral("Ханты-Мансийский АО - Югра"));
    EXPECT_EQ(names[QStringLiteral("89")], QStringLiteral("Ямало-Ненецкий АО"));
    EXPECT_EQ(names[QStringLiteral("29")], QStringLiteral("Архангельская область"));
}

TEST(Sources, GiveEveryCityAndTheDistrictsTheirTownsReveal)
{
    qsizetype districts = 0;
    qsizetype districtCities = 0;
    qsizetype listed = 0;
    for (const Territory& t : data().territories) {
        switch (t.kind) {
        case TerritoryKind::District:
            ++districts;
            break;
        case TerritoryKind::DistrictCity:
            ++districtCities;
            break;
        case TerritoryKind::ListedCity:
            ++listed;
            break;
        }
    }
    // 444 districts of subjects and 3 of autonomous okrugs inside subjects.
    EXPECT_EQ(districts, 447);
    EXPECT_EQ(districtCities + listed, 1117);
}

TEST(Sources, PlaceWellKnownTownsIntoTheirDistricts)
{
    std::map<QString, Territory> byOkato;
    for (const Territory& t : data().territories)
        byOkato[t.okato + QString::number(int(t.kind))] = t;
    const Territory& district = byOkato[QStringLiteral("012140000004")];
    EXPECT_EQ(district.name, QStringLiteral("Змеиногорский"));
    EXPECT_EQ(district.kod, QStringLiteral("22214"));
    const Territory& town = byOkato[QStringLiteral("012145010005")];
    EXPECT_EQ(town.name, QStringLiteral("Змеиногорск"));
    EXPECT_TRUE(town.kod.startsWith(district.kod));
    const Territory& barnaul = byOkato[QStringLiteral("014010000007")];
    EXPECT_EQ(barnaul.name, QStringLiteral("Барнаул"));
    EXPECT_EQ(barnaul.kod.mid(0, 4), QStringLiteral("2200"));
    const Territory& surgutDistrict = byOkato[QStringLiteral("711260000004")];
    EXPECT_EQ(surgutDistrict.name, QStringLiteral("Сургутский"));
    EXPECT_EQ(surgutDistrict.kobl, QStringLiteral("86"));
}

} // namespace

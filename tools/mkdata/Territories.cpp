#include "Territories.h"

#include <map>

#include <QRegularExpression>
#include <QSet>

#include "CsvReader.h"
#include "Errors.h"

namespace {

bool isOkato(const QString& text)
{
    static const QRegularExpression elevenDigits(QStringLiteral("^[0-9]{11}$"));
    return elevenDigits.match(text).hasMatch();
}

QString field(const CsvTable& table, qsizetype row, const QString& name)
{
    return table.row(row).at(table.column(name)).trimmed();
}

} // namespace

QString subjectDisplayName(const QString& nameWithType)
{
    // The source writes the kind of subject in abbreviations, as in КЛАДР.
    static const std::map<QString, QString> kinds = {
        {QStringLiteral("Респ"), QStringLiteral("Республика")},
        {QStringLiteral("обл"), QStringLiteral("область")},
        {QStringLiteral("Аобл"), QStringLiteral("автономная область")},
        {QStringLiteral("АО"), QStringLiteral("автономный округ")},
        {QStringLiteral("г"), QStringLiteral("г.")},
    };
    QStringList words = nameWithType.simplified().split(u' ');
    for (QString& word : words) {
        const auto kind = kinds.find(word);
        if (kind != kinds.end())
            word = kind->second;
    }
    QString name = words.join(u' ');
    // КЛАДР sets an alternative name between slashes: "Саха /Якутия/".
    static const QRegularExpression slashed(QStringLiteral("/([^/]+)/"));
    name.replace(slashed, QStringLiteral("(\\1)"));

    if (name.size() > SubjectNameWidth)
        name.replace(QStringLiteral("автономный округ"), QStringLiteral("АО"), Qt::CaseInsensitive);
    if (name.size() > SubjectNameWidth)
        name.replace(QStringLiteral("Республика"), QStringLiteral("Респ."));
    if (name.size() > SubjectNameWidth)
        throw F2tpError(QStringLiteral("subject name longer than ") +
                        QString::number(SubjectNameWidth) + QStringLiteral(" characters: ") + name);
    return name;
}

QList<Subject> readSubjects(const CsvTable& regions)
{
    std::map<QString, Subject> byKobl;
    for (qsizetype r = 0; r < regions.rowCount(); ++r) {
        if (field(regions, r, QStringLiteral("federal_district")).isEmpty())
            continue;
        Subject subject;
        const QString kladr = field(regions, r, QStringLiteral("kladr_id"));
        subject.kobl = kladr.left(2);
        static const QRegularExpression twoDigits(QStringLiteral("^[0-9]{2}$"));
        if (!twoDigits.match(subject.kobl).hasMatch() || subject.kobl == QStringLiteral("00"))
            throw F2tpError(QStringLiteral("regions: bad КЛАДР code '") + kladr +
                            QStringLiteral("'"));
        subject.okato = field(regions, r, QStringLiteral("okato"));
        if (!isOkato(subject.okato))
            throw F2tpError(QStringLiteral("regions: bad ОКАТО code '") + subject.okato +
                            QStringLiteral("'"));
        subject.name = subjectDisplayName(field(regions, r, QStringLiteral("name_with_type")));
        if (!byKobl.emplace(subject.kobl, subject).second)
            throw F2tpError(QStringLiteral("regions: region number ") + subject.kobl +
                            QStringLiteral(" given twice"));
    }
    QList<Subject> result;
    for (const auto& entry : byKobl)
        result.append(entry.second);
    return result;
}

QList<Territory> readTerritories(const QList<Subject>& subjects, const CsvTable& cities)
{
    QSet<QString> kobls;
    QSet<QString> autonomousOkrugs; // subjects whose own ОКАТО has 1 as the third digit
    for (const Subject& subject : subjects) {
        kobls.insert(subject.kobl);
        if (subject.okato.at(2) == u'1')
            autonomousOkrugs.insert(subject.kobl);
    }

    struct City
    {
        QString kobl;
        QString name;
        QString okato;
    };
    QList<City> cityRows;
    std::map<QString, Territory> districts; // by district code

    for (qsizetype r = 0; r < cities.rowCount(); ++r) {
        City city;
        const QString address = field(cities, r, QStringLiteral("address"));
        city.kobl = field(cities, r, QStringLiteral("kladr_id")).left(2);
        if (!kobls.contains(city.kobl))
            throw F2tpError(QStringLiteral("cities: ") + address +
                            QStringLiteral(" lies in no federal subject"));
        city.okato = field(cities, r, QStringLiteral("okato"));
        if (!isOkato(city.okato))
            throw F2tpError(QStringLiteral("cities: ") + address +
                            QStringLiteral(": bad ОКАТО code '") + city.okato +
                            QStringLiteral("'"));

        // The most specific name: a town inside a city's territory, the city, an
        // urban okrug standing for its city, or a city that is a subject itself.
        const QString settlement = field(cities, r, QStringLiteral("settlement"));
        const QString cityName = field(cities, r, QStringLiteral("city"));
        const QString areaType = field(cities, r, QStringLiteral("area_type"));
        const QString area = field(cities, r, QStringLiteral("area"));
        if (!settlement.isEmpty())
            city.name = settlement;
        else if (!cityName.isEmpty())
            city.name = cityName;
        else if (areaType == QStringLiteral("г") && !area.isEmpty())
            city.name = area;
        else if (field(cities, r, QStringLiteral("region_type")) == QStringLiteral("г"))
            city.name = field(cities, r, QStringLiteral("region"));
        if (city.name.isEmpty() || city.name.size() > TerritoryNameWidth)
            throw F2tpError(QStringLiteral("cities: ") + address +
                            QStringLiteral(": no usable name"));
        cityRows.append(city);

        const QChar kindDigit = city.okato.at(2);
        const bool inDistrict =
            areaType == QStringLiteral("р-н") || areaType == QStringLiteral("у");
        const bool districtDigit =
            kindDigit == u'2' || (kindDigit == u'1' && autonomousOkrugs.contains(city.kobl));
        if (inDistrict && !area.isEmpty() && districtDigit) {
            Territory district;
            district.kobl = city.kobl;
            district.kod = city.kobl + city.okato.mid(2, 3);
            district.name = area;
            district.kind = TerritoryKind::District;
            district.okato = city.okato.left(5) + QStringLiteral("000000");
            const auto [known, inserted] = districts.emplace(district.kod, district);
            if (!inserted &&
                (known->second.name != district.name || known->second.okato != district.okato))
                throw F2tpError(QStringLiteral("cities: district ") + district.okato +
                                QStringLiteral(" named both ") + known->second.name +
                                QStringLiteral(" and ") + district.name);
        }
    }

    std::map<QString, Territory> byKod = districts;
    for (const City& city : cityRows) {
        Territory territory;
        territory.kobl = city.kobl;
        territory.name = city.name;
        territory.okato = city.okato;
        const QString districtKod = city.kobl + city.okato.mid(2, 3);
        if (districts.count(districtKod) != 0) {
            territory.kind = TerritoryKind::DistrictCity;
            territory.kod = districtKod + city.okato.mid(5);
        } else {
            territory.kind = TerritoryKind::ListedCity;
            territory.kod = city.kobl + QStringLiteral("00") + city.okato.mid(2);
        }
        if (!byKod.emplace(territory.kod, territory).second)
            throw F2tpError(QStringLiteral("cities: code ") + territory.kod +
                            QStringLiteral(" given twice (") + territory.name +
                            QStringLiteral(")"));
    }

    QList<Territory> result;
    result.reserve(qsizetype(byKod.size()));
    for (const auto& entry : byKod)
        result.append(entry.second);
    return result;
}

#include "ReferenceData.h"

#include <QDir>
#include <QFile>

#include "CsvReader.h"
#include "Errors.h"

namespace {

const QString RegionFile = QStringLiteral("hflabs-region.csv");
const QString CityFile = QStringLiteral("hflabs-city.csv");
const QString PositionFile = QStringLiteral("ecolytica-position_2909_to_rate_codes.json");
const QString NameFile = QStringLiteral("ecolytica-comparison-2409r-2909r-air.md");
const QString AdditionalFile = QStringLiteral("ecolytica-additional_substance_codes_2909.json");

QByteArray readFile(const QDir& dir, const QString& name)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        throw F2tpError(QStringLiteral("cannot read ") + file.fileName() + QStringLiteral(": ") +
                        file.errorString());
    return file.readAll();
}

} // namespace

QStringList referenceSourceFiles()
{
    return {RegionFile, CityFile, PositionFile, NameFile, AdditionalFile};
}

ReferenceData ReferenceData::load(const QString& sourceDir)
{
    const QDir dir(sourceDir);
    ReferenceData data;
    data.pollutants = withOtherPollutants(joinPollutants(readFile(dir, PositionFile),
                                                         QString::fromUtf8(readFile(dir, NameFile)),
                                                         readFile(dir, AdditionalFile)));
    const CsvTable regions =
        CsvTable::parse(QString::fromUtf8(readFile(dir, RegionFile)), RegionFile);
    const CsvTable cities = CsvTable::parse(QString::fromUtf8(readFile(dir, CityFile)), CityFile);
    data.subjects = readSubjects(regions);
    data.territories = readTerritories(data.subjects, cities);
    data.rows = rowTemplates();
    return data;
}

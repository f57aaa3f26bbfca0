#include "DataFiles.h"

#include <QDir>

#include "DSToXML.h"
#include "Errors.h"
#include "ReferenceData.h"
#include "ozField.h"
#include "ozMemoryData.h"

namespace {

constexpr int PollutantNameWidth = 50;

void setText(TozMemoryData& table, const QString& fieldName, const QString& text)
{
    TField& field = table.fieldByName(fieldName);
    field.setAsString(fitWidth(text, field.size()));
}

void setNumber(TozMemoryData& table, const QString& fieldName, int value)
{
    table.fieldByName(fieldName).setValue(value);
}

} // namespace

std::unique_ptr<TozMemoryData> makeTemplateTable(const ReferenceData& data)
{
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("TemplTable"));
    table->addField<TStringField>(QStringLiteral("NAME"), int(RowTemplateNameWidth));
    table->addField<TStringField>(QStringLiteral("KDZV"), int(RowTemplateCodeWidth));
    table->addField<TSmallintField>(QStringLiteral("NROW"));
    table->open();
    for (const RowTemplate& row : data.rows) {
        table->append();
        setText(*table, QStringLiteral("NAME"), row.name);
        setText(*table, QStringLiteral("KDZV"), row.code);
        setNumber(*table, QStringLiteral("NROW"), row.row);
        table->post();
    }
    return table;
}

std::unique_ptr<TozMemoryData> makePollutantTable(const ReferenceData& data)
{
    // One file serves the name lookups (KDZV, NAMEK) and the pick list, which
    // adds the use mark (PRIZN, 0 in the file) and the statistics mark (STAT).
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("SprKlzav"));
    table->addField<TSmallintField>(QStringLiteral("KDZV"));
    table->addField<TStringField>(QStringLiteral("NAMEK"), PollutantNameWidth);
    table->addField<TSmallintField>(QStringLiteral("PRIZN"));
    table->addField<TStringField>(QStringLiteral("STAT"), 1);
    table->open();
    for (const Pollutant& pollutant : data.pollutants) {
        table->append();
        setNumber(*table, QStringLiteral("KDZV"), pollutant.code);
        setText(*table, QStringLiteral("NAMEK"), pollutant.name);
        setNumber(*table, QStringLiteral("PRIZN"), 0);
        setText(*table, QStringLiteral("STAT"),
                pollutant.regulated ? QStringLiteral("1") : QStringLiteral("0"));
        table->post();
    }
    return table;
}

std::unique_ptr<TozMemoryData> makeSubjectTable(const ReferenceData& data)
{
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("OblDS"));
    table->addField<TStringField>(QStringLiteral("KOBL"), 2);
    table->addField<TStringField>(QStringLiteral("NAME"), int(SubjectNameWidth));
    table->open();
    for (const Subject& subject : data.subjects) {
        table->append();
        setText(*table, QStringLiteral("KOBL"), subject.kobl);
        setText(*table, QStringLiteral("NAME"), subject.name);
        table->post();
    }
    return table;
}

std::unique_ptr<TozMemoryData> makeTerritoryTable(const ReferenceData& data)
{
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("RnDS"));
    table->addField<TStringField>(QStringLiteral("KOD"), 18);
    table->addField<TStringField>(QStringLiteral("NAME"), int(TerritoryNameWidth));
    table->addField<TSmallintField>(QStringLiteral("TIP"));
    table->addField<TStringField>(QStringLiteral("OKATO"), 11);
    table->open();
    for (const Territory& territory : data.territories) {
        table->append();
        setText(*table, QStringLiteral("KOD"), territory.kod);
        setText(*table, QStringLiteral("NAME"), territory.name);
        setNumber(*table, QStringLiteral("TIP"), int(territory.kind));
        setText(*table, QStringLiteral("OKATO"), territory.okato);
        table->post();
    }
    return table;
}

void writeDataFiles(const ReferenceData& data, const QString& outputDir)
{
    QDir dir(outputDir);
    if (!dir.mkpath(QStringLiteral(".")))
        throw F2tpError(QStringLiteral("cannot create the folder ") + outputDir);
    WriteDataPacket(*makeTemplateTable(data), dir.filePath(QStringLiteral("TEMPLR.xml")));
    WriteDataPacket(*makePollutantTable(data), dir.filePath(QStringLiteral("KLZAV.xml")));
    WriteDataPacket(*makeSubjectTable(data), dir.filePath(QStringLiteral("klobl.xml")));
    WriteDataPacket(*makeTerritoryTable(data), dir.filePath(QStringLiteral("klreg.xml")));
}

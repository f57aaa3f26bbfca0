#pragma once

#include <memory>

#include <QString>

class TozMemoryData;
struct ReferenceData;

// The classifier and template tables with the columns the program reads, filled
// from the reference data in a fixed order (rows by row number, pollutants by
// code, subjects by KOBL, territories by KOD), so the files come out the same on
// every run.
std::unique_ptr<TozMemoryData> makeTemplateTable(const ReferenceData& data);
std::unique_ptr<TozMemoryData> makePollutantTable(const ReferenceData& data);
std::unique_ptr<TozMemoryData> makeSubjectTable(const ReferenceData& data);
std::unique_ptr<TozMemoryData> makeTerritoryTable(const ReferenceData& data);

// Writes "TEMPLR.xml", "KLZAV.xml", "klobl.xml" and "klreg.xml" into the folder,
// creating it when missing. Each file is replaced only when written completely.
void writeDataFiles(const ReferenceData& data, const QString& outputDir);

#include "ReportFiles.h"

#include <QFileInfo>

#include "Errors.h"
#include "MDM.h"
#include "MDMGuard.h"
#include "SaveJournal.h"
#include "SectionLayout.h"
#include "ozField.h"

namespace {

bool due(const TozMemoryData& table)
{
    return table.active() && !table.FileName().isEmpty() && table.changed();
}

} // namespace

void WriteReportTable(TDM& dm, TozMemoryData& table, const QString& path)
{
    std::vector<std::pair<TField*, bool>> lifted;
    if (&table == &dm.R1Table()) {
        for (const char* name : {"C9", "C10"}) {
            TField& field = table.fieldByName(QString::fromLatin1(name));
            lifted.emplace_back(&field, field.readOnly());
            field.setReadOnly(false);
        }
    }
    const bool wasFiltered = table.filtered();
    runThenRestore(
        [&] {
            table.setFiltered(false);
            table.WriteToFile(path);
        },
        [&] {
            table.setFiltered(wasFiltered);
            for (const auto& [field, readOnly] : lifted)
                field->setReadOnly(readOnly);
        });
}

void SaveReportTables(TDM& dm, const std::vector<TozMemoryData*>& tables)
{
    std::vector<TozMemoryData*> saved;
    for (TozMemoryData* table : tables) {
        if (due(*table))
            saved.push_back(table);
    }
    if (saved.empty())
        return;
    TSaveJournal journal(QFileInfo(saved.front()->FileName()).absolutePath());
    for (TozMemoryData* table : saved) {
        journal.write(table->FileName(),
                      [&](const QString& path) { WriteReportTable(dm, *table, path); });
    }
    try {
        journal.commit();
    } catch (...) {
        for (int i = 0; i < journal.moved(); ++i)
            saved[std::size_t(i)]->setChanged(false);
        throw;
    }
    for (TozMemoryData* table : saved)
        table->setChanged(false);
}

void SaveReportSections(TDM& dm)
{
    std::vector<TozMemoryData*> sections;
    for (int section = 1; section <= SectionLayout::SectionCount; ++section)
        sections.push_back(&dm.sectionTable(section));
    SaveReportTables(dm, sections);
}

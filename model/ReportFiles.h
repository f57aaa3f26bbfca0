#pragma once

#include <vector>

#include <QString>

class TDM;
class TozMemoryData;

// The one way the report's tables reach their files: the working files at
// every save point and the files of an export alike.

// Writes every record of the table, whatever a filter shows, to path. What is
// written does not depend on the current row: the read-only switches that
// follow section 1's current row (columns 9 and 10) are not recorded.
void WriteReportTable(TDM& dm, TozMemoryData& table, const QString& path);

// Saves the tables that are open, have a file and changed, as one change
// (TSaveJournal in the folder of their files): after a crash at any moment
// their files are all as before or all as saved. Their change flags are
// cleared once saved. On an error nothing is written and the flags stay,
// unless the error struck while the files were moved in: those moved are
// saved and unflagged, the rest keep their files and flags. Fails with
// F2tpError.
void SaveReportTables(TDM& dm, const std::vector<TozMemoryData*>& tables);

// SaveReportTables on sections 1 to 5.
void SaveReportSections(TDM& dm);

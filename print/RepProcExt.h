#pragma once

class IRepReport;
class TDataSet;

// The report engine of the program. Ours is linked in: LoadReportEngine,
// called once at start right after the program folder is known, makes it
// available; UnloadReportEngine takes it away again (tests and f2tp-cli
// --no-engine), after which every print job does nothing.
void LoadReportEngine();
void UnloadReportEngine();
bool ReportEngineLoaded();

// A new report object with one reference for the caller in *report; null
// when no engine is loaded. The second argument is reserved (0).
void CreateReportIntf(IRepReport** report, int reserved);

// Wraps the table in a TCoverDataSet with the tag and hands it to the report,
// which then holds its only reference. With owns the adapter destroys the
// table when it goes (the table must have been created with new).
void AddReportDataSet(IRepReport& report, TDataSet& table, int tag, bool owns);

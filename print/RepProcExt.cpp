#include "RepProcExt.h"

#include "CoverDataSet.h"
#include "Report.h"

namespace {

using TCreateReport = void (*)(IRepReport** report, int reserved);

void createOwnReport(IRepReport** report, int reserved)
{
    Q_UNUSED(reserved)
    *report = new TReport();
    (*report)->AddRef();
}

// The engine's entry, as a loaded library would give it; null when none.
TCreateReport g_createReport = nullptr;

} // namespace

void LoadReportEngine()
{
    g_createReport = &createOwnReport;
}

void UnloadReportEngine()
{
    g_createReport = nullptr;
}

bool ReportEngineLoaded()
{
    return g_createReport != nullptr;
}

void CreateReportIntf(IRepReport** report, int reserved)
{
    *report = nullptr;
    if (g_createReport)
        g_createReport(report, reserved);
}

void AddReportDataSet(IRepReport& report, TDataSet& table, int tag, bool owns)
{
    report.AddDataSet(new TCoverDataSet(table, tag, owns));
}

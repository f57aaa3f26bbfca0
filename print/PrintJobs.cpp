#include "PrintJobs.h"

#include "ControlProtocol.h"
#include "Errors.h"
#include "MDM.h"
#include "RepProcExt.h"
#include "ReportFiles.h"
#include "ReportIntf.h"
#include "ReportSections.h"
#include "SectionLayout.h"
#include "UserInterface.h"

TPrintJobs::TPrintJobs(TDM& dm)
    : m_dm(dm)
{
    for (int section = 1; section <= 5; ++section)
        m_sources.at(std::size_t(section - 1)) = &dm.sectionTable(section);
}

QString TPrintJobs::TemplateFileName(TPrintVariant variant)
{
    switch (variant) {
    case TPrintVariant::Statistics:
        return QStringLiteral("2TPVst.TVX");
    case TPrintVariant::Order441:
        return QStringLiteral("2TP441.TVX");
    default:
        return QStringLiteral("2TPV.TVX");
    }
}

TozMemoryData& TPrintJobs::source(int section) const
{
    if (section < 1 || section > 5)
        throw F2tpError(QStringLiteral("Нет раздела ") + QString::number(section));
    return *m_sources.at(std::size_t(section - 1));
}

void TPrintJobs::setSource(int section, TozMemoryData& table)
{
    source(section);
    m_sources.at(std::size_t(section - 1)) = &table;
    if (OnSourceChanged)
        OnSourceChanged(section, table);
}

TPrintOutcome TPrintJobs::PrintCommand(TPrintVariant variant)
{
    if (!CheckFormOrShowProtocol(m_dm))
        return TPrintOutcome::FormFailed;
    return PrintCheckedForm(variant);
}

TPrintOutcome TPrintJobs::PrintCheckedForm(TPrintVariant variant)
{
    if (variant == TPrintVariant::Statistics) {
        try {
            PrepareNitrogenOxide();
        } catch (const EAbort&) {
            return TPrintOutcome::Cancelled;
        }
    }
    RunPrintJob(variant);
    return TPrintOutcome::Done;
}

namespace {

// The report built by a job: laid out and then shown, or, when the job
// failed, dropped unshown, so a half-filled form never looks like a result.
void buildReport(IRepReport& report, const std::function<void()>& fill)
{
    {
        WaitMessageGuard wait(WaitMessageText());
        fill();
        report.Prepare();
    }
    report.ShowReport();
}

} // namespace

void TPrintJobs::RunPrintJob(TPrintVariant variant)
{
    SaveReportSections(m_dm);
    if (!ReportEngineLoaded())
        return;
    TRepRef<IRepReport> report;
    CreateReportIntf(report.put(), 0);
    if (!report)
        return;
    const bool statistics = variant == TPrintVariant::Statistics;
    const QString path = m_dm.TemplateDir() + TemplateFileName(variant);
    const auto fill = [&] {
        if (statistics)
            PrepareStatistics();
        const bool supplements = FillReportVariables(*report.get());
        report->LoadTemplate(path, -1);
        if (!supplements)
            return;
        TRepRef<IRepSheet> sheet;
        report->GetSheet(0, sheet.put());
        if (!sheet)
            throw F2tpError(QStringLiteral("В шаблоне ") + path + QStringLiteral(" нет листа"));
        AddSupplementSheets(*sheet.get(), variant);
    };
    // The converted sections go before the report is shown, so the window
    // behind the preview never shows them.
    try {
        buildReport(*report.get(), [&] {
            fill();
            if (statistics)
                restoreStatisticsSections();
        });
    } catch (...) {
        if (statistics)
            restoreStatisticsSections();
        throw;
    }
}

// Reopened as at start, so the row rules' read-only columns do not stop the
// file from being read.
void TPrintJobs::restoreStatisticsSections()
{
    setSource(2, m_dm.R2Table());
    TReportSections sections(m_dm);
    for (int section : {1, 3, 5})
        sections.OpenSection(source(section), section, SectionLayout::FixedRowCount(section));
}

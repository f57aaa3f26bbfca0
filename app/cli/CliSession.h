#pragma once

#include <optional>

#include <QString>

#include "MDM.h"
#include "Report.h"
#include "ReportSections.h"

// The data module on a report folder with the sections loaded, as after the
// desktop program's start; dir empty: the user's report (cliReportFolders).
// A folder that does not exist fails with "No such program folder: DIR".
class TCliSession
{
public:
    explicit TCliSession(const QString& dir);
    Q_DISABLE_COPY_MOVE(TCliSession)

    TDM& dm() { return m_dm; }

private:
    TDM m_dm;
    TReportSections m_logic;
};

// Installed for its lifetime, keeps the last report shown, so a command
// writes it only once it has succeeded.
class TKeptReport final : public IReportPresenter
{
public:
    TKeptReport();
    ~TKeptReport() override;
    Q_DISABLE_COPY_MOVE(TKeptReport)

    void present(const TPreparedReport& report) override { m_report = report; }
    const std::optional<TPreparedReport>& report() const { return m_report; }

private:
    std::optional<TPreparedReport> m_report;
};

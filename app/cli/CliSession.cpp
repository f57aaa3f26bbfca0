#include "CliSession.h"

#include "CliText.h"

TCliSession::TCliSession(const QString& dir)
    : m_dm(cliReportFolders(dir))
    , m_logic(m_dm)
{
    m_logic.ReadSettings();
    m_logic.LoadSections();
}

TKeptReport::TKeptReport()
{
    setReportPresenter(this);
}

TKeptReport::~TKeptReport()
{
    setReportPresenter(nullptr);
}

#include "CliSession.h"

#include <QDir>

#include "Errors.h"

namespace {

QString checkedFolder(const QString& dir)
{
    if (dir.isEmpty() || !QDir(dir).exists())
        throw F2tpError(QStringLiteral("No such program folder: ") + dir);
    return QDir(dir).absolutePath();
}

} // namespace

TCliSession::TCliSession(const QString& dir)
    : m_dm(checkedFolder(dir))
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

#include "ScriptedUserInterface.h"

TScriptedUserInterface::TScriptedUserInterface()
    : m_installed(*this)
{
}

TScriptedUserInterface::~TScriptedUserInterface() = default;

void TScriptedUserInterface::shown(const QString& call)
{
    calls << call;
    if (whileShown)
        whileShown();
}

void TScriptedUserInterface::showError(const QString& text)
{
    shown(QStringLiteral("error: ") + text);
    errors << text;
}

void TScriptedUserInterface::showApplicationError(const QString& text)
{
    shown(QStringLiteral("application error: ") + text);
    applicationErrors << text;
}

void TScriptedUserInterface::showWarning(const QString& caption, const QString& text)
{
    shown(QStringLiteral("warning: ") + caption + QStringLiteral(": ") + text);
}

void TScriptedUserInterface::showInformation(const QString& caption, const QString& text)
{
    shown(QStringLiteral("information: ") + caption + QStringLiteral(": ") + text);
}

TAnswer TScriptedUserInterface::ask(const QString& caption, const QString& text,
                                    TQuestionButtons buttons)
{
    shown(QStringLiteral("ask: ") + caption + QStringLiteral(": ") + text);
    if (answer == TAnswer::Cancel && buttons == TQuestionButtons::YesNo)
        return TAnswer::No;
    return answer;
}

TSkipAnswer TScriptedUserInterface::askSkip(const QString& text)
{
    shown(QStringLiteral("ask skip: ") + text);
    return skipAnswer;
}

bool TScriptedUserInterface::replaceFile(const QString& fileName)
{
    calls << QStringLiteral("replace? ") + fileName;
    return replace;
}

void TScriptedUserInterface::logProblem(const QString& text)
{
    calls << QStringLiteral("problem: ") + text;
}

bool TScriptedUserInterface::editNitrogenOxide(const TNitrogenOxideTables& tables)
{
    calls << QStringLiteral("nitrogen oxide dialog");
    if (nitrogenOxide)
        return nitrogenOxide(tables);
    tables.cancel();
    return false;
}

void TScriptedUserInterface::showWaitMessage(const QString& text)
{
    calls << QStringLiteral("wait: ") + text;
    m_waitShown = true;
}

void TScriptedUserInterface::hideWaitMessage()
{
    calls << QStringLiteral("wait hidden");
    m_waitShown = false;
}

void TScriptedUserInterface::beginBusy()
{
    calls << QStringLiteral("busy");
    ++m_busyDepth;
}

void TScriptedUserInterface::endBusy()
{
    calls << QStringLiteral("not busy");
    --m_busyDepth;
}

void TScriptedUserInterface::setProgressMaximum(int maximum)
{
    calls << QStringLiteral("progress maximum %1").arg(maximum);
}

void TScriptedUserInterface::setProgressPosition(int position)
{
    calls << QStringLiteral("progress position %1").arg(position);
}

void TScriptedUserInterface::setProgressStatus(const QString& text)
{
    calls << QStringLiteral("progress status: ") + text;
}

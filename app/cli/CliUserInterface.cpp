#include "CliUserInterface.h"

#include <QTextStream>

#include "CliArgs.h"

TCliUserInterface::TCliUserInterface(QTextStream& err)
    : m_err(err)
{
}

void TCliUserInterface::takeOptions(CliArgs& args)
{
    if (const auto answer = args.choice<TAnswer>(
            QStringLiteral("--answer"),
            {{"yes", TAnswer::Yes}, {"no", TAnswer::No}, {"cancel", TAnswer::Cancel}}))
        m_answer = *answer;
    m_cancelNitrogenOxide = args.flag(QStringLiteral("--cancel-nitrogen-dialog"));
    for (const QString& option : {QStringLiteral("--on-bad-value"), QStringLiteral("--on-error")}) {
        if (const auto skip = args.choice<TSkipAnswer>(option, {{"skip", TSkipAnswer::Skip},
                                                                {"skip-all", TSkipAnswer::SkipAll},
                                                                {"abort", TSkipAnswer::Abort}}))
            m_skipAnswer = *skip;
    }
    if (const auto replace =
            args.choice<bool>(QStringLiteral("--replace"), {{"yes", true}, {"no", false}}))
        m_replace = *replace;
}

void TCliUserInterface::write(const QString& caption, const QString& text)
{
    if (!caption.isEmpty())
        m_err << caption << ": ";
    m_err << text << '\n';
    m_err.flush();
}

void TCliUserInterface::showError(const QString& text)
{
    write(QString(), text);
}

void TCliUserInterface::showApplicationError(const QString& text)
{
    write(QString(), text);
}

void TCliUserInterface::showWarning(const QString& caption, const QString& text)
{
    write(caption, text);
}

void TCliUserInterface::showInformation(const QString& caption, const QString& text)
{
    write(caption, text);
}

TAnswer TCliUserInterface::ask(const QString& caption, const QString& text,
                               TQuestionButtons buttons)
{
    write(caption, text);
    if (m_answer == TAnswer::Cancel && buttons == TQuestionButtons::YesNo)
        return TAnswer::No;
    return m_answer;
}

TSkipAnswer TCliUserInterface::askSkip(const QString& text)
{
    write(QStringLiteral("Ошибка"), text);
    return m_skipAnswer;
}

bool TCliUserInterface::replaceFile(const QString&)
{
    return m_replace;
}

void TCliUserInterface::logProblem(const QString& text)
{
    write(QString(), text);
}

bool TCliUserInterface::editNitrogenOxide(const TNitrogenOxideTables& tables)
{
    if (m_cancelNitrogenOxide) {
        tables.cancel();
        return false;
    }
    try {
        tables.accept();
        return true;
    } catch (...) {
        write(QString(), ErrorText(std::current_exception()));
        tables.cancel();
        return false;
    }
}

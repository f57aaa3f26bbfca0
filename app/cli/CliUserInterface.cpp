#include "CliUserInterface.h"

#include <QTextStream>

#include "CliCommand.h"

namespace {

// The value after the option, removed from the arguments with it; empty when
// the option is absent.
QString takeOption(QStringList& args, const QString& name)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return QString();
    if (at + 1 >= args.size())
        throw CliUsageError(name + QStringLiteral(" needs a value"));
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

template <class Value>
Value choose(const QString& option, const QString& value,
             std::initializer_list<std::pair<const char*, Value>> choices)
{
    QStringList names;
    for (const auto& [name, result] : choices) {
        if (value == QLatin1String(name))
            return result;
        names << QString::fromLatin1(name);
    }
    throw CliUsageError(option + QStringLiteral(" takes ") + names.join(QStringLiteral(", ")));
}

} // namespace

TCliUserInterface::TCliUserInterface(QTextStream& err)
    : m_err(err)
{
}

QStringList TCliUserInterface::takeOptions(QStringList args)
{
    const QString answer = takeOption(args, QStringLiteral("--answer"));
    if (!answer.isEmpty())
        m_answer = choose<TAnswer>(
            QStringLiteral("--answer"), answer,
            {{"yes", TAnswer::Yes}, {"no", TAnswer::No}, {"cancel", TAnswer::Cancel}});
    m_cancelNitrogenOxide = args.removeAll(QStringLiteral("--cancel-nitrogen-dialog")) > 0;
    for (const QString& option : {QStringLiteral("--on-bad-value"), QStringLiteral("--on-error")}) {
        const QString skip = takeOption(args, option);
        if (!skip.isEmpty())
            m_skipAnswer = choose<TSkipAnswer>(option, skip,
                                               {{"skip", TSkipAnswer::Skip},
                                                {"skip-all", TSkipAnswer::SkipAll},
                                                {"abort", TSkipAnswer::Abort}});
    }
    const QString replace = takeOption(args, QStringLiteral("--replace"));
    if (!replace.isEmpty())
        m_replace =
            choose<bool>(QStringLiteral("--replace"), replace, {{"yes", true}, {"no", false}});
    return args;
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

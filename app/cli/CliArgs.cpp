#include "CliArgs.h"

#include <QFileInfo>

std::optional<QString> CliArgs::value(const QString& name)
{
    const qsizetype at = m_args.indexOf(name);
    if (at < 0)
        return std::nullopt;
    if (at + 1 >= m_args.size())
        throw CliUsageError(name + QStringLiteral(" needs a value"));
    QString result = m_args.at(at + 1);
    m_args.remove(at, 2);
    if (m_args.contains(name))
        throw CliUsageError(name + QStringLiteral(" is given twice"));
    return result;
}

bool CliArgs::flag(const QString& name)
{
    const qsizetype count = m_args.removeAll(name);
    if (count > 1)
        throw CliUsageError(name + QStringLiteral(" is given twice"));
    return count == 1;
}

QStringList CliArgs::positional() const
{
    for (const QString& word : m_args) {
        if (word.startsWith(QLatin1String("--")))
            throw CliUsageError(QStringLiteral("Unknown option: ") + word);
    }
    return m_args;
}

void CliArgs::badChoice(const QString& name, const QStringList& names)
{
    // "--variant takes 0, 1 or 2"
    const QString choices = names.size() > 1
                                ? names.mid(0, names.size() - 1).join(QStringLiteral(", ")) +
                                      QStringLiteral(" or ") + names.last()
                                : names.join(QString());
    throw CliUsageError(name + QStringLiteral(" takes ") + choices);
}

CliReportArgs CliReportArgs::split(const QStringList& positional, qsizetype minRest,
                                   qsizetype maxRest)
{
    const qsizetype count = positional.size();
    const bool withDir =
        count > maxRest || (count > minRest && QFileInfo(positional.first()).isDir());
    if (!withDir)
        return {QString(), positional};
    return {positional.first(), positional.mid(1)};
}

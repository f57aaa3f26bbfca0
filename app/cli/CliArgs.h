#pragma once

#include <initializer_list>
#include <optional>
#include <utility>

#include <QStringList>

#include "CliCommand.h"

// The arguments of one command, parsed the same way by every command: options
// ("--name" alone or "--name VALUE", anywhere on the line) are taken out by
// name, what is left are the positional arguments in order. Only words that
// begin with "--" are options, so a negative number is a value. Mistakes throw
// CliUsageError: an option without its value, an option given twice, an option
// no one took, a value outside its choices.
class CliArgs
{
public:
    explicit CliArgs(QStringList args)
        : m_args(std::move(args))
    {
    }

    // The value after the option, removed with it; nullopt when absent.
    std::optional<QString> value(const QString& name);
    // The option's value mapped through its choices ({"yes", true}, ...).
    template <class Value>
    std::optional<Value> choice(const QString& name,
                                std::initializer_list<std::pair<const char*, Value>> choices);
    // Whether the option was given; removed.
    bool flag(const QString& name);

    // The words not taken so far, options included (for the next parser).
    const QStringList& remaining() const { return m_args; }
    // The positional arguments; an option left over is an unknown option.
    QStringList positional() const;

private:
    [[noreturn]] static void badChoice(const QString& name, const QStringList& names);

    QStringList m_args;
};

// The positional arguments of a command on a report, with the report folder
// DIR first or left out (f2tp-cli then works on the report of the desktop
// program of the same user). DIR is there when more than `maxRest` words
// follow the command, or when more than `minRest` do and the first names an
// existing folder.
struct CliReportArgs
{
    QString dir; // empty: the user's report
    QStringList rest;

    static CliReportArgs split(const QStringList& positional, qsizetype minRest, qsizetype maxRest);
};

template <class Value>
std::optional<Value> CliArgs::choice(const QString& name,
                                     std::initializer_list<std::pair<const char*, Value>> choices)
{
    const std::optional<QString> given = value(name);
    if (!given)
        return std::nullopt;
    QStringList names;
    for (const auto& [text, result] : choices) {
        if (*given == QLatin1String(text))
            return result;
        names << QString::fromLatin1(text);
    }
    badChoice(name, names);
}

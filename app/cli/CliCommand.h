#pragma once

#include <utility>

#include <QStringList>

class QTextStream;

// One group of f2tp-cli subcommands ("packet", "zlb", ...). A group registers
// itself from its own source file, so adding one touches no other file.
struct CliContext
{
    QTextStream& out;
    QTextStream& err;
};

// Returns the process exit status. Errors of the program propagate as
// exceptions; the dispatcher prints their message and exits with status 1.
using CliHandler = int (*)(const QStringList& args, CliContext& ctx);

struct CliRegistration
{
    CliRegistration(const char* group, const char* usage, CliHandler handler);
};

// Thrown for wrong arguments; the dispatcher prints the text and the usage.
class CliUsageError
{
public:
    explicit CliUsageError(QString text)
        : m_text(std::move(text))
    {
    }
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

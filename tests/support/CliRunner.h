#pragma once

#include <QString>
#include <QStringList>

// What one run of the built f2tp-cli gave: its exit status (-1 when it did not
// end normally) and its output, read as UTF-8.
struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

// Runs f2tp-cli (program) with the arguments in the test's own environment,
// with "." as the decimal separator unless a separator or a locale is given;
// the locale, when given, becomes LANG and LC_ALL and the separator then
// follows it. Relative paths are taken from workingFolder when one is given.
CliRun runCli(const QString& program, const QStringList& args, const QString& separator = QString(),
              const QString& locale = QString(), const QString& workingFolder = QString());

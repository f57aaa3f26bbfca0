#include "CliRunner.h"

#include <QProcess>
#include <QProcessEnvironment>

CliRun runCli(const QString& program, const QStringList& args, const QString& separator,
              const QString& locale, const QString& workingFolder)
{
    QProcess process;
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("F2TP_DECIMAL_SEPARATOR"));
    if (!separator.isEmpty())
        env.insert(QStringLiteral("F2TP_DECIMAL_SEPARATOR"), separator);
    else if (locale.isEmpty())
        env.insert(QStringLiteral("F2TP_DECIMAL_SEPARATOR"), QStringLiteral("."));
    if (!locale.isEmpty()) {
        env.insert(QStringLiteral("LANG"), locale);
        env.insert(QStringLiteral("LC_ALL"), locale);
    }
    process.setProcessEnvironment(env);
    process.start(program, args);
    process.waitForFinished(60000);
    CliRun run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

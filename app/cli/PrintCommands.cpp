// f2tp-cli print: one of the three printed forms of a program folder's
// report, as the main window's print commands make it, written as a PDF file,
// an Excel workbook or both.
#include <QDir>
#include <QTextStream>

#include "CheckForm.h"
#include "CliCommand.h"
#include "CliSession.h"
#include "Errors.h"
#include "PrintJobs.h"
#include "ReportPaint.h"
#include "ReportXlsx.h"

namespace {

QString takeValue(QStringList& args, const QString& option)
{
    const qsizetype at = args.indexOf(option);
    if (at < 0)
        return QString();
    if (at + 1 >= args.size())
        throw CliUsageError(option + QStringLiteral(" needs a value"));
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

TPrintVariant variantOf(const QString& text)
{
    if (text == QLatin1String("0"))
        return TPrintVariant::Form;
    if (text == QLatin1String("1"))
        return TPrintVariant::Statistics;
    if (text == QLatin1String("2"))
        return TPrintVariant::Order441;
    throw CliUsageError(QStringLiteral("--variant takes 0, 1 or 2"));
}

// The form is checked here, once, so a failed check prints its own message and
// writes no protocol either; the file is written only when the job has succeeded.
int printCommand(const QStringList& args, CliContext& ctx)
{
    QStringList rest = args;
    const TPrintVariant variant = variantOf(takeValue(rest, QStringLiteral("--variant")));
    const QString pdf = takeValue(rest, QStringLiteral("--pdf"));
    const QString xlsx = takeValue(rest, QStringLiteral("--xlsx"));
    if (pdf.isEmpty() && xlsx.isEmpty())
        throw CliUsageError(QStringLiteral("print needs --pdf OUT or --xlsx OUT"));
    if (rest.size() != 1)
        throw CliUsageError(QStringLiteral("print needs the program folder"));
    TCliSession session(rest.at(0));
    ctx.err.flush();
    try {
        CheckForm(session.dm());
    } catch (const T2tpException& e) {
        ctx.err << e.message() << '\n';
        return 1;
    }
    TKeptReport kept;
    TPrintJobs jobs(session.dm());
    if (jobs.PrintCheckedForm(variant) != TPrintOutcome::Done)
        return 0;
    if (!kept.report())
        throw F2tpError(QStringLiteral("Нет модуля печати: отчет не построен"));
    const TPreparedReport& report = *kept.report();
    if (!pdf.isEmpty())
        WritePdf(report.pages, QDir::current().absoluteFilePath(pdf), report.title);
    if (!xlsx.isEmpty())
        SaveReportAsXlsx(report, QDir::current().absoluteFilePath(xlsx));
    return 0;
}

const CliRegistration printRegistration(
    "print", "print DIR --variant 0|1|2 [--pdf OUT] [--xlsx OUT] [--cancel-nitrogen-dialog]",
    printCommand);

} // namespace

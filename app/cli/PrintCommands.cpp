// f2tp-cli print: one of the three printed forms of a program folder's
// report, as the main window's print commands make it, written as a PDF file,
// an Excel workbook or both.
#include <QDir>
#include <QTextStream>

#include "CheckForm.h"
#include "CliArgs.h"
#include "CliSession.h"
#include "Errors.h"
#include "PrintJobs.h"
#include "ReportPaint.h"
#include "ReportXlsx.h"

namespace {

// The form is checked here, once, so a failed check prints its own message and
// writes no protocol either; the file is written only when the job has succeeded.
int printCommand(const QStringList& rawArgs, CliContext& ctx)
{
    CliArgs args(rawArgs);
    const std::optional<TPrintVariant> variant =
        args.choice<TPrintVariant>(QStringLiteral("--variant"), {{"0", TPrintVariant::Form},
                                                                 {"1", TPrintVariant::Statistics},
                                                                 {"2", TPrintVariant::Order441}});
    if (!variant)
        throw CliUsageError(QStringLiteral("--variant takes 0, 1 or 2"));
    const QString pdf = args.value(QStringLiteral("--pdf")).value_or(QString());
    const QString xlsx = args.value(QStringLiteral("--xlsx")).value_or(QString());
    if (pdf.isEmpty() && xlsx.isEmpty())
        throw CliUsageError(QStringLiteral("print needs --pdf OUT or --xlsx OUT"));
    const CliReportArgs split = CliReportArgs::split(args.positional(), 0, 0);
    if (!split.rest.isEmpty())
        throw CliUsageError(QStringLiteral("print takes the report folder only"));
    TCliSession session(split.dir);
    ctx.err.flush();
    try {
        CheckForm(session.dm());
    } catch (const T2tpException& e) {
        ctx.err << e.message() << '\n';
        return 1;
    }
    TKeptReport kept;
    TPrintJobs jobs(session.dm());
    if (jobs.PrintCheckedForm(*variant) != TPrintOutcome::Done)
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
    "print", "print [DIR] --variant 0|1|2 [--pdf OUT] [--xlsx OUT] [--cancel-nitrogen-dialog]",
    printCommand);

} // namespace

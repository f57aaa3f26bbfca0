// f2tp-cli export: the report of a program folder as an archive, checked
// first as the main window's export command checks it.
#include <QDir>
#include <QTextStream>

#include "CheckForm.h"
#include "CliArgs.h"
#include "CliText.h"
#include "Export.h"
#include "MDM.h"
#include "ReportSections.h"

namespace {

// The export window's title, which the archive's name carries.
const QString kExportFormTitle = QStringLiteral("Форма 2-тп (воздух)");

int exportCommand(const QStringList& rawArgs, CliContext& ctx)
{
    CliArgs args(rawArgs);
    const std::optional<QString> folder = args.value(QStringLiteral("--to"));
    if (!folder)
        throw CliUsageError(QStringLiteral("export needs --to FOLDER"));
    const CliReportArgs split = CliReportArgs::split(args.positional(), 0, 0);
    if (!split.rest.isEmpty())
        throw CliUsageError(QStringLiteral("export takes the report folder only"));

    TDM dm(cliReportFolders(split.dir));
    TReportSections logic(dm);
    logic.ReadSettings();
    logic.LoadSections();
    if (!ExportAllowed(dm)) {
        ctx.err << "The export needs the organisation's code and a report year\n";
        return 1;
    }
    try {
        CheckForm(dm);
    } catch (const T2tpException& e) {
        ctx.err << e.message() << '\n';
        return 1;
    }
    TExport exporter(dm, kExportFormTitle);
    exporter.setFolder(*folder);
    ctx.out << QDir::toNativeSeparators(exporter.ExportData()) << '\n';
    return 0;
}

const CliRegistration exportRegistration("export", "export [DIR] --to FOLDER", exportCommand);

} // namespace

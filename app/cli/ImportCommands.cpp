// f2tp-cli import: an exchange set merged into the report of a program folder
// as the import window does it. The question about a bad value is answered by
// --on-error (abort when not given); a failed import changes no file.
#include <QTextStream>

#include "CliArgs.h"
#include "CliText.h"
#include "MDM.h"
#include "ReportSections.h"
#include "XmlImport.h"

namespace {

int importCommand(const QStringList& rawArgs, CliContext& ctx)
{
    const CliReportArgs args = CliReportArgs::split(CliArgs(rawArgs).positional(), 1, 1);
    if (args.rest.size() != 1)
        throw CliUsageError(QStringLiteral("import needs [DIR] and SOURCE"));
    TDM dm(cliReportFolders(args.dir));
    // The report as the main window holds it when its import command runs.
    TReportSections sections(dm);
    sections.ReadSettings();
    sections.LoadSections();

    TXmlImport import(dm);
    import.OnTableImported = [&ctx](const QString& fileName, const QString& tableName) {
        ctx.out << fileName << '\t' << tableName << '\n';
    ctx.out.flush();
};
import.setPath(args.rest.at(0));
import.LoadManifest();
if (!import.ImportData())
    return 1;
return 0;
} // namespace

const CliRegistration importRegistration("import",
                                         "import [DIR] SOURCE [--on-error skip|skip-all|abort]",
                                         importCommand);

} // namespace

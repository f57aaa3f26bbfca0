// f2tp-cli import: an exchange set merged into the report of a program folder
// as the import window does it. The question about a bad value is answered by
// --on-error (abort when not given); a failed import changes no file.
#include <QTextStream>

#include "CliCommand.h"
#include "CliText.h"
#include "MDM.h"
#include "ReportSections.h"
#include "XmlImport.h"

namespace {

int importCommand(const QStringList& args, CliContext& ctx)
{
    if (args.size() != 2)
        throw CliUsageError(QStringLiteral("import needs DIR and SOURCE"));
    TDM dm(cliProgramFolder(args.at(0)));
    // The report as the main window holds it when its import command runs.
    TReportSections sections(dm);
    sections.ReadSettings();
    sections.LoadSections();

    TXmlImport import(dm);
    import.OnTableImported = [&ctx](const QString& fileName, const QString& tableName) {
        ctx.out << fileName << '\t' << tableName << '\n';
    ctx.out.flush();
};
import.setPath(args.at(1));
import.LoadManifest();
if (!import.ImportData())
    return 1;
return 0;
} // namespace

const CliRegistration importRegistration("import",
                                         "import DIR SOURCE [--on-error skip|skip-all|abort]",
                                         importCommand);

} // namespace

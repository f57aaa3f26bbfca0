// An export read back by the import into a fresh program folder brings the
// same report: card, region row, the five sections and the nitrogen oxide rows.
#include "CliRunner.h"
#include "ExchangeSet.h"
#include "FormTestSupport.h"

#include <QDir>

#include "MDM.h"
#include "ProgramFolder.h"
#include "ReportSections.h"
#include "ozField.h"

namespace {

class RoundTripCliTest : public FormTest
{
protected:
    CliRun cli(const QStringList& args) { return runCli(QStringLiteral(F2TP_CLI), args); }
    // The report of a folder as a fresh program holds it.
    QString report(const QString& dir)
    {
        TDM module(dir);
        TReportSections sections(module);
        sections.ReadSettings();
        sections.LoadSections();
        QString text;
        for (TozMemoryData* table :
             {&module.PrTable(), &module.spisokkr(), &module.R1Table(), &module.R2Table(),
              &module.R3Table(), &module.R4Table(), &module.R5Table(), &module.NOR5Table()}) {
            table->open();
            text += tableDump(*table);
        }
        return text;
    }
};

TEST_F(RoundTripCliTest, AnExportImportsIntoAFreshFolderUnchanged)
{
    setNumber(4, 401, "C3", 12.5);
    TozMemoryData& region = dm->spisokkr();
    region.append();
    region.fieldByName(QStringLiteral("NGDU")).setAsString(QStringLiteral("03221"));
    region.fieldByName(QStringLiteral("NAME")).setAsString(QStringLiteral("Закаменский район"));
    region.post();
    TozMemoryData& no5 = dm->NOR5Table();
    no5.open();
    no5.append();
    no5.fieldByName(QStringLiteral("C3")).setAsFloat(1.75);
    no5.post();
    logic->SaveSections();
    for (TozMemoryData* table : {&dm->PrTable(), &dm->spisokkr(), &no5})
        table->SaveIfModified();
    logic.reset();
    dm.reset();

    QTemporaryDir target;
    const CliRun exported =
        cli({QStringLiteral("export"), folder->path(), QStringLiteral("--to"), target.path()});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    const QString archive = exported.out.trimmed();

    ProgramFolder fresh;
    const CliRun imported = cli({QStringLiteral("import"), fresh.path(), archive});
    ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_FALSE(imported.out.contains(QStringLiteral("SPRDOLJ")));
    const QString brought = report(fresh.path());
    EXPECT_TRUE(brought.contains(QStringLiteral("Закаменский район"))) << brought.toStdString();
    EXPECT_TRUE(brought.contains(QStringLiteral("1.75")));
    EXPECT_EQ(brought, report(folder->path()));
}

} // namespace

// f2tp-cli export end to end: the form is checked first, a failed check
// writes nothing, and a second export replaces the archive.
#include "CliRunner.h"
#include "FormTestSupport.h"

#include <QDir>

#include "MDM.h"
#include "ReportSections.h"

namespace {

class ExportCliTest : public FormTest
{
protected:
    // Saves the report of the fixture and lets go of it, as a closed program would.
    void saveReport()
    {
        logic->SaveSections();
        dm->PrTable().SaveIfModified();
        logic.reset();
        dm.reset();
    }
    CliRun exportReport(QStringList extra = {})
    {
        QStringList args{QStringLiteral("export"), folder->path(), QStringLiteral("--to"),
                         target.path()};
        return runCli(QStringLiteral(F2TP_CLI), args + extra);
    }
    QStringList written() const { return QDir(target.path()).entryList(QDir::Files); }

    QTemporaryDir target;
};

TEST_F(ExportCliTest, ACheckedFormIsExportedAndASecondRunReplacesTheArchive)
{
    saveReport();
    const QString name =
        QStringLiteral("Форма 2-тп (воздух) 7701    Завод    Данные за 2000 год.vlt");
    const CliRun first = exportReport();
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.out,
              QDir::toNativeSeparators(QDir(target.path()).filePath(name)) + QLatin1Char('\n'));
    EXPECT_TRUE(first.err.contains(QStringLiteral("Экспорт закончен")));
    EXPECT_EQ(written(), QStringList{name});

    const CliRun second = exportReport({QStringLiteral("--replace"), QStringLiteral("no")});
    ASSERT_EQ(second.status, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, first.out);
    EXPECT_EQ(written(), QStringList{name});
}

TEST_F(ExportCliTest, AFailedCheckWritesNothing)
{
    fillCard({QStringLiteral("OKPO")});
    saveReport();
    const CliRun r = exportReport();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(r.err, QStringLiteral("Не заполнен код ОKПО\n"));
    EXPECT_EQ(written(), QStringList());

    const CliRun usage =
        runCli(QStringLiteral(F2TP_CLI), {QStringLiteral("export"), folder->path()});
    EXPECT_EQ(usage.status, 1);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("export needs --to FOLDER")));
}

} // namespace

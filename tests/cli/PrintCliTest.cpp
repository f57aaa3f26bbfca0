// End-to-end runs of f2tp-cli print on a scratch program folder whose report
// was filled through the model and saved: the PDF of each variant, and no
// file at all after a failed check, a cancelled dialog or a failed job.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include "CliRunner.h"
#include "FormTestSupport.h"
#include "ozField.h"

namespace {

class PrintCliTest : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        QDir(folder->path()).mkdir(QStringLiteral("шаблоны"));
        for (const char* name : {"2TPV.TVX", "2TPVst.TVX", "2TP441.TVX"}) {
            const QString file = QString::fromLatin1(name);
            QFile::copy(QStringLiteral(F2TP_PRINT_TEST_DATA "/") + file,
                        folder->path() + QStringLiteral("шаблоны/") + file);
        }
        pdf = folder->path() + QStringLiteral("out.pdf");
    }

    CliRun print(const char* variant, const QStringList& more = {})
    {
        logic->SaveSections();
        dm->PrTable().SaveIfModified();
        return runCli(QStringLiteral(F2TP_CLI),
                      QStringList{QStringLiteral("print"), folder->path(),
                                  QStringLiteral("--variant"), QString::fromLatin1(variant),
                                  QStringLiteral("--pdf"), pdf} +
                          more);
    }

    // 2 t of nitrogen oxide in section 2 and in row 109, so the form still passes.
    void reportNitrogenOxide()
    {
        TozMemoryData& table = dm->R2Table();
        TControlsDisabler quiet(table);
        table.append();
        table.fieldByName(QStringLiteral("CA")).setAsInteger(204);
        table.fieldByName(QStringLiteral("C1")).setAsInteger(304);
        table.fieldByName(QStringLiteral("C2")).setAsFloat(2);
        table.post();
        setNumber(1, 109, "C2", 2);
        setNumber(3, 301, "C1", 1);
        setNumber(3, 301, "C4", 12);
        ASSERT_EQ(checkMessage(), QString());
    }

    QString pdfText() const
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            return QString();
        QProcess process;
        process.start(QStringLiteral("pdftotext"),
                      {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    QString pdf;
};

} // namespace

TEST_F(PrintCliTest, EachVariantWritesItsForm)
{
    for (const char* variant : {"0", "1", "2"}) {
        QFile::remove(pdf);
        const CliRun run = print(variant);
        EXPECT_EQ(run.status, 0) << variant << run.err.toStdString();
        EXPECT_EQ(run.err, QString());
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << variant;
        EXPECT_TRUE(file.read(5) == "%PDF-");
    }
    // The workbook beside the PDF, from the same report.
    const QString xlsx = folder->path() + QStringLiteral("out.xlsx");
    EXPECT_EQ(print("0", {QStringLiteral("--xlsx"), xlsx}).status, 0);
    QFile workbook(xlsx);
    ASSERT_TRUE(workbook.open(QIODevice::ReadOnly));
    EXPECT_TRUE(workbook.read(2) == "PK");
    const QString text = pdfText();
    if (!text.isEmpty()) {
        EXPECT_TRUE(text.contains(QStringLiteral("за 2000 г."))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Завод")));
    }
}

TEST_F(PrintCliTest, ToleratedDifferenceIsReportedOnce)
{
    setNumber(2, 201, "C2", 9.999);
    const CliRun run = print("0");
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err,
              QStringLiteral("Внимание: Графа 7 сумма строк 102,107,108,109 раздел 1 <> Сумме "
                             "всех строк графы 2 раздела 2\n"));
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(PrintCliTest, FailedCheckWritesNothing)
{
    setNumber(3, 301, "C4", 3);
    const QString message = checkMessage();
    const CliRun run = print("0");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(PrintCliTest, NitrogenOxideDialogConfirmedOrCancelled)
{
    reportNitrogenOxide();
    CliRun run = print("1", {QStringLiteral("--cancel-nitrogen-dialog")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, QString());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_FALSE(folder->hasData(QStringLiteral("F2TPR1NO.xml")));

    const QByteArray section1 = folder->readData(QStringLiteral("F2TPR1.xml"));
    run = print("1");
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(folder->hasData(QStringLiteral("F2TPR1NO.xml")));
    EXPECT_EQ(folder->readData(QStringLiteral("F2TPR1.xml")), section1);
}

TEST_F(PrintCliTest, FailedJobAndBadArgumentsWriteNothing)
{
    QFile::remove(folder->path() + QStringLiteral("шаблоны/2TP441.TVX"));
    CliRun run = print("2");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(run.err.isEmpty());
    EXPECT_FALSE(QFile::exists(pdf));
    run = print("3");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains(QStringLiteral("--variant takes 0, 1 or 2")));
    EXPECT_FALSE(QFile::exists(pdf));
}

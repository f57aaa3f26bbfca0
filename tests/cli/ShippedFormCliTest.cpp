// f2tp-cli print and protocol with what the program ships: its classifiers,
// its templates, a program folder whose name is outside Windows-1251, and the
// workbooks as a spreadsheet prints them.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "CliRunner.h"
#include "FormTestSupport.h"
#include "PrintTestSupport.h"
#include "ozField.h"

namespace {

// The report of FormTest, read again with the classifiers the program ships
// and printed with its templates.
class ShippedFormCliTest : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        save();
        folder->copyProgramData({QStringLiteral("TEMPLR.xml"), QStringLiteral("KLZAV.xml")});
        for (const char* name : {"2TPV.TVX", "2TPVst.TVX", "2TP441.TVX", "Contr2TPV.tvx"})
            folder->copyTemplate(QString::fromLatin1(name), QStringLiteral(F2TP_TEMPLATES));
        ASSERT_TRUE(folder->valid());
        load();
        ASSERT_EQ(checkMessage(), QString());
    }

    void save()
    {
        logic->SaveSections();
        dm->PrTable().SaveIfModified();
    }

    CliRun cli(const QStringList& args)
    {
        save();
        return runCli(QStringLiteral(F2TP_CLI), args);
    }

    CliRun print(const char* variant, const QStringList& outputs, const QString& dir = QString())
    {
        return cli(QStringList{QStringLiteral("print"), dir.isEmpty() ? folder->path() : dir,
                               QStringLiteral("--variant"), QString::fromLatin1(variant)} +
                   outputs);
    }

    // Section 2 row 204: 2 t of a pollutant that the statistics form does not
    // list by itself, matched by section 1 and section 3.
    void reportOtherPollutant(int code)
    {
        TozMemoryData& table = dm->R2Table();
        TControlsDisabler quiet(table);
        table.append();
        table.fieldByName(QStringLiteral("CA")).setAsInteger(204);
        table.fieldByName(QStringLiteral("C1")).setAsInteger(code);
        table.fieldByName(QStringLiteral("C2")).setAsFloat(2);
        table.post();
        setNumber(1, 109, "C2", 2);
        setNumber(1, 109, "C3", 2);
        setNumber(3, 301, "C4", 12);
        ASSERT_EQ(checkMessage(), QString());
    }

    QString out(const char* name) const { return folder->path() + QString::fromUtf8(name); }
};

QString pdfText(const QString& pdf, int page = 0)
{
    QStringList args{QStringLiteral("-layout")};
    if (page > 0)
        args << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l")
             << QString::number(page);
    return runTool(QStringLiteral("pdftotext"), args << pdf << QStringLiteral("-"));
}

bool hasPoppler()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

// The line of the printed form that begins with the row number.
QString rowLine(const QString& text, const QString& row)
{
    const QRegularExpression line(QStringLiteral("^\\s*") + row + QStringLiteral("\\b.*$"),
                                  QRegularExpression::MultilineOption);
    return line.match(text).captured(0);
}

} // namespace

TEST_F(ShippedFormCliTest, StatisticsFormNamesTheRowOfOtherPollutants)
{
    if (!hasPoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    // Butane is not marked for statistics: it goes into the summary row.
    reportOtherPollutant(402);
    const CliRun run = print("1", {QStringLiteral("--pdf"), out("stat.pdf")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = pdfText(out("stat.pdf"));
    // Rows 201 to 203 hold the three marked pollutants, so the summary is 204.
    const QString summary = rowLine(text, QStringLiteral("204"));
    EXPECT_TRUE(summary.contains(QStringLiteral("8888"))) << text.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("прочие загрязняющие вещества")))
        << summary.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("Бутан")));
}

TEST_F(ShippedFormCliTest, Row505HasNoCodeOfItsOwn)
{
    if (!hasPoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    const CliRun run = print("0", {QStringLiteral("--pdf"), out("form.pdf")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QString text = pdfText(out("form.pdf"));
    // 0401 is row 107's, hydrocarbons without the volatile organic compounds.
    EXPECT_TRUE(rowLine(text, QStringLiteral("107")).contains(QStringLiteral("0401")));
    const QString row505 = rowLine(text, QStringLiteral("505"));
    ASSERT_FALSE(row505.isEmpty()) << text.toStdString();
    EXPECT_FALSE(row505.contains(QStringLiteral("0401"))) << row505.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("0401")), 1);
}

namespace {

// Copies the folder with everything in it; false when a file fails.
bool copyFolder(const QString& from, const QString& to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        if (it.fileInfo().isDir() ? !QDir().mkpath(target) : !QFile::copy(source, target))
            return false;
    }
    return true;
}

} // namespace

TEST_F(ShippedFormCliTest, PrintsFromAFolderOutsideTheCodePage)
{
    save();
    QTemporaryDir parent;
    ASSERT_TRUE(parent.isValid());
    // "é" and "ẞ" have no Windows-1251 byte; the report's own texts do.
    const QString dir = parent.filePath(QStringLiteral("Café ẞ/Отчёт"));
    ASSERT_TRUE(copyFolder(folder->path(), dir));
    const QString pdf = dir + QStringLiteral("/form.pdf");
    CliRun run = print("1", {QStringLiteral("--pdf"), pdf}, dir);
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
    const QString protocol = dir + QStringLiteral("/protocol.pdf");
    run = runCli(QStringLiteral(F2TP_CLI),
                 {QStringLiteral("protocol"), dir, QStringLiteral("--pdf"), protocol});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(protocol));
}

namespace {

// A workbook printed to PDF by the spreadsheet program, in the folder of
// the workbook; empty when the conversion failed.
QString spreadsheetPdf(const QString& soffice, const QString& workbook)
{
    const QTemporaryDir profile;
    const QFileInfo info(workbook);
    QProcess process;
    process.start(
        soffice,
        {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
         QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
         QStringLiteral("--outdir"), info.absolutePath(), workbook});
    if (!process.waitForFinished(300000) || process.exitCode() != 0)
        return QString();
    const QString pdf =
        info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".pdf");
    return QFile::exists(pdf) ? pdf : QString();
}

int pdfPages(const QString& pdf)
{
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                          QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(runTool(QStringLiteral("pdfinfo"), {pdf}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The form's row numbers (101 to 505) on the page, in order.
QStringList rowNumbers(const QString& pageText)
{
    static const QRegularExpression number(QStringLiteral("(?<![\\d,.])[1-5]\\d\\d(?![\\d,.])"));
    QStringList numbers;
    for (const QRegularExpressionMatch& match : number.globalMatch(pageText))
        numbers << match.captured(0);
    return numbers;
}

} // namespace

TEST_F(ShippedFormCliTest, WorkbooksPrintOnThePagesOfThePdf)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        GTEST_SKIP() << "soffice is not installed (scripts/install-deps.sh installs "
                        "libreoffice-calc-nogui)";
    if (!hasPoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    CliRun run = print("0", {QStringLiteral("--pdf"), out("form.pdf"), QStringLiteral("--xlsx"),
                             out("form.xlsx")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    run = cli({QStringLiteral("protocol"), folder->path(), QStringLiteral("--pdf"),
               out("protocol.pdf"), QStringLiteral("--xlsx"), out("protocol.xlsx")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QDir(folder->path()).mkdir(QStringLiteral("calc"));
    for (const char* name : {"form", "protocol"}) {
        const QString ours = out(name) + QStringLiteral(".pdf");
        const QString workbook = out("calc/") + QString::fromLatin1(name) + QStringLiteral(".xlsx");
        ASSERT_TRUE(QFile::copy(out(name) + QStringLiteral(".xlsx"), workbook));
        const QString theirs = spreadsheetPdf(soffice, workbook);
        ASSERT_FALSE(theirs.isEmpty()) << name;
        const int pages = pdfPages(ours);
        EXPECT_EQ(pages, QString::fromLatin1(name) == QLatin1String("form") ? 4 : 1);
        ASSERT_EQ(pdfPages(theirs), pages) << name;
        // Each page holds the rows it holds in print.
        for (int page = 1; page <= pages; ++page)
            EXPECT_EQ(rowNumbers(pdfText(theirs, page)), rowNumbers(pdfText(ours, page)))
                << name << " page " << page;
    }
}

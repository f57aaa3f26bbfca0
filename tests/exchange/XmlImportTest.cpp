// The import of exchange sets into a report: the three kinds of source, the
// merge rules, the question about bad values, and imports that fail or are
// aborted leaving every working file and every table as it was.
#include "XmlImport.h"

#include <map>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include "ArchiveTestSupport.h"
#include "Errors.h"
#include "ExchangeSet.h"
#include "FormatSettings.h"
#include "ImportTransaction.h"
#include "MDM.h"
#include "ProgramFolder.h"
#include "ReportSections.h"
#include "ScriptedUserInterface.h"
#include "ozField.h"

namespace {

// The CA values of the table's rows in order.
std::vector<int> rows(TozMemoryData& table)
{
    std::vector<int> result;
    for (table.first(); !table.eof(); table.next())
        result.push_back(table.fieldByName(QStringLiteral("CA")).asInteger());
    return result;
}

class XmlImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeTerritories(*folder);
        // The scratch folders of the import go below a temporary folder of
        // the test's own, so what is left in it can be seen.
        ASSERT_TRUE(temp.isValid());
        savedTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", temp.path().toLocal8Bit());
        load();
    }
    void TearDown() override { qputenv("TMPDIR", savedTemp); }

    void load()
    {
        logic.reset();
        dm = std::make_unique<TDM>(folder->path());
        logic = std::make_unique<TReportSections>(*dm);
        logic->ReadSettings();
        logic->LoadSections();
    }
    // Imports as the window does: the source named, then "Импорт".
    bool importFrom(const QString& path)
    {
        TXmlImport job(*dm);
        job.OnTableImported = [this](const QString& file, const QString&) {
            imported.append(file);
        };
        job.setPath(path);
        return job.ImportData();
    }
    // Every file of the data folder with its bytes.
    std::map<QString, QByteArray> dataFiles() const
    {
        std::map<QString, QByteArray> all;
        for (const QString& name :
             QDir(folder->path() + QStringLiteral("data")).entryList(QDir::Files))
            all[name] = folder->readData(name);
        return all;
    }
    // Every table the import may change, as the program holds it.
    QString report() const
    {
        QString text;
        for (TozMemoryData* table :
             {&dm->PrTable(), &dm->spisokkr(), &dm->R1Table(), &dm->R2Table(), &dm->R3Table(),
              &dm->R4Table(), &dm->R5Table(), &dm->NOR1Table(), &dm->NOR3Table(), &dm->NOR5Table()})
            text += tableDump(*table) + QLatin1Char('\n');
        return text;
    }
    QString text(TozMemoryData& table, int row, const char* column, const char* key = "CA")
    {
        EXPECT_TRUE(table.locate(QString::fromLatin1(key), row)) << key << " " << row;
        return table.fieldByName(QString::fromLatin1(column)).asString();
    }
    QString number(double value) const
    {
        return QString::number(value).replace(QLatin1Char('.'), FormatSettings::decimalSeparator());
    }
    QStringList tempEntries() const
    {
        return QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }

    QTemporaryDir temp;
    QByteArray savedTemp;
    std::unique_ptr<ProgramFolder> folder = std::make_unique<ProgramFolder>();
    TScriptedUserInterface ui;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<TReportSections> logic;
    ExchangeSet set;
    QStringList imported;
}; // namespace

// What the standard set brings, whichever source carried it.
void expectStandardSetImported(TDM& dm)
{
    TozMemoryData& card = dm.PrTable();
    ASSERT_EQ(card.recordCount(), 1);
    EXPECT_EQ(card.fieldByName(QStringLiteral("KOD")).asString(), QStringLiteral("770123456701"));
    EXPECT_EQ(card.fieldByName(QStringLiteral("PNAZ")).asString(), QStringLiteral("ООО \"Заря\""));
    TozMemoryData& region = dm.spisokkr();
    ASSERT_EQ(region.recordCount(), 1);
    EXPECT_EQ(region.fieldByName(QStringLiteral("NGDU")).asString(), QStringLiteral("03221"));
    // The district's name comes from the region classifier.
    EXPECT_EQ(region.fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("Закаменский"));
    EXPECT_EQ(dm.R1Table().recordCount(), 9);
    EXPECT_EQ(dm.R2Table().recordCount(), 4);
    EXPECT_EQ(dm.R3Table().recordCount(), 3);
    EXPECT_EQ(dm.R4Table().recordCount(), 6);
    EXPECT_EQ(dm.R5Table().recordCount(), 5);
    EXPECT_EQ(dm.NOR3Table().recordCount(), 3);
    ASSERT_TRUE(dm.R1Table().locate(QStringLiteral("CA"), 104));
    EXPECT_DOUBLE_EQ(dm.R1Table().fieldByName(QStringLiteral("C2")).asFloat(), 4.125);
    EXPECT_DOUBLE_EQ(dm.R1Table().fieldByName(QStringLiteral("C9")).asFloat(), 4.5);
    ASSERT_TRUE(dm.R4Table().locate(QStringLiteral("CA"), 406));
    EXPECT_EQ(dm.R4Table().fieldByName(QStringLiteral("CB")).asString(),
              QStringLiteral("Цех окраски"));
    EXPECT_DOUBLE_EQ(dm.NOR5Table().fieldByName(QStringLiteral("C3")).asFloat(), 2);
}

TEST_F(XmlImportTest, EverySourceKindImportsTheSetAndSavesIt)
{
    set.write();
    struct Case
    {
        const char* kind;
        QString path;
    };
    const std::vector<Case> cases = {{"manifest", set.manifestPath()},
                                     {"vlt", set.packZlb(QStringLiteral("Заря 2024.vlt"))},
                                     {"zlb", set.packZlb(QStringLiteral("set.ZLB"))},
                                     {"zip", set.packZip(QStringLiteral("set.zip"))}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ASSERT_FALSE(c.path.isEmpty());
        folder = std::make_unique<ProgramFolder>();
        writeTerritories(*folder);
        load();
        imported.clear();
        ui.calls.clear();
        const QStringList tempBefore = tempEntries();
        ASSERT_TRUE(importFrom(c.path)) << ui.calls.join(QLatin1Char('\n')).toStdString();
        // The officials' file has no table to go to and is passed over.
        EXPECT_EQ(imported.size(), 10);
        EXPECT_FALSE(imported.contains(QStringLiteral("SPRDOLJ.xml")));
        EXPECT_TRUE(ui.calls.contains(QStringLiteral("information: : Перенос данных закончен")));
        expectStandardSetImported(*dm);

        // Saved: a program started afresh on the folder shows the same report.
        for (const char* file : {"B0002.xml", "spisokkr.xml", "F2TPR1.xml", "F2TPR5.xml",
                                 "F2TPR1NO.xml", "F2TPR3NO.xml", "F2TPR5NO.xml"})
            EXPECT_TRUE(folder->hasData(QString::fromLatin1(file))) << file;
        EXPECT_FALSE(folder->hasData(QStringLiteral("SPRDOLJ.xml")));
        load();
        dm->NOR5Table().open();
        dm->NOR3Table().open();
        expectStandardSetImported(*dm);
        // Nothing is left in the temporary folder.
        EXPECT_EQ(tempEntries(), tempBefore);
    }
    // A bare manifest's own files stay where they are.
    EXPECT_TRUE(QFile::exists(set.manifestPath()));
    EXPECT_TRUE(QFile::exists(set.folder() + QStringLiteral("F2TPR3.xml")));
}

TEST_F(XmlImportTest, ArchivesUnpackIntoAPrivateFolderOfTheirOwn)
{
    set.files[QStringLiteral("F2TPR3.xml")] = packet("CA:i2 C1:i4", {"301|много"});
    set.write();
    const QString archive = set.packZlb(QStringLiteral("set.vlt"));
    QStringList looseFiles;
    QStringList scratch;
    ui.skipAnswer = TSkipAnswer::Skip;
    ui.whileShown = [&] {
        // While the tables are merged: no table file lies loose in the
        // temporary folder, only the import's own folder.
        looseFiles = QDir(temp.path()).entryList(QDir::Files);
        scratch = QDir(temp.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    };
    ASSERT_TRUE(importFrom(archive));
    EXPECT_EQ(looseFiles, QStringList());
    EXPECT_EQ(scratch.size(), 1);
    EXPECT_EQ(tempEntries(), QStringList());
}

TEST_F(XmlImportTest, MergeModes)
{
    // Mode 1 edits the record the keys find, letter case aside; otherwise it appends.
    logic->LoadSections();
    TozMemoryData& r4 = dm->R4Table();
    ASSERT_TRUE(r4.locate(QStringLiteral("CA"), 402));
    r4.edit();
    r4.fieldByName(QStringLiteral("CB")).setAsString(QStringLiteral("ЦЕХ № 2"));
    r4.post();
    set.files[QStringLiteral("F2TPR4.xml")] =
        packet("CB:string:250 CC:string:250 C3:r8", {"цех № 2|Ремонт|7.25", "Склад|Навес|1"});
    // Mode 2 (and 4) empties the section first; any other mode appends.
    set.files[QStringLiteral("F2TPR2.xml")] =
        packet("CA:i2 C1:i2 C2:r8", {"201|703|0.5", "202|2902|1.5"});
    set.files[QStringLiteral("F2TPR5.xml")] = packet("CA:i2 C3:r8", {"506|2"});
    set.listOnly({{QStringLiteral("F2TPR4.xml"), QStringLiteral("1,CB")},
                  {QStringLiteral("F2TPR2.xml"), QStringLiteral("2,KODP,YEAR_,REG")},
                  {QStringLiteral("F2TPR5.xml"), QStringLiteral("0")}});
    set.write();
    ASSERT_TRUE(importFrom(set.manifestPath()));

    EXPECT_EQ(r4.recordCount(), 6);
    EXPECT_EQ(text(r4, 402, "CB"), QStringLiteral("цех № 2"));
    EXPECT_EQ(text(r4, 402, "CC"), QStringLiteral("Ремонт"));
    EXPECT_EQ(text(r4, 402, "C3"), number(7.25));
    EXPECT_EQ(text(r4, 406, "CB"), QStringLiteral("Склад"));
    EXPECT_EQ(rows(dm->R2Table()), (std::vector<int>{201, 202}));
    EXPECT_EQ(text(dm->R2Table(), 202, "C1"), QStringLiteral("2902"));
    EXPECT_EQ(rows(dm->R5Table()), (std::vector<int>{501, 502, 503, 504, 505, 506}));
}

TEST_F(XmlImportTest, TheTableListEndsAtTheFirstGap)
{
    set.listOnly({{QStringLiteral("F2TPR1.xml"), QStringLiteral("2")},
                  {QStringLiteral("F2TPR2.xml"), QStringLiteral("2")},
                  {QStringLiteral("F2TPR3.xml"), QStringLiteral("2")}});
    set.manifest << QStringLiteral("Table5=F2TPR5.xml") << QStringLiteral("UPDATE5=2");
    set.files[QStringLiteral("F2TPR5.xml")] = packet("CA:i2 C3:r8", {"501|9"});
    set.write();
    ASSERT_TRUE(importFrom(set.manifestPath()));
    EXPECT_EQ(imported, (QStringList{QStringLiteral("F2TPR1.xml"), QStringLiteral("F2TPR2.xml"),
                                     QStringLiteral("F2TPR3.xml")}));
    EXPECT_EQ(dm->R5Table().recordCount(), 5);
}

TEST_F(XmlImportTest, BadSourcesAreRefused)
{
    set.write();
    const auto refused = [this](const QString& path) {
        TXmlImport job(*dm);
        job.setPath(path);
        try {
            job.LoadManifest();
        } catch (const F2tpError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Неверные данные для импорта"));
            EXPECT_FALSE(job.ImportEnabled());
            EXPECT_EQ(job.caption(), QStringLiteral("Загрузка данных "));
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused(set.folder() + QStringLiteral("F2TPR1.xml")));
    EXPECT_TRUE(refused(set.folder() + QStringLiteral("missing.vlt")));
    EXPECT_TRUE(refused(set.folder() + QStringLiteral("F2TPR1.xml.zip")));
    set.setEntry(QStringLiteral("Code"), QStringLiteral("36"));
    set.write();
    EXPECT_TRUE(refused(set.manifestPath()));

    for (const char* code : {"35", "39", " 535"}) {
        set.setEntry(QStringLiteral("Code"), QString::fromLatin1(code));
        set.write();
        TXmlImport job(*dm);
        job.setPath(set.manifestPath() + QStringLiteral("  "));
        job.LoadManifest();
        EXPECT_TRUE(job.ImportEnabled()) << code;
        EXPECT_EQ(job.caption(), QStringLiteral("Импорт - 770123456701    ООО \"Заря\"    "
                                                "Данные за 2024 год Форма 2-тп (воздух)"));
        EXPECT_EQ(job.label(),
                  QStringLiteral("770123456701    ООО \"Заря\"    Данные за 2024 год"));
    }
}

TEST_F(XmlImportTest, AnOlderSetBringsSection2FromB0308)
{
    set.files[QStringLiteral("B0308.XML")] =
        packet("KDZV:string:4 MOG:r8 PDV:r8 VSV:r8",
               {"330|1", "337|2", "401|3", "301|4", "703|0.125|0.5|0.75"});
    set.listOnly({{QStringLiteral("B0308.XML"), QStringLiteral("0")}});
    set.setEntry(QStringLiteral("Code"), QStringLiteral("39"));
    set.write();
    ASSERT_TRUE(importFrom(set.manifestPath()));
    TozMemoryData& r2 = dm->R2Table();
    EXPECT_EQ(rows(r2), (std::vector<int>{201, 202, 203, 204}));
    EXPECT_EQ(text(r2, 204, "C1"), QStringLiteral("703"));
    EXPECT_EQ(text(r2, 204, "C2"), number(0.125));
    EXPECT_EQ(text(r2, 204, "C4"), number(0.5));
    EXPECT_EQ(text(r2, 204, "C5"), number(0.75));
}

TEST_F(XmlImportTest, BadValuesAreSkippedOnceForAllOrAbort)
{
    set.files[QStringLiteral("F2TPR3.xml")] =
        packet("CA:i2 C1:i4 C2:i4", {"301|много|4", "302|мало|x", "303|1|2"});
    set.listOnly({{QStringLiteral("F2TPR3.xml"), QStringLiteral("2")}});
    set.write();
    struct Case
    {
        TSkipAnswer answer;
        int questions;
        bool imported;
    };
    for (const Case& c : {Case{TSkipAnswer::Skip, 3, true}, Case{TSkipAnswer::SkipAll, 1, true},
                          Case{TSkipAnswer::Abort, 1, false}}) {
        SCOPED_TRACE(int(c.answer));
        load();
        const auto filesBefore = dataFiles();
        ui.calls.clear();
        ui.skipAnswer = c.answer;
        bool done = false;
        QString error;
        try {
            done = importFrom(set.manifestPath());
        } catch (const F2tpError& e) {
            error = e.message();
        }
        EXPECT_EQ(done, c.imported);
        const QStringList questions = ui.calls.filter(QStringLiteral("ask skip: "));
        EXPECT_TRUE(questions.value(0).startsWith(QStringLiteral("ask skip: 'много'")))
            << questions.value(0).toStdString();
        EXPECT_EQ(questions.size(), c.questions);
        if (c.imported) {
            // Each bad value stands as 0.
            TozMemoryData& r3 = dm->R3Table();
            EXPECT_EQ(text(r3, 301, "C1"), QStringLiteral("0"));
            EXPECT_EQ(text(r3, 301, "C2"), QStringLiteral("4"));
            EXPECT_EQ(text(r3, 302, "C1"), QStringLiteral("0"));
            EXPECT_EQ(text(r3, 302, "C2"), QStringLiteral("0"));
            EXPECT_EQ(text(r3, 303, "C1"), QStringLiteral("1"));
        } else {
            EXPECT_TRUE(error.startsWith(QStringLiteral("Таблица F2TPR3.xml \r\n'много'")))
                << error.toStdString();
            EXPECT_TRUE(error.endsWith(TXmlImport::NothingImportedText()));
            EXPECT_EQ(dataFiles(), filesBefore);
        }
    }
}

// The faults strike the fifth table of the eleven, after the card, the region
// row and two sections were merged in memory; an unsaved edit of section 1
// and the closed nitrogen oxide tables must come through unchanged.
TEST_F(XmlImportTest, AFailedImportChangesNothing)
{
    ProgramFolder* data = folder.get();
    data->writeData(QStringLiteral("B0002.xml"),
                    packet("KOD:string:20 PNAZ:string:100", {"500100732259|АО Прежнее"}));
    data->writeData(QStringLiteral("F2TPR1NO.xml"), packet("C2:r8", {"0.5"}));
    load();
    logic->SaveSections();
    TozMemoryData& r1 = dm->R1Table();
    ASSERT_TRUE(r1.locate(QStringLiteral("CA"), 105));
    r1.edit();
    r1.fieldByName(QStringLiteral("C2")).setAsFloat(3.125);
    r1.post();
    ASSERT_TRUE(dm->R2Table().locate(QStringLiteral("CA"), 202));

    struct Fault
    {
        const char* name;
        QByteArray file;
    };
    const std::vector<Fault> faults = {
        {"corrupt", QByteArray("<?xml version=\"1.0\"?><DATAPACKET><METADATA><FIELDS>")},
        {"aborted", packet("CA:i2 C1:i4", {"301|много"})}};
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        set.files[QStringLiteral("F2TPR3.xml")] = fault.file;
        set.write();
        const auto filesBefore = dataFiles();
        const QString reportBefore = report();
        ui.skipAnswer = TSkipAnswer::Abort;
        try {
            importFrom(set.packZip(QStringLiteral("set.zip")));
            ADD_FAILURE() << "imported";
        } catch (const F2tpError& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Таблица F2TPR3.xml \r\n")))
                << e.message().toStdString();
            EXPECT_TRUE(e.message().endsWith(TXmlImport::NothingImportedText()));
        }
        EXPECT_EQ(imported.size(), 4);
        imported.clear();
        EXPECT_EQ(dataFiles(), filesBefore);
        EXPECT_EQ(report(), reportBefore);
        EXPECT_EQ(tempEntries(), QStringList());
    }
    // What the user had not saved is still there to be saved.
    EXPECT_DOUBLE_EQ(r1.fieldByName(QStringLiteral("C2")).asFloat(), 3.125);
    EXPECT_TRUE(r1.changed());
}

} // namespace

namespace {

// What the import's saves wrote is taken back when a later step fails: a
// changed file gets its old bytes, a file that was not there goes again.
TEST_F(XmlImportTest, ARollbackPutsBackWhatWasSaved)
{
    logic->SaveSections();
    const auto filesBefore = dataFiles();
    ASSERT_FALSE(folder->hasData(QStringLiteral("F2TPR5NO.xml")));
    const QString reportBefore = report();
    QTemporaryDir copies;
    {
        TImportTransaction transaction({&dm->R3Table(), &dm->NOR5Table()}, copies.path());
        TozMemoryData& r3 = dm->R3Table();
        transaction.touch(r3);
        r3.ClearRecords();
        r3.setCanInsert(true);
        r3.append();
        r3.fieldByName(QStringLiteral("CA")).setAsInteger(309);
        r3.post();
        r3.SaveIfModified();
        TozMemoryData& no5 = dm->NOR5Table();
        transaction.touch(no5);
        no5.open();
        no5.append();
        no5.fieldByName(QStringLiteral("C3")).setAsFloat(1.5);
        no5.post();
        no5.SaveIfModified();
        ASSERT_NE(dataFiles(), filesBefore);
        transaction.rollback();
    }
    EXPECT_EQ(dataFiles(), filesBefore);
    EXPECT_EQ(report(), reportBefore);
}

} // namespace

namespace {

// The written set's files as archive entries: the manifest, then the tables.
std::vector<std::pair<QByteArray, QByteArray>> setEntries(const ExchangeSet& set)
{
    std::vector<std::pair<QByteArray, QByteArray>> entries;
    const QDir dir(set.folder());
    entries.emplace_back("TableList.inf", ArchiveTest::readFile(set.manifestPath()));
    for (const QString& name : dir.entryList({QStringLiteral("*.xml")}, QDir::Files))
        entries.emplace_back(name.toLatin1(), ArchiveTest::readFile(dir.filePath(name)));
    return entries;
}

QByteArray setZlb(const std::vector<std::pair<QByteArray, QByteArray>>& files)
{
    std::vector<ArchiveTest::RawZlbEntry> entries;
    for (const auto& [name, bytes] : files)
        entries.emplace_back(name, QByteArray(), bytes, false);
    return ArchiveTest::buildZlb(entries);
}

QByteArray setZip(const std::vector<std::pair<QByteArray, QByteArray>>& files)
{
    std::vector<ArchiveTest::RawZipEntry> entries;
    for (const auto& [name, bytes] : files)
        entries.emplace_back(name, bytes);
    return ArchiveTest::buildZip(entries);
}

// Every file below the folder, but the copies an import keeps of the report's
// own files, with its size.
std::map<QString, qint64> filesBelow(const QString& folder)
{
    std::map<QString, qint64> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (!it.fileInfo().absolutePath().endsWith(QLatin1String("/before")))
            files[QDir(folder).relativeFilePath(it.filePath())] = it.fileInfo().size();
    }
    return files;
}

const QString kTooLargeManifest = QStringLiteral(
    "Неверные данные для импорта\r\nФайл TableList.inf больше допустимого размера (64 КБ).");

} // namespace

// An archive of a few hundred kilobytes that holds the set and a hundred
// files of a quarter megabyte each unpacks the set alone.
TEST_F(XmlImportTest, ArchivesGiveUpOnlyTheFilesTheManifestLists)
{
    set.write();
    auto files = setEntries(set);
    const size_t setSize = files.size();
    for (int i = 0; i < 100; ++i)
        files.emplace_back("junk" + QByteArray::number(i) + ".xml", QByteArray(256 * 1024, ' '));
    for (const auto& [kind, bytes] :
         {std::pair{"vlt", setZlb(files)}, std::pair{"zip", setZip(files)}}) {
        SCOPED_TRACE(kind);
        ASSERT_LT(bytes.size(), 512 * 1024);
        const QString archive = temp.filePath(QStringLiteral("set.") + QLatin1String(kind));
        ArchiveTest::writeFile(archive, bytes);
        std::map<QString, qint64> unpacked;
        ui.whileShown = [&] {
            unpacked = filesBelow(temp.path());
        };
        ASSERT_TRUE(importFrom(archive));
        unpacked.erase(QStringLiteral("set.") + QLatin1String(kind));
        EXPECT_EQ(unpacked.size(), setSize);
        qint64 total = 0;
        for (const auto& [name, size] : unpacked) {
            EXPECT_FALSE(name.contains(QLatin1String("junk"))) << name.toStdString();
            total += size;
        }
        EXPECT_LT(total, 64 * 1024);
        QFile::remove(archive);
        EXPECT_EQ(tempEntries(), QStringList());
    }
    expectStandardSetImported(*dm);
}

// The manifest names the tables of its own set: a name that leads to another
// folder makes the source a bad one.
TEST_F(XmlImportTest, ManifestNamesStayInsideTheSet)
{
    for (const char* name : {"../x.xml", "..\\F2TPR1.xml", "C:\\x.xml", "C:F2TPR1.xml",
                             "sub/F2TPR1.xml", "/etc/F2TPR1.xml", ".."}) {
        SCOPED_TRACE(name);
        set.listOnly({{QStringLiteral("F2TPR1.xml"), QStringLiteral("2")},
                      {QString::fromLatin1(name), QStringLiteral("2")}});
        set.write();
        const auto filesBefore = dataFiles();
        for (const QString& source : {set.manifestPath(), set.packZlb(QStringLiteral("n.vlt"))}) {
            TXmlImport job(*dm);
            job.setPath(source);
            EXPECT_EQ(errorOf([&] { job.LoadManifest(); }),
                      QStringLiteral("Неверные данные для импорта"));
            EXPECT_FALSE(job.ImportEnabled());
            EXPECT_FALSE(job.ImportData());
        }
        EXPECT_EQ(dataFiles(), filesBefore);
    }
}

// A manifest, an archive's file list or an unpacked set beyond what a set can
// be is refused with the limit in the message, and nothing is imported.
TEST_F(XmlImportTest, OversizeManifestsListsAndSetsAreRefused)
{
    const auto loadError = [this](const QString& source) {
        TXmlImport job(*dm);
        job.setPath(source);
        return errorOf([&] { job.LoadManifest(); });
    };
    // A bare manifest with 70 KB of lines after the entries.
    set.manifest << QStringLiteral("Note=") + QString(70 * 1024, QLatin1Char('x'));
    set.write();
    EXPECT_EQ(loadError(set.manifestPath()), kTooLargeManifest);

    // An archived manifest that inflates to 16 MB.
    set.manifest.removeLast();
    set.write();
    auto files = setEntries(set);
    files.front().second += QByteArray(16 * 1024 * 1024, ' ');
    for (const auto& [kind, bytes] :
         {std::pair{"vlt", setZlb(files)}, std::pair{"zip", setZip(files)}}) {
        SCOPED_TRACE(kind);
        const QString archive = temp.filePath(QStringLiteral("big.") + QLatin1String(kind));
        ArchiveTest::writeFile(archive, bytes);
        EXPECT_EQ(loadError(archive), kTooLargeManifest);
        QFile::remove(archive);
        EXPECT_EQ(tempEntries(), QStringList());
    }

    // A file list of two thousand names.
    files = setEntries(set);
    for (int i = 0; i < 2000; ++i)
        files.emplace_back("n" + QByteArray::number(i) + ".xml", QByteArray());
    for (const auto& [kind, bytes] :
         {std::pair{"vlt", setZlb(files)}, std::pair{"zip", setZip(files)}}) {
        SCOPED_TRACE(kind);
        const QString archive = temp.filePath(QStringLiteral("long.") + QLatin1String(kind));
        ArchiveTest::writeFile(archive, bytes);
        EXPECT_EQ(loadError(archive),
                  QStringLiteral("Неверные данные для импорта\r\nАрхив содержит слишком много "
                                 "файлов: 2012 (допускается не более 1024)."));
        QFile::remove(archive);
    }

    // A listed table that inflates beyond the limit of a set.
    files = setEntries(set);
    for (auto& [name, bytes] : files) {
        if (name == "F2TPR2.xml")
            bytes += QByteArray(TXmlImport::MaxSetSize, ' ');
    }
    const QString archive = temp.filePath(QStringLiteral("huge.vlt"));
    ArchiveTest::writeFile(archive, setZlb(files));
    files.clear();
    const auto filesBefore = dataFiles();
    const QString reportBefore = report();
    const QString error = errorOf([&] { importFrom(archive); });
    EXPECT_TRUE(error.startsWith(
        QStringLiteral("Распакованные файлы архива больше допустимого размера (64 МБ).")))
        << error.toStdString();
    EXPECT_TRUE(error.endsWith(TXmlImport::NothingImportedText()));
    EXPECT_EQ(dataFiles(), filesBefore);
    EXPECT_EQ(report(), reportBefore);
    QFile::remove(archive);
    EXPECT_EQ(tempEntries(), QStringList());
}

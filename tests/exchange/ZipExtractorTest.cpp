#include "ZipExtractor.h"

#include <map>

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ArchiveTestSupport.h"
#include "Cp1251.h"

using namespace ArchiveTest;

namespace {

using Files = std::map<QString, QByteArray>;

const QByteArray kManifest = "[TABLES]\r\nCode=35\r\nTables=1\r\nTable1=F2TPR1.xml\r\n";

// The data packet the fixture scripts write, rebuilt here to compare with.
QByteArray shellPacket()
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><DATAPACKET><ROWDATA>";
    for (int i = 101; i <= 160; ++i)
        xml += "<ROW CA=\"" + QByteArray::number(i) + "\" C1=\"" + QByteArray::number(i) +
               ".125\" C2=\"0.000\"/>";
    return xml + "</ROWDATA></DATAPACKET>";
}

QByteArray pythonPacket()
{
    QByteArray xml;
    for (int i = 101; i < 160; ++i)
        xml +=
            "<ROW CA=\"" + QByteArray::number(i) + "\" C1=\"" + QByteArray::number(i) + ".125\"/>";
    return xml;
}

QString fixture(const char* name)
{
    return dataDir() + QStringLiteral("/zip/") + QString::fromLatin1(name);
}

Files filesIn(const QString& dir)
{
    Files files;
    const QStringList names = QDir(dir).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : names)
        files[name] = readFile(dir + QLatin1Char('/') + name);
    return files;
}

class ZipTest : public ::testing::Test
{
protected:
    QString dest() const { return m_dir.filePath(QStringLiteral("dest")); }
    QString write(const QByteArray& bytes)
    {
        const QString name = m_dir.filePath(QStringLiteral("t%1.zip").arg(++m_count));
        writeFile(name, bytes);
        return name;
    }
    void SetUp() override { QDir().mkpath(dest()); }

    // Extracts every entry (or the named ones) flat into dest().
    int unzip(const QString& zip, const QStringList& names = {})
    {
        TZipExtractor zipper;
        zipper.setZipName(zip);
        zipper.setDestDir(dest() + QLatin1Char('\\'));
        zipper.setDoAll(names.isEmpty());
        zipper.setFilesList(names);
        return zipper.UnZip();
    }

    QTemporaryDir m_dir;
    int m_count = 0;
    TScriptedUserInterface prompt;
};

struct FixtureCase
{
    const char* label;
    const char* file;
    QStringList names; // empty: every entry
    int extracted;
    Files files;
    QStringList events;
};

class ZipFixtureTest : public ZipTest, public ::testing::WithParamInterface<FixtureCase>
{
};

const Files kExchangeSet{{QStringLiteral("TableList.inf"), kManifest},
                         {QStringLiteral("F2TPR1.xml"), shellPacket()}};

} // namespace

TEST_P(ZipFixtureTest, ReadsWhatOtherWritersMade)
{
    const FixtureCase& c = GetParam();
    EXPECT_EQ(unzip(fixture(c.file), c.names), c.extracted);
    EXPECT_EQ(filesIn(dest()), c.files);
    EXPECT_EQ(prompt.calls, c.events);
}

INSTANTIATE_TEST_SUITE_P(
    Writers, ZipFixtureTest,
    ::testing::Values(
        FixtureCase{"infozipStored", "infozip_stored.zip", {}, 2, kExchangeSet, {}},
        FixtureCase{"infozipDeflated", "infozip_deflated.zip", {}, 2, kExchangeSet, {}},
        FixtureCase{"infozipComment", "infozip_comment.zip", {}, 2, kExchangeSet, {}},
        FixtureCase{"infozipDataDescriptors", "infozip_streamed.zip", {}, 2, kExchangeSet, {}},
        FixtureCase{"sevenZipDeflated", "7z_deflated.zip", {}, 2, kExchangeSet, {}},
        FixtureCase{"sevenZipStored", "7z_stored.zip", {}, 2, kExchangeSet, {}},
        FixtureCase{"manifestOnly",
                    "infozip_deflated.zip",
                    {QStringLiteral("TABLELIST.INF")},
                    1,
                    {{QStringLiteral("TableList.inf"), kManifest}},
                    {}},
        FixtureCase{"foldersFlattenedLaterWins",
                    "infozip_folders.zip",
                    {},
                    4,
                    {{QStringLiteral("TableList.inf"), kManifest},
                     {QStringLiteral("F2TPR1.xml"), shellPacket()},
                     {QStringLiteral("same.txt"), "second one\r\n"}},
                    {}},
        FixtureCase{"manifestInSubfolderIsNotTheManifest",
                    "infozip_folders.zip",
                    {QStringLiteral("TableList.inf")},
                    0,
                    {},
                    {}},
        FixtureCase{"namedWithItsFolder",
                    "infozip_folders.zip",
                    {QStringLiteral("SUB\\tablelist.inf")},
                    1,
                    {{QStringLiteral("TableList.inf"), kManifest}},
                    {}},
        FixtureCase{"encryptedEntrySkipped",
                    "infozip_encrypted.zip",
                    {},
                    1,
                    {{QStringLiteral("TableList.inf"), kManifest}},
                    {}},
        FixtureCase{"unknownMethod",
                    "infozip_bzip2.zip",
                    {},
                    1,
                    {{QStringLiteral("TableList.inf"), kManifest}},
                    {QStringLiteral("information: Zip Error: Unknown Compression Method")}},
        FixtureCase{"pythonZipfile",
                    "python_zipfile.zip",
                    {},
                    3,
                    {{QStringLiteral("TableList.inf"), kManifest},
                     {QStringLiteral("F2TPR1.xml"), pythonPacket()},
                     {QStringLiteral("Отчёт.txt"), Cp1251::encode(QStringLiteral("Отчёт"))}},
                    {}},
        FixtureCase{
            "oemNames", "oem_names.zip", {}, 1, {{QStringLiteral("Отчёт.txt"), "oem"}}, {}}),
    caseLabel<FixtureCase>);

TEST_F(ZipTest, TheFileGetsTheEntryTimeAndReadOnlyAttribute)
{
    EXPECT_EQ(unzip(fixture("infozip_readonly.zip")), 1);
    const QString file = dest() + QStringLiteral("/locked.txt");
    EXPECT_EQ(QFileInfo(file).lastModified(), QDateTime(QDate(2023, 4, 5), QTime(6, 7, 8)));
    EXPECT_EQ(QFile::permissions(file) &
                  (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              0);
    // Extracting again replaces the read-only file.
    EXPECT_EQ(unzip(fixture("infozip_readonly.zip")), 1);
    EXPECT_EQ(readFile(file), QByteArray("locked\r\n"));
}

TEST_F(ZipTest, DataBeforeTheArchiveIsReadFromTheLocalHeaders)
{
    const QByteArray junk = QByteArray("MZ self-extractor stub ").repeated(20);
    for (const char* name : {"infozip_deflated.zip", "infozip_streamed.zip", "7z_stored.zip"}) {
        QDir(dest()).removeRecursively();
        QDir().mkpath(dest());
        EXPECT_EQ(unzip(write(junk + readFile(fixture(name)))), 2) << name;
        EXPECT_EQ(filesIn(dest()), kExchangeSet) << name;
    }
    // A stored entry with a data descriptor (the encrypted one) is walked over too.
    TZipExtractor zipper;
    zipper.setZipName(write(junk + readFile(fixture("infozip_encrypted.zip"))));
    ASSERT_EQ(zipper.Entries().size(), 2u);
    EXPECT_EQ(zipper.Entries()[1].fileName, QStringLiteral("secret.txt"));
    EXPECT_EQ(zipper.Entries()[1].uncompressedSize, 16u);
}

struct BrokenCase
{
    const char* label;
    QByteArray zip;
    QString error;
};

class ZipBrokenTest : public ZipTest, public ::testing::WithParamInterface<BrokenCase>
{
};

TEST_P(ZipBrokenTest, EndsWithTheReaderMessages)
{
    const BrokenCase& c = GetParam();
    EXPECT_EQ(errorOf([&] { unzip(write(c.zip)); }), c.error);
    EXPECT_TRUE(filesIn(dest()).empty());
}

namespace {

QByteArray truncatedDeflate()
{
    RawZipEntry entry("F2TPR1.xml", shellPacket());
    entry.keepCompressed = 40;
    return buildZip({entry});
}

QByteArray endRecordOnly(quint16 count, quint32 offset)
{
    QByteArray record("PK\x05\x06\0\0\0\0", 8);
    record += char(count);
    record += char(0);
    record += char(count);
    record += char(0);
    record += QByteArray(4, '\0');
    for (int i = 0; i < 4; ++i)
        record += char((offset >> (8 * i)) & 0xFF);
    return record + QByteArray(2, '\0');
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Broken, ZipBrokenTest,
    ::testing::Values(BrokenCase{"tiny", "PK\x05\x06", QStringLiteral("Incomplete Zip File")},
                      BrokenCase{"noEndRecord",
                                 QByteArray("plain text, not an archive").repeated(10),
                                 QStringLiteral("Incomplete Zip File")},
                      BrokenCase{"commentBeyondWindow",
                                 buildZip({RawZipEntry("a.txt", "a")}, {}, QByteArray(65535, 'c')),
                                 QStringLiteral("Incomplete Zip File")},
                      BrokenCase{"noDirectoryNoHeaders", QByteArray(100, 'x') + endRecordOnly(1, 7),
                                 QStringLiteral("Not a valid zip file!")},
                      BrokenCase{"truncatedDeflate", truncatedDeflate(),
                                 QStringLiteral("Premature end of file reached")}),
    caseLabel<BrokenCase>);

TEST_F(ZipTest, ACommentUpToTheSearchWindowIsPassed)
{
    const QByteArray comment(65528 - 22, 'c');
    EXPECT_EQ(unzip(write(buildZip({RawZipEntry("a.txt", "a")}, {}, comment))), 1);
    EXPECT_EQ(readFile(dest() + QStringLiteral("/a.txt")), QByteArray("a"));
}

TEST_F(ZipTest, AnEmptyArchiveExtractsNothing)
{
    EXPECT_EQ(unzip(write(buildZip({}))), 0);
}

TEST_F(ZipTest, ABadEntryLeavesItsFileMissingAndTheOthersComeOut)
{
    RawZipEntry badCrc("bad.txt", "payload", 0);
    badCrc.crc = 12345;
    RawZipEntry unknown("odd.txt", "odd", 99);
    RawZipEntry hugeClaim("huge.txt", shellPacket());
    hugeClaim.uncompressedSize = 0xFFFFFFF0;
    RawZipEntry capped("capped.txt", "abcdef", 0);
    capped.uncompressedSize = 3;
    capped.crc = crcOf("abc");
    writeFile(dest() + QStringLiteral("/bad.txt"), "stale copy");
    const QString zip =
        write(buildZip({badCrc, unknown, hugeClaim, capped, RawZipEntry("good.txt", "good")}));
    // A declared size is a limit on the output, not a promise: the huge claim
    // ends with its stream, whose checksum holds.
    EXPECT_EQ(unzip(zip), 3);
    EXPECT_EQ(filesIn(dest()), (Files{{QStringLiteral("capped.txt"), "abc"},
                                      {QStringLiteral("good.txt"), "good"},
                                      {QStringLiteral("huge.txt"), shellPacket()}}));
    EXPECT_EQ(prompt.calls,
              QStringList{QStringLiteral("information: Zip Error: Unknown Compression Method")});
}

struct NameCase
{
    const char* label;
    QByteArray name;
    bool recreateDirs;
    QString written; // below dest(); empty when nothing is written
    QString error;
};

class ZipNameTest : public ZipTest, public ::testing::WithParamInterface<NameCase>
{
};

TEST_P(ZipNameTest, NothingIsWrittenOutsideTheDestination)
{
    const NameCase& c = GetParam();
    TZipExtractor zipper;
    zipper.setZipName(write(buildZip({RawZipEntry(c.name, "x", 0)})));
    zipper.setDestDir(dest());
    zipper.setDoAll(true);
    zipper.setRecreateDirs(c.recreateDirs);
    EXPECT_EQ(errorOf([&] { zipper.UnZip(); }),
              c.error.isEmpty() ? QStringLiteral("<no error>") : c.error);
    QStringList written;
    QDirIterator it(m_dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (file.startsWith(dest()))
            written << file.mid(dest().size() + 1);
        else if (!file.endsWith(QStringLiteral(".zip")))
            written << file;
    }
    EXPECT_EQ(written, c.written.isEmpty() ? QStringList() : QStringList{c.written});
}

INSTANTIATE_TEST_SUITE_P(
    Names, ZipNameTest,
    ::testing::Values(
        NameCase{"parentFolders", "../../evil.txt", false, QStringLiteral("evil.txt"), {}},
        NameCase{"backslashParents", "..\\..\\evil.txt", false, QStringLiteral("evil.txt"), {}},
        NameCase{"absolute", "/etc/evil.txt", false, QStringLiteral("evil.txt"), {}},
        NameCase{"drive", "C:evil.txt", false, QStringLiteral("evil.txt"), {}},
        NameCase{"controlCharacter", QByteArray("a\0b.txt", 7), false, {}, {}},
        NameCase{"dotDot", "sub/..", false, {}, {}}, NameCase{"dot", ".", false, {}, {}},
        NameCase{"folder", "sub/", false, {}, {}},
        NameCase{
            "recreatedFolder", "sub/deeper/f.txt", true, QStringLiteral("sub/deeper/f.txt"), {}},
        NameCase{"recreatedParent",
                 "sub/../../evil.txt",
                 true,
                 {},
                 QStringLiteral("Unsafe path in archive (sub\\..\\..\\evil.txt)")}),
    caseLabel<NameCase>);

TEST_F(ZipTest, OverwriteModesDecideAboutExistingFiles)
{
    const QString zip = write(buildZip({RawZipEntry("a.txt", "new")}));
    const QString target = dest() + QStringLiteral("/a.txt");
    TZipExtractor zipper;
    zipper.setZipName(zip);
    zipper.setDestDir(dest());
    zipper.setDoAll(true);
    writeFile(target, "old");
    zipper.setOverwriteMode(TZipExtractor::TOverwriteMode::Never);
    EXPECT_EQ(zipper.UnZip(), 0);
    zipper.setOverwriteMode(TZipExtractor::TOverwriteMode::Prompt);
    EXPECT_EQ(zipper.UnZip(), 0);
    EXPECT_EQ(readFile(target), QByteArray("old"));
    prompt.replace = true;
    EXPECT_EQ(zipper.UnZip(), 1);
    EXPECT_EQ(readFile(target), QByteArray("new"));
    EXPECT_EQ(prompt.calls, (QStringList{QStringLiteral("replace? ") + target,
                                         QStringLiteral("replace? ") + target}));
    writeFile(target, "old");
    zipper.setOverwriteMode(TZipExtractor::TOverwriteMode::Always);
    EXPECT_EQ(zipper.UnZip(), 1);
    EXPECT_EQ(readFile(target), QByteArray("new"));
}

TEST_F(ZipTest, ANewArchiveNameDiscardsTheOldDirectory)
{
    TZipExtractor zipper;
    zipper.setZipName(fixture("infozip_folders.zip"));
    EXPECT_EQ(zipper.Entries().size(), 6u);
    EXPECT_EQ(zipper.Entries()[2].directory, QStringLiteral("sub\\"));
    zipper.setZipName(fixture("infozip_readonly.zip"));
    ASSERT_EQ(zipper.Entries().size(), 1u);
    EXPECT_EQ(zipper.Entries()[0].fileName, QStringLiteral("locked.txt"));
    zipper.setZipName(m_dir.filePath(QStringLiteral("missing.zip")));
    EXPECT_EQ(errorOf([&] { zipper.Entries(); }),
              QStringLiteral("Unable to open file (") +
                  m_dir.filePath(QStringLiteral("missing.zip")) + QLatin1Char(')'));
}

TEST_F(ZipTest, AnEmptyDestinationIsTheCurrentFolder)
{
    const QString zip = write(buildZip({RawZipEntry("/abs/f.txt", "x")}));
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dest()));
    TZipExtractor zipper;
    zipper.setZipName(zip);
    zipper.setDoAll(true);
    const int extracted = zipper.UnZip();
    QDir::setCurrent(cwd);
    EXPECT_EQ(extracted, 1);
    EXPECT_EQ(filesIn(dest()), (Files{{QStringLiteral("f.txt"), "x"}}));
}

namespace {

qint64 bytesIn(const Files& files)
{
    qint64 total = 0;
    for (const auto& [name, bytes] : files)
        total += bytes.size();
    return total;
}

} // namespace

// A directory longer than any set holds, or entries whose data overlap, are
// refused before anything is written.
TEST_F(ZipTest, ListsTooLongAndSharedDataAreRefused)
{
    std::vector<RawZipEntry> many;
    for (int i = 0; i < 1025; ++i)
        many.emplace_back("F" + QByteArray::number(i) + ".xml", "x", 0);
    EXPECT_EQ(
        errorOf([&] { unzip(write(buildZip(many))); }),
        QStringLiteral("Архив содержит слишком много файлов: 1025 (допускается не более 1024)."));
    EXPECT_TRUE(filesIn(dest()).empty());
    many.pop_back();
    TZipExtractor full;
    full.setZipName(write(buildZip(many)));
    EXPECT_EQ(full.Entries().size(), 1024u);

    // Three names for one deflated block.
    QDir(dest()).removeRecursively();
    QDir().mkpath(dest());
    std::vector<RawZipEntry> shared;
    for (int i = 0; i < 3; ++i) {
        shared.emplace_back("S" + QByteArray::number(i) + ".xml", QByteArray(64 * 1024, ' '));
        shared.back().offset = 0;
    }
    EXPECT_EQ(errorOf([&] { unzip(write(buildZip(shared))); }),
              QStringLiteral("Not a valid zip file!"));
    EXPECT_TRUE(filesIn(dest()).empty());
}

// However many entries have a method the reader does not know, the user is
// told once; and one extraction writes no more than its limit.
TEST_F(ZipTest, OneMessageAndOneLimitForTheWholeArchive)
{
    std::vector<RawZipEntry> entries;
    for (int i = 0; i < 50; ++i)
        entries.emplace_back("U" + QByteArray::number(i) + ".xml", "odd", 99);
    for (int i = 0; i < 4; ++i)
        entries.emplace_back("B" + QByteArray::number(i) + ".xml", QByteArray(1024 * 1024, ' '));
    const QString zip = write(buildZip(entries));
    ASSERT_LT(QFileInfo(zip).size(), 100 * 1024);
    EXPECT_EQ(
        unzip(zip, {QStringLiteral("U1.xml"), QStringLiteral("U2.xml"), QStringLiteral("B0.xml")}),
        1);
    EXPECT_EQ(prompt.calls,
              QStringList{QStringLiteral("information: Zip Error: Unknown Compression Method")});

    QDir(dest()).removeRecursively();
    QDir().mkpath(dest());
    prompt.calls.clear();
    TZipExtractor zipper;
    zipper.setZipName(zip);
    zipper.setDestDir(dest());
    zipper.setDoAll(true);
    zipper.setMaxExtractSize(2 * 1024 * 1024 + 512 * 1024);
    EXPECT_EQ(errorOf([&] { zipper.UnZip(); }),
              QStringLiteral("Распакованные файлы архива больше допустимого размера (2560 КБ)."));
    // Two files came out whole; the third, cut at the limit, is gone.
    EXPECT_EQ(bytesIn(filesIn(dest())), 2 * 1024 * 1024);
    EXPECT_EQ(prompt.calls.size(), 0);
}

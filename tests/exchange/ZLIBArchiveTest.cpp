#include "ZLIBArchive.h"

#include <random>

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ArchiveTestSupport.h"
#include "Cp1251.h"

using namespace ArchiveTest;

namespace {

class ZlbTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString makeFile(const QString& name, const QByteArray& bytes) const
    {
        const QString file = path(name);
        QDir().mkpath(QFileInfo(file).absolutePath());
        writeFile(file, bytes);
        return file;
    }
    QString makeArchive(const QString& name, const QStringList& files,
                        TFileCompressionLevel level = TFileCompressionLevel::fcDefault) const
    {
        TZLBArchive archive;
        archive.setCompressionLevel(level);
        archive.CreateArchive(path(name));
        QStringList list = files;
        archive.AddFiles(list);
        return path(name);
    }
    QString writeArchive(const QString& name, const QByteArray& bytes) const
    {
        return makeFile(name, bytes);
    }

    QTemporaryDir m_dir;
};

QByteArray compressible(int size)
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < size; ++i)
        bytes += "<ROW CA=\"" + QByteArray::number(100 + i % 9) + "\" C1=\"1.250\"/>";
    return bytes.left(size);
}

QByteArray noise(int size)
{
    std::mt19937 random(size);
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(random() & 0xFF);
    return bytes;
}

} // namespace

TEST_F(ZlbTest, WorkedExampleIsWrittenByteForByte)
{
    const QString file = makeFile(QStringLiteral("in/A.TXT"), "abc");
    TZLBArchive archive;
    archive.CreateArchive(path(QStringLiteral("example.zlb")));
    QStringList list{file};
    archive.AddFiles(list);
    EXPECT_TRUE(list.isEmpty());
    archive.CloseArchive();
    EXPECT_EQ(readFile(path(QStringLiteral("example.zlb"))),
              readFile(dataDir() + QStringLiteral("/zlb/worked_example.zlb")));
}

TEST_F(ZlbTest, WorkedExampleReadsAsItsTableSays)
{
    TZLBArchive archive;
    ASSERT_TRUE(archive.OpenArchive(dataDir() + QStringLiteral("/zlb/worked_example.zlb")));
    ASSERT_EQ(archive.EntryCount(), 1);
    const TZLBEntry entry = archive.GetEntry(0);
    EXPECT_EQ(entry.name(), QStringLiteral("A.TXT"));
    EXPECT_TRUE(entry.directory.isEmpty());
    EXPECT_EQ(entry.size, 3u);
    EXPECT_EQ(entry.blockLength, 3u);
    EXPECT_EQ(entry.offset, 0u);
    EXPECT_EQ(entry.crc, crcOf("abc"));
    EXPECT_TRUE(entry.stored);
    EXPECT_EQ(archive.Trailer().count, 1u);
    EXPECT_EQ(archive.Trailer().registryOffset, 3u);
    EXPECT_TRUE(archive.Trailer().registryCompressed);
    EXPECT_EQ(entry.toRecord().size(), TZLBEntry::RecordSize);
}

struct LevelCase
{
    const char* label;
    TFileCompressionLevel level;
    QByteArray content;
    bool stored;
    quint8 levelField;
};

class ZlbLevelTest : public ZlbTest, public ::testing::WithParamInterface<LevelCase>
{
};

TEST_P(ZlbLevelTest, StoresOnlyWhatCompressionDoesNotShortenAndRoundTrips)
{
    const LevelCase& c = GetParam();
    const QString file = makeFile(QStringLiteral("in/data.xml"), c.content);
    const QString name = makeArchive(QStringLiteral("a.zlb"), {file}, c.level);

    TZLBArchive archive;
    archive.setCheckCRC(true);
    ASSERT_TRUE(archive.OpenArchive(name));
    ASSERT_EQ(archive.EntryCount(), 1);
    const TZLBEntry entry = archive.GetEntry(0);
    EXPECT_EQ(entry.stored, c.stored);
    EXPECT_EQ(entry.level, c.levelField);
    EXPECT_EQ(entry.size, quint32(c.content.size()));
    EXPECT_EQ(entry.crc, crcOf(c.content));
    if (c.stored)
        EXPECT_EQ(entry.blockLength, quint32(c.content.size()));
    else
        EXPECT_LT(entry.blockLength, quint32(c.content.size()));
    EXPECT_EQ(archive.Trailer().registryOffset, entry.blockLength);

    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    EXPECT_TRUE(archive.ExtractToStream(0, buffer));
    EXPECT_EQ(buffer.data(), c.content);
    archive.ExtractAll(path(QStringLiteral("out")));
    EXPECT_EQ(readFile(path(QStringLiteral("out/data.xml"))), c.content);
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("out/data.xml"))));
}

INSTANTIATE_TEST_SUITE_P(
    Levels, ZlbLevelTest,
    ::testing::Values(
        LevelCase{"empty", TFileCompressionLevel::fcDefault, QByteArray(), true, 0},
        LevelCase{"tiny", TFileCompressionLevel::fcMaximum, "abc", true, 0},
        LevelCase{"xmlDefault", TFileCompressionLevel::fcDefault, compressible(20000), false, 2},
        LevelCase{"xmlFastest", TFileCompressionLevel::fcFastest, compressible(20000), false, 1},
        LevelCase{"xmlMaximum", TFileCompressionLevel::fcMaximum, compressible(20000), false, 3},
        LevelCase{"xmlNone", TFileCompressionLevel::fcNone, compressible(20000), true, 0},
        LevelCase{"noise", TFileCompressionLevel::fcMaximum, noise(9000), true, 0}),
    caseLabel<LevelCase>);

TEST_F(ZlbTest, ReadsArchivesWithRawOrCompressedRegistry)
{
    for (const bool compressed : {false, true}) {
        const QByteArray big = compressible(30000);
        const QString name = writeArchive(
            QStringLiteral("raw.zlb"),
            buildZlb({{"ONE.XML", {}, "first", true}, {"TWO.XML", "sub\\", big, false}},
                     compressed));
        TZLBArchive archive;
        archive.setCheckCRC(true);
        archive.setExtractWithPath(true);
        ASSERT_TRUE(archive.OpenArchive(name));
        EXPECT_EQ(archive.Trailer().registryCompressed, compressed);
        ASSERT_EQ(archive.EntryCount(), 2);
        const QString out = path(compressed ? QStringLiteral("c") : QStringLiteral("r"));
        archive.ExtractAll(out);
        EXPECT_EQ(readFile(out + QStringLiteral("/ONE.XML")), QByteArray("first"));
        EXPECT_EQ(readFile(out + QStringLiteral("/sub/TWO.XML")), big);
    }
}

TEST_F(ZlbTest, EveryByteBeforeTheTrailerIsCoveredByTheChecksum)
{
    const QString name = makeArchive(QStringLiteral("a.zlb"),
                                     {makeFile(QStringLiteral("a.txt"), "abc"),
                                      makeFile(QStringLiteral("b.xml"), compressible(300))});
    const QByteArray good = readFile(name);
    for (qsizetype i = 0; i < good.size() - 36; ++i) {
        QByteArray bad = good;
        bad[i] = char(bad[i] ^ 0x20);
        writeFile(name, bad);
        TZLBArchive archive;
        EXPECT_EQ(errorOf([&] { archive.OpenArchive(name); }),
                  QStringLiteral("The archive file appears to be corrupted"))
            << "byte " << i;
        EXPECT_FALSE(archive.IsOpen());
        EXPECT_EQ(errorOf([&] { archive.EntryCount(); }),
                  QStringLiteral("No archive is currently open"));
    }
}

struct HostileCase
{
    const char* label;
    QByteArray archive;
    QString openError;    // empty: opens
    QString extractError; // from ExtractAll with the CRC check on
};

class ZlbHostileTest : public ZlbTest, public ::testing::WithParamInterface<HostileCase>
{
};

TEST_P(ZlbHostileTest, EndsWithTheArchiveMessages)
{
    const HostileCase& c = GetParam();
    const QString name = writeArchive(QStringLiteral("h.zlb"), c.archive);
    TZLBArchive archive;
    archive.setCheckCRC(true);
    const QString opened = errorOf([&] { archive.OpenArchive(name); });
    if (!c.openError.isEmpty()) {
        EXPECT_EQ(opened, c.openError);
        EXPECT_FALSE(archive.IsOpen());
        return;
    }
    ASSERT_EQ(opened, QStringLiteral("<no error>"));
    EXPECT_EQ(errorOf([&] { archive.ExtractAll(path(QStringLiteral("out"))); }), c.extractError);
    // A failed entry leaves no partial file behind.
    EXPECT_TRUE(QDir(path(QStringLiteral("out"))).entryList(QDir::Files).isEmpty());
}

namespace {

QByteArray setLe32(QByteArray bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
    return bytes;
}

QByteArray trailerField(const QByteArray& archive, int field, quint32 value)
{
    return withFixedZlbCrc(setLe32(archive, archive.size() - 36 + field, value));
}

const QByteArray kGood = buildZlb({{"A.TXT", {}, "abc", true}});
const QByteArray kGoodRaw = buildZlb({{"A.TXT", {}, "abc", true}}, false);

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Corrupt, ZlbHostileTest,
    ::testing::Values(HostileCase{"shorterThanTrailer",
                                  "0123456789",
                                  QStringLiteral("The archive file appears to be corrupted"),
                                  {}},
                      HostileCase{"empty",
                                  QByteArray(),
                                  QStringLiteral("The archive file appears to be corrupted"),
                                  {}},
                      HostileCase{"registryPastEnd",
                                  trailerField(kGood, 16, 0x7FFFFFF0),
                                  QStringLiteral("Unable to read archive file list"),
                                  {}},
                      HostileCase{"hugeCountRaw",
                                  trailerField(kGoodRaw, 4, 0xFFFFFFFF),
                                  QStringLiteral("Unable to read archive file list"),
                                  {}},
                      HostileCase{"hugeCountCompressed",
                                  trailerField(kGood, 4, 0xFFFFFFFF),
                                  QStringLiteral("Unable to read archive file list"),
                                  {}},
                      HostileCase{"countBeyondRecords",
                                  trailerField(kGood, 4, 2),
                                  QStringLiteral("Unable to read archive file list"),
                                  {}},
                      HostileCase{"registryNotZlib",
                                  trailerField(kGood, 16, 0),
                                  QStringLiteral("Unable to read archive file list"),
                                  {}},
                      HostileCase{"blockPastEnd",
                                  buildZlb({{"A.TXT", {}, "abc", true, {}, 0x7FFFFFFF}}),
                                  {},
                                  QStringLiteral("File (0) is corrupt")},
                      HostileCase{"hugeStoredSize",
                                  buildZlb({{"A.TXT", {}, "abc", true, 0xFFFFFFF0}}),
                                  {},
                                  QStringLiteral("File (0) is corrupt")},
                      HostileCase{"hugeDeflatedSize",
                                  buildZlb({{"A.TXT", {}, compressible(5000), false, 0xFFFFFFF0}}),
                                  {},
                                  QStringLiteral("File (0) is corrupt")},
                      HostileCase{"blockNotZlib",
                                  buildZlb({{"A.TXT", {}, "abc", false, {}, 3}}),
                                  {},
                                  QStringLiteral("File (0) is corrupt")},
                      HostileCase{"wrongCrc",
                                  buildZlb({{"A.TXT", {}, "abc", true, {}, {}, 1234}}),
                                  {},
                                  QStringLiteral("File (0) is corrupt")}),
    caseLabel<HostileCase>);

TEST_F(ZlbTest, CrcCheckOfOneEntryHasItsOwnMessage)
{
    const QString name =
        writeArchive(QStringLiteral("c.zlb"), buildZlb({{"A.TXT", {}, "abc", true, {}, {}, 1}}));
    TZLBArchive archive;
    ASSERT_TRUE(archive.OpenArchive(name));
    archive.ExtractFile(path(QStringLiteral("nocheck")), QStringLiteral("A.TXT"));
    EXPECT_EQ(readFile(path(QStringLiteral("nocheck/A.TXT"))), QByteArray("abc"));
    archive.setCheckCRC(true);
    EXPECT_EQ(
        errorOf([&] { archive.ExtractFile(path(QStringLiteral("out")), QStringLiteral("A.TXT")); }),
        QStringLiteral("File (0) failed CRC check"));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("out/A.TXT"))));
}

TEST_F(ZlbTest, OperationsOnAClosedComponentNameTheirMessage)
{
    TZLBArchive archive;
    QStringList list{QStringLiteral("x")};
    const QString closed = QStringLiteral("No archive is currently open");
    EXPECT_EQ(errorOf([&] { archive.EntryCount(); }), closed);
    EXPECT_EQ(errorOf([&] { archive.FindEntry(QStringLiteral("x")); }), closed);
    EXPECT_EQ(errorOf([&] { archive.AddFiles(list); }), closed);
    EXPECT_EQ(errorOf([&] { archive.ExtractAll(path(QStringLiteral("o"))); }), closed);
    EXPECT_EQ(errorOf([&] { archive.ExtractFile(path(QStringLiteral("o")), QStringLiteral("x")); }),
              closed);
    EXPECT_EQ(errorOf([&] { archive.GetEntry(0); }), QStringLiteral("Index out of bounds"));
    EXPECT_FALSE(archive.OpenArchive(QString()));
    EXPECT_EQ(errorOf([&] { archive.OpenArchive(path(QStringLiteral("missing.zlb"))); }),
              QStringLiteral("Archive file not found"));
}

TEST_F(ZlbTest, CreatingOverAnExistingFileFailsAndLeavesTheComponentClosed)
{
    const QString name = makeArchive(QStringLiteral("a.zlb"), {makeFile(QStringLiteral("a"), "1")});
    TZLBArchive archive;
    EXPECT_EQ(errorOf([&] { archive.CreateArchive(name); }), QStringLiteral("File already exists"));
    EXPECT_FALSE(archive.IsOpen());
    archive.CreateArchive(QString());
    EXPECT_FALSE(archive.IsOpen());
}

TEST_F(ZlbTest, IndexesAndNamesAreChecked)
{
    const QString name =
        makeArchive(QStringLiteral("a.zlb"), {makeFile(QStringLiteral("TableList.inf"), "x"),
                                              makeFile(QStringLiteral("Отчёт.xml"), "y")});
    TZLBArchive archive;
    ASSERT_TRUE(archive.OpenArchive(name));
    EXPECT_EQ(errorOf([&] { archive.GetEntry(2); }), QStringLiteral("Index out of bounds"));
    EXPECT_EQ(errorOf([&] { archive.GetEntry(-1); }), QStringLiteral("Index out of bounds"));
    EXPECT_EQ(archive.FindEntry(QStringLiteral("TABLELIST.INF")), 0);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("tablelist.inf")), 0);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("Отчёт.xml")), 1);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("ОТЧЁТ.xml")), -1);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("Отчёт.XML")), 1);
    EXPECT_EQ(archive.GetEntry(1).fileName, Cp1251::encode(QStringLiteral("Отчёт.xml")));
    EXPECT_EQ(
        errorOf([&] { archive.ExtractFile(path(QStringLiteral("o")), QStringLiteral("none")); }),
        QStringLiteral("File not found in archive"));
    archive.ExtractFile(path(QStringLiteral("o")), QStringLiteral("Отчёт.XML"));
    EXPECT_EQ(readFile(path(QStringLiteral("o/Отчёт.xml"))), QByteArray("y"));
}

TEST_F(ZlbTest, PathsAreKeptOnlyWhenAsked)
{
    const QString file = makeFile(QStringLiteral("src/data/TableList.inf"), "m");
    const QString dir = QFileInfo(file).absolutePath() + QLatin1Char('/');
    QString stored = dir;
    stored.replace(QLatin1Char('/'), QLatin1Char('\\'));

    TZLBArchive archive;
    archive.CreateArchive(path(QStringLiteral("flat.zlb")));
    QStringList list{file};
    archive.AddFiles(list);
    EXPECT_TRUE(archive.GetEntry(0).directory.isEmpty());
    EXPECT_EQ(archive.GetEntry(0).toRecord().mid(256, 256), QByteArray(256, '\0'));

    archive.setSavePaths(true);
    archive.CreateArchive(path(QStringLiteral("paths.zlb")));
    list = QStringList{file};
    archive.AddFiles(list);
    EXPECT_EQ(archive.GetEntry(0).dirPart(), stored);
    // A drive in the name asked for is ignored, as it is when adding.
    EXPECT_EQ(archive.FindEntry(QStringLiteral("C:") + dir + QStringLiteral("TableList.inf")), 0);
    archive.setSavePaths(false);
    EXPECT_EQ(archive.FindEntry(QStringLiteral("C:") + dir + QStringLiteral("TableList.inf")), -1);

    archive.setExtractWithPath(true);
    archive.ExtractAll(path(QStringLiteral("out")));
    EXPECT_EQ(readFile(path(QStringLiteral("out")) + dir + QStringLiteral("TableList.inf")),
              QByteArray("m"));
}

TEST_F(ZlbTest, SameNameTwiceKeepsBothEntries)
{
    const QString first = makeFile(QStringLiteral("one/same.txt"), "first");
    const QString second = makeFile(QStringLiteral("two/same.txt"), "second");
    TScriptedUserInterface prompt;
    TZLBArchive archive;
    archive.setReportToUser(true);
    archive.CreateArchive(path(QStringLiteral("d.zlb")));
    QStringList list{first, second};
    archive.AddFiles(list);
    EXPECT_EQ(prompt.calls, QStringList{QStringLiteral("problem: ") + second +
                                        QStringLiteral(" already exists in the archive")});
    ASSERT_EQ(archive.EntryCount(), 2);
    archive.ExtractFile(path(QStringLiteral("single")), QStringLiteral("SAME.TXT"));
    EXPECT_EQ(readFile(path(QStringLiteral("single/same.txt"))), QByteArray("first"));
    prompt.replace = true;
    archive.ExtractAll(path(QStringLiteral("all")));
    EXPECT_EQ(readFile(path(QStringLiteral("all/same.txt"))), QByteArray("second"));
}

TEST_F(ZlbTest, FilesThatCannotBeReadAreLoggedAndTheListIsConsumed)
{
    TScriptedUserInterface prompt;
    TZLBArchive archive;
    archive.setReportToUser(true);
    archive.CreateArchive(path(QStringLiteral("a.zlb")));
    const QString missing = path(QStringLiteral("missing.xml"));
    QStringList list{missing, makeFile(QStringLiteral("ok.xml"), "ok")};
    archive.AddFiles(list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(prompt.calls, QStringList{QStringLiteral("problem: Unable to open file (") + missing +
                                        QLatin1Char(')')});
    ASSERT_EQ(archive.EntryCount(), 1);
    EXPECT_EQ(archive.GetEntry(0).name(), QStringLiteral("ok.xml"));
}

TEST_F(ZlbTest, DirectoriesAreDroppedOrExpanded)
{
    makeFile(QStringLiteral("tree/a.xml"), "a");
    makeFile(QStringLiteral("tree/.hidden"), "h");
    makeFile(QStringLiteral("tree/deep/b.xml"), "b");
    const QString tree = path(QStringLiteral("tree"));

    TZLBArchive archive;
    archive.CreateArchive(path(QStringLiteral("plain.zlb")));
    QStringList list{tree};
    archive.AddFiles(list);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(archive.EntryCount(), 0);

    archive.setRecursePaths(true);
    archive.CreateArchive(path(QStringLiteral("deep.zlb")));
    list = QStringList{tree};
    archive.AddFiles(list);
    QStringList names;
    for (int i = 0; i < archive.EntryCount(); ++i)
        names << archive.GetEntry(i).name();
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral(".hidden"), QStringLiteral("a.xml"),
                                  QStringLiteral("b.xml")}));
}

TEST_F(ZlbTest, AddingToAnExistingArchiveKeepsItsEntriesAndBlocks)
{
    const QByteArray big = compressible(50000);
    const QString name =
        makeArchive(QStringLiteral("a.zlb"), {makeFile(QStringLiteral("one.xml"), big)});
    const QByteArray before = readFile(name);
    TZLBArchive archive;
    archive.setCheckCRC(true);
    ASSERT_TRUE(archive.OpenArchive(name));
    const quint32 blocks = archive.Trailer().registryOffset;
    QStringList list{makeFile(QStringLiteral("two.xml"), "two")};
    archive.AddFiles(list);
    ASSERT_EQ(archive.EntryCount(), 2);
    EXPECT_EQ(readFile(name).left(blocks), before.left(blocks));
    EXPECT_EQ(archive.GetEntry(1).offset, blocks);
    archive.ExtractAll(path(QStringLiteral("out")));
    EXPECT_EQ(readFile(path(QStringLiteral("out/one.xml"))), big);
    EXPECT_EQ(readFile(path(QStringLiteral("out/two.xml"))), QByteArray("two"));
    // Nothing but the archive and the inputs is left in the folder.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 3);
}

TEST_F(ZlbTest, AFailedRewriteLeavesTheOldFileAndReachesTheCaller)
{
    const QString name = makeArchive(QStringLiteral("a.zlb"),
                                     {makeFile(QStringLiteral("one.xml"), compressible(9000))});
    TZLBArchive archive;
    ASSERT_TRUE(archive.OpenArchive(name));
    // The file changes under the component so that its data blocks can no longer be copied.
    const QByteArray shorter = "short";
    writeFile(name, shorter);
    QStringList list{makeFile(QStringLiteral("two.xml"), "two")};
    EXPECT_EQ(errorOf([&] { archive.AddFiles(list); }),
              QStringLiteral("Unable to update archive file (") + name + QLatin1Char(')'));
    EXPECT_EQ(readFile(name), shorter);
    EXPECT_EQ(archive.EntryCount(), 1);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 3);
}

struct UnsafeCase
{
    const char* label;
    QByteArray dir;
    QByteArray name;
    bool withPath;
    QString error;    // empty: extracted
    QString expected; // path below the destination, empty when skipped
};

class ZlbUnsafeTest : public ZlbTest, public ::testing::WithParamInterface<UnsafeCase>
{
};

TEST_P(ZlbUnsafeTest, NothingIsWrittenOutsideTheDestination)
{
    const UnsafeCase& c = GetParam();
    const QString name =
        writeArchive(QStringLiteral("u.zlb"), buildZlb({{c.name, c.dir, "x", true}}));
    TZLBArchive archive;
    archive.setExtractWithPath(c.withPath);
    ASSERT_TRUE(archive.OpenArchive(name));
    const QString dest = path(QStringLiteral("a/b/dest"));
    EXPECT_EQ(errorOf([&] { archive.ExtractAll(dest); }),
              c.error.isEmpty() ? QStringLiteral("<no error>") : c.error);
    QStringList written;
    QDirIterator it(m_dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        if (file != name)
            written << file.mid(dest.size() + 1);
    }
    EXPECT_EQ(written, c.expected.isEmpty() ? QStringList() : QStringList{c.expected});
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ZlbUnsafeTest,
    ::testing::Values(
        UnsafeCase{"parentDirWithPath",
                   "..\\..\\",
                   "evil.txt",
                   true,
                   QStringLiteral("Unsafe path in archive (..\\..\\evil.txt)"),
                   {}},
        UnsafeCase{"parentInNameWithPath",
                   {},
                   "..\\evil.txt",
                   true,
                   QStringLiteral("Unsafe path in archive (..\\evil.txt)"),
                   {}},
        UnsafeCase{"driveWithPath",
                   "C:\\Windows\\",
                   "evil.txt",
                   true,
                   QStringLiteral("Unsafe path in archive (C:\\Windows\\evil.txt)"),
                   {}},
        UnsafeCase{"parentDirFlat", "..\\..\\", "evil.txt", false, {}, QStringLiteral("evil.txt")},
        UnsafeCase{
            "parentInNameFlat", {}, "..\\..\\evil.txt", false, {}, QStringLiteral("evil.txt")},
        UnsafeCase{"slashesInNameFlat", {}, "/etc/evil.txt", false, {}, QStringLiteral("evil.txt")},
        UnsafeCase{"controlCharacterFlat",
                   {},
                   QByteArray("a\x01"
                              "b.txt"),
                   false,
                   QString::fromLatin1("Unsafe path in archive (a\x01"
                                       "b.txt)"),
                   {}},
        UnsafeCase{"dotDotName", {}, "..", false, {}, {}},
        UnsafeCase{"dotName", "sub\\", ".", true, {}, {}},
        UnsafeCase{"leadingSeparatorStaysInside",
                   "\\data\\",
                   "f.xml",
                   true,
                   {},
                   QStringLiteral("data/f.xml")}),
    caseLabel<UnsafeCase>);

TEST_F(ZlbTest, EventsComeInOrder)
{
    const QByteArray content = compressible(10000);
    const QString name =
        writeArchive(QStringLiteral("e.zlb"), buildZlb({{"X.XML", {}, content, true}}));
    QStringList events;
    TZLBArchive archive;
    archive.OnProgress = [&](const QString& msg, int percent) {
        events << msg + QLatin1Char(' ') + QString::number(percent);
    };
    archive.OnArchiveOpened = [&](TZLBArchive&) {
        events << QStringLiteral("opened");
    };
    archive.OnFileExtracted = [&](const QString& file) {
        events << QStringLiteral("extracted ") + file;
    };
    archive.OpenArchive(name);
    const QString dest = path(QStringLiteral("out"));
    archive.ExtractAll(dest);
    archive.CloseArchive();
    EXPECT_EQ(events, (QStringList{
                          QStringLiteral("Extracting archive registry 100"),
                          QStringLiteral("opened"),
                          name + QStringLiteral(" 0"),
                          QStringLiteral("Extracting X.XML 41"),
                          QStringLiteral("Extracting X.XML 82"),
                          QStringLiteral("Extracting X.XML 100"),
                          QStringLiteral("extracted ") + dest + QStringLiteral("X.XML"),
                          name + QStringLiteral(" 0"),
                          name + QStringLiteral(" 0"),
                      }));

    events.clear();
    archive.CreateArchive(path(QStringLiteral("new.zlb")));
    QStringList list{makeFile(QStringLiteral("in.xml"), content)};
    archive.AddFiles(list);
    ASSERT_GE(events.size(), 5);
    EXPECT_EQ(events.first(), QStringLiteral("opened"));
    EXPECT_TRUE(events.at(1).startsWith(QStringLiteral("Updating ") +
                                        list.value(0, path(QStringLiteral("in.xml")))));
    EXPECT_TRUE(events.contains(QStringLiteral("Updating ") + path(QStringLiteral("in.xml")) +
                                QStringLiteral(" 100")));
    EXPECT_TRUE(events.contains(QStringLiteral("Writing archive registry 100")));
    EXPECT_EQ(events.last(), path(QStringLiteral("new.zlb")) + QStringLiteral(" 0"));
}

TEST_F(ZlbTest, AnExistingTargetIsReplacedOnlyWhenTheUserAgrees)
{
    const QString name =
        writeArchive(QStringLiteral("r.zlb"), buildZlb({{"A.TXT", {}, "new", true}}));
    const QString dest = path(QStringLiteral("out"));
    const QString target = makeFile(QStringLiteral("out/A.TXT"), "old");
    TScriptedUserInterface prompt;
    int extracted = 0;
    TZLBArchive archive;
    archive.OnFileExtracted = [&](const QString&) {
        ++extracted;
    };
    archive.setReportToUser(true);
    ASSERT_TRUE(archive.OpenArchive(name));
    archive.ExtractAll(dest);
    archive.ExtractFile(dest, QStringLiteral("A.TXT"));
    EXPECT_EQ(readFile(target), QByteArray("old"));
    EXPECT_EQ(extracted, 0);
    EXPECT_EQ(prompt.calls, (QStringList{QStringLiteral("replace? ") + target,
                                         QStringLiteral("replace? ") + target}));
    prompt.replace = true;
    archive.ExtractFile(dest, QStringLiteral("A.TXT"));
    EXPECT_EQ(readFile(target), QByteArray("new"));
    writeFile(target, "old");
    archive.setReportToUser(false);
    archive.ExtractAll(dest);
    EXPECT_EQ(readFile(target), QByteArray("new"));
    EXPECT_EQ(extracted, 2);
}

TEST_F(ZlbTest, AnEmptyDestinationIsTheCurrentFolder)
{
    const QString name =
        writeArchive(QStringLiteral("c.zlb"), buildZlb({{"f.xml", "\\data\\", "x", true}}));
    const QString cwd = QDir::currentPath();
    QDir().mkpath(path(QStringLiteral("here")));
    ASSERT_TRUE(QDir::setCurrent(path(QStringLiteral("here"))));
    TZLBArchive archive;
    archive.OpenArchive(name);
    archive.ExtractAll(QString());
    archive.setExtractWithPath(true);
    archive.ExtractAll(QString());
    QDir::setCurrent(cwd);
    EXPECT_EQ(readFile(path(QStringLiteral("here/f.xml"))), QByteArray("x"));
    EXPECT_EQ(readFile(path(QStringLiteral("here/data/f.xml"))), QByteArray("x"));
}

namespace {

// Names "F0.xml", "F1.xml", ... each holding its own stored byte.
std::vector<RawZlbEntry> manyEntries(int count)
{
    std::vector<RawZlbEntry> entries;
    for (int i = 0; i < count; ++i)
        entries.emplace_back("F" + QByteArray::number(i) + ".xml", QByteArray(), "x");
    return entries;
}

qint64 bytesBelow(const QString& dir)
{
    qint64 total = 0;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace

// A registry that lists more files than any set holds, or files that share
// data, is refused when the archive is opened: nothing is inflated or written.
TEST_F(ZlbTest, ListsTooLongAndSharedBlocksAreRefusedOnOpening)
{
    const QByteArray block = compressible(4000);
    struct Case
    {
        const char* label;
        QByteArray archive;
        QString error;
    };
    const std::vector<Case> cases = {
        {"1025 entries", buildZlb(manyEntries(1025)),
         QStringLiteral("Архив содержит слишком много файлов: 1025 (допускается не более 1024).")},
        {"two entries, one compressed block",
         buildZlb({{"E.xml", {}, "", true},
                   {"A.xml", {}, block, false},
                   {"B.xml", {}, "other", true, {}, 0}}),
         QStringLiteral("Unable to read archive file list")},
        {"a stored block reaching into the next",
         buildZlb({{"A.xml", {}, "0123456789", true}, {"B.xml", {}, "abc", true, {}, 5}}),
         QStringLiteral("Unable to read archive file list")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TZLBArchive archive;
        EXPECT_EQ(
            errorOf([&] { archive.OpenArchive(writeArchive(QStringLiteral("h.zlb"), c.archive)); }),
            c.error);
        EXPECT_FALSE(archive.IsOpen());
    }

    // As many as the limit open; empty files may share their (empty) place.
    TZLBArchive archive;
    archive.OpenArchive(writeArchive(QStringLiteral("full.zlb"), buildZlb(manyEntries(1024))));
    EXPECT_EQ(archive.EntryCount(), 1024);
    archive.OpenArchive(
        writeArchive(QStringLiteral("empty.zlb"),
                     buildZlb({{"E.xml", {}, "", true}, {"A.xml", {}, "a", true}})));
    archive.ExtractAll(path(QStringLiteral("empty")));
    EXPECT_EQ(readFile(path(QStringLiteral("empty/A.xml"))), QByteArray("a"));
}

// A compressed block is read only up to where the next block starts.
TEST_F(ZlbTest, ABlockCannotReachIntoTheNext)
{
    // B's block is said to start 10 bytes into A's.
    const QByteArray bytes =
        buildZlb({{"A.xml", {}, compressible(4000), false}, {"B.xml", {}, "b", true, {}, 10}});
    TZLBArchive archive;
    archive.setCheckCRC(true);
    archive.OpenArchive(writeArchive(QStringLiteral("o.zlb"), bytes));
    EXPECT_EQ(errorOf([&] { archive.ExtractAll(path(QStringLiteral("o"))); }),
              QStringLiteral("File (0) is corrupt"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("o/A.xml"))));
}

// The import takes from an archive only the files its manifest lists, within
// a limit for all of them: a few kilobytes that inflate to megabytes write no
// more than the limit, and the file being written when it is reached is removed.
TEST_F(ZlbTest, OnlyTheNamedFilesComeOutWithinTheLimit)
{
    const QByteArray mebibyte(1024 * 1024, ' ');
    std::vector<RawZlbEntry> entries = {{"TableList.inf", {}, "Code=35", true},
                                        {"Junk.bin", {}, mebibyte, false},
                                        {"F2TPR1.xml", {}, "old", true},
                                        {"F2TPR1.xml", "sub\\", "new", true}};
    for (int i = 0; i < 8; ++i)
        entries.emplace_back("B" + QByteArray::number(i) + ".xml", QByteArray(), mebibyte, false);
    const QString name = writeArchive(QStringLiteral("bomb.zlb"), buildZlb(entries));
    ASSERT_LT(QFileInfo(name).size(), 100 * 1024);

    TZLBArchive archive;
    archive.OpenArchive(name);
    archive.ExtractFiles(path(QStringLiteral("set")),
                         {QStringLiteral("tablelist.INF"), QStringLiteral("F2TPR1.xml"),
                          QStringLiteral("missing.xml")});
    EXPECT_EQ(QDir(path(QStringLiteral("set"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("F2TPR1.xml"), QStringLiteral("TableList.inf")}));
    // Of two entries of one name the last counts, as when every entry comes out.
    EXPECT_EQ(readFile(path(QStringLiteral("set/F2TPR1.xml"))), QByteArray("new"));

    archive.setMaxExtractSize(2 * 1024 * 1024 + 512 * 1024);
    const QStringList bombs = {QStringLiteral("B0.xml"), QStringLiteral("B1.xml"),
                               QStringLiteral("B2.xml"), QStringLiteral("B3.xml")};
    EXPECT_EQ(errorOf([&] { archive.ExtractFiles(path(QStringLiteral("bombs")), bombs); }),
              QStringLiteral("Распакованные файлы архива больше допустимого размера (2560 КБ)."));
    EXPECT_EQ(bytesBelow(path(QStringLiteral("bombs"))), 2 * 1024 * 1024);
    EXPECT_EQ(errorOf([&] { archive.ExtractAll(path(QStringLiteral("all"))); }),
              QStringLiteral("Распакованные файлы архива больше допустимого размера (2560 КБ)."));
    EXPECT_LE(bytesBelow(path(QStringLiteral("all"))), archive.MaxExtractSize());
    // Each call has the whole limit.
    archive.ExtractFiles(path(QStringLiteral("one")), {QStringLiteral("B7.xml")});
    EXPECT_EQ(bytesBelow(path(QStringLiteral("one"))), 1024 * 1024);
}

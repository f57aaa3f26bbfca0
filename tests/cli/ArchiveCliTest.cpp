#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ArchiveTestSupport.h"
#include "CliRunner.h"

using namespace ArchiveTest;

namespace {

class ArchiveCliTest : public ::testing::Test
{
protected:
    CliRun cli(const QStringList& args) const
    {
        return runCli(QStringLiteral(F2TP_CLI), args, QString(), QString(), m_dir.path());
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString make(const QString& name, const QByteArray& bytes) const
    {
        writeFile(path(name), bytes);
        return path(name);
    }

    QTemporaryDir m_dir;
};

QByteArray packet()
{
    return QByteArray("<ROW CA=\"101\" C1=\"12.500\"/>").repeated(200);
}

} // namespace

TEST_F(ArchiveCliTest, ZlbCreateAddsAndListsEntries)
{
    const QString archive = path(QStringLiteral("set.vlt"));
    const CliRun first = cli({QStringLiteral("zlb"), QStringLiteral("create"), archive,
                              make(QStringLiteral("A.TXT"), "abc")});
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    const CliRun second = cli({QStringLiteral("zlb"), QStringLiteral("create"), archive,
                               make(QStringLiteral("F2TPR1.xml"), packet())});
    EXPECT_EQ(second.status, 0) << second.err.toStdString();

    const CliRun list = cli({QStringLiteral("zlb"), QStringLiteral("list"), archive});
    EXPECT_EQ(list.status, 0);
    const QString crc =
        QStringLiteral("%1").arg(crcOf(packet()), 8, 16, QLatin1Char('0')).toUpper();
    EXPECT_EQ(list.out, QStringLiteral("A.TXT\t\t3\t1\t352441C2\nF2TPR1.xml\t\t5400\t0\t") + crc +
                            QLatin1Char('\n'));
    EXPECT_EQ(list.err, QString());
}

TEST_F(ArchiveCliTest, ZlbCreateReportsFilesThatCannotBeAdded)
{
    const QString archive = path(QStringLiteral("set.zlb"));
    const QString missing = path(QStringLiteral("missing.xml"));
    const CliRun run = cli({QStringLiteral("zlb"), QStringLiteral("create"), archive, missing,
                            make(QStringLiteral("ok.xml"), "ok")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringLiteral("Unable to open file (") + missing + QStringLiteral(")\n"));
    EXPECT_EQ(cli({QStringLiteral("zlb"), QStringLiteral("list"), archive}).out,
              QStringLiteral("ok.xml\t\t2\t1\t") +
                  QStringLiteral("%1").arg(crcOf("ok"), 8, 16, QLatin1Char('0')).toUpper() +
                  QLatin1Char('\n'));
}

TEST_F(ArchiveCliTest, ZlbExtractWritesAllOrOneEntry)
{
    const QString archive = path(QStringLiteral("set.zlb"));
    ASSERT_EQ(cli({QStringLiteral("zlb"), QStringLiteral("create"), archive,
                   make(QStringLiteral("TableList.inf"), "[TABLES]\r\n"),
                   make(QStringLiteral("F2TPR1.xml"), packet())})
                  .status,
              0);
    EXPECT_EQ(cli({QStringLiteral("zlb"), QStringLiteral("extract"), archive,
                   path(QStringLiteral("all"))})
                  .status,
              0);
    EXPECT_EQ(readFile(path(QStringLiteral("all/F2TPR1.xml"))), packet());
    EXPECT_EQ(readFile(path(QStringLiteral("all/TableList.inf"))), QByteArray("[TABLES]\r\n"));

    EXPECT_EQ(cli({QStringLiteral("zlb"), QStringLiteral("extract"), archive,
                   path(QStringLiteral("one")), QStringLiteral("TABLELIST.INF")})
                  .status,
              0);
    EXPECT_EQ(QDir(path(QStringLiteral("one"))).entryList(QDir::Files),
              QStringList{QStringLiteral("TableList.inf")});

    const CliRun missing = cli({QStringLiteral("zlb"), QStringLiteral("extract"), archive,
                                path(QStringLiteral("none")), QStringLiteral("B0002.xml")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, QStringLiteral("File not found in archive\n"));
}

TEST_F(ArchiveCliTest, ZlbErrorsCarryTheArchiveMessages)
{
    QByteArray bytes = buildZlb({{"A.TXT", {}, "abc", true, {}, {}, 7}});
    const QString badCrc = make(QStringLiteral("crc.zlb"), bytes);
    const CliRun crc =
        cli({QStringLiteral("zlb"), QStringLiteral("extract"), badCrc, path(QStringLiteral("o"))});
    EXPECT_EQ(crc.status, 1);
    EXPECT_EQ(crc.err, QStringLiteral("File (0) is corrupt\n"));

    bytes[1] = 'X';
    const CliRun corrupt = cli(
        {QStringLiteral("zlb"), QStringLiteral("list"), make(QStringLiteral("bad.zlb"), bytes)});
    EXPECT_EQ(corrupt.status, 1);
    EXPECT_EQ(corrupt.err, QStringLiteral("The archive file appears to be corrupted\n"));

    const CliRun absent =
        cli({QStringLiteral("zlb"), QStringLiteral("list"), path(QStringLiteral("no.zlb"))});
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, QStringLiteral("Archive file not found\n"));

    EXPECT_EQ(cli({QStringLiteral("zlb"), QStringLiteral("pack")}).status, 1);
}

TEST_F(ArchiveCliTest, ZipExtractTakesEveryEntryOrTheNamedOnes)
{
    const QString zip = dataDir() + QStringLiteral("/zip/infozip_folders.zip");
    EXPECT_EQ(
        cli({QStringLiteral("zip"), QStringLiteral("extract"), zip, path(QStringLiteral("all"))})
            .status,
        0);
    QStringList all = QDir(path(QStringLiteral("all"))).entryList(QDir::Files);
    all.sort();
    EXPECT_EQ(all, (QStringList{QStringLiteral("F2TPR1.xml"), QStringLiteral("TableList.inf"),
                                QStringLiteral("same.txt")}));
    EXPECT_EQ(readFile(path(QStringLiteral("all/same.txt"))), QByteArray("second one\r\n"));

    EXPECT_EQ(
        cli({QStringLiteral("zip"), QStringLiteral("extract"), zip, path(QStringLiteral("named")),
             QStringLiteral("f2tpr1.xml"), QStringLiteral("sub\\same.txt")})
            .status,
        0);
    QStringList named = QDir(path(QStringLiteral("named"))).entryList(QDir::Files);
    named.sort();
    EXPECT_EQ(named, (QStringList{QStringLiteral("F2TPR1.xml"), QStringLiteral("same.txt")}));
    EXPECT_EQ(readFile(path(QStringLiteral("named/same.txt"))), QByteArray("first\r\n"));
}

TEST_F(ArchiveCliTest, ZipErrorsCarryTheReaderMessages)
{
    const CliRun notZip =
        cli({QStringLiteral("zip"), QStringLiteral("extract"),
             make(QStringLiteral("text.zip"), "not an archive at all"), path(QStringLiteral("o"))});
    EXPECT_EQ(notZip.status, 1);
    EXPECT_EQ(notZip.err, QStringLiteral("Incomplete Zip File\n"));

    const CliRun bzip2 =
        cli({QStringLiteral("zip"), QStringLiteral("extract"),
             dataDir() + QStringLiteral("/zip/infozip_bzip2.zip"), path(QStringLiteral("b"))});
    EXPECT_EQ(bzip2.status, 0);
    EXPECT_EQ(bzip2.err, QStringLiteral("Zip Error: Unknown Compression Method\n"));
    EXPECT_EQ(QDir(path(QStringLiteral("b"))).entryList(QDir::Files),
              QStringList{QStringLiteral("TableList.inf")});
}

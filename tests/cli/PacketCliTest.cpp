// End-to-end runs of "f2tp-cli packet" on the built program.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "CliRunner.h"
#include "Cp1251.h"

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(F2TP_PACKET_TEST_DATA "/") + QString::fromUtf8(name);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

CliRun cli(const QStringList& args)
{
    return runCli(QStringLiteral(F2TP_CLI), QStringList{QStringLiteral("packet")} + args);
}

class PacketCli : public ::testing::Test
{
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    void write(const char* name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(PacketCli, CopyReproducesTheWorkedExampleByteForByte)
{
    const CliRun run =
        cli({QStringLiteral("copy"), fixture("worked_example.xml"), path("out.xml")});
    EXPECT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_EQ(run.err, QString());
    EXPECT_EQ(readBytes(path("out.xml")), readBytes(fixture("worked_example.xml")));
}

TEST_F(PacketCli, CopyWritesOtherWritersFilesInTheProgramsOwnForm)
{
    for (const char* name : {"utf8_indented.xml", "ozdatapacket_1251.xml", "crlf_1251.xml"}) {
        const CliRun run = cli({QStringLiteral("copy"), fixture(name), path("out.xml")});
        EXPECT_EQ(run.status, 0) << name << qPrintable(run.err);
        EXPECT_EQ(readBytes(path("out.xml")), readBytes(fixture("worked_example.xml"))) << name;
    }
}

TEST_F(PacketCli, LoadPrintsTheNumberOfRowsAndFailsLikeCopy)
{
    CliRun run = cli({QStringLiteral("load"), fixture("worked_example.xml")});
    EXPECT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("2\n"));

    run = cli({QStringLiteral("load"), fixture("truncated_rows_1251.xml")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("Неверный формат файла\n"));
}

TEST_F(PacketCli, DumpPrintsColumnsAndRowsAsUtf8)
{
    const CliRun run = cli({QStringLiteral("dump"), fixture("worked_example.xml")});
    EXPECT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("CA\tCB\tC1\tC2\n"
                                      "1\tУстановка \"А\" & фильтр\t12.5\t0\n"
                                      "2\t\t\t3\n"));
}

TEST_F(PacketCli, DumpEscapesControlCharactersAndKeepsThePointInNumbers)
{
    write("in.xml", Cp1251::encode(QStringLiteral(
                        "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                        "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                        "<FIELD attrname=\"T\" fieldtype=\"string\" WIDTH=\"40\"></FIELD>"
                        "<FIELD attrname=\"F\" fieldtype=\"r8\"></FIELD>"
                        "<FIELD attrname=\"N\" fieldtype=\"i4\"></FIELD>"
                        "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                        "<ROW T=\"a\tb\nc\rd\\e&#9;\" F=\"0.000001\" N=\"-7\" />"
                        "<ROW F=\"1234567890123456789\" />"
                        "</ROWDATA></DATAPACKET>")));
    const CliRun run = cli({QStringLiteral("dump"), path("in.xml")});
    EXPECT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out, QStringLiteral("T\tF\tN\n"
                                      "a\\tb\\nc\\rd\\\\e\\t\t1E-6\t-7\n"
                                      "\t1.23456789012346E18\t\n"));
}

TEST_F(PacketCli, ErrorsGoToStandardErrorAndWriteNothing)
{
    write("old.xml", "previous");
    CliRun run = cli({QStringLiteral("copy"), fixture("truncated_rows_1251.xml"), path("old.xml")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringLiteral("Неверный формат файла\n"));
    EXPECT_EQ(readBytes(path("old.xml")), QByteArray("previous"));

    run = cli({QStringLiteral("copy"), fixture("truncated_rows_1251.xml"), path("new.xml")});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(QFile::exists(path("new.xml")));

    run = cli({QStringLiteral("dump"), path("absent.xml")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("Ошибка открытия файла - ") + path("absent.xml") + u'\n');

    write("bad.xml", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                     "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                     "<FIELD attrname=\"N\" fieldtype=\"i4\"></FIELD>"
                     "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                     "<ROW N=\"1\" /><ROW N=\"x\" /></ROWDATA></DATAPACKET>");
    run = cli({QStringLiteral("dump"), path("bad.xml")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, QString());
    EXPECT_EQ(run.err, QStringLiteral("'x' is not a valid integer value for field 'N'\n"));

    run = cli({QStringLiteral("copy"), fixture("worked_example.xml")});
    EXPECT_EQ(run.status, 1);
}

// The export of a report: the manifest byte for byte, the archive's entries
// and what they hold, the archive's name, replacing an older archive, and
// failures that leave neither an archive nor scratch files behind.
#include <QBuffer>
#include <QDir>
#include <QFile>

#include "Cp1251.h"
#include "Errors.h"
#include "Export.h"
#include "FormTestSupport.h"
#include "ZLIBArchive.h"
#include "ozField.h"

namespace {

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

const QString kTitle = QStringLiteral("Форма 2-тп (воздух)");

QByteArray readFile(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

// Points the system's temporary folder at a folder of the test, so that
// whatever the export leaves there can be seen.
class TempFolderGuard
{
public:
    explicit TempFolderGuard(const QString& path)
        : m_saved(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QFile::encodeName(path));
    }
    ~TempFolderGuard() { qputenv("TMPDIR", m_saved); }
    Q_DISABLE_COPY_MOVE(TempFolderGuard)

private:
    QByteArray m_saved;
};

class ExportTest : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        TozMemoryData& card = dm->PrTable();
        card.edit();
        card.fieldByName(QStringLiteral("PNAZ")).setAsString(QStringLiteral("ООО \"Заря\" №1"));
        card.fieldByName(QStringLiteral("FIOR")).setAsString(QStringLiteral("Иванов И. И."));
        card.post();
        TozMemoryData& region = dm->spisokkr();
        region.append();
        region.fieldByName(QStringLiteral("NGDU")).setAsString(QStringLiteral("03221"));
        region.post();
        logic->setYearText(QStringLiteral("2024"));
        ASSERT_TRUE(logic->YearFieldExit(2025));
        ASSERT_TRUE(QDir(destination.path()).mkdir(QStringLiteral("out")));
    }

    QString out() const { return destination.filePath(QStringLiteral("out")); }
    QString archivePath() const
    {
        return out() + QStringLiteral("/Форма 2-тп (воздух) 7701    ООО Заря 1    Данные за "
                                      "2024 год.vlt");
    }

    QString exportTo(const QString& where)
    {
        TExport exporter(*dm, kTitle);
        exporter.setProgramName(QStringLiteral("f2tp"));
        exporter.setFolder(where);
        const TempFolderGuard scratchHere(temp.path());
        return exporter.ExportData();
    }

    // The entry's bytes, the CRC checked.
    static QByteArray entry(TZLBArchive& archive, const QString& name)
    {
        const int index = archive.FindEntry(name);
        EXPECT_GE(index, 0) << name.toStdString();
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        archive.setCheckCRC(true);
        archive.ExtractToStream(index, buffer);
        return buffer.data();
    }

    QStringList leftInTemp() const
    {
        return QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    QTemporaryDir destination;
    QTemporaryDir temp;
};

TEST_F(ExportTest, TheArchiveHoldsTheElevenTablesThenTheManifest)
{
    const QString path = exportTo(QStringLiteral("  ") + out() + QStringLiteral(" "));
    EXPECT_EQ(path, archivePath());
    TZLBArchive archive;
    ASSERT_TRUE(archive.OpenArchive(path));
    QStringList names;
    for (int i = 0; i < archive.EntryCount(); ++i)
        names << archive.GetEntry(i).name();
    EXPECT_EQ(names, strings({"b0002.xml", "spisokkr.xml", "F2TPR1.xml", "F2TPR2.xml", "F2TPR3.xml",
                              "F2TPR4.xml", "F2TPR5.xml", "F2TPR1NO.xml", "F2TPR3NO.xml",
                              "F2TPR5NO.xml", "SPRDOLJ.xml", "TableList.inf"}));

    QFile golden(QStringLiteral(F2TP_TEST_DATA_DIR "/exchange/TableList.inf"));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    EXPECT_EQ(entry(archive, QStringLiteral("TableList.inf")), golden.readAll());

    // The context keys are written with the sections; the officials row comes from the card.
    EXPECT_EQ(packetColumns(entry(archive, QStringLiteral("F2TPR1.xml"))),
              strings({"C2", "C3", "C4", "C5", "C6", "C7", "C8", "C9", "C10", "YEAR_", "CA", "KODP",
                       "REG"}));
    const QString officials = Cp1251::decode(entry(archive, QStringLiteral("SPRDOLJ.xml")));
    EXPECT_TRUE(
        officials.endsWith(QStringLiteral("<ROWDATA><ROW KODP=\"7701\" KODD=\"1\" "
                                          "FIO=\"Иванов И. И.\" /></ROWDATA></DATAPACKET>")))
        << officials.toStdString();
    // A table without rows still gives its file.
    const QString nitrogen = Cp1251::decode(entry(archive, QStringLiteral("F2TPR3NO.xml")));
    EXPECT_TRUE(nitrogen.contains(QStringLiteral("<FIELD attrname=\"KODP\"")));
    EXPECT_TRUE(nitrogen.endsWith(QStringLiteral("<ROWDATA></ROWDATA></DATAPACKET>")));

    EXPECT_EQ(leftInTemp(), QStringList());
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList{QFileInfo(path).fileName()});
}

TEST_F(ExportTest, ProgressNamesEachFileAndTheEndIsAnnounced)
{
    exportTo(out());
    QStringList progress;
    for (const QString& call : ui->calls) {
        if (call.startsWith(QStringLiteral("progress")) ||
            call.startsWith(QStringLiteral("information")))
            progress << call;
    }
    ASSERT_EQ(progress.size(), 1 + 11 * 3 + 3);
    EXPECT_EQ(progress.first(), QStringLiteral("progress maximum 11"));
    EXPECT_EQ(progress.at(1), QStringLiteral("progress status: b0002.xml"));
    EXPECT_EQ(progress.at(3), QStringLiteral("progress position 1"));
    EXPECT_EQ(progress.at(31), QStringLiteral("progress status: SPRDOLJ.xml"));
    EXPECT_EQ(progress.at(33), QStringLiteral("progress position 11"));
    EXPECT_EQ(progress.mid(34), strings({"information: : Экспорт закончен", "progress position 0",
                                         "progress status: "}));
    // Every exported table is left on its first record.
    EXPECT_EQ(section(2).recNo(), 1);
}

TEST_F(ExportTest, ASecondExportReplacesTheArchive)
{
    const QString first = exportTo(out());
    setNumber(2, 201, "C2", 7);
    const QString second = exportTo(out() + QLatin1Char('/'));
    EXPECT_EQ(second, first);
    EXPECT_EQ(QDir(out()).entryList(QDir::Files), QStringList{QFileInfo(first).fileName()});
    TZLBArchive archive;
    ASSERT_TRUE(archive.OpenArchive(second));
    EXPECT_TRUE(Cp1251::decode(entry(archive, QStringLiteral("F2TPR2.xml")))
                    .contains(QStringLiteral("CA=\"201\" C2=\"7\"")));
}

TEST_F(ExportTest, AFolderThatCannotBeWrittenLeavesNoArchiveAndNoScratchFiles)
{
    // A regular file where the folder should be: no one can write below it.
    const QString blocked = destination.filePath(QStringLiteral("file"));
    QFile(blocked).open(QIODevice::WriteOnly);
    try {
        exportTo(blocked);
        FAIL() << "the export passed";
    } catch (const F2tpError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Не удается создать файл ")))
            << e.message().toStdString();
    }
    EXPECT_EQ(leftInTemp(), QStringList());
    EXPECT_EQ(QDir(destination.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              strings({"file", "out"}));
    EXPECT_FALSE(ui->calls.join(QLatin1Char('\n')).contains(QStringLiteral("Экспорт закончен")));
}

TEST_F(ExportTest, ATableThatFailsNamesItsFileAndKeepsTheOlderArchive)
{
    const QByteArray before = readFile(exportTo(out()));
    // A column the packet writer has no type for.
    dm->NOR5Table().close();
    dm->NOR5Table().addField<TBooleanField>(QStringLiteral("DONE"));
    try {
        exportTo(out());
        FAIL() << "the export passed";
    } catch (const F2tpError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Таблица F2TPR5NO.xml \r\nНеизвестный тип поля "
                                              "NOR5TableDONE"));
    }
    EXPECT_EQ(readFile(archivePath()), before);
    EXPECT_EQ(QDir(out()).entryList(QDir::Files).size(), 1);
    EXPECT_EQ(leftInTemp(), QStringList());
}

// Section 1's columns 9 and 10 are read-only on some rows only; the file
// exported does not depend on the row the user stood on.
TEST_F(ExportTest, TheExportedSection1DoesNotDependOnTheCurrentRow)
{
    QByteArray first;
    for (const int row : {102, 104}) {
        SCOPED_TRACE(row);
        ASSERT_TRUE(dm->R1Table().locate(QStringLiteral("CA"), row));
        TZLBArchive archive;
        archive.OpenArchive(exportTo(out()));
        const QByteArray section1 = entry(archive, QStringLiteral("F2TPR1.xml"));
        EXPECT_FALSE(section1.contains("readonly"));
        if (first.isEmpty())
            first = section1;
        EXPECT_TRUE(section1 == first);
    }
}

TEST(ExportNameTest, TheArchiveNameDropsWhatNoFileNameShouldHold)
{
    const struct
    {
        const char* organisation;
        const char* kept;
    } cases[] = {
        {"ООО \"Заря\".", "ООО Заря"},
        {"Ёлка ёж Юг", "лка ж Юг"},
        {"..\\..\\up/down", "updown"},
        {"a!*,.:;<>?@|~'b", "ab"},
        {"#$%&()+-=09 AZ[]^_`az{}", "#$%&()+-=09 AZ[]^_`az{}"},
        {"tab\there", "tabhere"},
        {"№5 ©", "5 "},
    };
    for (const auto& c : cases) {
        const QString header = QString::fromUtf8(c.organisation);
        const QString name = TExport::ArchiveFileName(QStringLiteral("Ф"), header);
        EXPECT_EQ(name, QStringLiteral("Ф ") + QString::fromUtf8(c.kept) + QStringLiteral(".vlt"))
            << c.organisation;
    }
    EXPECT_EQ(TExport::Header(QStringLiteral("77"), QStringLiteral("Завод"), 2024),
              QStringLiteral("77    Завод    Данные за 2024 год"));
}

} // namespace

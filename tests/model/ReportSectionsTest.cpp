// The main window's logic without a window: settings file, year field, report
// context and the loading of the sections.
#include "ModelTestSupport.h"

#include <QFile>

#include "Cp1251.h"
#include "ozField.h"

using ReportSectionsTest = ModelTest;

namespace {

void writeIni(const ProgramFolder& folder, const QByteArray& bytes)
{
    QFile f(folder.path() + QStringLiteral("2tp.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readIni(const ProgramFolder& folder)
{
    QFile f(folder.path() + QStringLiteral("2tp.ini"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST_F(ReportSectionsTest, SettingsGiveTheYearAndThePath)
{
    writeIni(*folder, "[PARAMS]\r\nYEAR=2023\r\nPATH=" +
                          Cp1251::encode(QStringLiteral("C:\\Отчёт")) + "\r\n");
    load();
    EXPECT_EQ(dm->CurrentYear(), 2023);
    EXPECT_EQ(logic->yearText(), QStringLiteral("2023"));
    EXPECT_EQ(logic->path(), QStringLiteral("C:\\Отчёт"));
    EXPECT_FALSE(logic->yearChanged());
}

TEST_F(ReportSectionsTest, MissingSettingsGiveTheDefaults)
{
    writeIni(*folder, "[PARAMS]\r\nYEAR=twenty\r\n");
    load();
    EXPECT_EQ(dm->CurrentYear(), 2000);
    EXPECT_EQ(logic->path(), QString());
}

TEST_F(ReportSectionsTest, WritingSettingsKeepsThePathAndStoresTheYear)
{
    writeIni(*folder, "[PARAMS]\r\nYEAR=2023\r\nPATH=D:\\x\r\n");
    load();
    logic->setYearText(QStringLiteral("2024"));
    ASSERT_TRUE(logic->YearFieldExit(2025));
    logic->WriteSettings();
    EXPECT_EQ(readIni(*folder), QByteArray("[PARAMS]\r\nYEAR=2024\r\nPATH=D:\\x\r\n"));
}

TEST_F(ReportSectionsTest, FirstStartWritesANewSettingsFile)
{
    load();
    logic->WriteSettings();
    EXPECT_EQ(readIni(*folder), QByteArray("[PARAMS]\r\nYEAR=2000\r\nPATH=\r\n"));
}

TEST_F(ReportSectionsTest, YearAcceptance)
{
    struct Case
    {
        const char* text;
        int today;
        int accepted; // 0: rejected
    };
    const Case cases[] = {
        {"2025", 2025, 2025}, {"2030", 2025, 0},     {"1999", 2025, 0},    {"20a1", 2025, 0},
        {"2000", 2025, 2000}, {"2001", 1999, 2001},  {"2001", 2000, 2001}, {"2002", 2000, 0},
        {"", 2025, 0},        {" 2024", 2025, 2024},
    };
    for (const Case& c : cases) {
        const std::optional<int> year =
            TReportSections::AcceptYear(QString::fromLatin1(c.text), c.today);
        EXPECT_EQ(year.value_or(0), c.accepted) << c.text << " in " << c.today;
    }
}

TEST_F(ReportSectionsTest, AWrongYearIsReportedAndTheOldOneStays)
{
    load();
    logic->setYearText(QStringLiteral("2030"));
    EXPECT_FALSE(logic->YearFieldExit(2025));
    EXPECT_EQ(ui->errors, QStringList{QStringLiteral("Неверный год")});
    EXPECT_EQ(dm->CurrentYear(), 2000);
    EXPECT_TRUE(logic->yearChanged());
    // Still changed, so leaving the field again checks it again.
    EXPECT_FALSE(logic->YearFieldExit(2025));
    EXPECT_EQ(ui->errors.size(), 2);
    logic->setYearText(QStringLiteral("2025"));
    EXPECT_TRUE(logic->YearFieldExit(2025));
    EXPECT_EQ(dm->CurrentYear(), 2025);
    EXPECT_FALSE(logic->yearChanged());
}

TEST_F(ReportSectionsTest, AnUnchangedYearIsNotChecked)
{
    writeIni(*folder, "[PARAMS]\r\nYEAR=1990\r\n");
    load();
    EXPECT_TRUE(logic->YearFieldExit(2025));
    EXPECT_TRUE(ui->errors.isEmpty());
    EXPECT_EQ(dm->CurrentYear(), 1990);
}

TEST_F(ReportSectionsTest, AcceptedYearShowsInEveryRowWithoutReopening)
{
    load();
    go(2, 202);
    logic->setYearText(QStringLiteral("2024"));
    ASSERT_TRUE(logic->YearFieldExit(2025));
    for (int number = 1; number <= 5; ++number) {
        section(number).first();
        section(number).next();
        EXPECT_EQ(section(number).fieldByName(QStringLiteral("YEAR_")).asInteger(), 2024) << number;
    }
}

TEST_F(ReportSectionsTest, ContextComesFromTheCardTheRegionAndTheYearField)
{
    folder->writeData(
        QStringLiteral("B0002.xml"),
        dataPacket({QStringLiteral("KOD:string:20"), QStringLiteral("PNAZ:string:100")},
                   {{QStringLiteral("770100000001"), QStringLiteral("Завод")}}));
    folder->writeData(
        QStringLiteral("spisokkr.xml"),
        dataPacket({QStringLiteral("NGDU:string:18"), QStringLiteral("FULLNAME:string:100")},
                   {{QStringLiteral("45263"), QStringLiteral("Москва Центр")}}));
    load();
    EXPECT_EQ(dm->CurrentKodp(), QStringLiteral("770100000001"));
    EXPECT_EQ(dm->CurrentReg(), QStringLiteral("45263"));
    EXPECT_EQ(shown(1, 104, "KODP"), QStringLiteral("770100000001"));
    EXPECT_EQ(shown(4, 401, "REG"), QStringLiteral("45263"));
    logic->setYearText(QStringLiteral("abc"));
    logic->RefreshContext();
    EXPECT_EQ(dm->CurrentYear(), 0);
}

TEST_F(ReportSectionsTest, LoadingRereadsTheFilesAndDropsWhatWasNotSaved)
{
    load();
    enter(3, 302, "C4", QStringLiteral("9"));
    logic->LoadSections();
    EXPECT_TRUE(isNull(3, 302, "C4"));
    enter(3, 302, "C4", QStringLiteral("9"));
    logic->SaveSections();
    logic->LoadSections();
    EXPECT_DOUBLE_EQ(value(3, 302, "C4"), 9);
}

TEST_F(ReportSectionsTest, FixedRowsCountAsChangesAndAreWrittenAtTheFirstSave)
{
    load();
    for (const char* name : {"F2TPR1.xml", "F2TPR2.xml", "F2TPR3.xml", "F2TPR4.xml", "F2TPR5.xml"})
        EXPECT_FALSE(folder->hasData(QString::fromLatin1(name))) << name;
    logic->SaveSections();
    for (const char* name : {"F2TPR1.xml", "F2TPR2.xml", "F2TPR3.xml", "F2TPR4.xml", "F2TPR5.xml"})
        EXPECT_TRUE(folder->hasData(QString::fromLatin1(name))) << name;
    EXPECT_FALSE(folder->hasData(QStringLiteral("B0002.xml")));
}

TEST_F(ReportSectionsTest, AnEmptySectionFileGetsFreshFixedRows)
{
    folder->writeData(QStringLiteral("F2TPR2.xml"),
                      dataPacket({QStringLiteral("CA:i2"), QStringLiteral("C1:i2")}, {}));
    load();
    EXPECT_EQ(rows(2), (std::vector<int>{201, 202, 203}));
}

TEST_F(ReportSectionsTest, AfterLoadingTheTablesStandOnTheirFirstRowAndRefuseInsertion)
{
    load();
    for (int number : {1, 3, 5}) {
        EXPECT_FALSE(section(number).CanInsert()) << number;
        EXPECT_EQ(section(number).fieldByName(QStringLiteral("CA")).asInteger(), number * 100 + 1);
    }
    EXPECT_TRUE(section(2).CanInsert());
    EXPECT_TRUE(section(4).CanInsert());
}

TEST_F(ReportSectionsTest, GridColumnsTheUserMayType)
{
    EXPECT_TRUE(TReportSections::ColumnEditable(1, QStringLiteral("C2")));
    EXPECT_TRUE(TReportSections::ColumnEditable(1, QStringLiteral("C10")));
    EXPECT_FALSE(TReportSections::ColumnEditable(1, QStringLiteral("C7")));
    EXPECT_FALSE(TReportSections::ColumnEditable(1, QStringLiteral("C8")));
    EXPECT_FALSE(TReportSections::ColumnEditable(1, QStringLiteral("CA")));
    EXPECT_FALSE(TReportSections::ColumnEditable(2, QStringLiteral("C1")));
    EXPECT_FALSE(TReportSections::ColumnEditable(2, QStringLiteral("C3")));
    EXPECT_TRUE(TReportSections::ColumnEditable(4, QStringLiteral("CC")));
    EXPECT_FALSE(TReportSections::ColumnEditable(5, QStringLiteral("C2")));
    EXPECT_FALSE(TReportSections::ColumnEditable(6, QStringLiteral("C2")));
}

TEST_F(ReportSectionsTest, ClosingASectionPostsItsPendingEdit)
{
    load();
    const char* columns[] = {"C9", "C2", "C3", "CB", "C3"};
    const int firstRows[] = {104, 201, 301, 401, 501};
    for (int number = 1; number <= 5; ++number) {
        TozMemoryData& table = section(number);
        int posts = 0;
        const auto original = table.AfterPost;
        table.AfterPost = [&](TDataSet& dataSet) {
            ++posts;
            if (original)
                original(dataSet);
        };
        go(number, firstRows[number - 1]);
        table.edit();
        table.fieldByName(QString::fromLatin1(columns[number - 1]))
            .setAsString(QStringLiteral("1"));
        table.close();
        EXPECT_EQ(posts, 1) << number;
        table.AfterPost = original;
    }
}

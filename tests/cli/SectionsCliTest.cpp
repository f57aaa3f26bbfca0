// End-to-end runs of the built f2tp-cli on scratch program folders: the
// sections as the grids show them, entries through the column rules, pick-list
// choices and deletions, refusals (status 2) and errors (status 1).
#include "CliRunner.h"
#include "ModelTestSupport.h"
#include "ScopedCLocale.h"

#include <map>

#include <QDir>
#include <QFile>

namespace {

// f2tp-cli of the build.
CliRun runCli(const QStringList& args, const QString& separator = QString(),
              const QString& locale = QString())
{
    return ::runCli(QStringLiteral(F2TP_CLI), args, separator, locale);
}

// The cells of "f2tp-cli sections" output: section number, row number and column to text.
using Cells = std::map<std::tuple<int, int, QString>, QString>;

Cells parseSections(const QString& output)
{
    Cells cells;
    const QStringList blocks = output.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    for (const QString& block : blocks) {
        const QStringList lines = block.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (lines.size() < 2)
            continue;
        const int section = lines.at(0).mid(1, 1).toInt();
        const QStringList header = lines.at(1).split(QLatin1Char('\t'));
        const qsizetype rowColumn = header.indexOf(QStringLiteral("CA"));
        for (qsizetype i = 2; i < lines.size(); ++i) {
            const QStringList values = lines.at(i).split(QLatin1Char('\t'));
            const int row = values.value(rowColumn).toInt();
            for (qsizetype c = 0; c < header.size(); ++c)
                cells[{section, row, header.at(c)}] = values.value(c);
        }
    }
    return cells;
}

QByteArray fixture(const char* name)
{
    QFile f(QStringLiteral(F2TP_MODEL_TEST_DATA "/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

class CliTest : public ::testing::Test
{
protected:
    QString dir() const { return folder.path(); }

    CliRun run(QStringList args, const QString& separator = QString())
    {
        args.insert(1, dir());
        return runCli(args, separator);
    }

    CliRun set(int section, int row, const char* column, const QString& text)
    {
        return run({QStringLiteral("set"), QString::number(section), QString::number(row),
                    QString::fromLatin1(column), text});
    }

    Cells sections()
    {
        const CliRun r = run({QStringLiteral("sections")});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        return parseSections(r.out);
    }

    QString cell(int section, int row, const char* column)
    {
        const Cells all = sections();
        const auto it = all.find({section, row, QString::fromLatin1(column)});
        return it == all.end() ? QStringLiteral("<none>") : it->second;
    }

    std::vector<int> rowsOf(int section)
    {
        std::vector<int> result;
        for (const auto& [key, text] : sections()) {
            if (std::get<0>(key) == section && std::get<2>(key) == QStringLiteral("CA"))
                result.push_back(std::get<1>(key));
        }
        return result;
    }

    void giveCard()
    {
        folder.writeData(
            QStringLiteral("B0002.xml"),
            dataPacket({QStringLiteral("KOD:string:20"), QStringLiteral("PNAZ:string:100")},
                       {{QStringLiteral("770100000001"), QStringLiteral("Завод")}}));
    }

    ProgramFolder folder;
};

} // namespace

TEST_F(CliTest, EmptyProgramFolderShowsTheFixedRows)
{
    const CliRun r = run({QStringLiteral("sections")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QString::fromUtf8(fixture("sections-empty.txt")));
    for (int s = 1; s <= 5; ++s)
        EXPECT_TRUE(folder.hasData(QStringLiteral("F2TPR%1.xml").arg(s))) << s;
    EXPECT_EQ(packetColumns(folder.readData(QStringLiteral("F2TPR1.xml"))),
              QStringLiteral("C2 C3 C4 C5 C6 C7 C8 C9 C10 CA").split(QLatin1Char(' ')));
    EXPECT_EQ(packetColumns(folder.readData(QStringLiteral("F2TPR2.xml"))),
              QStringLiteral("CA C2 C3 C4 C5 C1").split(QLatin1Char(' ')));
}

TEST_F(CliTest, SectionOneAmountsAreRoundedAndTotalled)
{
    struct Case
    {
        const char* typed;
        const char* stored;
    };
    const Case cases[] = {
        {"12.3456", "12.346"}, {"0.0625", "0.062"}, {"0.1875", "0.188"}, {"1.0004", "1"}};
    for (const Case& c : cases) {
        const CliRun r = set(1, 104, "C2", QString::fromLatin1(c.typed));
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(cell(1, 104, "C2"), QString::fromLatin1(c.stored)) << c.typed;
    }
    ASSERT_EQ(set(1, 102, "C2", QStringLiteral("1")).status, 0);
    ASSERT_EQ(set(1, 104, "C2", QStringLiteral("2.5")).status, 0);
    ASSERT_EQ(set(1, 105, "C2", QStringLiteral("2.5")).status, 0);
    const Cells cells = sections();
    EXPECT_EQ((cells.at({1, 103, QStringLiteral("C2")})), QStringLiteral("5"));
    EXPECT_EQ((cells.at({1, 101, QStringLiteral("C2")})), QStringLiteral("6"));
    EXPECT_EQ((cells.at({1, 101, QStringLiteral("C7")})), QStringLiteral("6"));
    EXPECT_EQ((cells.at({1, 106, QStringLiteral("C2")})), QStringLiteral("-"));
    EXPECT_EQ((cells.at({1, 107, QStringLiteral("C9")})), QStringLiteral("    X    "));
    EXPECT_TRUE(folder.readData(QStringLiteral("F2TPR1.xml"))
                    .contains("<ROW C2=\"6\" C7=\"6\" CA=\"101\" />"));

    ASSERT_EQ(set(1, 104, "C2", QString()).status, 0);
    EXPECT_EQ(cell(1, 104, "C2"), QStringLiteral("-"));
    EXPECT_EQ(cell(1, 101, "C2"), QStringLiteral("3.5"));
}

TEST_F(CliTest, TheDecimalSeparatorCanBeChosen)
{
    CliRun r = run({QStringLiteral("set"), QStringLiteral("1"), QStringLiteral("104"),
                    QStringLiteral("C2"), QStringLiteral("1,23456"),
                    QStringLiteral("--decimal-separator"), QStringLiteral(",")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    r = runCli({QStringLiteral("sections"), dir()}, QStringLiteral(","));
    EXPECT_EQ(parseSections(r.out).at({1, 104, QStringLiteral("C2")}), QStringLiteral("1,235"));
    EXPECT_TRUE(folder.readData(QStringLiteral("F2TPR1.xml")).contains("C2=\"1.235\""));
    r = run({QStringLiteral("set"), QStringLiteral("1"), QStringLiteral("105"),
             QStringLiteral("C2"), QStringLiteral("1,5")},
            QStringLiteral("."));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("'1,5' is not a valid floating point value\n"));
}

// Values whose totals would overflow, or that the file would not hold, are
// refused as typed: nothing is stored and the report opens as before.
TEST_F(CliTest, ValuesTheReportCouldNotHoldAreRefused)
{
    ASSERT_EQ(set(1, 104, "C2", QStringLiteral("1e308")).status, 0);
    const QByteArray accepted = folder.readData(QStringLiteral("F2TPR1.xml"));
    const struct
    {
        int row;
        const char* column;
        const char* typed;
        const char* message;
    } cases[] = {
        {105, "C2", "1e308",
         "Слишком большое число 1e308: итоги раздела 1 вышли бы за пределы "
         "допустимых значений"},
        {104, "C4", "1e308",
         "Слишком большое число 1e308: итоги раздела 1 вышли бы за пределы "
         "допустимых значений"},
        {105, "C5", "-1e308",
         "Слишком большое число -1e308: итоги раздела 1 вышли бы за "
         "пределы допустимых значений"},
        {106, "C3", "1.7976931348623157e308",
         "Число 1.7976931348623157e308 не может быть сохранено с точностью до 0,001"},
        {106, "C3", "1234567890123.4567",
         "Число 1234567890123.4567 не может быть сохранено с точностью до 0,001"},
    };
    for (const auto& c : cases) {
        const CliRun r = set(1, c.row, c.column, QString::fromLatin1(c.typed));
        EXPECT_EQ(r.status, 1) << c.typed;
        EXPECT_EQ(r.err, QString::fromUtf8(c.message) + QLatin1Char('\n')) << c.typed;
        EXPECT_EQ(folder.readData(QStringLiteral("F2TPR1.xml")), accepted) << c.typed;
    }
    const Cells cells = sections();
    EXPECT_EQ((cells.at({1, 101, QStringLiteral("C2")})), QStringLiteral("1E308"));
    EXPECT_EQ((cells.at({1, 105, QStringLiteral("C2")})), QStringLiteral("-"));
    ASSERT_EQ(set(1, 106, "C3", QStringLiteral("123456789.123")).status, 0);
    EXPECT_EQ(cell(1, 101, "C3"), QStringLiteral("123456789.123"));
}

// A person under ru_RU types "12,5", one under C.UTF-8 "12.5": both folders
// end with the same file, and each reads it back in its own notation.
TEST(CliLocales, NumbersAreTypedInTheLocaleAndStoredWithAPoint)
{
    const ScopedCLocale russian("ru_RU.UTF-8");
    F2TP_REQUIRE_RUSSIAN_LOCALE(russian);
    struct Run
    {
        const char* locale;
        const char* typed;
        const char* shown;
    };
    QList<QByteArray> files;
    for (const Run& r : {Run{"ru_RU.UTF-8", "12,5", "12,5"}, Run{"C.UTF-8", "12.5", "12.5"}}) {
        ProgramFolder folder;
        const QString locale = QString::fromLatin1(r.locale);
        const CliRun set =
            runCli({QStringLiteral("set"), folder.path(), QStringLiteral("1"),
                    QStringLiteral("104"), QStringLiteral("C2"), QString::fromLatin1(r.typed)},
                   QString(), locale);
        ASSERT_EQ(set.status, 0) << r.locale << ": " << set.err.toStdString();
        const Cells cells = parseSections(
            runCli({QStringLiteral("sections"), folder.path()}, QString(), locale).out);
        EXPECT_EQ(cells.at({1, 104, QStringLiteral("C2")}), QString::fromLatin1(r.shown))
            << r.locale;
        EXPECT_EQ(cells.at({1, 101, QStringLiteral("C2")}), QString::fromLatin1(r.shown))
            << r.locale;
        const QString file = folder.dataFile(QStringLiteral("F2TPR1.xml"));
        const CliRun dump =
            runCli({QStringLiteral("packet"), QStringLiteral("dump"), file}, QString(), locale);
        ASSERT_EQ(dump.status, 0) << r.locale << ": " << dump.err.toStdString();
        EXPECT_TRUE(dump.out.contains(QStringLiteral("12.5"))) << r.locale;
        const QString copy = folder.dataFile(QStringLiteral("copy.xml"));
        ASSERT_EQ(runCli({QStringLiteral("packet"), QStringLiteral("copy"), file, copy}, QString(),
                         locale)
                      .status,
                  0);
        EXPECT_EQ(folder.readData(QStringLiteral("copy.xml")),
                  folder.readData(QStringLiteral("F2TPR1.xml")));
        files.append(folder.readData(QStringLiteral("F2TPR1.xml")));
    }
    EXPECT_TRUE(files.at(0).contains("C2=\"12.5\""));
    EXPECT_EQ(files.at(0), files.at(1));
}

TEST_F(CliTest, SectionFourReductionsAndItsAddedRow)
{
    ASSERT_EQ(set(4, 402, "C5", QStringLiteral("12.5")).status, 0);
    ASSERT_EQ(set(4, 403, "C6", QStringLiteral("-3")).status, 0);
    ASSERT_EQ(set(4, 404, "C5", QString()).status, 0);
    Cells cells = sections();
    EXPECT_EQ((cells.at({4, 402, QStringLiteral("C5")})), QStringLiteral("-12.5"));
    EXPECT_EQ((cells.at({4, 403, QStringLiteral("C6")})), QStringLiteral("-3"));
    EXPECT_EQ((cells.at({4, 404, QStringLiteral("C5")})), QString());
    EXPECT_TRUE(
        folder.readData(QStringLiteral("F2TPR4.xml")).contains("<ROW CA=\"404\" C5=\"0\" />"));

    ASSERT_EQ(set(4, 406, "CC", QStringLiteral("Замена фильтров")).status, 0);
    EXPECT_EQ(rowsOf(4), (std::vector<int>{401, 402, 403, 404, 405, 406}));
    EXPECT_EQ(cell(4, 406, "CC"), QStringLiteral("Замена фильтров"));
    // The row exists now: entering again edits it.
    ASSERT_EQ(set(4, 406, "C6", QStringLiteral("2")).status, 0);
    EXPECT_EQ(cell(4, 406, "C6"), QStringLiteral("-2"));
    EXPECT_EQ(set(4, 407, "CC", QStringLiteral("x")).status, 1);

    CliRun r = run({QStringLiteral("delete"), QStringLiteral("4"), QStringLiteral("401")});
    EXPECT_EQ(r.status, 2);
    EXPECT_FALSE(r.err.isEmpty());
    r = run({QStringLiteral("delete"), QStringLiteral("4"), QStringLiteral("406")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rowsOf(4), (std::vector<int>{401, 402, 403, 404, 405}));
}

TEST_F(CliTest, SectionTwoNumberingAndUseMarks)
{
    giveCard();
    CliRun r = run({QStringLiteral("pollutant"), QStringLiteral("123")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rowsOf(2), (std::vector<int>{201, 202, 203, 204}));
    EXPECT_EQ(cell(2, 204, "C1"), QStringLiteral("123"));
    EXPECT_EQ(cell(2, 204, "CB"), QStringLiteral("железа оксид"));

    // Used, so no longer offered.
    r = run({QStringLiteral("pollutant"), QStringLiteral("123")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("The pick list does not offer pollutant 123\n"));
    EXPECT_EQ(rowsOf(2).size(), 4u);

    // Replacing it frees it again.
    ASSERT_EQ(
        run({QStringLiteral("pollutant"), QStringLiteral("456"), QStringLiteral("204")}).status, 0);
    ASSERT_EQ(run({QStringLiteral("pollutant"), QStringLiteral("123")}).status, 0);
    EXPECT_EQ(cell(2, 205, "C1"), QStringLiteral("123"));

    ASSERT_EQ(set(2, 205, "C2", QStringLiteral("0.5")).status, 0);
    // The delete command asks; answered no, nothing changes.
    const QByteArray before = folder.readData(QStringLiteral("F2TPR2.xml"));
    r = run({QStringLiteral("delete"), QStringLiteral("2"), QStringLiteral("204"),
             QStringLiteral("--answer"), QStringLiteral("no")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, QStringLiteral("Удалить запись?\nRow 204 of section 2 was not deleted\n"));
    EXPECT_EQ(folder.readData(QStringLiteral("F2TPR2.xml")), before);
    r = run({QStringLiteral("delete"), QStringLiteral("2"), QStringLiteral("204")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(rowsOf(2), (std::vector<int>{201, 202, 203, 204}));
    EXPECT_EQ(cell(2, 204, "C1"), QStringLiteral("123"));
    EXPECT_EQ(cell(2, 204, "C2"), QStringLiteral("0.5"));
    EXPECT_EQ(run({QStringLiteral("pollutant"), QStringLiteral("456")}).status, 0);
    EXPECT_EQ(cell(2, 205, "C1"), QStringLiteral("456"));

    r = run({QStringLiteral("delete"), QStringLiteral("2"), QStringLiteral("201")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(run({QStringLiteral("pollutant"), QStringLiteral("703")}).status, 1);
}

TEST_F(CliTest, PickListNeedsAnOrganisation)
{
    const CliRun r = run({QStringLiteral("pollutant"), QStringLiteral("123")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(rowsOf(2), (std::vector<int>{201, 202, 203}));
}

TEST_F(CliTest, RefusedEditsExitWithStatusTwoAndChangeNothing)
{
    ASSERT_EQ(set(1, 104, "C2", QStringLiteral("1")).status, 0);
    const QByteArray before = folder.readData(QStringLiteral("F2TPR1.xml"));
    EXPECT_EQ(set(1, 101, "C2", QStringLiteral("5")).status, 2);
    EXPECT_EQ(set(1, 103, "C3", QStringLiteral("5")).status, 2);
    EXPECT_EQ(set(1, 102, "C9", QStringLiteral("5")).status, 2);
    EXPECT_EQ(set(1, 107, "C10", QStringLiteral("5")).status, 2);
    EXPECT_EQ(set(1, 104, "C7", QStringLiteral("5")).status, 2);
    EXPECT_EQ(set(1, 104, "CA", QStringLiteral("5")).status, 2);
    EXPECT_EQ(set(2, 201, "C1", QStringLiteral("123")).status, 2);
    EXPECT_EQ(set(5, 501, "C2", QStringLiteral("x")).status, 2);
    EXPECT_EQ(run({QStringLiteral("delete"), QStringLiteral("1"), QStringLiteral("104")}).status,
              2);
    EXPECT_EQ(run({QStringLiteral("delete"), QStringLiteral("3"), QStringLiteral("301")}).status,
              2);
    EXPECT_EQ(folder.readData(QStringLiteral("F2TPR1.xml")), before);
    EXPECT_EQ(set(1, 105, "C9", QStringLiteral("5")).status, 0);
}

TEST_F(CliTest, ErrorsExitWithStatusOneAndTheProgramsMessage)
{
    CliRun r = set(1, 104, "C2", QStringLiteral("abc"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("'abc' is not a valid floating point value\n"));
    r = set(3, 301, "C1", QStringLiteral("1.5"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("'1.5' is not a valid integer value for field 'C1'\n"));
    r = set(1, 104, "C99", QStringLiteral("1"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("R1Table: Поле 'C99' не найдено\n"));
    EXPECT_EQ(set(1, 110, "C2", QStringLiteral("1")).status, 1);
    r = runCli({QStringLiteral("sections"), dir() + QStringLiteral("missing")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(cell(1, 104, "C2"), QStringLiteral("-"));
}

TEST_F(CliTest, TheBuildsDataFolderGivesNamedRows)
{
    const QDir data(QStringLiteral(F2TP_RUNTIME_DATA));
    if (!data.exists(QStringLiteral("TEMPLR.xml")) || !data.exists(QStringLiteral("KLZAV.xml")))
        GTEST_SKIP() << "the build has no generated data folder";
    for (const char* name : {"TEMPLR.xml", "KLZAV.xml", "klreg.xml", "klobl.xml"}) {
        const QString file = QString::fromLatin1(name);
        QFile::remove(folder.dataFile(file));
        if (data.exists(file)) {
            ASSERT_TRUE(QFile::copy(data.filePath(file), folder.dataFile(file)));
        }
    }
    const Cells cells = sections();
    for (int row = 101; row <= 109; ++row)
        EXPECT_FALSE((cells.at({1, row, QStringLiteral("CB")})).isEmpty()) << row;
    for (int row : {201, 202, 203})
        EXPECT_FALSE((cells.at({2, row, QStringLiteral("CB")})).isEmpty()) << row;
    EXPECT_EQ(rowsOf(5), (std::vector<int>{501, 502, 503, 504, 505}));
}

TEST_F(CliTest, AnUnreadableSectionFileIsReportedAndLeftAlone)
{
    const QByteArray broken =
        "<?xml version=\"1.0\" encoding=\"windows-1251\"?><DATAPACKET "
        "Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"CA\" "
        "fieldtype=\"i2\"></FIELD></FIELDS></METADATA><ROWDATA><ROW CA=\"101\" />"
        "<ROW CA=";
    // The message names the file, so that the user knows which one to restore.
    // A section cut short in its rows; a classifier and the card overwritten.
    const std::pair<const char*, QByteArray> cases[] = {{"F2TPR1.xml", broken},
                                                        {"KLZAV.xml", QByteArray(512, '\0')},
                                                        {"B0002.xml", broken.left(60)}};
    for (const auto& [name, damaged] : cases) {
        const QString file = QString::fromLatin1(name);
        const QByteArray before = folder.readData(file);
        folder.writeData(file, damaged);
        const CliRun r = set(1, 104, "C2", QStringLiteral("1"));
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.err, QStringLiteral("Ошибка чтения файла \"%1\": Неверный формат файла\n")
                             .arg(QDir::toNativeSeparators(folder.dataFile(file))));
        EXPECT_EQ(folder.readData(file), damaged) << name;
        if (before.isEmpty())
            QFile::remove(folder.dataFile(file));
        else
            folder.writeData(file, before);
    }
}

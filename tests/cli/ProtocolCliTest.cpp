// End-to-end runs of f2tp-cli check and protocol on a scratch program folder
// whose report was filled through the model and saved, as the program leaves it.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include "FormTestSupport.h"
#include "PrintTestSupport.h"

namespace {

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

class ProtocolCliTest : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        QDir(folder->path()).mkdir(QStringLiteral("шаблоны"));
        QFile::copy(QStringLiteral(F2TP_TEMPLATES "/Contr2TPV.tvx"),
                    folder->path() + QStringLiteral("шаблоны/Contr2TPV.tvx"));
        save();
    }

    void save()
    {
        logic->SaveSections();
        dm->PrTable().SaveIfModified();
    }

    CliRun run(const QStringList& args)
    {
        save();
        QProcess process;
        process.start(QStringLiteral(F2TP_CLI), args);
        process.waitForFinished(60000);
        CliRun result;
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.err = QString::fromUtf8(process.readAllStandardError());
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        return result;
    }

    CliRun check() { return run({QStringLiteral("check"), folder->path()}); }
};

} // namespace

TEST_F(ProtocolCliTest, CheckPassesSilently)
{
    const CliRun result = check();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, QString());
    EXPECT_EQ(result.out, QString());
}

TEST_F(ProtocolCliTest, CheckListsEveryFindingWithItsPlace)
{
    // Totals below their "of which" in rows 101, 103 and 104; the rules hold.
    setNumber(3, 301, "C1", 5);
    setNumber(3, 301, "C2", 4);
    setNumber(3, 301, "C4", 13);
    setNumber(1, 104, "C2", 3);
    setNumber(1, 104, "C3", 30);
    setNumber(5, 502, "C3", 3);
    CliRun result = check();
    // Only advisory findings: the check passes and says nothing on standard error.
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, QString());
    EXPECT_EQ(result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), 3);
    EXPECT_TRUE(result.out.contains(
        QStringLiteral("раздел 1, строка 104, графа 3: Графа 3 строка 104 раздел 1 > Графа 2 "
                       "строка 104 раздел 1 (предупреждение)\n")));

    setNumber(5, 503, "C3", 1);
    fillCard({QStringLiteral("KFS")});
    result = check();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, QStringLiteral("Не заполнен код ОКФС\n"));
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], QStringLiteral("организация, поле «ОКФС»: Не заполнен код ОКФС (ошибка)"));
    EXPECT_EQ(lines[1], QStringLiteral("раздел 1, строка 105, графа 7: Графа 7 строка 105 раздел 1 "
                                       "<> Суммы графы 3,4 строки 503 раздела 5 (ошибка)"));

    result = run({QStringLiteral("check"), folder->path(), QStringLiteral("--json")});
    EXPECT_EQ(result.status, 1);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(result.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << result.out.toStdString();
    EXPECT_FALSE(json.object().value(QStringLiteral("passed")).toBool());
    const QJsonArray findings = json.object().value(QStringLiteral("findings")).toArray();
    ASSERT_EQ(findings.size(), 5);
    const QJsonObject card = findings[0].toObject();
    EXPECT_EQ(card.value(QStringLiteral("kind")), QStringLiteral("error"));
    EXPECT_EQ(
        card.value(QStringLiteral("cells")).toArray()[0].toObject().value(QStringLiteral("card")),
        QStringLiteral("KFS"));
    const QJsonObject advisory = findings[4].toObject();
    EXPECT_EQ(advisory.value(QStringLiteral("kind")), QStringLiteral("advisory"));
    EXPECT_EQ(advisory.value(QStringLiteral("place")),
              QStringLiteral("раздел 1, строка 104, графа 3"));
    const QJsonObject cell = advisory.value(QStringLiteral("cells")).toArray()[0].toObject();
    EXPECT_EQ(cell.value(QStringLiteral("section")).toInt(), 1);
    EXPECT_EQ(cell.value(QStringLiteral("row")).toInt(), 104);
    EXPECT_EQ(cell.value(QStringLiteral("field")), QStringLiteral("C3"));
    EXPECT_EQ(cell.value(QStringLiteral("column")), QStringLiteral("3"));
}

TEST_F(ProtocolCliTest, CheckWarnsAndGoesOnOrFailsWithTheRulesMessage)
{
    setNumber(2, 201, "C2", 9.999);
    CliRun result = check();
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              QStringLiteral("Внимание: Графа 7 сумма строк 102,107,108,109 раздел 1 <> Сумме "
                             "всех строк графы 2 раздела 2\n"));
    setNumber(5, 503, "C3", 1);
    result = check();
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.endsWith(
        QStringLiteral("Графа 7 строка 105 раздел 1 <> Суммы графы 3,4 строки 503 раздела 5\n")));
}

TEST_F(ProtocolCliTest, CheckReportsAMissingDetail)
{
    fillCard({QStringLiteral("KFS")});
    const CliRun result = check();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, QStringLiteral("Не заполнен код ОКФС\n"));
}

TEST_F(ProtocolCliTest, ProtocolIsWrittenAsPdfAlsoWhenRulesFail)
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    const QString pdffonts = QStandardPaths::findExecutable(QStringLiteral("pdffonts"));
    if (pdftotext.isEmpty() || pdffonts.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    setNumber(3, 301, "C4", 7);
    fillCard({QStringLiteral("ADR")});
    const QString pdf = folder->path() + QStringLiteral("protocol.pdf");
    const CliRun result =
        run({QStringLiteral("protocol"), folder->path(), QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    const QString text = runTool(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const char* expected :
         {"Протокол контроля формы №2-тп (воздух)", "Не заполнен адрес предприятия",
          "Графа 7 строка 101 раздел 1 = Графа 4 строка 301 раздел 3", "Условие не выполняется",
          "Графа 7 сумма строк 107,108 раздел 1 >= Графа 2 строка 203 раздела 2",
          "Страница 1 из 1"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
    // The mark stands on the violated rule's line only.
    EXPECT_EQ(text.count(QStringLiteral("Условие не выполняется")), 1);
    // Every font embedded: the "emb" column, fifth from the end, says yes.
    const QStringList fonts =
        runTool(pdffonts, {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    EXPECT_FALSE(fonts.isEmpty());
    for (const QString& line : fonts) {
        const QStringList columns = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        ASSERT_GE(columns.size(), 5);
        EXPECT_EQ(columns.at(columns.size() - 5), QStringLiteral("yes")) << line.toStdString();
    }
}

TEST_F(ProtocolCliTest, WithoutEngineTheProtocolDoesNothing)
{
    const QString pdf = folder->path() + QStringLiteral("none.pdf");
    const CliRun result = run({QStringLiteral("protocol"), folder->path(), QStringLiteral("--pdf"),
                               pdf, QStringLiteral("--no-engine")});
    EXPECT_EQ(result.status, 0);
    EXPECT_FALSE(QFile::exists(pdf));
}

namespace {

// The texts of a worksheet's cells, in the order openpyxl lists them.
QStringList cellTexts(const QJsonObject& sheet)
{
    QStringList texts;
    const QJsonObject cells = sheet[QStringLiteral("cells")].toObject();
    for (const QJsonValue& cell : cells)
        texts << cell.toObject()[QStringLiteral("value")].toVariant().toString();
    return texts;
}

} // namespace

TEST_F(ProtocolCliTest, ProtocolIsWrittenAsWorkbookAndPdfAtOnce)
{
    if (!canReadXlsx())
        GTEST_SKIP() << "no python3 with openpyxl";
    setNumber(3, 301, "C4", 7);
    const QString pdf = folder->path() + QStringLiteral("protocol.pdf");
    const QString xlsx = folder->path() + QStringLiteral("protocol.xlsx");
    const CliRun result = run({QStringLiteral("protocol"), folder->path(), QStringLiteral("--xlsx"),
                               xlsx, QStringLiteral("--pdf"), pdf});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(QFile::exists(pdf));
    const QJsonArray sheets = readXlsx(xlsx)[QStringLiteral("sheets")].toArray();
    ASSERT_EQ(sheets.size(), 1);
    const QJsonObject sheet = sheets[0].toObject();
    EXPECT_EQ(sheet[QStringLiteral("name")].toString(), QStringLiteral("Протокол контроля"));
    const QStringList texts = cellTexts(sheet);
    EXPECT_EQ(texts.value(0), QStringLiteral("Протокол контроля формы №2-тп (воздух)"));
    EXPECT_TRUE(texts.contains(QStringLiteral("Левая часть")));
    EXPECT_TRUE(texts.contains(
        QStringLiteral("Графа 7 строка 101 раздел 1 = Графа 4 строка 301 раздел 3")));
    EXPECT_EQ(texts.count(QStringLiteral("Условие не выполняется")), 1);
    EXPECT_EQ(sheet[QStringLiteral("footer")]
                  .toObject()[QStringLiteral("right")]
                  .toObject()[QStringLiteral("text")]
                  .toString(),
              QStringLiteral("Страница &P из &N"));
    EXPECT_FALSE(sheet[QStringLiteral("print_titles")].toString().isEmpty());
}

TEST_F(ProtocolCliTest, CheckWritesTheProtocolWorkbookAndKeepsItsVerdict)
{
    if (!canReadXlsx())
        GTEST_SKIP() << "no python3 with openpyxl";
    fillCard({QStringLiteral("ADR")});
    const QString xlsx = folder->path() + QStringLiteral("check.xlsx");
    CliRun result = run({QStringLiteral("check"), folder->path(), QStringLiteral("--xlsx"), xlsx});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, QStringLiteral("Не заполнен адрес предприятия\n"));
    const QJsonArray sheets = readXlsx(xlsx)[QStringLiteral("sheets")].toArray();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(
        cellTexts(sheets[0].toObject()).contains(QStringLiteral("Не заполнен адрес предприятия")));

    const QString missing = folder->path() + QStringLiteral("нет/check.xlsx");
    result = run({QStringLiteral("check"), folder->path(), QStringLiteral("--xlsx"), missing});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.endsWith(QStringLiteral("Не удается записать файл ") + missing +
                                    QStringLiteral("\n")))
        << result.err.toStdString();
}

TEST_F(ProtocolCliTest, ProtocolNeedsItsArguments)
{
    const CliRun result = run({QStringLiteral("protocol"), folder->path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("protocol needs --pdf OUT")));
}

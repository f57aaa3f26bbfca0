// f2tp-cli import end to end: a set merged and saved, the question about a
// bad value answered from the command line, and a refused or failed import
// that leaves every file of the program folder as it was.
#include "CliRunner.h"
#include "ExchangeSet.h"
#include "ProgramFolder.h"

#include <gtest/gtest.h>

#include <map>

#include <QDir>

namespace {

class ImportCliTest : public ::testing::Test
{
protected:
    void SetUp() override { writeTerritories(folder); }

    CliRun run(const QString& source, const QStringList& options = {})
    {
        return runCli(QStringLiteral(F2TP_CLI),
                      QStringList{QStringLiteral("import"), folder.path(), source} + options);
    }
    std::map<QString, QByteArray> files() const
    {
        std::map<QString, QByteArray> all;
        for (const QString& name :
             QDir(folder.path() + QStringLiteral("data")).entryList(QDir::Files))
            all[name] = folder.readData(name);
        return all;
    }

    ProgramFolder folder;
    ExchangeSet set;
};

TEST_F(ImportCliTest, ImportsTheSetTableByTable)
{
    set.write();
    const CliRun r = run(set.packZlb(QStringLiteral("set.vlt")));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("b0002.xml\tPrTable\nspisokkr.xml\tspisokkr\n"
                                    "F2TPR1.xml\tR1Table\nF2TPR2.xml\tR2Table\n"
                                    "F2TPR3.xml\tR3Table\nF2TPR4.xml\tR4Table\n"
                                    "F2TPR5.xml\tR5Table\nF2TPR1NO.xml\tNOR1Table\n"
                                    "F2TPR3NO.xml\tNOR3Table\nF2TPR5NO.xml\tNOR5Table\n"));
    EXPECT_EQ(r.err, QStringLiteral("Перенос данных закончен\n"));
    // The card as f2tp-cli shows it from the saved files.
    const CliRun card = runCli(QStringLiteral(F2TP_CLI), {QStringLiteral("card"), folder.path()});
    EXPECT_TRUE(card.out.contains(QStringLiteral("770123456701\tООО \"Заря\"")))
        << card.out.toStdString();
    EXPECT_TRUE(card.out.contains(QStringLiteral("03221\tЗакаменский")));
}

TEST_F(ImportCliTest, TheQuestionIsAnsweredByOnError)
{
    set.files[QStringLiteral("F2TPR3.xml")] = packet("CA:i2 C1:i4", {"301|много"});
    set.write();
    const auto before = files();

    const CliRun aborted = run(set.manifestPath());
    EXPECT_EQ(aborted.status, 1);
    EXPECT_TRUE(aborted.err.startsWith(QStringLiteral("Ошибка: 'много'")))
        << aborted.err.toStdString();
    EXPECT_TRUE(aborted.err.contains(QStringLiteral("Таблица F2TPR3.xml")));
    EXPECT_TRUE(aborted.err.contains(QStringLiteral("отчет остался без изменений")));
    EXPECT_EQ(files(), before);

    const CliRun skipped =
        run(set.manifestPath(), {QStringLiteral("--on-error"), QStringLiteral("skip")});
    EXPECT_EQ(skipped.status, 0) << skipped.err.toStdString();
    EXPECT_TRUE(skipped.err.endsWith(QStringLiteral("Перенос данных закончен\n")));
    EXPECT_TRUE(folder.hasData(QStringLiteral("F2TPR3.xml")));
}

TEST_F(ImportCliTest, ABadSourceIsRefused)
{
    set.setEntry(QStringLiteral("Code"), QStringLiteral("36"));
    set.write();
    const auto before = files();
    const CliRun r = run(set.manifestPath());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("Неверные данные для импорта\n"));
    EXPECT_EQ(r.out, QString());
    EXPECT_EQ(files(), before);
}

} // namespace

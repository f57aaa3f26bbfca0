// f2tp-cli card and region end to end: the files a filled card writes, byte
// for byte, and refusals that leave every file as it was.
#include "CliRunner.h"
#include "ModelTestSupport.h"

#include <map>

#include <QDir>
#include <QFile>

namespace {

QByteArray golden(const char* name)
{
    QFile f(QStringLiteral(F2TP_CLI_TEST_DATA "/") + QString::fromLatin1(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

class CardCliTest : public ::testing::Test
{
protected:
    void SetUp() override { writeTerritories(folder); }

    CliRun run(const char* command, QStringList args)
    {
        args.prepend(folder.path());
        args.prepend(QString::fromLatin1(command));
        return runCli(QStringLiteral(F2TP_CLI), args);
    }
    // Every file of the data folder with its bytes.
    std::map<QString, QByteArray> files() const
    {
        std::map<QString, QByteArray> all;
        for (const QString& name :
             QDir(folder.path() + QStringLiteral("data")).entryList(QDir::Files))
            all[name] = folder.readData(name);
        return all;
    }
    CliRun fill()
    {
        return run("card", {QStringLiteral("--inn-part"), QStringLiteral(" 7701234567"),
                            QStringLiteral("--subdivision"), QStringLiteral("01"),
                            QStringLiteral("PNAZ=ООО \"Заря\""), QStringLiteral("okoh1=01.11"),
                            QStringLiteral("ADR=ул. Мира, 1")});
    }

    ProgramFolder folder{false};
};

TEST_F(CardCliTest, AFilledCardWritesTheCardAndTheRegionRow)
{
    const CliRun r = fill();
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.err, QString());
    EXPECT_EQ(r.out,
              QStringLiteral("PrTable\nKOD\tPNAZ\tINN\tOKOH1\tOKCM\tKOPF\tKFS\tADR\tFIOR\tOKPO\t"
                             "NGDU1\tNGDU2\tOWNERID\tSNAZ\n770123456701\tООО \"Заря\"\t"
                             "7701234567\t0111\t\t\t\tул. Мира, 1\t\t\t\t\t\tООО \"Заря\"\n"));
    EXPECT_EQ(folder.readData(QStringLiteral("B0002.xml")), golden("B0002.xml"));
    EXPECT_EQ(folder.readData(QStringLiteral("spisokkr.xml")), golden("spisokkr-empty.xml"));

    const CliRun city = run("region", {QStringLiteral("03221501000")});
    ASSERT_EQ(city.status, 0) << city.err.toStdString();
    EXPECT_EQ(city.out,
              QStringLiteral("spisokkr\nKODP\tNGDU\tNAME\tFULLNAME\n770123456701\t"
                             "03221501000\tг. Закаменск\tРеспублика Бурятия г. Закаменск\n"));
    EXPECT_EQ(folder.readData(QStringLiteral("spisokkr.xml")), golden("spisokkr.xml"));
    EXPECT_TRUE(folder.readData(QStringLiteral("B0002.xml")).contains("OKCM=\"81221501000\""));

    // A district and a city listed with the districts, by their short names.
    EXPECT_TRUE(run("region", {QStringLiteral("03224")})
                    .out.contains(QStringLiteral("\tКабанский район\t")));
    EXPECT_TRUE(run("region", {QStringLiteral("0300401000000")})
                    .out.contains(QStringLiteral("\tг.Улан-Удэ\t")));

    const CliRun shown = run("card", {});
    EXPECT_EQ(shown.status, 0);
    EXPECT_TRUE(shown.out.startsWith(QStringLiteral("PrTable\n")));
    EXPECT_TRUE(shown.out.contains(QStringLiteral("\n\nspisokkr\n")));
    EXPECT_TRUE(shown.out.contains(QStringLiteral("\tРеспублика Бурятия г.Улан-Удэ\n")));
}

TEST_F(CardCliTest, RefusalsShowTheCardsMessagesAndWriteNothing)
{
    const auto before = files();
    CliRun r = run("card", {QStringLiteral("--inn-part"), QStringLiteral("1234567"),
                            QStringLiteral("PNAZ=Завод")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("Неверный код.\nНеверный код предприятия\n"));
    r = run("card", {QStringLiteral("--inn-part"), QStringLiteral("7701234567")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("Поле 'Наименование предприятия' должно иметь значение\n"));
    r = run("card", {QStringLiteral("KOD=1")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Not a column of the card: KOD")))
        << r.err.toStdString();
    // Without a saved card the territory cannot be saved either.
    r = run("region", {QStringLiteral("03221")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, QStringLiteral("Неверный код предприятия\n"));
    EXPECT_EQ(files(), before);

    ASSERT_EQ(fill().status, 0);
    const auto saved = files();
    for (const char* unknown : {"03999", "04221", "99", ""}) {
        r = run("region", {QString::fromLatin1(unknown)});
        EXPECT_EQ(r.status, 1) << unknown;
    }
    EXPECT_EQ(run("region", {QStringLiteral("03221")}).status, 0);
    EXPECT_NE(files(), saved);
    const auto chosen = files();
    EXPECT_EQ(run("card", {QStringLiteral("PNAZ=")}).status, 1);
    EXPECT_EQ(files(), chosen);
}

} // namespace

// f2tp-cli pollutants: the classifier listed with the user's own entries
// marked, own entries added and removed with the refusals the window gives.
#include "CliRunner.h"
#include "ModelTestSupport.h"

#include "OwnPollutants.h"

namespace {

class PollutantsCliTest : public ::testing::Test
{
protected:
    CliRun run(QStringList args)
    {
        args.prepend(folder.path());
        args.prepend(QStringLiteral("pollutants"));
        return runCli(QStringLiteral(F2TP_CLI), args);
    }

    // The lines of the listing whose code is one of the codes.
    QStringList lines(const CliRun& r, const QStringList& codes)
    {
        QStringList result;
        for (const QString& line : r.out.split(QLatin1Char('\n'))) {
            if (codes.contains(line.section(QLatin1Char('\t'), 0, 0)))
                result.append(line);
        }
        return result;
    }

    ProgramFolder folder;
};

} // namespace

TEST_F(PollutantsCliTest, AddsListsAndRemovesOwnEntries)
{
    const QByteArray shipped = folder.readData(QStringLiteral("KLZAV.xml"));
    CliRun r = run({QStringLiteral("--add"), QStringLiteral("2868"), QStringLiteral("Эмульсол"),
                    QStringLiteral("--add"), QStringLiteral("2869"),
                    QStringLiteral("Пыль абразивная"), QStringLiteral("--stat")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();

    r = run({});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("KDZV\tNAMEK\tSTAT\tOWN\tUSED\n")));
    EXPECT_EQ(lines(r, {QStringLiteral("322"), QStringLiteral("2868"), QStringLiteral("2869")}),
              (QStringList{QStringLiteral("322\tсерная кислота\t1\tshipped\t1"),
                           QStringLiteral("2868\tЭмульсол\t0\town\t0"),
                           QStringLiteral("2869\tПыль абразивная\t1\town\t0")}));

    // Refusals: status 2 and the window's messages; nothing changes.
    r = run({QStringLiteral("--add"), QStringLiteral("322"), QStringLiteral("Сера")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Вещество с кодом 322 уже есть в классификаторе"));
    r = run({QStringLiteral("--add"), QStringLiteral("10000"), QStringLiteral("Сера")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Код вещества должен быть числом от 1 до 9999"));
    r = run({QStringLiteral("--remove"), QStringLiteral("322")});
    EXPECT_EQ(r.status, 2);
    r = run({QStringLiteral("--add"), QStringLiteral("5")});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Usage: f2tp-cli pollutants")));

    r = run({QStringLiteral("--remove"), QStringLiteral("2868")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    r = run({});
    EXPECT_EQ(lines(r, {QStringLiteral("2868"), QStringLiteral("2869")}),
              (QStringList{QStringLiteral("2869\tПыль абразивная\t1\town\t0")}));
    EXPECT_EQ(folder.readData(QStringLiteral("KLZAV.xml")), shipped);
    EXPECT_TRUE(folder.hasData(TOwnPollutants::FileName()));
}

TEST_F(PollutantsCliTest, AnEntryInUseIsNotRemoved)
{
    folder.writeData(QStringLiteral("B0002.xml"),
                     dataPacket({QStringLiteral("KOD:string:20")}, {{QStringLiteral("7701")}}));
    ASSERT_EQ(
        run({QStringLiteral("--add"), QStringLiteral("2868"), QStringLiteral("Эмульсол")}).status,
        0);
    const CliRun chosen = runCli(QStringLiteral(F2TP_CLI), {QStringLiteral("pollutant"),
                                                            folder.path(), QStringLiteral("2868")});
    ASSERT_EQ(chosen.status, 0) << chosen.err.toStdString();
    const CliRun r = run({QStringLiteral("--remove"), QStringLiteral("2868")});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err.trimmed(), QStringLiteral("Вещество 2868 выбрано в разделе 2: сначала удалите "
                                              "или замените его строку"));
    EXPECT_EQ(lines(run({}), {QStringLiteral("2868")}),
              (QStringList{QStringLiteral("2868\tЭмульсол\t0\town\t1")}));
}

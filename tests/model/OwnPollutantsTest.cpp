// The user's own pollutants: added to the classifier once, offered by the pick
// list, named in section 2, kept in the report folder and never written into
// the shipped classifier.
#include "ModelTestSupport.h"

#include <QFile>

#include "Errors.h"
#include "OwnPollutants.h"
#include "ozField.h"

namespace {

const QString kEmulsol = QStringLiteral("Эмульсол");

QString refusal(const std::function<void()>& change)
{
    try {
        change();
    } catch (const F2tpError& error) {
        return error.message();
    }
    return QString();
}

} // namespace

class OwnPollutantsTest : public ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        folder->writeData(
            QStringLiteral("B0002.xml"),
            dataPacket({QStringLiteral("KOD:string:20"), QStringLiteral("PNAZ:string:100")},
                       {{QStringLiteral("770100000001"), QStringLiteral("Завод")}}));
        shipped = folder->readData(QStringLiteral("KLZAV.xml"));
        load();
        own = std::make_unique<TOwnPollutants>(*dm);
    }

    void TearDown() override
    {
        own.reset();
        ModelTest::TearDown();
    }

    void restart()
    {
        own.reset();
        load();
        own = std::make_unique<TOwnPollutants>(*dm);
    }

    QString ownFile() const
    {
        return dm->ReportDir() + QStringLiteral("data/") + TOwnPollutants::FileName();
    }

    QString name(int code)
    {
        return dm->KLZAV().lookup(QStringLiteral("KDZV"), code, QStringLiteral("NAMEK")).toString();
    }

    void chooseForNewRow(int code)
    {
        section(2).append();
        ASSERT_TRUE(logic->OpenPickList());
        ASSERT_TRUE(logic->ChoosePollutant(code)) << code;
    }

    QByteArray shipped;
    std::unique_ptr<TOwnPollutants> own;
};

TEST_F(OwnPollutantsTest, AnOwnEntryIsOfferedNamedAndMarkedWhileARowUsesIt)
{
    own->Add(2868, QStringLiteral("  ") + kEmulsol + QStringLiteral(" "), false);
    // The pick list stands on the new entry, so the user sees it at once.
    EXPECT_EQ(dm->SprKlzav().fieldByName(QStringLiteral("KDZV")).asInteger(), 2868);
    EXPECT_EQ(name(2868), kEmulsol);
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 304, 456, 2868, 8888}));

    chooseForNewRow(2868);
    EXPECT_EQ(shown(2, 204, "CB"), kEmulsol);
    EXPECT_FALSE(logic->PickListOffers(2868));
    EXPECT_TRUE(own->IsUsed(2868));
    const QString used = QStringLiteral(
        "Вещество 2868 выбрано в разделе 2: сначала удалите или замените его строку");
    EXPECT_EQ(refusal([&] { own->Remove(2868); }), used);
    EXPECT_EQ(refusal([&] { own->Change(2868, QStringLiteral("Другое"), true); }), used);
    EXPECT_EQ(name(2868), kEmulsol);

    // Still used after a restart: the marks are rebuilt from section 2.
    logic->SaveSections();
    restart();
    EXPECT_TRUE(own->IsUsed(2868));
    EXPECT_EQ(refusal([&] { own->Remove(2868); }), used);

    go(2, 204);
    ui->answer = TAnswer::Yes;
    ASSERT_TRUE(logic->DeleteSection2Row());
    EXPECT_FALSE(own->IsUsed(2868));
    own->Change(2868, QStringLiteral("Эмульсол ЭГТ"), true);
    EXPECT_EQ(name(2868), QStringLiteral("Эмульсол ЭГТ"));
    own->Remove(2868);
    EXPECT_EQ(name(2868), QString());
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 304, 456, 8888}));
    restart();
    EXPECT_EQ(name(2868), QString());
    EXPECT_TRUE(own->List().size() == 8u);
}

TEST_F(OwnPollutantsTest, RefusalsLeaveTheClassifierAndTheFilesAsTheyWere)
{
    const QString range = QStringLiteral("Код вещества должен быть числом от 1 до 9999");
    const QString taken = QStringLiteral("Вещество с кодом %1 уже есть в классификаторе");
    own->Add(2868, kEmulsol, false);
    const QByteArray ownBytes = [&] {
        QFile file(ownFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_FALSE(ownBytes.isEmpty());

    const struct
    {
        int code;
        QString name;
        QString message;
    } cases[] = {
        {0, kEmulsol, range},
        {10000, kEmulsol, range},
        {-5, kEmulsol, range},
        {123, kEmulsol, taken.arg(123)},
        {2868, QStringLiteral("Эмульсол-2"), taken.arg(2868)},
        {2869, QStringLiteral("   "), QStringLiteral("Введите наименование вещества")},
        {2869, QString(51, QLatin1Char('x')),
         QStringLiteral("Наименование вещества длиннее 50 символов")},
        {2869, QStringLiteral("Вещество ✓"),
         QStringLiteral(
             "Наименование вещества содержит знаки, которых нет в кодировке Windows-1251")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(refusal([&] { own->Add(c.code, c.name, true); }), c.message) << c.code;
    EXPECT_EQ(refusal([] { TOwnPollutants::ParseCode(QStringLiteral("28a")); }), range);
    EXPECT_EQ(TOwnPollutants::ParseCode(QStringLiteral(" 2869 ")), 2869);

    // A shipped entry is the program's: it can be neither changed nor removed.
    const QString shippedEntry = QStringLiteral(
        "Вещество 456 входит в классификатор программы: его нельзя изменить или удалить");
    EXPECT_EQ(refusal([&] { own->Remove(456); }), shippedEntry);
    EXPECT_EQ(refusal([&] { own->Change(456, kEmulsol, true); }), shippedEntry);
    EXPECT_EQ(refusal([&] { own->Remove(2869); }),
              QStringLiteral("Вещества с кодом 2869 нет в классификаторе"));

    EXPECT_EQ(dm->KLZAV().recordCount(), 9);
    EXPECT_EQ(dm->SprKlzav().recordCount(), 9);
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 304, 456, 2868, 8888}));
    QFile file(ownFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), ownBytes);
    EXPECT_EQ(folder->readData(QStringLiteral("KLZAV.xml")), shipped);
}

TEST_F(OwnPollutantsTest, TheReportFolderKeepsThemAndTheShippedFileIsNeverWritten)
{
    own->Add(2868, kEmulsol, false);
    own->Add(9999, QStringLiteral("Пыль древесная"), true);
    EXPECT_TRUE(QFile::exists(ownFile()));
    chooseForNewRow(9999);
    // Use marks and the merged rows change the classifier tables in memory
    // only; no save of the report writes them.
    logic->SaveSections();
    EXPECT_FALSE(dm->KLZAV().changed());
    EXPECT_FALSE(dm->SprKlzav().changed());
    dm->KLZAV().SaveIfModified();
    dm->SprKlzav().SaveIfModified();
    EXPECT_EQ(folder->readData(QStringLiteral("KLZAV.xml")), shipped);

    restart();
    EXPECT_EQ(name(2868), kEmulsol);
    EXPECT_EQ(shown(2, 204, "CB"), QStringLiteral("Пыль древесная"));
    EXPECT_EQ(offered(), (std::vector<int>{2, 123, 304, 456, 2868, 8888}));
    std::vector<std::pair<int, bool>> owned;
    for (const TOwnPollutants::Entry& entry : own->List()) {
        if (entry.own)
            owned.emplace_back(entry.code, entry.stat);
    }
    EXPECT_EQ(owned, (std::vector<std::pair<int, bool>>{{2868, false}, {9999, true}}));
    EXPECT_EQ(folder->readData(QStringLiteral("KLZAV.xml")), shipped);

    // A code the shipped list gains in a later version: its entry counts.
    folder->writeData(
        QStringLiteral("KLZAV.xml"),
        dataPacket({QStringLiteral("KDZV:i2"), QStringLiteral("NAMEK:string:50")},
                   {{QStringLiteral("2868"), QStringLiteral("Эмульсол (в списке)")}}));
    restart();
    EXPECT_EQ(name(2868), QStringLiteral("Эмульсол (в списке)"));
    EXPECT_EQ(dm->KLZAV().recordCount(), 2);
    EXPECT_EQ(offered(), (std::vector<int>{2868}));
}

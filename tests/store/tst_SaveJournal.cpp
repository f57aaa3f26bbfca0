// Saving several files as one change: whatever step a crash or an error
// strikes, the next start finds them all as before or all as saved, and
// nothing is left beside them.
#include "SaveJournal.h"

#include <cstdlib>
#include <map>

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "Errors.h"

namespace {

using Files = std::map<QString, QByteArray>;

class SaveJournalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        put({{QStringLiteral("a.xml"), "old a"},
             {QStringLiteral("b.xml"), "old b"},
             {QStringLiteral("d.xml"), "old d"}});
    }
    void TearDown() override { TSaveJournal::OnStep = nullptr; }

    QString path(const QString& name) const { return dir.filePath(name); }
    void put(const Files& files) const
    {
        for (const auto& [name, bytes] : files) {
            QFile file(path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }
    // Every file of the folder, hidden ones included.
    Files files() const
    {
        Files all;
        for (const QString& name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            QFile file(path(name));
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            all[name] = file.readAll();
        }
        return all;
    }
    // The save: a and b changed, c new, d removed.
    void save() const
    {
        TSaveJournal journal(dir.path());
        for (const auto& [name, bytes] : newContent) {
            journal.write(path(name), [&](const QString& aside) {
                QSaveFile file(aside);
                if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
                    !file.commit())
                    throw F2tpError(QStringLiteral("write"));
            });
        }
        journal.remove(path(QStringLiteral("d.xml")));
        journal.commit();
    }

    QTemporaryDir dir;
    const Files before = {{QStringLiteral("a.xml"), "old a"},
                          {QStringLiteral("b.xml"), "old b"},
                          {QStringLiteral("d.xml"), "old d"}};
    const Files newContent = {{QStringLiteral("a.xml"), "new a"},
                              {QStringLiteral("b.xml"), "new b"},
                              {QStringLiteral("c.xml"), "new c"}};
    // 3 files aside, the journal, 4 moves.
    static constexpr int kSteps = 8;
    static constexpr int kJournalStep = 4;
};

TEST_F(SaveJournalTest, ASaveMovesEverythingInAndLeavesNothingBehind)
{
    std::vector<TSaveJournal::TStep> steps;
    TSaveJournal::OnStep = [&](TSaveJournal::TStep step, const QString&) {
        steps.push_back(step);
    };
    save();
    EXPECT_EQ(files(), newContent);
    EXPECT_EQ(int(steps.size()), kSteps);
    EXPECT_EQ(steps.at(kJournalStep - 1), TSaveJournal::TStep::JournalWritten);
}

TEST_F(SaveJournalTest, ACrashAtAnyStepIsAllOldOrAllNewAtTheNextStart)
{
    for (int crashAt = 1; crashAt <= kSteps; ++crashAt) {
        SCOPED_TRACE(crashAt);
        put(before);
        QFile::remove(path(QStringLiteral("c.xml")));
        EXPECT_EXIT(
            {
                int step = 0;
                TSaveJournal::OnStep = [&](TSaveJournal::TStep, const QString&) {
                    if (++step == crashAt)
                        std::_Exit(3);
                };
                save();
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(3), "");
        TSaveJournal::Recover(dir.path());
        EXPECT_EQ(files(), crashAt < kJournalStep ? before : newContent);
    }
}

TEST_F(SaveJournalTest, AnErrorBeforeTheJournalChangesNothingAndAfterItLeavesNoJournal)
{
    for (int failAt = 1; failAt <= kSteps; ++failAt) {
        SCOPED_TRACE(failAt);
        put(before);
        QFile::remove(path(QStringLiteral("c.xml")));
        int step = 0;
        TSaveJournal::OnStep = [&](TSaveJournal::TStep, const QString&) {
            if (++step == failAt)
                throw F2tpError(QStringLiteral("injected"));
        };
        EXPECT_THROW(save(), F2tpError);
        TSaveJournal::OnStep = nullptr;
        const Files now = files();
        if (failAt < kJournalStep) {
            EXPECT_EQ(now, before);
            continue;
        }
        // The files moved in stay; nothing else is left.
        for (const auto& [name, bytes] : now) {
            const auto in = [&](const Files& set) {
                return set.count(name) != 0 && set.at(name) == bytes;
            };
            EXPECT_TRUE(in(before) || in(newContent)) << name.toStdString();
        }
    }
}

TEST_F(SaveJournalTest, AnIncompleteJournalIsDiscardedWithTheFilesAside)
{
    put({{QStringLiteral("a.xml.f2tp-new"), "new a"},
         {TSaveJournal::JournalName(), "F2TP-SAVE 1\nmove\ta.xml\n"},
         {TSaveJournal::JournalName() + QStringLiteral(".Xy12ab"), "F2TP"}});
    TSaveJournal::Recover(dir.path());
    EXPECT_EQ(files(), before);
}

} // namespace

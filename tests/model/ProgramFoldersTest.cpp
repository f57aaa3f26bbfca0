// The resource folder and the report folder: a program folder the user owns
// holds both, an installed program reads its resources from share/f2tp and
// keeps the report in the user's data folder.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "MDM.h"
#include "ProgramFolder.h"
#include "ProgramFolders.h"
#include "ReportSections.h"

namespace {

QStringList filesBelow(const QString& dir)
{
    QStringList names;
    const QDir root(dir);
    for (const QFileInfo& info :
         root.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
        names << info.fileName();
        if (info.isDir())
            for (const QString& inner : filesBelow(info.filePath()))
                names << info.fileName() + QLatin1Char('/') + inner;
    }
    return names;
}

// XDG_DATA_HOME (the user's data folder on Linux) pointed at a scratch folder.
class UserDataFolder
{
public:
    UserDataFolder()
        : m_previous(qgetenv("XDG_DATA_HOME"))
        , m_had(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
    }
    ~UserDataFolder()
    {
        if (m_had)
            qputenv("XDG_DATA_HOME", m_previous);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
    bool m_had;
};

} // namespace

TEST(ProgramFolders, ResourcesAreReadFromOneFolderAndTheReportWrittenToTheOther)
{
    ProgramFolder resources;
    ProgramFolder report(false);
    const QStringList shipped = filesBelow(resources.path());
    {
        TDM dm(TProgramFolders{resources.path(), resources.path(), report.path()});
        TReportSections logic(dm);
        logic.ReadSettings();
        logic.LoadSections();
        EXPECT_EQ(dm.ResourceDir(), resources.path());
        EXPECT_EQ(dm.ReportDir(), report.path());
        EXPECT_EQ(dm.TemplateDir(), resources.path() + QStringLiteral("шаблоны/"));
        // The row templates come from the resources: section 1 shows their names.
        dm.R1Table().first();
        EXPECT_FALSE(dm.R1Table().fieldByName(QStringLiteral("CB")).displayText().isEmpty());
        logic.SaveSections();
        logic.WriteSettings();
    }
    EXPECT_EQ(filesBelow(resources.path()), shipped);
    EXPECT_TRUE(report.hasData(QStringLiteral("F2TPR1.xml")));
    EXPECT_TRUE(QFile::exists(report.file(QStringLiteral("2tp.ini"))));
}

TEST(ProgramFolders, AProgramFolderTheUserOwnsIsTheReportFolder)
{
    ProgramFolder program;
    const QStringList before = filesBelow(program.path());
    const TProgramFolders folders = LocateProgramFolders(program.path());
    EXPECT_EQ(folders.resources, program.path());
    EXPECT_EQ(folders.templates, program.path());
    EXPECT_EQ(folders.report, program.path());
    // Finding out that data/ can be written leaves nothing behind.
    EXPECT_EQ(filesBelow(program.path()), before);
}

TEST(ProgramFolders, AnInstalledProgramKeepsTheReportInTheUsersDataFolder)
{
    const UserDataFolder user;
    QTemporaryDir prefix;
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
    ASSERT_TRUE(QDir(prefix.path()).mkpath(QStringLiteral("share/f2tp/data")));
    const TProgramFolders folders = LocateProgramFolders(prefix.path() + QStringLiteral("/bin"));
    EXPECT_EQ(folders.resources, prefix.path() + QStringLiteral("/share/f2tp/"));
    EXPECT_EQ(folders.templates, folders.resources);
    EXPECT_EQ(folders.report, UserReportFolder());
    EXPECT_TRUE(folders.report.startsWith(user.path() + QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(folders.report + QStringLiteral("data")).isDir());
    EXPECT_EQ(filesBelow(prefix.path()),
              (QStringList{QStringLiteral("bin"), QStringLiteral("share"),
                           QStringLiteral("share/f2tp"), QStringLiteral("share/f2tp/data")}));
}

TEST(ProgramFolders, AReadOnlyProgramFolderKeepsTheReportInTheUsersDataFolder)
{
    const UserDataFolder user;
    ProgramFolder program;
    const QString data = program.path() + QStringLiteral("data");
    const QFileDevice::Permissions writable = QFile::permissions(data);
    QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                    QFileDevice::ReadUser | QFileDevice::ExeUser);
    QFile probe(data + QStringLiteral("/probe"));
    const bool stillWritable = probe.open(QIODevice::WriteOnly);
    probe.remove();
    if (!stillWritable) {
        const TProgramFolders folders = LocateProgramFolders(program.path());
        EXPECT_EQ(folders.resources, program.path());
        EXPECT_EQ(folders.report, UserReportFolder());
        EXPECT_TRUE(QFileInfo(folders.report + QStringLiteral("data")).isDir());
    }
    QFile::setPermissions(data, writable);
    if (stillWritable)
        GTEST_SKIP() << "permissions do not bind this user (root)";
}

TEST(ProgramFolders, AReportFolderNamedByTheUserTakesWhatItLacksFromTheProgram)
{
    ProgramFolder program;
    program.copyTemplate(QStringLiteral("2TPV.TVX"));
    ProgramFolder onlyData(false);
    TProgramFolders folders = FoldersOfReport(onlyData.path(), program.path());
    EXPECT_EQ(folders.report, onlyData.path());
    EXPECT_EQ(folders.resources, program.path());
    EXPECT_EQ(folders.templates, program.path());

    ProgramFolder withClassifiers;
    folders = FoldersOfReport(withClassifiers.path(), program.path());
    EXPECT_EQ(folders.resources, withClassifiers.path());
    EXPECT_EQ(folders.templates, program.path());
    withClassifiers.copyTemplate(QStringLiteral("2TPV.TVX"));
    EXPECT_EQ(FoldersOfReport(withClassifiers.path(), program.path()).templates,
              withClassifiers.path());
}

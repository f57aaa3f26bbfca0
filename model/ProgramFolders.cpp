#include "ProgramFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "Errors.h"

namespace {

QString withSlash(const QString& path)
{
    QString dir = QDir::fromNativeSeparators(path);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

// Whether a file can be created in the folder. Asked by creating one rather
// than from the permission bits, which say nothing of ACLs or a read-only mount.
bool canCreateFiles(const QString& dir)
{
    QTemporaryFile probe(dir + QStringLiteral(".f2tp-probe-XXXXXX"));
    return probe.open();
}

} // namespace

TProgramFolders TProgramFolders::portable(const QString& programDir)
{
    const QString dir = withSlash(programDir);
    return {dir, dir, dir};
}

QString UserReportFolder()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

void CreateReportFolder(const QString& reportDir)
{
    const QString data = reportDir + QStringLiteral("data");
    if (!QDir().mkpath(data))
        throw F2tpError(QStringLiteral("Не удается создать папку ") +
                        QDir::toNativeSeparators(data) + QLatin1Char('.'));
}

QString LocateResources(const QString& programDir)
{
    const QString program = withSlash(programDir);
    const QString shared = withSlash(QDir::cleanPath(program + QStringLiteral("../share/f2tp")));
    return QFileInfo(shared + QStringLiteral("data")).isDir() ? shared : program;
}

TProgramFolders FoldersOfReport(const QString& reportDir, const QString& programDir)
{
    const QString report = withSlash(reportDir);
    const QString installed = LocateResources(programDir);
    const bool classifiers = QFileInfo::exists(report + QStringLiteral("data/TEMPLR.xml"));
    const bool templates = QFileInfo(report + QStringLiteral("шаблоны")).isDir();
    return {classifiers ? report : installed, templates ? report : installed, report};
}

TProgramFolders LocateProgramFolders(const QString& programDir)
{
    const QString program = withSlash(programDir);
    const QString resources = LocateResources(program);
    TProgramFolders folders;
    if (resources != program) {
        folders = {resources, resources, UserReportFolder()};
    } else {
        const QString data = program + QStringLiteral("data/");
        const bool writable = canCreateFiles(QFileInfo(data).isDir() ? data : program);
        folders = {program, program, writable ? program : UserReportFolder()};
    }
    if (folders.report != program)
        CreateReportFolder(folders.report);
    return folders;
}

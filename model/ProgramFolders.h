#pragma once

#include <QString>

// The two folders of a report. The program's own resources (the classifiers
// and row templates in "data/", the report templates in "шаблоны/", the help
// in "help/") are only read; the report's working files ("data/") and
// "2tp.ini" are written only into the report folder. Every path ends with "/".
struct TProgramFolders
{
    QString resources;
    // Where the report templates are; usually the resources.
    QString templates;
    QString report;

    // One folder for everything: a program folder the user owns.
    static TProgramFolders portable(const QString& programDir);
};

// The folders of the program installed in programDir (the folder of the
// executable):
// - resources in "../share/f2tp/" relative to it: installed, the report folder
//   is the user's data folder of the platform, whoever runs it;
// - otherwise the resources lie beside the program; the program folder is the
//   report folder when its "data/" can be written (a build folder, a folder
//   copied by hand), the user's data folder when it cannot.
// The user's report folder and its "data/" are created when missing; failing
// that raises F2tpError "Не удается создать папку PATH.". Nothing is ever
// written into the program folder unless it is the report folder.
TProgramFolders LocateProgramFolders(const QString& programDir);

// The resource folder of the program in programDir: "../share/f2tp/" relative
// to it when that holds "data/", otherwise programDir itself.
QString LocateResources(const QString& programDir);

// A report folder named by the user (f2tp-cli DIR): the working files are
// there; the classifiers and row templates too when its "data/" holds
// "TEMPLR.xml", the report templates when it has "шаблоны/"; whatever it
// lacks comes from the resources of the program in programDir.
TProgramFolders FoldersOfReport(const QString& reportDir, const QString& programDir);

// The user's report folder of an installed program: the platform's data
// folder of the application (QStandardPaths::AppDataLocation), with "/".
QString UserReportFolder();

// Creates the folder and its "data/" when missing; F2tpError as above.
void CreateReportFolder(const QString& reportDir);

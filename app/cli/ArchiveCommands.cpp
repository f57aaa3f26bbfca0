// f2tp-cli zlb ... and zip ...: the program's own archives and the ZIP reader.
#include <algorithm>

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include "CliCommand.h"
#include "ZLIBArchive.h"
#include "ZipExtractor.h"

namespace {

// Creates the archive when missing, else adds to it; status 1 when a file could not be added.
int zlbCreate(const QStringList& args, CliContext&)
{
    if (args.size() < 3)
        throw CliUsageError(QStringLiteral("zlb create needs an archive and at least one file"));
    TZLBArchive archive;
    archive.setReportToUser(true);
    const QString& name = args.at(1);
    if (QFileInfo::exists(name))
        archive.OpenArchive(name);
    else
        archive.CreateArchive(name);
    QStringList files = args.mid(2);
    const auto wanted = std::count_if(files.begin(), files.end(),
                                      [](const QString& f) { return !QFileInfo(f).isDir(); });
    const int before = archive.EntryCount();
    archive.AddFiles(files);
    return archive.EntryCount() - before == wanted ? 0 : 1;
}

int zlbList(const QStringList& args, CliContext& ctx)
{
    if (args.size() != 2)
        throw CliUsageError(QStringLiteral("zlb list needs one archive"));
    TZLBArchive archive;
    archive.OpenArchive(args.at(1));
    for (int i = 0; i < archive.EntryCount(); ++i) {
        const TZLBEntry entry = archive.GetEntry(i);
        ctx.out << entry.name() << '\t' << entry.dirPart() << '\t' << entry.size << '\t'
                << (entry.stored ? 1 : 0) << '\t'
                << QStringLiteral("%1").arg(entry.crc, 8, 16, QLatin1Char('0')).toUpper() << '\n';
    }
    return 0;
}

int zlbExtract(const QStringList& args, CliContext&)
{
    if (args.size() != 3 && args.size() != 4)
        throw CliUsageError(
            QStringLiteral("zlb extract needs an archive, a folder and at most one name"));
    TZLBArchive archive;
    archive.setReportToUser(true);
    archive.setCheckCRC(true);
    archive.OpenArchive(args.at(1));
    if (args.size() == 4)
        archive.ExtractFile(args.at(2), args.at(3));
    else
        archive.ExtractAll(args.at(2));
    return 0;
}

int zlbCommand(const QStringList& args, CliContext& ctx)
{
    const QString sub = args.value(0);
    if (sub == QLatin1String("create"))
        return zlbCreate(args, ctx);
    if (sub == QLatin1String("list"))
        return zlbList(args, ctx);
    if (sub == QLatin1String("extract"))
        return zlbExtract(args, ctx);
    throw CliUsageError(QStringLiteral("Unknown zlb command: ") + sub);
}

// Extracts flat into the folder, as the import does: every entry, or the named ones.
int zipCommand(const QStringList& args, CliContext&)
{
    if (args.value(0) != QLatin1String("extract") || args.size() < 3)
        throw CliUsageError(QStringLiteral("zip extract needs an archive and a folder"));
    QDir().mkpath(args.at(2));
    TZipExtractor zipper;
    zipper.setOverwriteMode(TZipExtractor::TOverwriteMode::Prompt);
    zipper.setZipName(args.at(1));
    zipper.setDestDir(args.at(2));
    zipper.setFilesList(args.mid(3));
    zipper.setDoAll(args.size() == 3);
    zipper.UnZip();
    return 0;
}

const CliRegistration zlbRegistration(
    "zlb", "zlb create ARCHIVE FILE... | zlb list ARCHIVE | zlb extract ARCHIVE DIR [NAME]",
    zlbCommand);
const CliRegistration zipRegistration("zip", "zip extract ARCHIVE DIR [NAME...]", zipCommand);

} // namespace

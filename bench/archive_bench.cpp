// Packs and unpacks data-packet-like XML files with the ZLB archive, beside
// plain zlib at the same level on the same bytes in memory (the limit of the
// format) and Info-ZIP zip/unzip on an equivalent ZIP. Prints MB/s and ratios.
//
//   archive_bench [MEGABYTES]   (default 100)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <zlib.h>

#include "Cp1251.h"
#include "ZLIBArchive.h"
#include "ZipExtractor.h"

namespace {

constexpr int kFiles = 40;
constexpr int kRuns = 3;

// One line of <ROW .../> elements in Windows-1251, like the section files.
QByteArray makePacket(int index, qint64 size)
{
    static const char* const names[] = {
        "Выбросы загрязняющих веществ в атмосферу, всего",
        "в том числе: твердые",
        "газообразные и жидкие",
        "из них: диоксид серы",
        "оксид углерода",
        "оксиды азота (в пересчете на NO2)",
        "углеводороды (без летучих органических соединений)",
        "летучие органические соединения (ЛОС)",
    };
    std::mt19937 random(quint32(index) + 1);
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>"
                     "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                     "<FIELD attrname=\"CA\" fieldtype=\"i2\"/><FIELD attrname=\"CB\" "
                     "fieldtype=\"string\" WIDTH=\"250\"/></FIELDS></METADATA><ROWDATA>";
    for (int row = 0; xml.size() < size; ++row) {
        xml += "<ROW CA=\"" + QByteArray::number(101 + row % 400) + "\" CB=\"" +
               Cp1251::encode(QString::fromUtf8(names[random() % 8])) + "\" KODP=\"" +
               QByteArray::number(10000000 + index) + "\" YEAR_=\"2023\"";
        for (int c = 1; c <= 10; ++c) {
            const double value = double(random() % 10000000) / 1000.0;
            xml += " C" + QByteArray::number(c) + "=\"" + QByteArray::number(value, 'f', 3) + "\"";
        }
        xml += "/>";
    }
    return xml + "</ROWDATA></DATAPACKET>";
}

double seconds(const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        best = std::min(best, spent.count());
    }
    return best;
}

bool run(const QString& program, const QStringList& args, const QString& dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

void row(const char* what, double megabytes, double secs, double reference)
{
    const double rate = megabytes / secs;
    std::printf("  %-38s %9.1f MB/s   %5.2f x zlib\n", what, rate, rate / reference);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const double totalMb = argc > 1 ? std::max(1.0, QByteArray(argv[1]).toDouble()) : 100.0;
    QTemporaryDir work;
    const QString in = work.filePath(QStringLiteral("in"));
    QDir().mkpath(in);

    std::vector<QByteArray> contents;
    QStringList files;
    qint64 total = 0;
    for (int i = 0; i < kFiles; ++i) {
        contents.push_back(makePacket(i, qint64(totalMb * 1024 * 1024 / kFiles)));
        files << in + QStringLiteral("/F2TP%1.xml").arg(i, 3, 10, QLatin1Char('0'));
        QFile file(files.last());
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(contents.back()) != contents.back().size())
            return 1;
        total += contents.back().size();
    }
    const double mb = double(total) / (1024.0 * 1024.0);
    std::printf(
        "%d Windows-1251 XML files, %.1f MB in all, zlib level default (%s), best of %d\n\n",
        kFiles, mb, ZLIB_VERSION, kRuns);

    const QString zlb = work.filePath(QStringLiteral("set.zlb"));
    const QString out = work.filePath(QStringLiteral("out"));
    const double zlbPack = seconds([&] {
        QFile::remove(zlb);
        TZLBArchive archive;
        archive.CreateArchive(zlb);
        QStringList list = files;
        archive.AddFiles(list);
    });
    const auto zlbUnpack = [&](bool checkCrc) {
        return seconds([&] {
            QDir(out).removeRecursively();
            TZLBArchive archive;
            archive.setCheckCRC(checkCrc);
            archive.OpenArchive(zlb);
            archive.ExtractAll(out);
        });
    };
    const double zlbUnpackPlain = zlbUnpack(false);
    const double zlbUnpackCrc = zlbUnpack(true);

    std::vector<QByteArray> packed(contents.size());
    const double zlibPack = seconds([&] {
        for (size_t i = 0; i < contents.size(); ++i) {
            uLongf length = compressBound(uLong(contents[i].size()));
            packed[i].resize(qsizetype(length));
            compress2(reinterpret_cast<Bytef*>(packed[i].data()), &length,
                      reinterpret_cast<const Bytef*>(contents[i].constData()),
                      uLong(contents[i].size()), Z_DEFAULT_COMPRESSION);
            packed[i].resize(qsizetype(length));
        }
    });
    QByteArray buffer;
    const double zlibUnpack = seconds([&] {
        for (size_t i = 0; i < contents.size(); ++i) {
            uLongf length = uLongf(contents[i].size());
            buffer.resize(contents[i].size());
            uncompress(reinterpret_cast<Bytef*>(buffer.data()), &length,
                       reinterpret_cast<const Bytef*>(packed[i].constData()),
                       uLong(packed[i].size()));
        }
    });
    qint64 zlibBytes = 0;
    for (const QByteArray& p : packed)
        zlibBytes += p.size();

    const QString zipTool = QStandardPaths::findExecutable(QStringLiteral("zip"));
    const QString unzipTool = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    const QString zip = work.filePath(QStringLiteral("set.zip"));
    double zipPack = 0;
    double unzipUnpack = 0;
    double readerUnpack = 0;
    if (!zipTool.isEmpty()) {
        zipPack = seconds([&] {
            QFile::remove(zip);
            run(zipTool,
                {QStringLiteral("-q"), QStringLiteral("-6"), zip, QStringLiteral("-r"),
                 QStringLiteral("in")},
                work.path());
        });
        if (!unzipTool.isEmpty()) {
            unzipUnpack = seconds([&] {
                QDir(out).removeRecursively();
                run(unzipTool,
                    {QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("-j"), zip,
                     QStringLiteral("-d"), out},
                    work.path());
            });
        }
        readerUnpack = seconds([&] {
            QDir(out).removeRecursively();
            QDir().mkpath(out);
            TZipExtractor zipper;
            zipper.setZipName(zip);
            zipper.setDestDir(out);
            zipper.setDoAll(true);
            zipper.UnZip();
        });
    }

    std::printf("Packing\n");
    row("ZLB AddFiles (files to archive)", mb, zlbPack, mb / zlibPack);
    row("zlib compress2 (memory to memory)", mb, zlibPack, mb / zlibPack);
    if (zipPack > 0)
        row("Info-ZIP zip -6 (files to archive)", mb, zipPack, mb / zlibPack);
    std::printf("Unpacking\n");
    row("ZLB ExtractAll (archive to files)", mb, zlbUnpackPlain, mb / zlibUnpack);
    row("ZLB ExtractAll, CRC check on", mb, zlbUnpackCrc, mb / zlibUnpack);
    row("zlib uncompress (memory to memory)", mb, zlibUnpack, mb / zlibUnpack);
    if (unzipUnpack > 0)
        row("Info-ZIP unzip (archive to files)", mb, unzipUnpack, mb / zlibUnpack);
    if (readerUnpack > 0)
        row("ZIP reader UnZip (archive to files)", mb, readerUnpack, mb / zlibUnpack);
    std::printf("Sizes\n");
    std::printf("  %-38s %9.1f MB   %5.1f%% of input\n", "ZLB archive",
                double(QFileInfo(zlb).size()) / 1048576.0, 100.0 * QFileInfo(zlb).size() / total);
    std::printf("  %-38s %9.1f MB   %5.1f%% of input\n", "zlib streams",
                double(zlibBytes) / 1048576.0, 100.0 * zlibBytes / total);
    if (zipPack > 0)
        std::printf("  %-38s %9.1f MB   %5.1f%% of input\n", "ZIP archive",
                    double(QFileInfo(zip).size()) / 1048576.0,
                    100.0 * QFileInfo(zip).size() / total);
    std::printf("\nRatios: ZLB pack %.2f of zlib, unpack %.2f of zlib",
                (mb / zlbPack) / (mb / zlibPack), (mb / zlbUnpackPlain) / (mb / zlibUnpack));
    if (unzipUnpack > 0)
        std::printf(", unpack %.2f of unzip", unzipUnpack / zlbUnpackPlain);
    if (zipPack > 0)
        std::printf(", pack %.2f of zip", zipPack / zlbPack);
    std::printf("\n");
    return 0;
}

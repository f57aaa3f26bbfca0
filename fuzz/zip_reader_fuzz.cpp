// libFuzzer target: the ZIP reader on arbitrary bytes (the whole input is the
// archive file). An odd length extracts with folders, an even one flat.
#include <cstddef>
#include <cstdint>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ZipExtractor.h"

namespace {

// What the harness extracts at most, so that entries sharing one block cannot
// make a run take minutes.
constexpr size_t kMaxEntries = 64;
constexpr qint64 kMaxDeclared = 64LL * 1024 * 1024;

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void runOne(const uint8_t* data, size_t size)
{
    const QString name = scratch().filePath(QStringLiteral("input.zip"));
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const QString out = scratch().filePath(QStringLiteral("out"));
    QDir().mkpath(out);
    TZipExtractor zipper;
    zipper.setZipName(name);
    zipper.setDestDir(out);
    zipper.setDoAll(true);
    zipper.setRecreateDirs((size & 1) != 0);
    try {
        const std::vector<TZipEntry>& entries = zipper.Entries();
        qint64 declared = 0;
        for (const TZipEntry& entry : entries)
            declared += entry.uncompressedSize;
        if (entries.size() <= kMaxEntries && declared <= kMaxDeclared)
            zipper.UnZip();
    } catch (const F2tpError&) {
    }
    QDir(out).removeRecursively();
}

} // namespace

int zipReaderFuzzOne(const uint8_t* data, size_t size)
{
    runOne(data, size);
    return 0;
}

#ifndef F2TP_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return zipReaderFuzzOne(data, size);
}
#endif

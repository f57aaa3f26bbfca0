// libFuzzer target: the ZLB archive reader on arbitrary bytes. The first byte
// chooses the mode, the rest is the archive file.
#include <cstddef>
#include <cstdint>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ArchiveSupport.h"
#include "ZLIBArchive.h"

namespace {

// What the harness extracts at most, so that an archive whose entries all
// point at one well-compressed block cannot make a run take minutes.
constexpr int kMaxEntries = 32;
constexpr qint64 kMaxDeclared = 64LL * 1024 * 1024;

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

// Bit 0 of the mode puts the right checksum into the trailer, so that the
// fuzzer gets past it to the registry and the blocks; bit 1 extracts with paths.
void runOne(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const int mode = data[0];
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if ((mode & 1) && bytes.size() >= TZLBTrailer::Size) {
        const qsizetype body = bytes.size() - TZLBTrailer::Size;
        const quint32 crc =
            ArchiveSupport::crcUpdate(ArchiveSupport::crcInit(), bytes.constData(), body);
        for (int i = 0; i < 4; ++i)
            bytes[body + i] = char((crc >> (8 * i)) & 0xFF);
    }
    const QString name = scratch().filePath(QStringLiteral("input.zlb"));
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        file.write(bytes);
    }
    const QString out = scratch().filePath(QStringLiteral("out"));
    TZLBArchive archive;
    archive.setCheckCRC(true);
    archive.setExtractWithPath((mode & 2) != 0);
    try {
        archive.OpenArchive(name);
        const int count = archive.EntryCount();
        qint64 declared = 0;
        for (int i = 0; i < count && i < kMaxEntries; ++i) {
            declared += archive.GetEntry(i).size;
            if (declared > kMaxDeclared)
                return;
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            try {
                archive.ExtractToStream(i, buffer);
            } catch (const F2tpError&) {
            }
            archive.FindEntry(archive.GetEntry(i).dirPart() + archive.GetEntry(i).name());
        }
        if (count <= kMaxEntries)
            archive.ExtractAll(out);
    } catch (const F2tpError&) {
    }
    QDir(out).removeRecursively();
}

} // namespace

int zlbReaderFuzzOne(const uint8_t* data, size_t size)
{
    runOne(data, size);
    return 0;
}

#ifndef F2TP_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return zlbReaderFuzzOne(data, size);
}
#endif

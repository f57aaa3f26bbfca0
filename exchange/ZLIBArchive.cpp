#include "ZLIBArchive.h"

#include <algorithm>
#include <cstring>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <zlib.h>

#include "ArchiveSupport.h"
#include "Cp1251.h"
#include "UserInterface.h"
#include "ZlibStream.h"

using namespace ArchiveSupport;
using namespace ZlibStream;

namespace {

constexpr qint64 kPiece = 4096;
constexpr qint64 kCrcPiece = 10240;
constexpr int kNameField = 256;
// Deflate cannot expand data by more than this factor; a registry that claims
// more records than its compressed bytes could hold is corrupt.
constexpr qint64 kMaxInflateRatio = 1032;
constexpr qint64 kMaxOffset = 0xFFFFFFFFLL;

[[noreturn]] void fail(const char* text)
{
    throw EZLBArchiveError(QString::fromLatin1(text));
}

[[noreturn]] void fail(const char* text, const QString& arg)
{
    throw EZLBArchiveError(QString::fromLatin1(text).arg(arg));
}

[[noreturn]] void failIndex(const char* text, int index)
{
    throw EZLBArchiveError(QString::fromLatin1(text).arg(index));
}

int zlibLevel(TFileCompressionLevel level)
{
    switch (level) {
    case TFileCompressionLevel::fcNone:
        return 0;
    case TFileCompressionLevel::fcFastest:
        return 1;
    case TFileCompressionLevel::fcDefault:
        return Z_DEFAULT_COMPRESSION;
    case TFileCompressionLevel::fcMaximum:
        return 9;
    }
    return Z_DEFAULT_COMPRESSION;
}

// A name field: a length byte, the bytes, zeros up to 256.
void appendNameField(QByteArray& record, const QByteArray& name)
{
    const QByteArray cut = name.left(255);
    record.append(char(cut.size()));
    record.append(cut);
    record.append(QByteArray(kNameField - 1 - cut.size(), '\0'));
}

QByteArray readNameField(const char* field)
{
    const int length = static_cast<unsigned char>(field[0]);
    return QByteArray(field + 1, length);
}

bool equalsFoldingAscii(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a.at(i);
        char y = b.at(i);
        if (x >= 'a' && x <= 'z')
            x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// Splits a path at its last separator into the directory part (with the
// separator, as "\") and the name.
void splitPath(const QString& path, QString& dir, QString& name)
{
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    dir = path.left(cut + 1);
    dir.replace(QLatin1Char('/'), QLatin1Char('\\'));
    name = path.mid(cut + 1);
}

QString withoutDrive(const QString& dir)
{
    const qsizetype colon = dir.indexOf(QLatin1Char(':'));
    return colon < 0 ? dir : dir.mid(colon + 1);
}

// Thrown inside AddFiles when the new archive file cannot be written.
struct WriteFailure
{
};

void writeOrThrow(QIODevice& out, const char* data, qint64 length, qint64& position, quint32& crc)
{
    if (out.write(data, length) != length)
        throw WriteFailure{};
    position += length;
    crc = crcUpdate(crc, data, length);
}

} // namespace

QString TZLBEntry::name() const
{
    return Cp1251::decode(fileName);
}

QString TZLBEntry::dirPart() const
{
    return Cp1251::decode(directory);
}

QByteArray TZLBEntry::toRecord() const
{
    QByteArray record;
    record.reserve(RecordSize);
    appendNameField(record, fileName);
    if (directory.isEmpty())
        record.append(QByteArray(kNameField, '\0'));
    else
        appendNameField(record, directory);
    appendLe32(record, size);
    appendLe32(record, blockLength);
    appendLe32(record, offset);
    appendLe32(record, crc);
    record.append(char(stored ? 1 : 0));
    record.append(char(stored ? 0 : level));
    record.append(2, '\0');
    return record;
}

TZLBEntry TZLBEntry::fromRecord(const char* record)
{
    TZLBEntry entry;
    entry.fileName = readNameField(record);
    entry.directory = readNameField(record + kNameField);
    entry.size = readLe32(record + 512);
    entry.blockLength = readLe32(record + 516);
    entry.offset = readLe32(record + 520);
    entry.crc = readLe32(record + 524);
    entry.stored = record[528] != 0;
    entry.level = quint8(record[529]);
    return entry;
}

QByteArray TZLBTrailer::toBytes() const
{
    QByteArray bytes;
    bytes.reserve(Size);
    appendLe32(bytes, crc);
    appendLe32(bytes, count);
    appendLe32(bytes, constant);
    appendLe32(bytes, registryLength);
    appendLe32(bytes, registryOffset);
    bytes.append(char(registryCompressed ? 1 : 0));
    bytes.append(15, '\0');
    return bytes;
}

TZLBTrailer TZLBTrailer::fromBytes(const char* bytes)
{
    TZLBTrailer trailer;
    trailer.crc = readLe32(bytes);
    trailer.count = readLe32(bytes + 4);
    trailer.constant = readLe32(bytes + 8);
    trailer.registryLength = readLe32(bytes + 12);
    trailer.registryOffset = readLe32(bytes + 16);
    trailer.registryCompressed = bytes[20] != 0;
    return trailer;
}

TZLBArchive::~TZLBArchive() = default;

void TZLBArchive::CreateArchive(const QString& fileName)
{
    CloseArchive();
    if (fileName.isEmpty())
        return;
    // The component stays closed, so that adding cannot drop the entries the
    // existing file holds.
    if (QFileInfo::exists(fileName))
        fail("File already exists");
    m_fileName = fileName;
    m_isNew = true;
    if (OnArchiveOpened)
        OnArchiveOpened(*this);
}

bool TZLBArchive::OpenArchive(const QString& fileName)
{
    CloseArchive();
    if (fileName.isEmpty())
        return false;
    if (!QFileInfo::exists(fileName))
        fail("Archive file not found");
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        fail("Unable to open file (%1)", fileName);
    readArchive(file);
    m_fileName = fileName;
    m_isNew = false;
    if (OnArchiveOpened)
        OnArchiveOpened(*this);
    reportEnd(m_fileName);
    return true;
}

void TZLBArchive::readArchive(QFile& file)
{
    m_trailer = TZLBTrailer{};
    const qint64 fileSize = file.size();
    if (fileSize < TZLBTrailer::Size)
        fail("The archive file appears to be corrupted");
    const qint64 covered = fileSize - TZLBTrailer::Size;
    quint32 crc = crcInit();
    char buffer[kCrcPiece];
    for (qint64 done = 0; done < covered;) {
        const qint64 want = std::min(kCrcPiece, covered - done);
        if (file.read(buffer, want) != want)
            fail("The archive file appears to be corrupted");
        crc = crcUpdate(crc, buffer, want);
        done += want;
    }
    char tail[TZLBTrailer::Size];
    if (file.read(tail, TZLBTrailer::Size) != TZLBTrailer::Size)
        fail("The archive file appears to be corrupted");
    const TZLBTrailer trailer = TZLBTrailer::fromBytes(tail);
    if (trailer.crc != crc)
        fail("The archive file appears to be corrupted");
    if (!readRegistry(file, fileSize, trailer) || !findBlockEnds(trailer)) {
        m_entries.clear();
        m_blockEnds.clear();
        fail("Unable to read archive file list");
    }
    m_trailer = trailer;
}

bool TZLBArchive::readRegistry(QFile& file, qint64 fileSize, const TZLBTrailer& trailer)
{
    const qint64 end = fileSize - TZLBTrailer::Size;
    if (trailer.registryOffset > end || !file.seek(trailer.registryOffset))
        return false;
    const qint64 available = end - trailer.registryOffset;
    const qint64 total = qint64(trailer.count) * TZLBEntry::RecordSize;
    const qint64 limit = trailer.registryCompressed ? available * kMaxInflateRatio : available;
    if (total > limit)
        return false;
    // A list longer than any set holds is refused before it is inflated.
    if (trailer.count > quint32(std::max(m_maxEntries, 0)))
        throw EArchiveLimit(tooManyEntriesText(trailer.count, m_maxEntries));

    QByteArray records;
    if (!trailer.registryCompressed) {
        records = file.read(total);
        if (records.size() != total)
            return false;
    } else if (total > 0) {
        beginStep(QStringLiteral("Extracting archive registry"), total);
        const InflateResult result = inflateData(
            Format::Zlib,
            [&file](char* buffer, qint64 capacity) { return file.read(buffer, capacity); }, total,
            [this, &records](const char* data, qint64 length) {
                records.append(data, length);
                advanceStep(length);
            });
        if (result.end == InflateEnd::Corrupt || result.produced != total)
            return false;
    }

    std::vector<TZLBEntry> entries;
    entries.reserve(trailer.count);
    for (quint32 i = 0; i < trailer.count; ++i)
        entries.push_back(TZLBEntry::fromRecord(records.constData() + i * TZLBEntry::RecordSize));
    m_entries = std::move(entries);
    return true;
}

bool TZLBArchive::findBlockEnds(const TZLBTrailer& trailer)
{
    // Blocks lie back to back: each ends where the next one starts, the last
    // at the registry. Two files with data in one block are refused, so that
    // every byte of the archive is extracted at most once.
    const size_t count = m_entries.size();
    std::vector<size_t> order(count);
    for (size_t i = 0; i < count; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        return m_entries[a].offset < m_entries[b].offset;
    });
    m_blockEnds.assign(count, qint64(trailer.registryOffset));
    for (size_t k = 0; k < count;) {
        const quint32 offset = m_entries[order[k]].offset;
        size_t end = k;
        int withData = 0;
        for (; end < count && m_entries[order[end]].offset == offset; ++end)
            withData += m_entries[order[end]].size > 0 ? 1 : 0;
        if (withData > 1)
            return false;
        const bool last = end == count;
        const qint64 blockEnd =
            last ? qint64(trailer.registryOffset) : m_entries[order[end]].offset;
        for (; k < end; ++k) {
            const TZLBEntry& entry = m_entries[order[k]];
            if (!last && entry.stored && qint64(entry.offset) + entry.size > blockEnd)
                return false;
            m_blockEnds[order[k]] = blockEnd;
        }
    }
    return true;
}

void TZLBArchive::CloseArchive()
{
    const bool wasOpen = IsOpen();
    const QString name = m_fileName;
    m_entries.clear();
    m_blockEnds.clear();
    m_trailer = TZLBTrailer{};
    m_fileName.clear();
    m_isNew = false;
    if (wasOpen)
        reportEnd(name);
}

void TZLBArchive::requireOpen() const
{
    if (!IsOpen())
        fail("No archive is currently open");
}

int TZLBArchive::EntryCount() const
{
    requireOpen();
    return int(m_entries.size());
}

TZLBEntry TZLBArchive::GetEntry(int index) const
{
    if (index < 0 || index >= int(m_entries.size()))
        fail("Index out of bounds");
    return m_entries[size_t(index)];
}

int TZLBArchive::indexOf(const QByteArray& wanted) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (equalsFoldingAscii(m_entries[i].directory + m_entries[i].fileName, wanted))
            return int(i);
    }
    return -1;
}

int TZLBArchive::FindEntry(const QString& archiveName) const
{
    requireOpen();
    QString dir;
    QString name;
    splitPath(archiveName, dir, name);
    if (m_savePaths)
        dir = withoutDrive(dir);
    return indexOf(Cp1251::encode(dir + name));
}

void TZLBArchive::ScanDirectory(const QString& dir, QStringList& list)
{
    // Links to folders are not followed, so a link loop cannot make the scan endless.
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            if (!info.isSymLink())
                ScanDirectory(path, list);
        } else {
            list.append(path);
        }
    }
}

void TZLBArchive::AddFiles(QStringList& fileList)
{
    requireOpen();
    for (qsizetype i = 0; i < fileList.size();) {
        if (QFileInfo(fileList.at(i)).isDir()) {
            const QString dir = fileList.takeAt(i);
            if (m_recursePaths)
                ScanDirectory(dir, fileList);
        } else {
            ++i;
        }
    }

    // The new archive is written beside the old one and renamed over it only
    // when complete, so a failure leaves the old archive as it was.
    QSaveFile out(m_fileName);
    if (!out.open(QIODevice::WriteOnly))
        fail("Unable to open file (%1)", m_fileName);

    const std::vector<TZLBEntry> before = m_entries;
    qint64 position = 0;
    quint32 crc = crcInit();
    try {
        if (!m_isNew) {
            QFile old(m_fileName);
            if (!old.open(QIODevice::ReadOnly))
                throw WriteFailure{};
            char buffer[64 * 1024];
            for (qint64 left = m_trailer.registryOffset; left > 0;) {
                const qint64 got = old.read(buffer, std::min<qint64>(left, sizeof buffer));
                if (got <= 0)
                    throw WriteFailure{};
                writeOrThrow(out, buffer, got, position, crc);
                left -= got;
            }
        }
        while (!fileList.isEmpty()) {
            const QString file = fileList.first();
            if (!addOne(file, out, position, crc) && m_reportToUser)
                userInterface().logProblem(QStringLiteral("Unable to open file (%1)").arg(file));
            fileList.removeFirst();
        }
        writeRegistry(out, position, crc);
        if (!out.commit())
            throw WriteFailure{};
    } catch (const WriteFailure&) {
        out.cancelWriting();
        m_entries = before;
        fail("Unable to update archive file (%1)", m_fileName);
    }
    m_isNew = false;
    const QString name = m_fileName; // OpenArchive closes first, which clears m_fileName
    OpenArchive(name);
}

bool TZLBArchive::addOne(const QString& file, QIODevice& out, qint64& position, quint32& crc)
{
    QString dir;
    QString name;
    splitPath(file, dir, name);
    dir = m_savePaths ? withoutDrive(dir) : QString();
    if (m_reportToUser && indexOf(Cp1251::encode(dir + name)) >= 0)
        userInterface().logProblem(QStringLiteral("%1 already exists in the archive").arg(file));

    QFile in(file);
    if (!in.open(QIODevice::ReadOnly) || in.size() > kMaxOffset)
        return false;
    beginStep(QStringLiteral("Updating %1").arg(file), in.size());
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return false;
    QByteArray packed;
    const DeflateResult result =
        deflateData(data, zlibLevel(m_compressionLevel), data.size(), packed,
                    [this](qint64 consumed) { advanceStep(consumed - m_stepCount); });
    if (result == DeflateResult::Failed)
        return false;

    TZLBEntry entry;
    entry.crc = crcUpdate(crcInit(), data.constData(), data.size());
    entry.fileName = Cp1251::encode(name).left(255);
    entry.directory = Cp1251::encode(dir).left(255);
    entry.size = quint32(data.size());
    entry.offset = quint32(position);
    entry.stored = result != DeflateResult::Ok;
    entry.level = entry.stored ? 0 : quint8(m_compressionLevel);
    const QByteArray& block = entry.stored ? data : packed;
    entry.blockLength = quint32(block.size());
    // Offsets are 32-bit: a block that would end past 4 GiB cannot be recorded.
    if (position + block.size() > kMaxOffset)
        return false;
    writeOrThrow(out, block.constData(), block.size(), position, crc);
    m_entries.push_back(entry);
    return true;
}

void TZLBArchive::writeRegistry(QIODevice& out, qint64& position, quint32& crc)
{
    TZLBTrailer trailer;
    trailer.registryOffset = quint32(position);
    trailer.count = quint32(m_entries.size());
    QByteArray records;
    records.reserve(qsizetype(m_entries.size()) * TZLBEntry::RecordSize);
    for (const TZLBEntry& entry : m_entries)
        records.append(entry.toRecord());

    beginStep(QStringLiteral("Writing archive registry"), records.size());
    QByteArray packed;
    const DeflateResult result =
        deflateData(records, zlibLevel(m_compressionLevel), -1, packed,
                    [this](qint64 consumed) { advanceStep(consumed - m_stepCount); });
    // The registry is compressed in memory, so a failure leaves nothing behind
    // in the file before the raw records.
    const QByteArray& registry = result == DeflateResult::Ok ? packed : records;
    trailer.registryCompressed = result == DeflateResult::Ok;
    trailer.registryLength = trailer.registryCompressed ? quint32(packed.size()) : 0;
    if (position + registry.size() > kMaxOffset)
        throw WriteFailure{};
    writeOrThrow(out, registry.constData(), registry.size(), position, crc);

    trailer.crc = crc;
    const QByteArray bytes = trailer.toBytes();
    writeOrThrow(out, bytes.constData(), bytes.size(), position, crc);
}

bool TZLBArchive::targetFor(const QString& destDir, const TZLBEntry& entry, Target& target) const
{
    const QString name = entry.name();
    if (isSkippedName(bareName(name)))
        return false;
    QString path;
    if (m_extractWithPath) {
        const QString relative = entry.dirPart() + name;
        if (isUnsafeRelativePath(relative))
            fail("Unsafe path in archive (%1)", relative);
        path = joinUnder(destDir, relative);
    } else {
        if (hasControlCharacters(bareName(name)))
            fail("Unsafe path in archive (%1)", name);
        path = joinUnder(destDir, bareName(name));
    }
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    target.dir = cut < 0 ? QStringLiteral(".") : cut == 0 ? QStringLiteral("/") : path.left(cut);
    target.path = path;
    return true;
}

bool TZLBArchive::mayWrite(const QString& path) const
{
    if (!QFileInfo::exists(path) || !m_reportToUser)
        return true;
    return userInterface().replaceFile(path);
}

quint32 TZLBArchive::extractEntry(QFile& archive, int index, QIODevice& out)
{
    const TZLBEntry& entry = m_entries[size_t(index)];
    beginStep(QStringLiteral("Extracting %1").arg(entry.name()), entry.size);
    // The block may not reach into the next one.
    const qint64 blockEnd = size_t(index) < m_blockEnds.size() ? m_blockEnds[size_t(index)]
                                                               : qint64(m_trailer.registryOffset);
    if (!archive.seek(entry.offset))
        failIndex("File (%1) is corrupt", index);
    const qint64 total = entry.size;
    quint32 crc = crcInit();
    qint64 produced = 0;
    char buffer[kPiece];
    auto deliver = [&](const char* data, qint64 length) {
        if (m_maxExtractSize >= 0 && m_extracted + length > m_maxExtractSize)
            throw EArchiveLimit(tooMuchDataText(m_maxExtractSize));
        m_extracted += length;
        if (out.write(data, length) != length) {
            const auto* file = qobject_cast<QFileDevice*>(&out);
            fail("Unable to write file (%1)", file ? file->fileName() : QString());
        }
        crc = crcUpdate(crc, data, length);
        produced += length;
        advanceStep(length);
    };

    if (entry.stored) {
        if (qint64(entry.offset) + total > blockEnd)
            failIndex("File (%1) is corrupt", index);
        while (produced < total) {
            const qint64 want = std::min(kPiece, total - produced);
            if (archive.read(buffer, want) != want)
                failIndex("File (%1) is corrupt", index);
            deliver(buffer, want);
        }
        return crc;
    }
    if (total == 0)
        return crc;
    const InflateResult result = inflateData(
        Format::Zlib,
        [&archive, blockEnd](char* data, qint64 capacity) {
            const qint64 left = blockEnd - archive.pos();
            return left > 0 ? archive.read(data, std::min(capacity, left)) : 0;
        },
        total, deliver);
    if (result.end == InflateEnd::Corrupt || result.produced != total)
        failIndex("File (%1) is corrupt", index);
    return crc;
}

void TZLBArchive::ExtractAll(const QString& destDir)
{
    requireOpen();
    std::vector<int> all(m_entries.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    extractEntries(destDir, all);
}

void TZLBArchive::ExtractFiles(const QString& destDir, const QStringList& fileNames)
{
    requireOpen();
    std::vector<int> chosen;
    for (const QString& fileName : fileNames) {
        QString dir;
        QString name;
        splitPath(fileName, dir, name);
        const QByteArray wanted = Cp1251::encode(dir + name);
        for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
            const TZLBEntry& entry = m_entries[size_t(i)];
            const QByteArray relative = m_extractWithPath ? entry.directory + entry.fileName
                                                          : Cp1251::encode(bareName(entry.name()));
            if (equalsFoldingAscii(relative, wanted)) {
                chosen.push_back(i);
                break;
            }
        }
    }
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    extractEntries(destDir, chosen);
}

void TZLBArchive::extractEntries(const QString& destDir, const std::vector<int>& indices)
{
    QFile archive(m_fileName);
    if (!archive.open(QIODevice::ReadOnly))
        fail("Unable to open file (%1)", m_fileName);
    m_extracted = 0;
    for (const int i : indices) {
        const TZLBEntry& entry = m_entries[size_t(i)];
        Target target;
        if (!targetFor(destDir, entry, target))
            continue;
        QDir().mkpath(target.dir);
        if (!QFileInfo(target.dir).isDir())
            fail("Unable to create destination path");
        if (!mayWrite(target.path))
            continue;
        // The file appears only once complete; a failed entry leaves no partial file.
        QSaveFile out(target.path);
        if (!out.open(QIODevice::WriteOnly))
            fail("Unable to open file (%1)", target.path);
        const quint32 crc = extractEntry(archive, i, out);
        if (m_checkCrc && crc != entry.crc)
            failIndex("File (%1) is corrupt", i);
        if (!out.commit())
            fail("Unable to write file (%1)", target.path);
        if (OnFileExtracted)
            OnFileExtracted(destDir + entry.name());
    }
    reportEnd(m_fileName);
}

void TZLBArchive::ExtractFile(const QString& destDir, const QString& fileName)
{
    requireOpen();
    QString dir;
    QString name;
    splitPath(fileName, dir, name);
    const int index = indexOf(Cp1251::encode(dir + name));
    if (index < 0)
        fail("File not found in archive");
    m_extracted = 0;
    const TZLBEntry entry = m_entries[size_t(index)];
    Target target;
    if (targetFor(destDir, entry, target)) {
        QDir().mkpath(target.dir);
        if (!QFileInfo(target.dir).isDir())
            fail("Unable to create destination path");
        if (mayWrite(target.path)) {
            QSaveFile out(target.path);
            if (!out.open(QIODevice::WriteOnly))
                fail("Unable to open file (%1)", target.path);
            if (ExtractToStream(index, out)) {
                if (!out.commit())
                    fail("Unable to write file (%1)", target.path);
                if (OnFileExtracted)
                    OnFileExtracted(destDir + entry.name());
            }
        }
    }
    reportEnd(m_fileName);
}

bool TZLBArchive::ExtractToStream(int index, QIODevice& stream)
{
    const TZLBEntry entry = GetEntry(index);
    QFile archive(m_fileName);
    if (!archive.open(QIODevice::ReadOnly))
        fail("Unable to open file (%1)", m_fileName);
    // The check covers the bytes this call wrote, whatever the stream held before.
    m_extracted = 0;
    const quint32 crc = extractEntry(archive, index, stream);
    if (m_checkCrc && crc != entry.crc)
        failIndex("File (%1) failed CRC check", index);
    return true;
}

void TZLBArchive::beginStep(const QString& text, qint64 total)
{
    m_stepText = text;
    m_stepTotal = total;
    m_stepCount = 0;
}

void TZLBArchive::advanceStep(qint64 count)
{
    m_stepCount += count;
    if (!OnProgress)
        return;
    const int percentage =
        m_stepTotal > 0 ? int(double(m_stepCount) * 100.0 / double(m_stepTotal) + 0.5) : 100;
    OnProgress(m_stepText, percentage);
}

void TZLBArchive::reportEnd(const QString& fileName)
{
    if (OnProgress)
        OnProgress(fileName, 0);
}

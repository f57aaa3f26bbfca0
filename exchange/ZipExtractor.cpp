#include "ZipExtractor.h"

#include <algorithm>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "ArchiveSupport.h"
#include "Cp1251.h"
#include "UserInterface.h"
#include "ZlibStream.h"

using namespace ArchiveSupport;
using namespace ZlibStream;

namespace {

constexpr qint64 kEndRecordSize = 22;
constexpr qint64 kSearchWindow = 65528;
constexpr qint64 kCentralHeaderSize = 46;
constexpr qint64 kLocalHeaderSize = 30;
constexpr qint64 kPiece = 64 * 1024;
constexpr quint16 kFlagDataDescriptor = 0x0008;
constexpr quint16 kFlagUtf8Names = 0x0800;
constexpr quint32 kDosReadOnly = 0x01;

const char kEndSignature[] = "PK\x05\x06";
const char kCentralSignature[] = "PK\x01\x02";
const char kLocalSignature[] = "PK\x03\x04";
const char kDescriptorSignature[] = "PK\x07\x08";

[[noreturn]] void fail(const char* text)
{
    throw EZipError(QString::fromLatin1(text));
}

[[noreturn]] void fail(const char* text, const QString& arg)
{
    throw EZipError(QString::fromLatin1(text).arg(arg));
}

bool hasSignature(const char* p, const char* signature)
{
    return std::memcmp(p, signature, 4) == 0;
}

// Names are stored in the DOS code page unless the entry marks them as UTF-8
// (as current tools do for names outside ASCII).
void setName(TZipEntry& entry, QByteArray raw)
{
    raw.replace('/', '\\');
    const QString text =
        (entry.flags & kFlagUtf8Names) ? Cp1251::fromUtf8(raw) : Cp1251::fromOem(raw);
    const qsizetype cut = text.lastIndexOf(QLatin1Char('\\'));
    entry.directory = text.left(cut + 1);
    entry.fileName = text.mid(cut + 1);
}

QString foldAscii(QString text)
{
    text.replace(QLatin1Char('/'), QLatin1Char('\\'));
    for (QChar& c : text) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() - 'A' + 'a');
    }
    return text;
}

// Position of the next signature at or after `from`, or -1.
qint64 findSignature(QFile& file, qint64 from, const char* signature)
{
    const QByteArray wanted(signature, 4);
    while (file.seek(from)) {
        const QByteArray chunk = file.read(kPiece);
        if (chunk.size() < 4)
            return -1;
        const qsizetype at = chunk.indexOf(wanted);
        if (at >= 0)
            return from + at;
        from += chunk.size() - 3;
    }
    return -1;
}

// Where a raw deflate stream starting at `start` ends, or -1 when it does not.
qint64 endOfDeflate(QFile& file, qint64 start)
{
    if (!file.seek(start))
        return -1;
    const InflateResult result = inflateData(
        Format::Raw, [&file](char* data, qint64 capacity) { return file.read(data, capacity); }, -1,
        [](const char*, qint64) {});
    return result.end == InflateEnd::StreamEnd ? start + result.consumed : -1;
}

// Reads the local header at `pos` as an entry; `next` is where the entry's data
// (and its data descriptor) end.
bool readLocalEntry(QFile& file, qint64 pos, TZipEntry& entry, qint64& next)
{
    char h[kLocalHeaderSize];
    if (pos > 0xFFFFFFFFLL || !file.seek(pos) || file.read(h, kLocalHeaderSize) != kLocalHeaderSize)
        return false;
    entry.flags = readLe16(h + 6);
    entry.method = readLe16(h + 8);
    entry.dosTime = readLe16(h + 10);
    entry.dosDate = readLe16(h + 12);
    entry.crc = readLe32(h + 14);
    entry.compressedSize = readLe32(h + 18);
    entry.uncompressedSize = readLe32(h + 22);
    entry.localHeaderOffset = quint32(pos);
    const qint64 nameLength = readLe16(h + 26);
    const QByteArray name = file.read(nameLength);
    if (name.size() != nameLength)
        return false;
    setName(entry, name);
    const qint64 dataStart = pos + kLocalHeaderSize + nameLength + readLe16(h + 28);
    if (dataStart > file.size())
        return false;
    if (!(entry.flags & kFlagDataDescriptor)) {
        next = dataStart + entry.compressedSize;
        return true;
    }

    // The sizes and the checksum follow the data, which must be walked to find its end.
    qint64 dataEnd = -1;
    if (entry.method == 8) {
        dataEnd = endOfDeflate(file, dataStart);
    } else {
        for (qint64 at = findSignature(file, dataStart, kDescriptorSignature); at >= 0;
             at = findSignature(file, at + 1, kDescriptorSignature)) {
            char d[12];
            if (file.seek(at + 4) && file.read(d, 12) == 12 && readLe32(d + 4) == at - dataStart) {
                dataEnd = at;
                break;
            }
        }
    }
    char d[16];
    if (dataEnd < 0 || !file.seek(dataEnd) || file.read(d, 16) < 12)
        return false;
    const char* fields = hasSignature(d, kDescriptorSignature) ? d + 4 : d;
    entry.crc = readLe32(fields);
    entry.compressedSize = readLe32(fields + 4);
    entry.uncompressedSize = readLe32(fields + 8);
    next = dataEnd + (fields - d) + 12;
    return true;
}

// A file about to be replaced may have been left read-only by an earlier extraction.
void makeWritable(const QString& path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner |
                                    QFileDevice::WriteUser);
}

} // namespace

void TZipExtractor::setZipName(const QString& name)
{
    m_zipName = name;
    m_entries.clear();
    m_directoryRead = false;
}

void TZipExtractor::setDestDir(const QString& dir)
{
    m_destDir = dir;
    if (m_destDir.size() > 1 &&
        (m_destDir.endsWith(QLatin1Char('\\')) || m_destDir.endsWith(QLatin1Char('/'))))
        m_destDir.chop(1);
}

const std::vector<TZipEntry>& TZipExtractor::Entries()
{
    if (!m_directoryRead)
        readDirectory();
    return m_entries;
}

void TZipExtractor::readDirectory()
{
    m_entries.clear();
    QFile file(m_zipName);
    if (!file.open(QIODevice::ReadOnly))
        fail("Unable to open file (%1)", m_zipName);
    const qint64 size = file.size();
    if (size < kEndRecordSize)
        fail("Incomplete Zip File");
    const qint64 window = std::min(size, kSearchWindow);
    if (!file.seek(size - window))
        fail("Incomplete Zip File");
    const QByteArray tail = file.read(window);
    if (tail.size() != window)
        fail("Incomplete Zip File");
    qint64 found = -1;
    for (qint64 p = window - kEndRecordSize; p >= 0; --p) {
        if (hasSignature(tail.constData() + p, kEndSignature)) {
            found = p;
            break;
        }
    }
    if (found < 0)
        fail("Incomplete Zip File");
    const char* record = tail.constData() + found;
    const int count = readLe16(record + 10);
    const qint64 directoryOffset = readLe32(record + 16);
    if (count > m_maxEntries)
        throw EArchiveLimit(tooManyEntriesText(count, m_maxEntries));

    if (count > 0 && !readCentralDirectory(file, directoryOffset, count)) {
        // The directory is not where the end record says (data before the
        // archive, or a damaged directory): list the local headers instead.
        m_entries.clear();
        scanLocalHeaders(file);
        if (m_entries.empty())
            fail("Not a valid zip file!");
    }
    checkSeparateData();
    m_directoryRead = true;
}

void TZipExtractor::checkSeparateData() const
{
    // Each entry's header and data end before the next entry's header:
    // entries sharing data would let a small archive write the same bytes
    // over and over.
    std::vector<std::pair<qint64, qint64>> spans;
    spans.reserve(m_entries.size());
    for (const TZipEntry& entry : m_entries) {
        const qint64 start = entry.localHeaderOffset;
        spans.emplace_back(start, start + kLocalHeaderSize + entry.compressedSize);
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i) {
        if (spans[i - 1].second > spans[i].first)
            fail("Not a valid zip file!");
    }
}

bool TZipExtractor::readCentralDirectory(QFile& file, qint64 offset, int count)
{
    const qint64 size = file.size();
    if (!file.seek(offset))
        return false;
    for (int i = 0; i < count; ++i) {
        char h[kCentralHeaderSize];
        if (file.read(h, kCentralHeaderSize) != kCentralHeaderSize ||
            !hasSignature(h, kCentralSignature))
            return false;
        TZipEntry entry;
        entry.versionMadeBy = readLe16(h + 4);
        entry.flags = readLe16(h + 8);
        entry.method = readLe16(h + 10);
        entry.dosTime = readLe16(h + 12);
        entry.dosDate = readLe16(h + 14);
        entry.crc = readLe32(h + 16);
        entry.compressedSize = readLe32(h + 20);
        entry.uncompressedSize = readLe32(h + 24);
        const qint64 nameLength = readLe16(h + 28);
        const qint64 skip = qint64(readLe16(h + 30)) + readLe16(h + 32);
        entry.externalAttributes = readLe32(h + 38);
        entry.localHeaderOffset = readLe32(h + 42);
        const QByteArray name = file.read(nameLength);
        if (name.size() != nameLength || file.pos() + skip > size || !file.seek(file.pos() + skip))
            return false;
        setName(entry, name);
        m_entries.push_back(entry);
    }
    return true;
}

void TZipExtractor::scanLocalHeaders(QFile& file)
{
    qint64 pos = 0;
    while ((pos = findSignature(file, pos, kLocalSignature)) >= 0) {
        TZipEntry entry;
        qint64 next = 0;
        if (readLocalEntry(file, pos, entry, next) && next > pos) {
            if (qsizetype(m_entries.size()) >= m_maxEntries)
                throw EArchiveLimit(tooManyEntriesText(qint64(m_entries.size()) + 1, m_maxEntries));
            m_entries.push_back(entry);
            pos = next;
        } else {
            pos += 4;
        }
    }
}

bool TZipExtractor::isSelected(const TZipEntry& entry) const
{
    if (entry.fileName.isEmpty())
        return false;
    if (m_doAll)
        return true;
    const QString name = foldAscii(entry.directory + entry.fileName);
    return std::any_of(m_filesList.begin(), m_filesList.end(),
                       [&name](const QString& wanted) { return foldAscii(wanted) == name; });
}

int TZipExtractor::UnZip()
{
    Entries();
    QFile archive(m_zipName);
    if (!archive.open(QIODevice::ReadOnly))
        fail("Unable to open file (%1)", m_zipName);
    int extracted = 0;
    m_extracted = 0;
    m_unknownMethodFound = false;
    for (const TZipEntry& entry : m_entries) {
        if (isSelected(entry) && extractOne(archive, entry))
            ++extracted;
    }
    if (m_unknownMethodFound) {
        userInterface().showInformation(QStringLiteral("Zip Error"),
                                        QStringLiteral("Unknown Compression Method"));
    }
    return extracted;
}

bool TZipExtractor::extractOne(QFile& archive, const TZipEntry& entry)
{
    // Flat extraction keeps only the bare name, so no entry can reach outside DestDir.
    const QString bare = bareName(entry.fileName);
    if (isSkippedName(bare) || (!m_recreateDirs && hasControlCharacters(bare)))
        return false;
    QString target;
    if (m_recreateDirs) {
        const QString relative = entry.directory + entry.fileName;
        if (isUnsafeRelativePath(relative))
            fail("Unsafe path in archive (%1)", relative);
        target = joinUnder(m_destDir, relative);
        QDir().mkpath(QFileInfo(target).absolutePath());
    } else {
        target = joinUnder(m_destDir, bare);
    }

    const bool exists = QFileInfo::exists(target);
    if (exists) {
        if (m_overwriteMode == TOverwriteMode::Never)
            return false;
        if (m_overwriteMode == TOverwriteMode::Prompt && !userInterface().replaceFile(target))
            return false;
    }
    // An entry that cannot be extracted leaves its file missing, not an older copy.
    const auto dropTarget = [&target, exists] {
        if (exists) {
            makeWritable(target);
            QFile::remove(target);
        }
    };
    if (entry.encrypted()) {
        dropTarget();
        return false;
    }
    if (entry.method != 0 && entry.method != 8) {
        dropTarget();
        m_unknownMethodFound = true;
        return false;
    }

    char header[kLocalHeaderSize];
    if (!archive.seek(entry.localHeaderOffset) ||
        archive.read(header, kLocalHeaderSize) != kLocalHeaderSize)
        fail("Premature end of file reached");
    if (!hasSignature(header, kLocalSignature))
        fail("Not a valid zip file!");
    const qint64 dataStart = qint64(entry.localHeaderOffset) + kLocalHeaderSize +
                             readLe16(header + 26) + readLe16(header + 28);
    if (!archive.seek(dataStart))
        fail("Premature end of file reached");

    if (exists)
        makeWritable(target);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        fail("Unable to open file (%1)", target);

    const qint64 limit = entry.uncompressedSize;
    qint64 written = 0;
    quint32 crc = crcInit();
    const auto deliver = [&](const char* data, qint64 length) {
        length = std::min(length, limit - written);
        if (length <= 0)
            return;
        if (m_maxExtractSize >= 0 && m_extracted + length > m_maxExtractSize)
            throw EArchiveLimit(tooMuchDataText(m_maxExtractSize));
        m_extracted += length;
        if (out.write(data, length) != length)
            fail("Unable to write file (%1)", target);
        crc = crcUpdate(crc, data, length);
        written += length;
    };

    qint64 remaining = entry.compressedSize;
    char in[kPiece];
    bool dataOk = true;
    if (entry.method == 0) {
        while (remaining > 0 && written < limit) {
            const qint64 got = archive.read(in, std::min(kPiece, remaining));
            if (got <= 0)
                fail("Premature end of file reached");
            remaining -= got;
            deliver(in, got);
        }
    } else {
        const auto read = [&archive, &remaining](char* data, qint64 capacity) {
            const qint64 got =
                remaining > 0 ? archive.read(data, std::min(capacity, remaining)) : 0;
            remaining -= std::max<qint64>(got, 0);
            return got;
        };
        const InflateResult result = inflateData(Format::Raw, read, limit, deliver);
        if (result.end == InflateEnd::InputEnded)
            fail("Premature end of file reached");
        dataOk = result.end != InflateEnd::Corrupt;
    }

    if (!dataOk || crc != entry.crc) {
        out.cancelWriting();
        dropTarget();
        return false;
    }
    if (!out.commit())
        fail("Unable to write file (%1)", target);
    setDosFileTime(target, entry.dosDate, entry.dosTime);
    if (entry.externalAttributes & kDosReadOnly) {
        QFile::setPermissions(target, QFile::permissions(target) &
                                          ~(QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                            QFileDevice::WriteGroup | QFileDevice::WriteOther));
    }
    return true;
}

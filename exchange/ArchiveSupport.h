#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "Errors.h"

class QIODevice;

// An archive, or a file from one, larger than the program accepts: the
// message says which limit was reached.
class EArchiveLimit : public F2tpError
{
public:
    using F2tpError::F2tpError;
};

// Byte, checksum and path helpers shared by the ZLB and ZIP readers.
namespace ArchiveSupport {

// The most entries an archive's file list may hold. An exchange set has a
// dozen files; the limit keeps a crafted list from filling the memory.
constexpr int kMaxEntries = 1024;

// "64 КБ", "3 МБ" or "100 байт".
QString sizeText(qint64 bytes);
// The messages of EArchiveLimit.
QString tooManyEntriesText(qint64 count, qint64 limit);
QString tooMuchDataText(qint64 limit);
QString fileTooLargeText(const QString& fileName, qint64 limit);

quint16 readLe16(const char* p);
quint32 readLe32(const char* p);
void appendLe32(QByteArray& bytes, quint32 value);

// CRC-32 of ISO 3309 (zlib's crc32); start with crcInit() and feed pieces in order.
quint32 crcInit();
quint32 crcUpdate(quint32 crc, const char* data, qint64 length);

// The last part of an archive name: what follows its last "/", "\" or ":".
QString bareName(const QString& name);

// Names that never become a file: empty, "." and "..".
bool isSkippedName(const QString& bareName);

// True when the name holds a control character (NUL included), which no file
// name may hold on Windows and which cannot pass through the file system calls.
bool hasControlCharacters(const QString& name);

// True when a relative path from an archive could leave the folder it is joined
// to: a ".." part, or a ":" (a drive, or a stream name on Windows). A leading
// separator is harmless, as the path is always appended to a destination folder.
bool isUnsafeRelativePath(const QString& path);

// Both separators become "/", runs of them collapse to one (a leading "//" of a
// network path is kept), and a trailing one is removed.
QString normalizePath(const QString& path);

// The relative path from an archive below dir, normalised as above. An empty
// dir is the current folder (never the root of the file system).
QString joinUnder(const QString& dir, const QString& relative);

// Sets the file's modification time from a DOS date and time (local time);
// an invalid stamp is ignored. Returns false when the file cannot be touched.
bool setDosFileTime(const QString& fileName, quint16 dosDate, quint16 dosTime);

} // namespace ArchiveSupport

#pragma once

#include <vector>

#include <QString>
#include <QStringList>

#include "ArchiveSupport.h"
#include "Errors.h"

class QFile;

// Every error of the ZIP reader that ends an extraction.
class EZipError : public F2tpError
{
public:
    using F2tpError::F2tpError;
};

// One entry as read from the central directory (or, failing that, from its
// local header). Names use "\" between folders.
struct TZipEntry
{
    quint16 versionMadeBy = 0;
    quint16 flags = 0;
    quint16 method = 0;
    quint16 dosTime = 0;
    quint16 dosDate = 0;
    quint32 crc = 0;
    quint32 compressedSize = 0;
    quint32 uncompressedSize = 0;
    quint32 externalAttributes = 0;
    quint32 localHeaderOffset = 0;
    QString directory; // ends with "\" when not empty
    QString fileName;  // empty for a stored folder

    bool encrypted() const { return (flags & 0x0001) != 0; }
};

// Extracts files from a ZIP archive (methods stored and deflate, no
// password); the program never writes ZIP archives.
class TZipExtractor
{
public:
    enum class TOverwriteMode
    {
        Prompt,
        Always,
        Never
    };

    TZipExtractor() = default;
    TZipExtractor(const TZipExtractor&) = delete;
    TZipExtractor& operator=(const TZipExtractor&) = delete;

    const QString& ZipName() const { return m_zipName; }
    // A new name discards everything read from the previous archive.
    void setZipName(const QString& name);
    const QString& DestDir() const { return m_destDir; }
    void setDestDir(const QString& dir);
    QStringList& FilesList() { return m_filesList; }
    void setFilesList(const QStringList& names) { m_filesList = names; }
    bool DoAll() const { return m_doAll; }
    void setDoAll(bool on) { m_doAll = on; }
    bool RecreateDirs() const { return m_recreateDirs; }
    void setRecreateDirs(bool on) { m_recreateDirs = on; }
    TOverwriteMode OverwriteMode() const { return m_overwriteMode; }
    void setOverwriteMode(TOverwriteMode mode) { m_overwriteMode = mode; }

    // The most entries an archive may list; reading a longer list fails.
    int MaxEntries() const { return m_maxEntries; }
    void setMaxEntries(int count) { m_maxEntries = count; }
    // The most bytes one UnZip may write, all files together; negative: no
    // limit. Reaching it fails the extraction and leaves no partial file.
    qint64 MaxExtractSize() const { return m_maxExtractSize; }
    void setMaxExtractSize(qint64 bytes) { m_maxExtractSize = bytes; }

    // The archive's entries, reading its directory on first use.
    const std::vector<TZipEntry>& Entries();

    // Extracts the selected entries into DestDir; returns the number of files
    // written. Entries of an unknown method are told of once, in one message.
    int UnZip();

private:
    void readDirectory();
    bool readCentralDirectory(QFile& file, qint64 offset, int count);
    void scanLocalHeaders(QFile& file);
    void checkSeparateData() const;
    bool isSelected(const TZipEntry& entry) const;
    bool extractOne(QFile& archive, const TZipEntry& entry);

    QString m_zipName;
    QString m_destDir;
    QStringList m_filesList;
    bool m_doAll = false;
    bool m_recreateDirs = false;
    TOverwriteMode m_overwriteMode = TOverwriteMode::Always;

    int m_maxEntries = ArchiveSupport::kMaxEntries;
    qint64 m_maxExtractSize = -1;

    bool m_directoryRead = false;
    std::vector<TZipEntry> m_entries;
    qint64 m_extracted = 0;
    bool m_unknownMethodFound = false;
};

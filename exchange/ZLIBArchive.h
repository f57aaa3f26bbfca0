#pragma once

#include <functional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "ArchiveSupport.h"
#include "Errors.h"

class QFile;
class QIODevice;

// Every failure of the ZLB archive component.
class EZLBArchiveError : public F2tpError
{
public:
    using F2tpError::F2tpError;
};

// zlib levels 0, 1, its default and 9.
enum class TFileCompressionLevel
{
    fcNone,
    fcFastest,
    fcDefault,
    fcMaximum
};

// One 532-byte entry record of the registry. Names are kept as the
// Windows-1251 bytes of the file, at most 255 of them.
struct TZLBEntry
{
    static constexpr int RecordSize = 532;

    QByteArray fileName;
    QByteArray directory; // ends with "\" when not empty
    quint32 size = 0;
    quint32 blockLength = 0;
    quint32 offset = 0;
    quint32 crc = 0;
    bool stored = false;
    quint8 level = 0;

    QString name() const;
    QString dirPart() const;
    QByteArray toRecord() const;
    static TZLBEntry fromRecord(const char* record);
};

// The last 36 bytes of an archive file.
struct TZLBTrailer
{
    static constexpr int Size = 36;

    quint32 crc = 0;
    quint32 count = 0;
    quint32 constant = 1;
    quint32 registryLength = 0;
    quint32 registryOffset = 0;
    bool registryCompressed = false;

    QByteArray toBytes() const;
    static TZLBTrailer fromBytes(const char* bytes);
};

// Creates, reads and extracts archives of the program's own format: the data
// blocks of the files, then the registry of entry records (a zlib stream, or the
// raw records), then the trailer. Each operation opens the archive file itself
// and closes it before returning; no handle is held between operations.
class TZLBArchive
{
public:
    using ProgressEvent = std::function<void(const QString& msg, int percentage)>;
    using FileExtractedEvent = std::function<void(const QString& fileName)>;
    using ArchiveOpenedEvent = std::function<void(TZLBArchive& sender)>;

    TZLBArchive() = default;
    virtual ~TZLBArchive();
    TZLBArchive(const TZLBArchive&) = delete;
    TZLBArchive& operator=(const TZLBArchive&) = delete;

    TFileCompressionLevel CompressionLevel() const { return m_compressionLevel; }
    void setCompressionLevel(TFileCompressionLevel level) { m_compressionLevel = level; }
    bool ExtractWithPath() const { return m_extractWithPath; }
    void setExtractWithPath(bool on) { m_extractWithPath = on; }
    bool CheckCRC() const { return m_checkCrc; }
    void setCheckCRC(bool on) { m_checkCrc = on; }
    bool SavePaths() const { return m_savePaths; }
    void setSavePaths(bool on) { m_savePaths = on; }
    bool RecursePaths() const { return m_recursePaths; }
    void setRecursePaths(bool on) { m_recursePaths = on; }

    // On, the installed user interface is asked before an existing file is
    // replaced and told of files that could not be added. Off (the default, as
    // the export and the import use it) nothing is asked and existing files
    // are replaced.
    bool ReportToUser() const { return m_reportToUser; }
    void setReportToUser(bool on) { m_reportToUser = on; }

    // The most entries an archive may list; opening a longer list fails
    // before it is read.
    int MaxEntries() const { return m_maxEntries; }
    void setMaxEntries(int count) { m_maxEntries = count; }
    // The most bytes one extraction (one call) may write, all files together;
    // negative: no limit. Reaching it fails the extraction and leaves no
    // partial file.
    qint64 MaxExtractSize() const { return m_maxExtractSize; }
    void setMaxExtractSize(qint64 bytes) { m_maxExtractSize = bytes; }

    ProgressEvent OnProgress;
    FileExtractedEvent OnFileExtracted;
    ArchiveOpenedEvent OnArchiveOpened;

    // The archive file name; empty while closed.
    const QString& FileName() const { return m_fileName; }
    bool IsOpen() const { return !m_fileName.isEmpty(); }
    const TZLBTrailer& Trailer() const { return m_trailer; }

    void CreateArchive(const QString& fileName);
    bool OpenArchive(const QString& fileName);
    void CloseArchive();

    int EntryCount() const;
    TZLBEntry GetEntry(int index) const;
    int FindEntry(const QString& archiveName) const;

    // Adds the files (consuming the list) and rewrites the archive file. The old
    // file is replaced only by a complete new one; when the new one cannot be
    // written the old one stays as it was and the error reaches the caller.
    void AddFiles(QStringList& fileList);

    void ExtractAll(const QString& destDir);
    void ExtractFile(const QString& destDir, const QString& fileName);
    // Extracts only the named files, each as ExtractAll would leave it (of
    // several entries of one name, the last); names the archive does not
    // hold are passed over. Names compare as in FindEntry.
    void ExtractFiles(const QString& destDir, const QStringList& fileNames);
    bool ExtractToStream(int index, QIODevice& stream);

protected:
    // Appends every file below dir (hidden and system ones too) to list.
    virtual void ScanDirectory(const QString& dir, QStringList& list);

private:
    struct Target
    {
        QString dir;
        QString path;
    };

    void requireOpen() const;
    void readArchive(QFile& file);
    bool readRegistry(QFile& file, qint64 fileSize, const TZLBTrailer& trailer);
    bool findBlockEnds(const TZLBTrailer& trailer);
    void extractEntries(const QString& destDir, const std::vector<int>& indices);
    int indexOf(const QByteArray& wanted) const;
    bool targetFor(const QString& destDir, const TZLBEntry& entry, Target& target) const;
    bool mayWrite(const QString& path) const;
    quint32 extractEntry(QFile& archive, int index, QIODevice& out);
    bool addOne(const QString& file, QIODevice& out, qint64& position, quint32& crc);
    void writeRegistry(QIODevice& out, qint64& position, quint32& crc);

    void beginStep(const QString& text, qint64 total);
    void advanceStep(qint64 count);
    void reportEnd(const QString& fileName);

    TFileCompressionLevel m_compressionLevel = TFileCompressionLevel::fcDefault;
    bool m_extractWithPath = false;
    bool m_checkCrc = false;
    bool m_savePaths = false;
    bool m_recursePaths = false;
    bool m_reportToUser = false;

    QString m_fileName;
    bool m_isNew = false;
    std::vector<TZLBEntry> m_entries;
    // Where each entry's data block must end: at the next block or the registry.
    std::vector<qint64> m_blockEnds;
    int m_maxEntries = ArchiveSupport::kMaxEntries;
    qint64 m_maxExtractSize = -1;
    qint64 m_extracted = 0;
    TZLBTrailer m_trailer;

    QString m_stepText;
    qint64 m_stepTotal = 0;
    qint64 m_stepCount = 0;
};

#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <QString>
#include <QtGlobal>

#include "ImportManifest.h"

class TDM;
class TDataPacket;
class TField;
class TImportTransaction;
class TozMemoryData;

// The import of an exchange set without its window: the source the user
// names (a manifest "TableList.inf", a ZLB archive ".zlb" or ".vlt", a ZIP
// archive ".zip"), its manifest, and the merge of every data packet file the
// manifest lists into its table of the data module, by the table's rule. The
// window binds its edit box, labels and buttons to one of these; f2tp-cli
// drives one the same way.
//
// Questions, messages and progress go through the installed user interface.
// Archives are unpacked into a scratch folder private to each run and removed
// with it; the files of a bare manifest's folder stay where they are. An
// import that fails, or that the user aborts, changes nothing: every working
// file and every table in memory is put back as it was, and the error says
// so. An import that succeeds saves every table it changed.
class TXmlImport final
{
public:
    enum class TSourceKind
    {
        Manifest,
        ZlbArchive,
        ZipArchive,
        Unknown
    };

    // The most bytes the files of one set may take unpacked, all together.
    static constexpr qint64 MaxSetSize = 64LL * 1024 * 1024;

    explicit TXmlImport(TDM& dm);
    ~TXmlImport();
    Q_DISABLE_COPY_MOVE(TXmlImport)

    // By the upper-cased extension of the trimmed path: ".INF", ".ZLB" or
    // ".VLT", ".ZIP".
    static TSourceKind SourceKind(const QString& path);
    // The message that replaces every error of reading a source's manifest.
    static QString BadSourceText();
    // What follows the error of a failed import.
    static QString NothingImportedText();

    // The source as typed or chosen; setting it marks it changed.
    const QString& path() const { return m_path; }
    void setPath(const QString& path);
    bool pathChanged() const { return m_pathChanged; }

    // Reads the manifest of a changed source (nothing otherwise). Any failure,
    // a code other than 35, 39 and 535 and a table file named with a folder
    // included, empties the manifest and fails with BadSourceText() (followed
    // by the limit, when a manifest or an archive is too large).
    void LoadManifest();
    const TImportManifest& manifest() const { return m_manifest; }
    // The window's caption: "Загрузка данных " until a manifest was read,
    // then "Импорт - " and the manifest's Caption.
    const QString& caption() const { return m_caption; }
    // The manifest's Label, shown above the source.
    const QString& label() const { return m_label; }
    // "Импорт" is enabled: a source is named and its manifest lists a table.
    bool ImportEnabled() const;

    // The action "Импорт": merges every listed table, saves, fills in the
    // region's name and tells "Перенос данных закончен". Returns false when
    // there was no manifest to import. A failure (a table's error carries
    // "Таблица <file> " and CR LF before its text) leaves the report as it
    // was and fails with the error followed by NothingImportedText().
    bool ImportData();

    // After each table merged, with its file name and the table's name.
    std::function<void(const QString& fileName, const QString& tableName)> OnTableImported;

private:
    void readManifest(TSourceKind kind, const QString& path);
    void unpack(const QString& folder);
    void importTables();
    void importOne(const QString& fileName, const QString& rule, int code);
    bool ImportTable(const QString& fileName, const QString& rule);
    bool ImportB0308(const QString& fileName, const QString& rule);
    void saveTables();
    void fillRegionName();

    TozMemoryData* targetTable(const QString& fileName) const;
    // Opens the packet of the table: the common first steps of both imports.
    void openPacket(TDataPacket& packet, TozMemoryData& table, const QString& fileName);
    // Mode 1 edits the record the keys locate, other modes append one.
    void startRow(TozMemoryData& table, const TImportRule& rule, const TDataPacket& packet);
    // The value as text; on an error the user is asked (false: skipped).
    bool assign(TField& field, const QString& text);
    void postRow(TozMemoryData& table);
    // Whether to skip past the error: asked unless "Пропустить все" was answered.
    bool skipError(const std::exception_ptr& error);

    TDM& m_dm;
    QString m_path;
    bool m_pathChanged = false;
    TSourceKind m_kind = TSourceKind::Unknown;
    QString m_sourceFolder;
    TImportManifest m_manifest;
    QString m_caption;
    QString m_label;
    bool m_skipAll = false;
    TImportTransaction* m_transaction = nullptr; // while ImportData runs
};

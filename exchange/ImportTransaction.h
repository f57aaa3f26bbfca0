#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QList>
#include <QString>

class TozMemoryData;

// Keeps what an import may change, so that an import that fails changes
// nothing: the working file of every table it may write (its bytes, or that
// there was none) and, from the moment the import first touches a table, that
// table in memory (records, change flag, permissions, read-only columns,
// current row, open or closed). Unless committed, the destructor puts it all
// back; rollback() does so explicitly and reports a failure. The files come
// back as one change: a rollback cut off by a crash is finished at the next
// start.
//
// The tables must outlive the transaction. The scratch folder (owned by the
// caller, private to this import) holds the copies of the touched tables.
class TImportTransaction final
{
public:
    TImportTransaction(const std::vector<TozMemoryData*>& tables, const QString& scratchDir);
    ~TImportTransaction();
    Q_DISABLE_COPY_MOVE(TImportTransaction)

    // Call before the table changes in memory, also before it is opened. A
    // pending edit of the table is posted first, as at every save point.
    void touch(TozMemoryData& table);
    // The import succeeded: nothing is put back.
    void commit() { m_done = true; }
    // Puts back every file and every touched table; tries them all and fails
    // with the first error (F2tpError).
    void rollback();

private:
    struct FileCopy
    {
        QString path;
        std::optional<QByteArray> bytes; // nullopt: there was no file
    };
    struct TableCopy
    {
        TozMemoryData* table = nullptr;
        bool active = false;
        bool changed = false;
        bool canEdit = true;
        bool canInsert = true;
        bool canDelete = true;
        QList<bool> readOnly;
        int recNo = 0;
        int recordCount = 0;
        QString packet; // the records as a data packet file
    };

    // Every changed file back as one change (TSaveJournal).
    void restoreFiles() const;
    void restoreTable(const TableCopy& copy) const;

    QString m_scratchDir;
    std::vector<FileCopy> m_files;
    std::vector<TableCopy> m_tables;
    bool m_done = false;
};

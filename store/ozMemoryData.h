#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QString>

#include "ozDataSet.h"
#include "ozRowLayout.h"

class TozMemoryData;
class TBlobField;
class TLocateKeys;

// One stored record. Belongs to exactly one table; ID is given at creation and
// never changes. Index is the position in the table's record list; setting it
// moves the record there.
class TozMemoryRecord
{
public:
    TozMemoryRecord(TozMemoryData& owner, qint32 id, TozRow row);
    Q_DISABLE_COPY_MOVE(TozMemoryRecord)

    qint32 ID() const { return m_id; }
    int Index() const;
    void setIndex(int index);
    // The stored values, one per field definition (null = no value); blob
    // values are QByteArray. Made from the compact row on each call.
    QVariantList values() const;
    QVariant value(int field) const;
    // The values as stored, read through the table's rowLayout().
    const TozRow& row() const { return m_row; }
    void setRow(TozRow row) { m_row = std::move(row); }

private:
    TozMemoryData& m_owner;
    qint32 m_id;
    TozRow m_row;
};

// The program's table: every record in memory, persisted to one data packet
// file (FileName) read at open and written on request (SaveIfModified). A file
// that cannot be read fails open with the reader's message preceded by the
// file's path (FileErrorText); the rows read before the failure stay.
//
// Permission switches CanEdit/CanInsert/CanDelete refuse silently (EAbort)
// except while a file is being read. PostAfterEdit makes each text entry
// into a field post at once and re-enter edit state. Posted records stay where
// posting puts them; SortByFields reorders once. The change flag records posts
// and deletes since the file was last read or written.
class TozMemoryData : public TDataSet
{
public:
    explicit TozMemoryData(const QString& name = QString());
    ~TozMemoryData() override;

    QString FileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    QString SortFields() const { return m_sortFieldsText; }
    void setSortFields(const QString& names) { m_sortFieldsText = names; }
    bool CanEdit() const { return m_canEdit; }
    void setCanEdit(bool value) { m_canEdit = value; }
    bool CanInsert() const { return m_canInsert; }
    void setCanInsert(bool value) { m_canInsert = value; }
    bool CanDelete() const { return m_canDelete; }
    void setCanDelete(bool value) { m_canDelete = value; }
    bool PostAfterEdit() const { return m_postAfterEdit; }
    void setPostAfterEdit(bool value) { m_postAfterEdit = value; }
    int Capacity() const;
    void setCapacity(int value);

    // Records were posted or deleted since the file was last read or written.
    bool changed() const { return m_changed; }
    void setChanged(bool value) { m_changed = value; }
    // Set while ReadFromFile runs.
    bool loading() const { return m_loading; }

    // Writes every record to FileName when open, FileName set and changed.
    // On failure the previous file stays and the change flag stays set.
    void SaveIfModified();
    // Writes the records visible under the filter; the change flag is untouched.
    void WriteToFile(const QString& fileName);
    // Appends the rows of a data packet file (empty name: FileName).
    void ReadFromFile(const QString& fileName = QString());
    // Removes every record at once: no events, no permission check, change flag untouched.
    void ClearRecords();
    // Removes every record as ClearRecords does and marks the table changed:
    // a table emptied to be refilled is saved, also when it stays empty.
    void EmptyTable();
    // Reorders the record list by the fields (";"-separated); ties by ID.
    void SortByFields(const QString& fieldNames, bool caseInsensitive = true,
                      bool descending = false);

    bool locate(const QString& keyFields, const QVariant& keyValues,
                TLocateOptions options = {}) override;
    QVariant lookup(const QString& keyFields, const QVariant& keyValues,
                    const QString& resultFields) override;

    int recordCount() const override { return int(m_records.size()); }
    int recNo() const override;
    void setRecNo(int value) override;
    bool bookmarkValid(const TBookmark& bookmark) const override;
    // Sequenced (record numbers usable for scroll bars) exactly when not filtered.
    bool isSequenced() const { return !filtered(); }

    // Direct access to the stored records in list order (read-only use).
    const TozMemoryRecord& record(int index) const { return *m_records.at(std::size_t(index)); }
    // The position in the record list (-1 before the first, recordCount() after the last).
    int position() const { return m_pos; }
    // How the records' values are laid out; set when the table opens.
    const TozRowLayout& rowLayout() const { return m_layout; }

    // Rows of a file appended straight into storage, for the packet reader.
    // Allowed only where nothing could tell it from Append and Post of each
    // row: browse state, inserting permitted, no insert, post, cancel or
    // scroll events, no calculated fields, no filter handler, no
    // auto-increment field. appendRow is then Append + Post of a record with
    // the row's values; endAppendRows puts the cursor on the last record, as
    // after its post (also after a failed row).
    bool canAppendRows() const;
    void appendRow(TozRow row);
    void endAppendRows();
    // Whether a writer may read record(i).row() in list order instead of
    // walking with first/next: browse state, no scroll events, no calculated
    // fields, no filter handler. A walk would then give the same rows and fire
    // nothing.
    bool canReadRowsDirectly() const;
    // Whether Locate and Lookup may search the stored rows instead of walking
    // the cursor: as canReadRowsDirectly, and no grid buffer shown. The
    // cursor then ends where the walk would leave it, with the same
    // notifications, and nothing else could tell the two apart.
    bool canSearchRowsDirectly() const;

    TRecordBuffer* activeBuffer() override { return ActiveRecordBuffer(); }

protected:
    virtual TRecordBuffer* ActiveRecordBuffer();
    virtual void StoreRecord(const TRecordBuffer& buffer, int index);
    virtual void AssignAutoIncValues(TRecordBuffer& buffer);
    virtual int CompareForSort(const TozMemoryRecord& a, const TozMemoryRecord& b) const;

    void internalOpen() override;
    void internalAfterOpen() override;
    void internalClose() override;
    void internalFirst() override;
    void internalLast() override;
    bool getRecord(TGetMode mode) override;
    void internalInsert(bool append) override;
    void internalEdit() override;
    void internalPost() override;
    void internalCancel(bool inserting) override;
    void internalDelete() override;
    void internalAfterDelete() override;
    void invalidateRows() override { m_visible.reset(); }
    bool internalGotoId(qint32 id) override;
    void resync() override;
    bool filterAccepts(int recordIndex) override;
    void permissionCheck(TDataSetState target) override;
    int storedVisibleCount() override;
    int storedCurrentVisibleRow() override;
    bool storedReadVisibleRow(int row, TRecordBuffer& buffer) override;

private:
    friend class TozMemoryRecord;
    friend class TozMemBlobStream;

    int indexOfId(qint32 id) const;
    void copyToCurrent(int index);
    void postAfterEditText(TField& field, const QString& text);
    void attachPostAfterEdit();
    void resetAfterEmpty();
    const std::vector<int>& visibleIndexes();

    bool hasScrollOrFilterHandlers() const;
    int sortDefIndex(int k) const;

    // The first record in list order whose stored values match; -1 when none.
    int findRow(const TLocateKeys& keys, const QList<int>& defs);
    bool locateStored(const TLocateKeys& keys, const QList<int>& defs);
    QVariant lookupStored(const TLocateKeys& keys, const QList<int>& defs,
                          const QString& resultFields);
    QList<int> storedIndexes(const TLocateKeys& keys) const;
    QVariant storedValues(const TozMemoryRecord& record, const QList<TField*>& fields) const;
    // Back on the current record as after returning to its bookmark.
    void returnToCurrent();
    // Drops the key index after a change of the records it covers.
    void dropKeyIndex();

    // Where each value of one stored field first occurs in the record list,
    // for searches repeated on the same key (a classifier by its code).
    // Built on demand and dropped when records are added, removed, reordered
    // or the field's value of a record changes.
    struct KeyIndex;
    std::unique_ptr<KeyIndex> m_keyIndex;
    const KeyIndex* keyIndexFor(const TLocateKeys& keys, int def);

    std::vector<std::unique_ptr<TozMemoryRecord>> m_records;
    TozRowLayout m_layout;
    QString m_fileName;
    QString m_sortFieldsText;
    bool m_canEdit = true;
    bool m_canInsert = true;
    bool m_canDelete = true;
    bool m_postAfterEdit = false;
    bool m_changed = false;
    bool m_loading = false;
    int m_pos = -1;
    int m_insertPos = -1;
    qint32 m_lastId = NoRecordId;
    qint32 m_autoInc = 1;
    QList<TField*> m_sortFields;
    // The definition index of each sort field, worked out when the order is set.
    QList<int> m_sortDefs;
    bool m_sortCaseInsensitive = true;
    bool m_sortDescending = false;
    std::optional<std::vector<int>> m_visible;
};

// A stream over one blob field of the current record. Opened for reading,
// writing (empties the value first) or both. Writing needs edit or insert
// state and a writable field; closing a written stream marks the field
// modified and notifies (an error there goes to the application's error display).
class TozMemBlobStream
{
public:
    enum class Mode
    {
        Read,
        Write,
        ReadWrite
    };
    enum class Origin
    {
        Begin,
        Current,
        End
    };

    TozMemBlobStream(TBlobField& field, Mode mode);
    ~TozMemBlobStream();
    Q_DISABLE_COPY_MOVE(TozMemBlobStream)

    qint64 read(char* data, qint64 count);
    QByteArray readAll();
    qint64 write(const char* data, qint64 count);
    qint64 write(const QByteArray& bytes) { return write(bytes.constData(), bytes.size()); }
    qint64 seek(qint64 offset, Origin origin = Origin::Begin);
    qint64 size() const;
    qint64 position() const { return m_position; }
    bool modified() const { return m_modified; }
    void close();

private:
    QByteArray& bytes() const;

    TBlobField& m_field;
    Mode m_mode;
    TRecordBuffer* m_buffer = nullptr;
    qint64 m_position = 0;
    bool m_modified = false;
    bool m_open = true;
};

#pragma once

#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QFlags>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>
#include <QtGlobal>

#include "ozField.h"

class TDataSet;

enum class TDataSetState
{
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsCalcFields,
    dsFilter
};

enum class TLocateOption
{
    loCaseInsensitive = 1,
    loPartialKey = 2
};
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

// A record's bookmark is its ID; empty when no record is shown.
using TBookmark = std::optional<qint32>;

// The ID that stands for no record.
inline constexpr qint32 NoRecordId = INT_MIN;

// One record's values as a buffer: the stored part (one value per field
// definition, null QVariant = no value; blob values are QByteArray), the
// calculated part (one value per calculated or lookup field) and the ID of
// the record it was read from (NoRecordId for a new record).
struct TRecordBuffer
{
    qint32 id = NoRecordId;
    QVariantList data;
    QVariantList calc;
    QList<bool> blobModified;
};

// A field definition: what a stored record holds for one column.
struct TFieldDef
{
    QString name;
    TFieldType type = TFieldType::ftUnknown;
    int size = 0;
    bool required = false;
};

// A bound control (grid, edit box, report adapter) as the table sees it.
// Notifications are after-the-fact and are not delivered while the table's
// controls are suspended (disableControls); when the last suspension ends the
// controls get stateChanged (if the state differs) and dataSetChanged.
// updateData and focusField are requests and may throw (a rejected text).
class IDataLink
{
public:
    virtual ~IDataLink() = default;

    // Everything shown may have changed: rows added, removed, reordered,
    // filter switched, table opened or closed. Re-read the visible rows.
    virtual void dataSetChanged() {}
    // The cursor moved to another record (navigation); re-read the current row.
    virtual void recordScrolled() {}
    // The current record as a whole changed (edit started, record refreshed).
    virtual void recordChanged() {}
    // A value of the current (edited) record changed.
    virtual void fieldChanged(TField& field) { Q_UNUSED(field) }
    // The table's state changed (browse, edit, insert, open, closed).
    virtual void stateChanged() {}
    // Fields were added, removed or rebound (the table opened).
    virtual void layoutChanged() {}
    // Write the text pending in an open editor into its field (post and
    // ending a pending edit ask this); may throw a conversion error.
    virtual void updateData() {}
    // Give the input focus to the control bound to the field (required field empty).
    virtual void focusField(TField& field) { Q_UNUSED(field) }
    // The table is being destroyed; forget it.
    virtual void dataSetDestroyed() {}
};

// The dataset contract every table follows: a cursor over the records visible
// under the filter, a state, the edit cycle with its events, and field objects.
// TozMemoryData is the implementation; this class holds the generic part and
// calls the storage operations a concrete table supplies.
//
// Naming: the contract's operations are camelCase (first(), post(),
// deleteRecord() since delete is reserved, fieldByName(), controlsDisabled());
// events keep their own names (BeforePost, OnCalcFields) as public callback
// members; OnFilterRecord is set through setOnFilterRecord because changing
// it repositions an open table. TozMemoryData's own properties and
// operations keep the program's names (FileName/setFileName, CanEdit/setCanEdit,
// SaveIfModified, SortByFields).
//
// Errors are EDatabaseError (with the table's name, ": " before the text where
// the program says so) and EAbort for a refused permission. Events are plain
// callbacks with the table first; they may throw, and the error reaches the
// caller of the operation.
//
// Reading rows for a grid without moving the cursor:
//   visibleRecordCount()     rows visible under the filter, plus the row being
//                            inserted when in insert state;
//   currentVisibleRow()      the row of the current (or inserted) record, -1 when none;
//   readVisibleRow(r, buf)   copies row r into buf with its calculated and lookup
//                            fields computed (the edited values for the row being
//                            edited or inserted); no scroll events, no cursor move;
//   isEditingRow(r)          whether row r is the edited/inserted row;
//   fieldText(f, buf, disp)  display (disp=true) or edit text of a field in buf,
//                            with OnGetText and formats applied;
//   fieldValue(f, buf)       the field's value in buf.
//   rowToBookmark(r)         the bookmark of row r (empty for the inserted row).
// The visible rows of a filtered table are worked out once after each change
// of records, filter or cursor and kept until the next one.
class TDataSet
{
public:
    using TDataSetNotifyEvent = std::function<void(TDataSet& dataSet)>;
    using TFilterRecordEvent = std::function<void(TDataSet& dataSet, bool& accept)>;

    explicit TDataSet(const QString& name = QString());
    virtual ~TDataSet();
    Q_DISABLE_COPY_MOVE(TDataSet)

    // The component name (for example R1Table), prefixed to some messages.
    QString name() const { return m_name; }
    void setName(const QString& name) { m_name = name; }

    // Fields. addField constructs a field owned by the table; only while closed.
    template <class F, class... Args> F& addField(Args&&... args)
    {
        auto field = std::make_unique<F>(*this, std::forward<Args>(args)...);
        F& result = *field;
        adoptField(std::move(field));
        return result;
    }
    void removeField(TField& field);
    int fieldCount() const { return int(m_fields.size()); }
    TField& field(int index) const { return *m_fields.at(std::size_t(index)); }
    // Letter case ignored; fieldByName fails with "<name>: Поле '%s' не найдено".
    TField* findField(const QString& name) const;
    TField& fieldByName(const QString& name) const;
    // Fields named by "A;B;C" (blanks around names ignored); each must exist.
    QList<TField*> getFieldList(const QString& names) const;
    // One value for one name, a QVariantList for several.
    QVariant fieldValues(const QString& names) const;
    void setFieldValues(const QString& names, const QVariant& values);

    // Field definitions; addFieldDef only on a closed table without field objects.
    const QList<TFieldDef>& fieldDefs() const { return m_fieldDefs; }
    void addFieldDef(const QString& name, TFieldType type, int size = 0, bool required = false);
    void clearFieldDefs();

    // Open and close.
    void open();
    void close();
    bool active() const { return m_state != TDataSetState::dsInactive; }
    void setActive(bool value);
    TDataSetState state() const { return m_state; }
    bool modified() const { return m_modified; }

    // Navigation over the visible records.
    void first();
    void last();
    void next() { moveBy(1); }
    void prior() { moveBy(-1); }
    int moveBy(int distance);
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    bool isEmpty() const;
    virtual int recordCount() const = 0;
    virtual int recNo() const = 0;
    virtual void setRecNo(int value) = 0;

    // Edit cycle.
    void edit();
    void insert();
    void append();
    void post();
    void cancel();
    void deleteRecord();
    // Ending a pending edit: bound controls write pending text, then post when
    // modified, else cancel. Fails on a closed table.
    void checkBrowseMode();

    // Bookmarks.
    TBookmark bookmark() const;
    void gotoBookmark(const TBookmark& bookmark);
    virtual bool bookmarkValid(const TBookmark& bookmark) const = 0;
    static int compareBookmarks(const TBookmark& a, const TBookmark& b);

    // Locate and lookup (ObFunc's LocateRecord does the search).
    virtual bool locate(const QString& keyFields, const QVariant& keyValues,
                        TLocateOptions options = {}) = 0;
    virtual QVariant lookup(const QString& keyFields, const QVariant& keyValues,
                            const QString& resultFields) = 0;

    // Filter. Changing either on an open table ends a pending edit; a change
    // that alters what is visible moves the cursor to the first record.
    bool filtered() const { return m_filtered; }
    void setFiltered(bool value);
    const TFilterRecordEvent& onFilterRecord() const { return m_onFilterRecord; }
    void setOnFilterRecord(TFilterRecordEvent handler);
    bool autoCalcFields() const { return m_autoCalcFields; }
    void setAutoCalcFields(bool value) { m_autoCalcFields = value; }

    // Bound controls.
    void addDataLink(IDataLink* link);
    void removeDataLink(IDataLink* link);
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // Grid access (see the class comment).
    int visibleRecordCount();
    int currentVisibleRow();
    bool readVisibleRow(int row, TRecordBuffer& buffer);
    bool isEditingRow(int row);
    TBookmark rowToBookmark(int row);
    QString fieldText(const TField& field, const TRecordBuffer& buffer, bool displayText = true);
    QVariant fieldValue(const TField& field, const TRecordBuffer& buffer);
    // Tells bound controls that everything changed and drops the cached row count
    // (use after a change the table cannot see, such as the filter's own inputs).
    void refreshControls();

    // Events (OnFilterRecord: see setOnFilterRecord).
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;

    // The buffer that field access uses in the current state; nullptr when none.
    virtual TRecordBuffer* activeBuffer() = 0;
    const TRecordBuffer* activeBuffer() const
    {
        return const_cast<TDataSet*>(this)->activeBuffer();
    }

    // An EDatabaseError whose text starts with the table's name and ": ".
    [[noreturn]] void databaseError(const QString& message) const;

protected:
    enum class TGetMode
    {
        Current,
        Next,
        Prior
    };

    // Storage operations of a concrete table.
    virtual void internalOpen() = 0;
    // Runs after the state became browse and before AfterOpen (reading the file).
    virtual void internalAfterOpen() {}
    virtual void internalClose() = 0;
    // Position before the first / after the last record.
    virtual void internalFirst() = 0;
    virtual void internalLast() = 0;
    // Fetches relative to the position into the current buffer (stored part and ID).
    virtual bool getRecord(TGetMode mode) = 0;
    // Makes the edit buffer a new empty record; append places it at the end.
    virtual void internalInsert(bool append) = 0;
    // Copies the current record into the edit buffer.
    virtual void internalEdit() = 0;
    // Stores the edit buffer (checks required fields first when controls are active).
    virtual void internalPost() = 0;
    // Drops the edit buffer and repositions after a cancelled insert.
    virtual void internalCancel(bool inserting) = 0;
    virtual void internalDelete() = 0;
    // Runs after AfterDelete (the memory table sets its change flag there).
    virtual void internalAfterDelete() {}
    // Positions on the record with the ID; false when not found/visible.
    virtual bool internalGotoId(qint32 id) = 0;
    // Ensures the current buffer reflects a record after a change (delete, cancel).
    virtual void resync() = 0;
    virtual bool filterAccepts(int recordIndex) = 0;
    virtual void permissionCheck(TDataSetState target) { Q_UNUSED(target) }
    // Grid rows over stored records.
    virtual int storedVisibleCount() = 0;
    virtual int storedCurrentVisibleRow() = 0;
    virtual bool storedReadVisibleRow(int row, TRecordBuffer& buffer) = 0;

    // Generic helpers for concrete tables.
    void setState(TDataSetState state);
    // Switches to the calc-fields or filter state and back without notifying anyone.
    void setStateSilently(TDataSetState state) { m_state = state; }
    void calculateFields(TRecordBuffer& buffer);
    void computeCalcInPlace(TRecordBuffer& buffer);
    TRecordBuffer& currentBuffer() { return m_current; }
    TRecordBuffer& editBuffer() { return m_edit; }
    bool hasCurrent() const { return m_hasCurrent; }
    void setHasCurrent(bool value) { m_hasCurrent = value; }
    void initBuffer(TRecordBuffer& buffer) const;
    // The buffer takes a stored record's values (shared, not copied) with an
    // empty calculated part; the lists are reused when they have the size.
    void loadBuffer(TRecordBuffer& buffer, qint32 id, const QVariantList& data) const;
    int storedFieldCount() const { return int(m_fieldDefs.size()); }
    int calcFieldCount() const { return m_calcCount; }
    bool hasCalcFields() const { return m_calcCount > 0; }
    // Where a data field's value lies in a record's stored part; -1 for
    // calculated and lookup fields and unbound ones.
    static int storedIndex(const TField& field);
    void bindFields();
    void createDefaultFields();
    void removeDefaultFields();
    template <class Notify> void forEachLink(Notify&& notify);
    void notifyDataSetChanged();
    void notifyScrolled();
    void notifyRecordChanged();
    void notifyFieldChanged(TField& field);
    void notifyStateChanged();
    void notifyLayoutChanged();
    void notifyUpdateData();
    void notifyFocusField(TField& field);
    void fire(const TDataSetNotifyEvent& event);
    // Drops what the table caches about its visible rows.
    virtual void invalidateRows() {}
    // The field-change notification after a data field's value was written.
    void dataFieldChanged(TField& field);
    // Re-reads the current record after a change and computes its calculated fields.
    void resyncCurrent();
    void checkActive() const;
    void setEofBof(bool bof, bool eof)
    {
        m_bof = bof;
        m_eof = eof;
    }
    // The buffer being calculated or filtered (calc-fields and filter states).
    TRecordBuffer* m_calcBuffer = nullptr;
    // A grid's buffer made active for reading a row's texts.
    TRecordBuffer* m_displayBuffer = nullptr;
    bool m_destroying = false;

private:
    friend class TField;
    friend class TozMemBlobStream;
    void adoptField(std::unique_ptr<TField> field);
    void fieldWritten(TField& field, const QVariant& value);
    QVariant fieldRead(const TField& field) const;
    void openLookupTables();
    void readCurrent();
    void cancelInsertAfterError();

    // Drops the remembered answers of findField and getFieldList.
    void forgetFieldNames() const;

    QString m_name;
    std::vector<std::unique_ptr<TField>> m_fields;
    mutable QHash<QString, TField*> m_fieldsByName;
    mutable QHash<QString, QList<TField*>> m_fieldLists;
    std::vector<TField*> m_defaultFields;
    QList<TFieldDef> m_fieldDefs;
    TDataSetState m_state = TDataSetState::dsInactive;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    bool m_filtered = false;
    bool m_autoCalcFields = true;
    bool m_hasCurrent = false;
    bool m_appending = false;
    bool m_recalculating = false;
    int m_calcCount = 0;
    int m_disableCount = 0;
    TDataSetState m_disabledState = TDataSetState::dsInactive;
    TFilterRecordEvent m_onFilterRecord;
    TRecordBuffer m_current;
    TRecordBuffer m_edit;
    std::vector<IDataLink*> m_links;
};

// Suspends a table's bound controls for a scope.
class TControlsDisabler
{
public:
    explicit TControlsDisabler(TDataSet& dataSet);
    ~TControlsDisabler();
    Q_DISABLE_COPY_MOVE(TControlsDisabler)

private:
    TDataSet& m_dataSet;
};

#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QAbstractTableModel>
#include <QObject>
#include <QString>

#include "ozDataSet.h"

class TField;

// A data source: the one place through which windows point their controls at
// a table. Re-pointing it (setDataSet) re-binds every control attached to it.
// It relays the table's notifications to its clients; it never throws from a
// notification except where the table asks for pending text (updateData).
class TDataSource final : public QObject, public IDataLink
{
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;
    Q_DISABLE_COPY_MOVE(TDataSource)

    TDataSet* dataSet() const { return m_dataSet; }
    void setDataSet(TDataSet* dataSet);
    TDataSetState state() const;

    // Clients are not owned and must remove themselves before they die.
    void addLink(IDataLink* link);
    void removeLink(IDataLink* link);

    void dataSetChanged() override;
    void recordScrolled() override;
    void recordChanged() override;
    void fieldChanged(TField& field) override;
    void stateChanged() override;
    void layoutChanged() override;
    void updateData() override;
    void focusField(TField& field) override;
    void dataSetDestroyed() override;

private:
    template <class F> void forEach(F f);

    TDataSet* m_dataSet = nullptr;
    std::vector<IDataLink*> m_links;
};

// One column of a grid: the field it shows (by name, resolved when read) and
// how its title looks.
class TGridColumn
{
public:
    explicit TGridColumn(const QString& fieldName = QString(), const QString& title = QString(),
                         int width = -1);
    virtual ~TGridColumn();
    Q_DISABLE_COPY_MOVE(TGridColumn)

    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString& name) { m_fieldName = name; }
    QString title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    Qt::Alignment titleAlignment() const { return m_titleAlignment; }
    void setTitleAlignment(Qt::Alignment alignment) { m_titleAlignment = alignment; }
    // Initial width in pixels; -1 derives it from the field's display width.
    int width() const { return m_width; }
    void setWidth(int width) { m_width = width; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool value) { m_readOnly = value; }

private:
    QString m_fieldName;
    QString m_title;
    Qt::Alignment m_titleAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    int m_width;
    bool m_readOnly = false;
};

// The adapter between a table (through a data source) and a Qt view. Rows are
// the table's visible records in list order, plus the row being inserted. It
// keeps no values of the table: every read goes to the table's grid access
// (readVisibleRow), except that during one paint pass the grid may let it keep
// the last row read (beginPaint/endPaint). It only translates the table's
// notifications into model signals, and tells the view where the cursor is.
class TDataSetModel final : public QAbstractTableModel, private IDataLink
{
    Q_OBJECT
public:
    explicit TDataSetModel(QObject* parent = nullptr);
    ~TDataSetModel() override;
    Q_DISABLE_COPY_MOVE(TDataSetModel)

    TDataSource* dataSource() const { return m_source; }
    void setDataSource(TDataSource* source);
    TDataSet* dataSet() const;

    // Columns (owned).
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    TGridColumn* column(int index) const;
    void addColumn(std::unique_ptr<TGridColumn> column);
    void clearColumns();
    // The field the column shows; nullptr when it has none or the table is closed.
    TField* columnField(int column) const;
    // The one rule of what a person may type into: a column of the grid that
    // is not read-only, over a field that can be modified (not computed, not
    // a lookup, not read-only unless it takes text through OnSetText) and holds text.
    bool columnEditable(int column) const;
    // Tells the view that column titles changed.
    void titlesChanged();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Enters the text into the field of the edited row (its set-text rule);
    // the table must be editing that row. A rejected text is shown through
    // the application's error display and false is returned.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The row of the table's cursor (-1 when none).
    int cursorRow() const;
    // Whether the row is the one being edited or inserted.
    bool isEditingRow(int row) const;
    TBookmark rowBookmark(int row) const;
    // The text of a field in a row without moving the cursor.
    QString rowFieldText(int row, const QString& fieldName, bool displayText = true) const;

    // Keeps the last row read for the duration of one paint pass.
    void beginPaint();
    void endPaint();

    // Called when the table asks for pending editor text (may throw), and when
    // it asks to focus a field's control.
    std::function<void()> onUpdateData;
    std::function<void(TField&)> onFocusField;

Q_SIGNALS:
    // The table's cursor is now on this row (-1: none). After the fact.
    void cursorMoved(int row);
    // The table's state changed (indicator, editors).
    void tableStateChanged();

private:
    void dataSetChanged() override;
    void recordScrolled() override;
    void recordChanged() override;
    void fieldChanged(TField& field) override;
    void stateChanged() override;
    void layoutChanged() override;
    void updateData() override;
    void focusField(TField& field) override;
    void dataSetDestroyed() override;

    // Brings the row structure in step with the table and emits what changed.
    void syncRows(bool everythingChanged);
    void emitRowChanged(int row);
    void emitIndicators();
    bool readRow(int viewRow, TRecordBuffer& buffer) const;
    bool isCell(const QModelIndex& index) const;
    int toTableRow(int viewRow) const;
    int toViewRow(int tableRow) const;

    TDataSource* m_source = nullptr;
    std::vector<std::unique_ptr<TGridColumn>> m_columns;
    int m_rowCount = 0;
    int m_insertRow = -1;
    int m_lastCursorRow = -1;
    bool m_painting = false;
    mutable int m_paintRow = -1;
    mutable TRecordBuffer m_paintBuffer;
};

// Field types whose text is a number (decimal separator rules apply).
bool IsNumericField(const TField* field);

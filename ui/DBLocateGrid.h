#pragma once

#include <functional>
#include <memory>

#include <QPointer>
#include <QStyle>
#include <QTableView>

#include "DataSetModel.h"

class QLineEdit;
class QStyleOptionViewItem;
class TField;
class TFindForm;
class TGridDelegate;

// A data grid over a table (through a data source) that locates rows while
// the user types, steps to further matches with F3 / Shift+F3, normalises the
// decimal separator, and decides when a cell may be edited. The view's current
// row is the table's cursor: moving the selection moves the cursor (ending a
// pending edit), and a cursor moved by code moves the selection. A move that
// fails (a post raises) keeps the row, its edit state and its values, and
// shows the message. Nothing Qt calls lets an exception through.
class TDBLocateGrid : public QTableView
{
    Q_OBJECT
public:
    // The handler searches F's data set for KeyValue and sets Find when it moved to a match.
    using TIncrementLocateEvent =
        std::function<void(TField* field, const QString& keyValue, TLocateOptions options,
                           bool& find, bool isForward, bool isNext)>;
    // Called after the indicator cell of a data row is drawn.
    using TDrawIndicatorEvent =
        std::function<void(TDBLocateGrid& sender, int row, const QRect& rect, QStyle::State state)>;

    explicit TDBLocateGrid(QWidget* parent = nullptr);
    ~TDBLocateGrid() override;
    Q_DISABLE_COPY_MOVE(TDBLocateGrid)

    TDataSource* dataSource() const;
    void setDataSource(TDataSource* source);
    TDataSet* dataSet() const;
    TDataSetModel* dataModel() const { return m_model; }

    // Columns, in display order. addColumn returns the new column (owned by the grid).
    TGridColumn* addColumn(const QString& fieldName, const QString& title = QString(),
                           int width = -1);
    void clearColumns();
    int columnsCount() const;
    TGridColumn* gridColumn(int index) const;
    int selectedColumn() const;
    void setSelectedColumn(int column);
    TField* selectedField() const;

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool value);
    bool showIndicator() const;
    void setShowIndicator(bool value);

    bool LocEnabled() const { return m_locEnabled; }
    void setLocEnabled(bool value) { m_locEnabled = value; }
    bool LocCaseSensitive() const { return m_locCaseSensitive; }
    void setLocCaseSensitive(bool value) { m_locCaseSensitive = value; }
    bool BeginFind() const { return m_beginFind; }
    void setBeginFind(bool value) { m_beginFind = value; }
    int IndicatorWidth() const { return m_indicatorWidth; }
    void setIndicatorWidth(int width);
    QString LocNameFields() const { return m_locNameFields; }
    void setLocNameFields(const QString& names);
    QString LocLabelName() const { return m_locLabelName; }
    void setLocLabelName(const QString& name) { m_locLabelName = name; }

    TIncrementLocateEvent OnIncrementLocate;
    TDrawIndicatorEvent OnDrawIndicator;

    // Leaves locate mode, when it is on, and clears the pending flag.
    virtual void StopLocate();
    bool locateMode() const { return m_locateMode; }
    QString locateText() const { return m_locateText; }
    QLineEdit* locateBox() const;

    // The grid's search dialog (Ctrl+F): created on first use, owned by the
    // grid's window, kept while the grid lives.
    TFindForm* findForm();
    // Opens the search dialog modally for the field searched without "По всем полям".
    void showFindDialog(TField* field);

    // The open in-place editor of the current cell, if any.
    QWidget* cellEditor() const;
    // Opens the current cell's editor when the cell may be edited.
    bool openCellEditor();
    // Closes the in-place editor, abandoning its text.
    void closeCellEditor();
    // Writes the open editor's text into its field (may throw a conversion error).
    void commitPendingEdit();

    // Hooks of the cell painting, for TOZGrid.
    virtual void initCellStyle(QStyleOptionViewItem& option, const QModelIndex& index,
                               bool highlighted);
    virtual void afterPaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index, bool highlighted);
    void drawIndicatorHook(int row, const QRect& rect, QStyle::State state);
    // The decimal separator rule: "," or "." typed in a numeric column becomes the locale's.
    QChar normalisedDecimal(QChar c) const;

protected:
    virtual std::unique_ptr<TGridColumn> createColumn(const QString& fieldName,
                                                      const QString& title, int width);
    // May the current cell be edited? Puts the data set into edit state when so.
    virtual bool canEditCell();
    // The current column changed (not for the first column set on binding).
    virtual void columnEntered(int column);

    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyboardSearch(const QString& search) override;

    // The key handling proper; keyPressEvent catches around it.
    virtual void handleKey(QKeyEvent* event);
    // Moves the table's cursor to the view row; false when leaving the row failed.
    bool moveCursorToRow(int row);
    void syncToCursor(int row);
    int firstFieldColumn() const;

private:
    void enterLocateMode();
    void locateStep(QChar c);
    void locateAgain(bool forward);
    void placeLocateBox();
    int columnOfField(const QString& fieldName) const;
    void applyColumnWidth(int column);

    TDataSetModel* m_model;
    TGridDelegate* m_delegate;
    bool m_readOnly = false;
    bool m_locEnabled = false;
    bool m_locCaseSensitive = false;
    bool m_beginFind = false;
    int m_indicatorWidth = 11;
    QString m_locNameFields;
    QStringList m_locFieldList;
    QString m_locLabelName;
    QPointer<QLineEdit> m_locateBox;
    QPointer<TFindForm> m_findForm;
    QString m_locateField;
    QString m_locateText;
    bool m_locateMode = false;
    bool m_pending = false;
    bool m_syncing = false;
};

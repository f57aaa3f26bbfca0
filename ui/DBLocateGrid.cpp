#include "DBLocateGrid.h"

#include <algorithm>

#include <QApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>

#include "Errors.h"
#include "Find.h"
#include "FormatSettings.h"
#include "GridSearch.h"
#include "ObFunc.h"
#include "UserInterface.h"
#include "ozField.h"

// ---------------------------------------------------------------- cell editor

// The in-place editor of a grid: a line edit whose text goes into the field
// through the model (the field's set-text rule). A rejected text keeps the
// editor open with the text; Esc abandons the text.
class TGridDelegate final : public QStyledItemDelegate
{
public:
    explicit TGridDelegate(TDBLocateGrid& grid)
        : QStyledItemDelegate(&grid)
        , m_grid(grid)
    {
    }
    Q_DISABLE_COPY_MOVE(TGridDelegate)

    QLineEdit* openEditor() const { return m_editor; }
    QPersistentModelIndex openIndex() const { return m_index; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        editor->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) &
                             Qt::AlignHorizontal_Mask);
        editor->setFont(option.font);
        const TField* field = m_grid.dataModel()->columnField(index.column());
        if (field && field->dataType() == TFieldType::ftString && field->size() > 0)
            editor->setMaxLength(field->size());
        m_editor = editor;
        m_index = index;
        return editor;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (editor == m_editor) {
            m_editor = nullptr;
            m_index = QPersistentModelIndex();
        }
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(index.data(Qt::EditRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            m_lastCommitOk = model->setData(index, line->text(), Qt::EditRole);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const bool highlighted =
            (opt.state & QStyle::State_Selected) && (m_grid.hasFocus() || m_grid.cellEditor());
        m_grid.initCellStyle(opt, index, highlighted);
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        // The style draws the cell; the text goes in with the narrow margins
        // of a data grid and is clipped rather than elided, so that short
        // codes fit the narrow columns of the form.
        const QString text = opt.text;
        opt.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        painter->save();
        painter->setClipRect(opt.rect);
        painter->setFont(opt.font);
        const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (opt.state & QStyle::State_Active)
                                               ? QPalette::Active
                                               : QPalette::Inactive;
        painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected)
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
        painter->drawText(opt.rect.adjusted(2, 0, -2, 0),
                          int(opt.displayAlignment) | Qt::TextSingleLine, text);
        painter->restore();
        opt.text = text;
        m_grid.afterPaintCell(painter, opt, index, highlighted);
    }

    // Writes the editor's text; false when the field refused it.
    bool commit(QWidget* editor)
    {
        // The error box of a refused text takes the focus from the editor;
        // that focus change must not enter the same text a second time.
        if (m_committing)
            return false;
        const QScopedValueRollback<bool> committing(m_committing, true);
        m_lastCommitOk = true;
        if (editor == m_editor && m_index.isValid())
            setModelData(editor, m_grid.model(), m_index);
        return m_lastCommitOk;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* editor = qobject_cast<QLineEdit*>(object);
        if (!editor)
            return QStyledItemDelegate::eventFilter(object, event);
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (text.size() == 1) {
                const QChar replaced = m_grid.normalisedDecimal(text.front());
                if (replaced != text.front()) {
                    editor->insert(QString(replaced));
                    return true;
                }
            }
            switch (key->key()) {
            case Qt::Key_Enter:
            case Qt::Key_Return:
                if (!commit(editor))
                    return true;
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
                return true;
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                if (!commit(editor))
                    return true;
                Q_EMIT closeEditor(editor, key->key() == Qt::Key_Tab
                                               ? QAbstractItemDelegate::EditNextItem
                                               : QAbstractItemDelegate::EditPreviousItem);
                return true;
            default:
                break;
            }
        } else if (event->type() == QEvent::FocusOut) {
            // A rejected text keeps the editor open; otherwise Qt commits and closes.
            const QWidget* focus = QApplication::focusWidget();
            if (focus && (focus == editor || editor->isAncestorOf(focus)))
                return false;
            if (!commit(editor))
                return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    TDBLocateGrid& m_grid;
    mutable QPointer<QLineEdit> m_editor;
    mutable QPersistentModelIndex m_index;
    mutable bool m_lastCommitOk = true;
    bool m_committing = false;
};

// ---------------------------------------------------------------- indicator column

namespace {

// The row indicator: a triangle at the current row, an I-beam while it is
// edited, an asterisk while it is inserted.
class TIndicatorHeader final : public QHeaderView
{
public:
    explicit TIndicatorHeader(TDBLocateGrid& grid)
        : QHeaderView(Qt::Vertical, &grid)
        , m_grid(grid)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
    }
    Q_DISABLE_COPY_MOVE(TIndicatorHeader)

    QSize sizeHint() const override
    {
        QSize size = QHeaderView::sizeHint();
        size.setWidth(m_grid.IndicatorWidth());
        return size;
    }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        const TDataSet* table = m_grid.dataSet();
        const int row = m_grid.dataModel()->cursorRow();
        QStyle::State state = QStyle::State_None;
        if (logicalIndex == row && table) {
            state |= QStyle::State_Selected;
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            painter->setPen(QPen(palette().color(QPalette::WindowText), 1));
            painter->setBrush(palette().color(QPalette::WindowText));
            const QPointF c = QRectF(rect).center();
            switch (table->state()) {
            case TDataSetState::dsEdit:
                painter->drawLine(QPointF(c.x(), c.y() - 4), QPointF(c.x(), c.y() + 4));
                painter->drawLine(QPointF(c.x() - 2, c.y() - 4), QPointF(c.x() + 2, c.y() - 4));
                painter->drawLine(QPointF(c.x() - 2, c.y() + 4), QPointF(c.x() + 2, c.y() + 4));
                break;
            case TDataSetState::dsInsert:
                painter->drawLine(QPointF(c.x() - 3, c.y()), QPointF(c.x() + 3, c.y()));
                painter->drawLine(QPointF(c.x() - 2, c.y() - 2.5), QPointF(c.x() + 2, c.y() + 2.5));
                painter->drawLine(QPointF(c.x() - 2, c.y() + 2.5), QPointF(c.x() + 2, c.y() - 2.5));
                break;
            default: {
                QPainterPath path;
                path.moveTo(c.x() - 2, c.y() - 4);
                path.lineTo(c.x() + 2.5, c.y());
                path.lineTo(c.x() - 2, c.y() + 4);
                path.closeSubpath();
                painter->drawPath(path);
                break;
            }
            }
            painter->restore();
        }
        m_grid.drawIndicatorHook(logicalIndex, rect, state);
    }

private:
    TDBLocateGrid& m_grid;
};

} // namespace

// ---------------------------------------------------------------- TDBLocateGrid

TDBLocateGrid::TDBLocateGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new TDataSetModel(this))
    , m_delegate(new TGridDelegate(*this))
{
    setVerticalHeader(new TIndicatorHeader(*this));
    setModel(m_model);
    setItemDelegate(m_delegate);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setWordWrap(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const int rowHeight = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    verticalHeader()->setFixedWidth(m_indicatorWidth);
    m_model->onUpdateData = [this] {
        commitPendingEdit();
    };
    m_model->onFocusField = [this](TField& field) {
        const int column = columnOfField(field.fieldName());
        if (column >= 0)
            setSelectedColumn(column);
        setFocus();
    };
    connect(m_model, &TDataSetModel::cursorMoved, this, &TDBLocateGrid::syncToCursor);
    connect(m_model, &TDataSetModel::tableStateChanged, this,
            [this] { verticalHeader()->viewport()->update(); });
}

TDBLocateGrid::~TDBLocateGrid()
{
    // The model goes before the delegate and the header that refer to this grid.
    setModel(nullptr);
    // The dialog belongs to the window but searches this grid.
    delete m_findForm.data();
}

TDataSource* TDBLocateGrid::dataSource() const
{
    return m_model->dataSource();
}

void TDBLocateGrid::setDataSource(TDataSource* source)
{
    StopLocate();
    m_model->setDataSource(source);
}

TDataSet* TDBLocateGrid::dataSet() const
{
    return m_model->dataSet();
}

std::unique_ptr<TGridColumn> TDBLocateGrid::createColumn(const QString& fieldName,
                                                         const QString& title, int width)
{
    return std::make_unique<TGridColumn>(fieldName, title, width);
}

TGridColumn* TDBLocateGrid::addColumn(const QString& fieldName, const QString& title, int width)
{
    std::unique_ptr<TGridColumn> column = createColumn(fieldName, title, width);
    TGridColumn* result = column.get();
    m_model->addColumn(std::move(column));
    applyColumnWidth(m_model->columnCount() - 1);
    if (!currentIndex().isValid())
        syncToCursor(m_model->cursorRow());
    return result;
}

void TDBLocateGrid::applyColumnWidth(int column)
{
    const TGridColumn* c = m_model->column(column);
    if (!c)
        return;
    int width = c->width();
    if (width < 0) {
        const TField* field = m_model->columnField(column);
        const int chars = field ? field->displayWidth() : 10;
        width = fontMetrics().averageCharWidth() * std::clamp(chars, 2, 40) + 6;
        width = std::max(width, fontMetrics().horizontalAdvance(c->title()) + 8);
    }
    setColumnWidth(column, width);
}

void TDBLocateGrid::clearColumns()
{
    StopLocate();
    m_model->clearColumns();
}

int TDBLocateGrid::columnsCount() const
{
    return m_model->columnCount();
}

TGridColumn* TDBLocateGrid::gridColumn(int index) const
{
    return m_model->column(index);
}

int TDBLocateGrid::selectedColumn() const
{
    return currentIndex().isValid() ? currentIndex().column() : -1;
}

void TDBLocateGrid::setSelectedColumn(int column)
{
    if (column < 0 || column >= m_model->columnCount())
        return;
    const int row = currentIndex().isValid() ? currentIndex().row() : m_model->cursorRow();
    if (row < 0)
        return;
    setCurrentIndex(m_model->index(row, column));
}

TField* TDBLocateGrid::selectedField() const
{
    return m_model->columnField(selectedColumn());
}

void TDBLocateGrid::setReadOnly(bool value)
{
    m_readOnly = value;
    if (value)
        closeCellEditor();
}

bool TDBLocateGrid::showIndicator() const
{
    return !verticalHeader()->isHidden();
}

void TDBLocateGrid::setShowIndicator(bool value)
{
    verticalHeader()->setVisible(value);
}

void TDBLocateGrid::setIndicatorWidth(int width)
{
    m_indicatorWidth = std::max(0, width);
    verticalHeader()->setFixedWidth(m_indicatorWidth);
}

void TDBLocateGrid::setLocNameFields(const QString& names)
{
    if (names == m_locNameFields)
        return;
    m_locNameFields = names;
    m_locFieldList.clear();
    const QStringList parts = names.split(QLatin1Char(';'));
    for (const QString& part : parts)
        if (!part.trimmed().isEmpty())
            m_locFieldList.append(part.trimmed());
}

TFindForm* TDBLocateGrid::findForm()
{
    if (!m_findForm)
        m_findForm = new TFindForm(window());
    return m_findForm;
}

void TDBLocateGrid::showFindDialog(TField* field)
{
    TFindForm* form = findForm();
    form->setOnFind(
        [this, field](const TFindRequest& request) { return GridFind(*this, field, request); });
    form->setAllFieldsShown(true);
    form->exec();
    setFocus();
}

QLineEdit* TDBLocateGrid::locateBox() const
{
    return m_locateBox;
}

QWidget* TDBLocateGrid::cellEditor() const
{
    return m_delegate->openEditor();
}

bool TDBLocateGrid::openCellEditor()
{
    if (cellEditor())
        return true;
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return false;
    return edit(index, QAbstractItemView::EditKeyPressed, nullptr) && cellEditor();
}

void TDBLocateGrid::closeCellEditor()
{
    if (QWidget* editor = cellEditor())
        QAbstractItemView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void TDBLocateGrid::commitPendingEdit()
{
    QLineEdit* editor = m_delegate->openEditor();
    const QPersistentModelIndex index = m_delegate->openIndex();
    TDataSet* table = dataSet();
    if (!editor || !index.isValid() || !table || !m_model->isEditingRow(index.row()))
        return;
    TField* field = m_model->columnField(index.column());
    if (!field || !(m_model->flags(index) & Qt::ItemIsEditable))
        return;
    const QString text = editor->text();
    if (field->editText() != text)
        field->setText(text);
}

void TDBLocateGrid::initCellStyle(QStyleOptionViewItem& option, const QModelIndex& index,
                                  bool highlighted)
{
    Q_UNUSED(option)
    Q_UNUSED(index)
    Q_UNUSED(highlighted)
}

void TDBLocateGrid::afterPaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index, bool highlighted)
{
    Q_UNUSED(painter)
    Q_UNUSED(option)
    Q_UNUSED(index)
    Q_UNUSED(highlighted)
}

void TDBLocateGrid::drawIndicatorHook(int row, const QRect& rect, QStyle::State state)
{
    if (!OnDrawIndicator)
        return;
    try {
        OnDrawIndicator(*this, row, rect, state);
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
}

int TDBLocateGrid::firstFieldColumn() const
{
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (!isColumnHidden(c) && m_model->columnField(c))
            return c;
    return -1;
}

int TDBLocateGrid::columnOfField(const QString& fieldName) const
{
    for (int c = 0; c < m_model->columnCount(); ++c)
        if (m_model->column(c)->fieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

QChar TDBLocateGrid::normalisedDecimal(QChar c) const
{
    if (c != QLatin1Char(',') && c != QLatin1Char('.'))
        return c;
    const QChar separator = FormatSettings::decimalSeparator();
    if (c == separator || !IsNumericField(selectedField()))
        return c;
    return separator;
}

// ---------------------------------------------------------------- cursor and selection

void TDBLocateGrid::syncToCursor(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == row)
        return;
    int column = current.isValid() ? current.column() : firstFieldColumn();
    if (column < 0)
        column = 0;
    if (column >= m_model->columnCount())
        return;
    const bool saved = m_syncing;
    m_syncing = true;
    selectionModel()->setCurrentIndex(m_model->index(row, column),
                                      QItemSelectionModel::ClearAndSelect);
    m_syncing = saved;
}

bool TDBLocateGrid::moveCursorToRow(int row)
{
    TDataSet* table = dataSet();
    if (!table || !table->active() || row < 0)
        return true;
    if (row == m_model->cursorRow())
        return true;
    try {
        const TBookmark target = m_model->rowBookmark(row);
        if (target)
            table->gotoBookmark(target);
        else
            table->checkBrowseMode();
        return true;
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
}

void TDBLocateGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (m_syncing) {
        QTableView::currentChanged(current, previous);
        return;
    }
    if (previous.isValid() && current.column() != previous.column())
        StopLocate();
    // A text the field refuses keeps the user in the cell.
    QWidget* editor = cellEditor();
    if (editor && previous.isValid() && m_delegate->openIndex() == previous &&
        !m_delegate->commit(editor)) {
        m_syncing = true;
        selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
        m_syncing = false;
        return;
    }
    QTableView::currentChanged(current, previous);
    if (current.isValid() && (!previous.isValid() || current.row() != previous.row())) {
        if (!moveCursorToRow(current.row())) {
            const int row = m_model->cursorRow();
            if (row >= 0) {
                m_syncing = true;
                selectionModel()->setCurrentIndex(m_model->index(row, current.column()),
                                                  QItemSelectionModel::ClearAndSelect);
                m_syncing = false;
            }
            return;
        }
    }
    if (current.isValid() && previous.isValid() && current.column() != previous.column())
        columnEntered(current.column());
}

void TDBLocateGrid::columnEntered(int column)
{
    Q_UNUSED(column)
}

// ---------------------------------------------------------------- editing

bool TDBLocateGrid::canEditCell()
{
    TDataSet* table = dataSet();
    if (m_readOnly || !table || !table->active())
        return false;
    if (!m_model->columnEditable(selectedColumn()))
        return false;
    try {
        table->edit();
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
    return table->state() == TDataSetState::dsEdit || table->state() == TDataSetState::dsInsert;
}

bool TDBLocateGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!index.isValid())
        return false;
    if (cellEditor())
        return QTableView::edit(index, trigger, event);
    if (!(editTriggers() & trigger))
        return false;
    // Only the cell under the table's cursor can be edited.
    if (index != currentIndex() || !(m_model->flags(index) & Qt::ItemIsEditable))
        return false;
    if (!canEditCell())
        return false;
    return QTableView::edit(index, trigger, event);
}

void TDBLocateGrid::keyboardSearch(const QString& search)
{
    // Typing locates through the grid's own rules, not the view's.
    Q_UNUSED(search)
}

// ---------------------------------------------------------------- keys

void TDBLocateGrid::keyPressEvent(QKeyEvent* event)
{
    try {
        handleKey(event);
    } catch (...) {
        ShowApplicationError(std::current_exception());
        event->accept();
    }
}

void TDBLocateGrid::handleKey(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Key stage.
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Enter:
    case Qt::Key_Return:
    case Qt::Key_Escape:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Up:
    case Qt::Key_Down:
        StopLocate();
        break;
    case Qt::Key_F3:
        if (m_locateMode) {
            locateAgain(!(mods & Qt::ShiftModifier));
            event->accept();
            return;
        }
        break;
    case Qt::Key_F:
        if ((mods & Qt::ControlModifier) && !m_locateMode) {
            TField* field = selectedField();
            if (!field)
                field = m_model->columnField(firstFieldColumn());
            showFindDialog(field);
            event->accept();
            return;
        }
        [[fallthrough]];
    default:
        if (m_locateMode || state() != QAbstractItemView::EditingState)
            m_pending = true;
        break;
    }

    TDataSet* table = dataSet();
    const bool editing = table && (table->state() == TDataSetState::dsEdit ||
                                   table->state() == TDataSetState::dsInsert);

    // Character stage.
    QString text = event->text();
    if (text.size() == 1 && !(mods & (Qt::ControlModifier | Qt::AltModifier))) {
        const QChar c = text.front();
        const QChar normalised = normalisedDecimal(c);
        if (m_locEnabled && m_pending) {
            m_pending = false;
            if (!editing) {
                if (normalised.unicode() >= 32 || c == QLatin1Char('\b')) {
                    if (!m_locateMode)
                        enterLocateMode();
                    if (m_locateMode) {
                        locateStep(normalised);
                        event->accept();
                        return;
                    }
                } else {
                    StopLocate();
                }
            }
        }
        if (normalised != c) {
            QKeyEvent replaced(event->type(), event->key(), mods, QString(normalised),
                               event->isAutoRepeat(), ushort(event->count()));
            QTableView::keyPressEvent(&replaced);
            event->setAccepted(replaced.isAccepted());
            return;
        }
    }

    // Keys of the grid itself.
    const int row = m_model->cursorRow();
    switch (key) {
    case Qt::Key_F2:
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (!cellEditor() && mods == Qt::NoModifier) {
            openCellEditor();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Escape:
        if (!cellEditor() && editing) {
            table->cancel();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Insert:
        if (!m_readOnly && table && table->active() && mods == Qt::NoModifier) {
            try {
                table->insert();
            } catch (const EAbort&) {
            }
            event->accept();
            return;
        }
        break;
    case Qt::Key_Down:
        if (!m_readOnly && table && table->active() && mods == Qt::NoModifier &&
            row == m_model->rowCount() - 1) {
            if (!(table->state() == TDataSetState::dsInsert && !table->modified())) {
                try {
                    table->append();
                } catch (const EAbort&) {
                }
            }
            event->accept();
            return;
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (mods & Qt::ControlModifier) {
            if (table && table->active()) {
                if (key == Qt::Key_Home)
                    table->first();
                else
                    table->last();
            }
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QTableView::keyPressEvent(event);
}

void TDBLocateGrid::mouseReleaseEvent(QMouseEvent* event)
{
    StopLocate();
    QTableView::mouseReleaseEvent(event);
}

void TDBLocateGrid::focusOutEvent(QFocusEvent* event)
{
    StopLocate();
    QTableView::focusOutEvent(event);
    // A new row left without any change is dropped when the focus goes to
    // another control of the same window (not to the grid's own editor, and
    // not to a pick list or dialog opened from it).
    QWidget* focus = QApplication::focusWidget();
    TDataSet* table = dataSet();
    if (!focus || !table || table->state() != TDataSetState::dsInsert || table->modified())
        return;
    if (focus == this || isAncestorOf(focus) || focus->window() != window())
        return;
    try {
        table->cancel();
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
}

void TDBLocateGrid::paintEvent(QPaintEvent* event)
{
    m_model->beginPaint();
    QTableView::paintEvent(event);
    m_model->endPaint();
}

// ---------------------------------------------------------------- locate

void TDBLocateGrid::StopLocate()
{
    if (m_locateMode) {
        m_locateMode = false;
        m_locateText.clear();
        if (m_locateBox) {
            m_locateBox->clear();
            m_locateBox->hide();
        }
    }
    m_pending = false;
}

void TDBLocateGrid::enterLocateMode()
{
    TDataSet* table = dataSet();
    if (!table || !table->active())
        return;
    TField* current = selectedField();
    QString fieldName;
    if (m_locFieldList.isEmpty()) {
        if (!current)
            return;
        fieldName = current->fieldName();
    } else {
        // An unknown name ends the list.
        QStringList resolved;
        for (const QString& name : std::as_const(m_locFieldList)) {
            if (!table->findField(name))
                break;
            resolved.append(name);
        }
        if (current && resolved.contains(current->fieldName()))
            fieldName = current->fieldName();
        else if (!resolved.isEmpty())
            fieldName = resolved.front();
        else if (current)
            fieldName = current->fieldName();
        else
            return;
    }
    if (!OnIncrementLocate)
        m_beginFind = true;
    const int column = columnOfField(fieldName);
    if (column >= 0 && column != selectedColumn()) {
        const bool saved = m_syncing;
        m_syncing = true;
        setSelectedColumn(column);
        m_syncing = saved;
    }
    TField* located = selectedField();
    if (!located)
        return;
    m_locateField = located->fieldName();

    if (!m_locateBox) {
        QWidget* owner = window();
        if (!m_locLabelName.isEmpty())
            m_locateBox = owner->findChild<QLineEdit*>(m_locLabelName);
        if (!m_locateBox)
            m_locateBox = new QLineEdit(owner);
        m_locateBox->setReadOnly(true);
        m_locateBox->setFocusPolicy(Qt::NoFocus);
    }
    m_locateBox->clear();
    m_locateText.clear();
    placeLocateBox();
    m_locateBox->show();
    m_locateBox->raise();
    m_locateMode = true;
}

void TDBLocateGrid::placeLocateBox()
{
    QWidget* owner = m_locateBox->parentWidget();
    if (!owner)
        return;
    const int column = std::max(selectedColumn(), 0);
    const QPoint cellLeft = viewport()->mapTo(owner, QPoint(columnViewportPosition(column), 0));
    const int gridBottom = mapTo(owner, QPoint(0, height())).y();
    const int boxHeight = m_locateBox->sizeHint().height();
    // Just over the grid's bottom edge, and always wholly inside the window.
    const int top = std::max(0, std::min(gridBottom - 4, owner->height() - boxHeight));
    m_locateBox->setGeometry(cellLeft.x(), top, columnWidth(column), boxHeight);
}

void TDBLocateGrid::locateStep(QChar c)
{
    TDataSet* table = dataSet();
    if (!table)
        return;
    closeCellEditor();
    const bool backspace = c == QLatin1Char('\b');
    const QString text = backspace
                             ? m_locateText.chopped(std::min<qsizetype>(1, m_locateText.size()))
                             : m_locateText + c;
    const TLocateOptions options =
        m_locCaseSensitive ? TLocateOptions(TLocateOption::loPartialKey)
                           : (TLocateOption::loCaseInsensitive | TLocateOption::loPartialKey);
    TField* field = table->findField(m_locateField);
    bool found = false;
    if (OnIncrementLocate) {
        const TBookmark before = table->bookmark();
        if (m_beginFind)
            table->first();
        OnIncrementLocate(field, text, options, found, true, false);
        // A step that finds nothing leaves the row where it was.
        if (!found && before && table->bookmark() != before)
            table->gotoBookmark(before);
    } else {
        found = LocateFieldText(*table, field, text, options, true, false, m_beginFind);
    }
    if (found || backspace) {
        m_locateText = text;
        if (m_locateBox)
            m_locateBox->setText(text);
    }
}

void TDBLocateGrid::locateAgain(bool forward)
{
    TDataSet* table = dataSet();
    if (!table)
        return;
    const TLocateOptions options = TLocateOption::loCaseInsensitive | TLocateOption::loPartialKey;
    TField* field = table->findField(m_locateField);
    if (OnIncrementLocate) {
        bool found = false;
        OnIncrementLocate(field, m_locateText, options, found, forward, true);
    } else {
        LocateFieldText(*table, field, m_locateText, options, forward, true, false);
    }
}

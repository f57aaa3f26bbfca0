#include "DataSetModel.h"

#include <algorithm>

#include "UserInterface.h"
#include "ozField.h"

// ---------------------------------------------------------------- TDataSource

TDataSource::TDataSource(QObject* parent)
    : QObject(parent)
{
}

TDataSource::~TDataSource()
{
    if (m_dataSet)
        m_dataSet->removeDataLink(this);
}

void TDataSource::setDataSet(TDataSet* dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        m_dataSet->removeDataLink(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->addDataLink(this);
    forEach([](IDataLink* link) {
        link->layoutChanged();
        link->stateChanged();
        link->dataSetChanged();
    });
}

TDataSetState TDataSource::state() const
{
    return m_dataSet ? m_dataSet->state() : TDataSetState::dsInactive;
}

void TDataSource::addLink(IDataLink* link)
{
    if (link && std::find(m_links.begin(), m_links.end(), link) == m_links.end())
        m_links.push_back(link);
}

void TDataSource::removeLink(IDataLink* link)
{
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

template <class F> void TDataSource::forEach(F f)
{
    const std::vector<IDataLink*> links = m_links;
    for (IDataLink* link : links)
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            f(link);
}

void TDataSource::dataSetChanged()
{
    forEach([](IDataLink* l) { l->dataSetChanged(); });
}

void TDataSource::recordScrolled()
{
    forEach([](IDataLink* l) { l->recordScrolled(); });
}

void TDataSource::recordChanged()
{
    forEach([](IDataLink* l) { l->recordChanged(); });
}

void TDataSource::fieldChanged(TField& field)
{
    forEach([&](IDataLink* l) { l->fieldChanged(field); });
}

void TDataSource::stateChanged()
{
    forEach([](IDataLink* l) { l->stateChanged(); });
}

void TDataSource::layoutChanged()
{
    forEach([](IDataLink* l) { l->layoutChanged(); });
}

void TDataSource::updateData()
{
    forEach([](IDataLink* l) { l->updateData(); });
}

void TDataSource::focusField(TField& field)
{
    forEach([&](IDataLink* l) { l->focusField(field); });
}

void TDataSource::dataSetDestroyed()
{
    m_dataSet = nullptr;
    forEach([](IDataLink* l) {
        l->stateChanged();
        l->dataSetChanged();
    });
}

// ---------------------------------------------------------------- TGridColumn

TGridColumn::TGridColumn(const QString& fieldName, const QString& title, int width)
    : m_fieldName(fieldName)
    , m_title(title)
    , m_width(width)
{
}

TGridColumn::~TGridColumn() = default;

// ---------------------------------------------------------------- TDataSetModel

bool IsNumericField(const TField* field)
{
    if (!field)
        return false;
    switch (field->dataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
    case TFieldType::ftWord:
    case TFieldType::ftLargeint:
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
        return true;
    default:
        return false;
    }
}

TDataSetModel::TDataSetModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

TDataSetModel::~TDataSetModel()
{
    if (m_source)
        m_source->removeLink(this);
}

void TDataSetModel::setDataSource(TDataSource* source)
{
    if (m_source == source)
        return;
    beginResetModel();
    if (m_source) {
        m_source->removeLink(this);
        disconnect(m_source, nullptr, this, nullptr);
    }
    m_source = source;
    if (m_source) {
        m_source->addLink(this);
        connect(m_source, &QObject::destroyed, this, [this] {
            beginResetModel();
            m_source = nullptr;
            m_rowCount = 0;
            m_insertRow = -1;
            endResetModel();
        });
    }
    TDataSet* table = dataSet();
    m_rowCount = table ? table->visibleRecordCount() : 0;
    m_insertRow =
        table && table->state() == TDataSetState::dsInsert ? table->currentVisibleRow() : -1;
    m_paintRow = -1;
    endResetModel();
    m_lastCursorRow = cursorRow();
    Q_EMIT cursorMoved(m_lastCursorRow);
}

TDataSet* TDataSetModel::dataSet() const
{
    return m_source ? m_source->dataSet() : nullptr;
}

int TDataSetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

TGridColumn* TDataSetModel::column(int index) const
{
    if (index < 0 || index >= int(m_columns.size()))
        return nullptr;
    return m_columns[std::size_t(index)].get();
}

void TDataSetModel::addColumn(std::unique_ptr<TGridColumn> column)
{
    const int at = int(m_columns.size());
    beginInsertColumns(QModelIndex(), at, at);
    m_columns.push_back(std::move(column));
    endInsertColumns();
}

void TDataSetModel::clearColumns()
{
    if (m_columns.empty())
        return;
    beginRemoveColumns(QModelIndex(), 0, int(m_columns.size()) - 1);
    m_columns.clear();
    endRemoveColumns();
}

TField* TDataSetModel::columnField(int column) const
{
    const TGridColumn* c = this->column(column);
    TDataSet* table = dataSet();
    if (!c || !table || !table->active() || c->fieldName().isEmpty())
        return nullptr;
    return table->findField(c->fieldName());
}

void TDataSetModel::titlesChanged()
{
    if (!m_columns.empty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

bool TDataSetModel::isCell(const QModelIndex& index) const
{
    return index.isValid() && index.model() == this && !index.parent().isValid() &&
           index.row() < m_rowCount && index.column() < int(m_columns.size());
}

int TDataSetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

// Between a change of the table and the notification that follows it, the
// view still has the rows it was told about: a row being inserted that it does
// not know yet is skipped, a cancelled new row it still shows reads as empty.
int TDataSetModel::toTableRow(int viewRow) const
{
    TDataSet* table = dataSet();
    if (!table || viewRow < 0)
        return -1;
    const bool inserting = table->state() == TDataSetState::dsInsert;
    if (inserting && m_insertRow < 0) {
        const int tableInsert = table->currentVisibleRow();
        return viewRow >= tableInsert ? viewRow + 1 : viewRow;
    }
    if (!inserting && m_insertRow >= 0 && table->visibleRecordCount() < m_rowCount) {
        if (viewRow == m_insertRow)
            return -1;
        return viewRow > m_insertRow ? viewRow - 1 : viewRow;
    }
    return viewRow;
}

int TDataSetModel::toViewRow(int tableRow) const
{
    TDataSet* table = dataSet();
    if (!table || tableRow < 0)
        return -1;
    const bool inserting = table->state() == TDataSetState::dsInsert;
    if (inserting && m_insertRow < 0) {
        const int tableInsert = table->currentVisibleRow();
        if (tableRow == tableInsert)
            return -1;
        return tableRow > tableInsert ? tableRow - 1 : tableRow;
    }
    if (!inserting && m_insertRow >= 0 && table->visibleRecordCount() < m_rowCount)
        return tableRow >= m_insertRow ? tableRow + 1 : tableRow;
    return tableRow;
}

bool TDataSetModel::readRow(int viewRow, TRecordBuffer& buffer) const
{
    TDataSet* table = dataSet();
    if (!table || viewRow < 0 || viewRow >= m_rowCount)
        return false;
    const int row = toTableRow(viewRow);
    if (row < 0)
        return false;
    if (m_painting && row == m_paintRow) {
        buffer = m_paintBuffer;
        return true;
    }
    if (!table->readVisibleRow(row, buffer))
        return false;
    if (m_painting) {
        m_paintRow = row;
        m_paintBuffer = buffer;
    }
    return true;
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const
{
    if (!isCell(index))
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::TextAlignmentRole)
        return QVariant();
    TField* field = columnField(index.column());
    if (!field)
        return QVariant();
    if (role == Qt::TextAlignmentRole) {
        const Qt::Alignment h = IsNumericField(field) ? Qt::AlignRight : Qt::AlignLeft;
        return QVariant::fromValue(h | Qt::AlignVCenter);
    }
    try {
        TRecordBuffer buffer;
        if (!readRow(index.row(), buffer))
            return QVariant();
        return dataSet()->fieldText(*field, buffer, role == Qt::DisplayRole);
    } catch (...) {
        // A failing calculation or lookup shows an empty cell; painting must go on.
        return QVariant();
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        const TGridColumn* c = column(section);
        if (!c)
            return QVariant();
        switch (role) {
        case Qt::DisplayRole: {
            if (!c->title().isEmpty())
                return c->title();
            const TField* f = columnField(section);
            return f ? f->displayName() : c->fieldName();
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(c->titleAlignment());
        default:
            return QVariant();
        }
    }
    if (section < 0 || section >= m_rowCount)
        return QVariant();
    // The indicator column draws itself; the text is for views without it.
    if (role == Qt::DisplayRole)
        return QString();
    return QVariant();
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex& index) const
{
    if (!isCell(index))
        return Qt::NoItemFlags;
    const Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return columnEditable(index.column()) ? result | Qt::ItemIsEditable : result;
}

bool TDataSetModel::columnEditable(int columnIndex) const
{
    const TGridColumn* c = column(columnIndex);
    const TField* field = columnField(columnIndex);
    if (!c || c->readOnly() || !field || field->calculated() || field->lookup())
        return false;
    const bool settable = bool(field->OnSetText);
    if (field->readOnly() && !settable)
        return false;
    const bool binary = field->isBlob() || field->dataType() == TFieldType::ftBytes ||
                        field->dataType() == TFieldType::ftVarBytes ||
                        field->dataType() == TFieldType::ftADT ||
                        field->dataType() == TFieldType::ftVariant;
    return settable || !binary;
}

bool TDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    TDataSet* table = dataSet();
    TField* field = columnField(index.column());
    if (!table || !field)
        return false;
    try {
        const QString text = value.toString();
        const bool editing = table->isEditingRow(toTableRow(index.row()));
        if (!editing) {
            // An unchanged text is no change: the record stays as it is.
            TRecordBuffer buffer;
            if (readRow(index.row(), buffer) && table->fieldText(*field, buffer, false) == text)
                return true;
            if (index.row() != cursorRow())
                return false;
            table->edit();
        } else if (field->editText() == text) {
            return true;
        }
        field->setText(text);
        return true;
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
}

int TDataSetModel::cursorRow() const
{
    TDataSet* table = dataSet();
    if (!table || !table->active())
        return -1;
    const int row = toViewRow(table->currentVisibleRow());
    return row < m_rowCount ? row : -1;
}

bool TDataSetModel::isEditingRow(int row) const
{
    TDataSet* table = dataSet();
    return table && row >= 0 && table->isEditingRow(toTableRow(row));
}

TBookmark TDataSetModel::rowBookmark(int row) const
{
    TDataSet* table = dataSet();
    if (!table || row < 0 || row >= m_rowCount || toTableRow(row) < 0)
        return std::nullopt;
    return table->rowToBookmark(toTableRow(row));
}

QString TDataSetModel::rowFieldText(int row, const QString& fieldName, bool displayText) const
{
    TDataSet* table = dataSet();
    if (!table || !table->active())
        return QString();
    const TField* field = table->findField(fieldName);
    TRecordBuffer buffer;
    if (!field || !readRow(row, buffer))
        return QString();
    return table->fieldText(*field, buffer, displayText);
}

void TDataSetModel::beginPaint()
{
    m_painting = true;
    m_paintRow = -1;
}

void TDataSetModel::endPaint()
{
    m_painting = false;
    m_paintRow = -1;
    m_paintBuffer = TRecordBuffer();
}

// ---------------------------------------------------------------- notifications

void TDataSetModel::syncRows(bool everythingChanged)
{
    m_paintRow = -1;
    TDataSet* table = dataSet();
    const bool active = table && table->active();
    const int count = active ? table->visibleRecordCount() : 0;
    const bool inserting = active && table->state() == TDataSetState::dsInsert;
    bool structureChanged = true;
    if (inserting && m_insertRow < 0 && count == m_rowCount + 1) {
        const int row = std::clamp(table->currentVisibleRow(), 0, m_rowCount);
        beginInsertRows(QModelIndex(), row, row);
        m_rowCount = count;
        m_insertRow = row;
        endInsertRows();
    } else if (!inserting && m_insertRow >= 0 && count == m_rowCount - 1) {
        beginRemoveRows(QModelIndex(), m_insertRow, m_insertRow);
        m_rowCount = count;
        m_insertRow = -1;
        endRemoveRows();
    } else if (count != m_rowCount) {
        beginResetModel();
        m_rowCount = count;
        m_insertRow = inserting ? table->currentVisibleRow() : -1;
        endResetModel();
    } else {
        structureChanged = false;
        if (!inserting)
            m_insertRow = -1;
    }
    if ((everythingChanged || structureChanged) && m_rowCount > 0 && !m_columns.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(m_rowCount - 1, int(m_columns.size()) - 1),
                           {Qt::DisplayRole, Qt::EditRole});
    }
    emitIndicators();
}

void TDataSetModel::emitRowChanged(int row)
{
    m_paintRow = -1;
    if (row < 0 || row >= m_rowCount || m_columns.empty())
        return;
    Q_EMIT dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1),
                       {Qt::DisplayRole, Qt::EditRole});
}

void TDataSetModel::emitIndicators()
{
    if (m_rowCount > 0)
        Q_EMIT headerDataChanged(Qt::Vertical, 0, m_rowCount - 1);
    const int row = cursorRow();
    m_lastCursorRow = row;
    Q_EMIT cursorMoved(row);
}

void TDataSetModel::dataSetChanged()
{
    syncRows(true);
}

void TDataSetModel::recordScrolled()
{
    syncRows(false);
}

void TDataSetModel::recordChanged()
{
    syncRows(false);
    emitRowChanged(cursorRow());
}

void TDataSetModel::fieldChanged(TField& field)
{
    Q_UNUSED(field)
    emitRowChanged(cursorRow());
}

void TDataSetModel::stateChanged()
{
    syncRows(false);
    Q_EMIT tableStateChanged();
}

void TDataSetModel::layoutChanged()
{
    syncRows(true);
    titlesChanged();
}

void TDataSetModel::updateData()
{
    if (onUpdateData)
        onUpdateData();
}

void TDataSetModel::focusField(TField& field)
{
    if (onFocusField)
        onFocusField(field);
}

void TDataSetModel::dataSetDestroyed()
{
    beginResetModel();
    m_rowCount = 0;
    m_insertRow = -1;
    endResetModel();
}

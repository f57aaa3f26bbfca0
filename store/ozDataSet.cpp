#include "ozDataSet.h"

#include <algorithm>

#include "Errors.h"

namespace {

bool isStringType(TFieldType type)
{
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
           type == TFieldType::ftWideString || type == TFieldType::ftGuid;
}

// Makes a buffer the active one for the duration of a scope.
class DisplayBufferScope
{
public:
    DisplayBufferScope(TRecordBuffer*& slot, TRecordBuffer* buffer)
        : m_slot(slot)
        , m_saved(slot)
    {
        m_slot = buffer;
    }
    ~DisplayBufferScope() { m_slot = m_saved; }
    Q_DISABLE_COPY_MOVE(DisplayBufferScope)

private:
    TRecordBuffer*& m_slot;
    TRecordBuffer* m_saved;
};

} // namespace

TDataSet::TDataSet(const QString& name)
    : m_name(name)
{
}

TDataSet::~TDataSet()
{
    const std::vector<IDataLink*> links = m_links;
    for (IDataLink* link : links)
        link->dataSetDestroyed();
}

void TDataSet::databaseError(const QString& message) const
{
    if (m_name.isEmpty())
        throw EDatabaseError(message);
    throw EDatabaseError(m_name + QStringLiteral(": ") + message);
}

void TDataSet::checkActive() const
{
    if (!active())
        databaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

// ---------------------------------------------------------------- fields

void TDataSet::adoptField(std::unique_ptr<TField> field)
{
    if (active())
        databaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    m_fields.push_back(std::move(field));
    forgetFieldNames();
}

void TDataSet::removeField(TField& field)
{
    if (active())
        databaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    const auto it = std::find_if(m_fields.begin(), m_fields.end(),
                                 [&](const auto& f) { return f.get() == &field; });
    if (it != m_fields.end())
        m_fields.erase(it);
    forgetFieldNames();
}

void TDataSet::forgetFieldNames() const
{
    m_fieldsByName.clear();
    m_fieldLists.clear();
}

TField* TDataSet::findField(const QString& name) const
{
    // Handlers ask for the same few names on every record; the answers are
    // kept until the fields or their names change.
    constexpr qsizetype MaxRemembered = 256;
    const auto known = m_fieldsByName.constFind(name);
    if (known != m_fieldsByName.cend())
        return *known;
    TField* found = nullptr;
    for (const auto& f : m_fields)
        if (f->fieldName().compare(name, Qt::CaseInsensitive) == 0) {
            found = f.get();
            break;
        }
    if (m_fieldsByName.size() >= MaxRemembered)
        m_fieldsByName.clear();
    m_fieldsByName.insert(name, found);
    return found;
}

TField& TDataSet::fieldByName(const QString& name) const
{
    TField* f = findField(name);
    if (!f)
        databaseError(QStringLiteral("Поле '%1' не найдено").arg(name));
    return *f;
}

QList<TField*> TDataSet::getFieldList(const QString& names) const
{
    constexpr qsizetype MaxRemembered = 64;
    const auto known = m_fieldLists.constFind(names);
    if (known != m_fieldLists.cend())
        return *known;
    QList<TField*> result;
    const QStringList parts = names.split(QLatin1Char(';'));
    for (const QString& part : parts) {
        const QString name = part.trimmed();
        if (name.isEmpty())
            continue;
        result.append(&fieldByName(name));
    }
    if (m_fieldLists.size() >= MaxRemembered)
        m_fieldLists.clear();
    m_fieldLists.insert(names, result);
    return result;
}

QVariant TDataSet::fieldValues(const QString& names) const
{
    const QList<TField*> list = getFieldList(names);
    if (list.size() == 1)
        return list.front()->value();
    QVariantList values;
    for (TField* f : list)
        values.append(f->value());
    return values;
}

void TDataSet::setFieldValues(const QString& names, const QVariant& values)
{
    const QList<TField*> list = getFieldList(names);
    if (list.size() == 1) {
        list.front()->setValue(values);
        return;
    }
    const QVariantList v = values.toList();
    for (qsizetype i = 0; i < list.size(); ++i)
        list.at(i)->setValue(i < v.size() ? v.at(i) : QVariant());
}

void TDataSet::addFieldDef(const QString& name, TFieldType type, int size, bool required)
{
    if (active())
        databaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    m_fieldDefs.append(TFieldDef{name, type, size, required});
}

void TDataSet::clearFieldDefs()
{
    if (active())
        databaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    m_fieldDefs.clear();
}

void TDataSet::createDefaultFields()
{
    for (const TFieldDef& def : std::as_const(m_fieldDefs)) {
        std::unique_ptr<TField> f;
        switch (def.type) {
        case TFieldType::ftString:
        case TFieldType::ftFixedChar:
        case TFieldType::ftWideString:
        case TFieldType::ftGuid:
            f = std::make_unique<TStringField>(*this, def.name, def.size, TFieldKind::fkData,
                                               def.type);
            break;
        case TFieldType::ftSmallint:
            f = std::make_unique<TSmallintField>(*this, def.name);
            break;
        case TFieldType::ftInteger:
            f = std::make_unique<TIntegerField>(*this, def.name);
            break;
        case TFieldType::ftAutoInc:
            f = std::make_unique<TAutoIncField>(*this, def.name);
            break;
        case TFieldType::ftWord:
            f = std::make_unique<TWordField>(*this, def.name);
            break;
        case TFieldType::ftLargeint:
            f = std::make_unique<TLargeintField>(*this, def.name);
            break;
        case TFieldType::ftBoolean:
            f = std::make_unique<TBooleanField>(*this, def.name);
            break;
        case TFieldType::ftFloat:
        case TFieldType::ftBCD:
            f = std::make_unique<TFloatField>(*this, def.name, TFieldKind::fkData, def.type);
            break;
        case TFieldType::ftCurrency:
            f = std::make_unique<TCurrencyField>(*this, def.name);
            break;
        case TFieldType::ftDate:
        case TFieldType::ftTime:
        case TFieldType::ftDateTime:
            f = std::make_unique<TDateTimeField>(*this, def.name, TFieldKind::fkData, def.type);
            break;
        case TFieldType::ftBytes:
        case TFieldType::ftVarBytes:
            f = std::make_unique<TBytesField>(*this, def.name, def.size, TFieldKind::fkData,
                                              def.type);
            break;
        case TFieldType::ftVariant:
            f = std::make_unique<TVariantField>(*this, def.name);
            break;
        case TFieldType::ftADT:
            f = std::make_unique<TADTField>(*this, def.name);
            break;
        case TFieldType::ftUnknown:
            throw EDatabaseError(QStringLiteral("Field '%1' is of an unknown type").arg(def.name));
        default:
            f = std::make_unique<TBlobField>(*this, def.name, def.type);
            break;
        }
        f->setRequired(def.required);
        m_defaultFields.push_back(f.get());
        m_fields.push_back(std::move(f));
    }
    forgetFieldNames();
}

void TDataSet::removeDefaultFields()
{
    for (TField* f : m_defaultFields) {
        const auto it = std::find_if(m_fields.begin(), m_fields.end(),
                                     [&](const auto& p) { return p.get() == f; });
        if (it != m_fields.end())
            m_fields.erase(it);
    }
    m_defaultFields.clear();
    forgetFieldNames();
}

int TDataSet::storedIndex(const TField& field)
{
    return field.fieldKind() == TFieldKind::fkData ? field.m_bufferIndex : -1;
}

void TDataSet::bindFields()
{
    m_calcCount = 0;
    for (const auto& f : m_fields) {
        f->m_bufferIndex = -1;
        if (f->fieldKind() == TFieldKind::fkData) {
            for (qsizetype i = 0; i < m_fieldDefs.size(); ++i)
                if (m_fieldDefs.at(i).name.compare(f->fieldName(), Qt::CaseInsensitive) == 0) {
                    f->m_bufferIndex = int(i);
                    break;
                }
        } else {
            f->m_bufferIndex = m_calcCount++;
        }
    }
    openLookupTables();
}

void TDataSet::openLookupTables()
{
    for (const auto& f : m_fields) {
        if (f->fieldKind() != TFieldKind::fkLookup)
            continue;
        if (f->keyFields().isEmpty() || !f->lookupDataSet() || f->lookupKeyFields().isEmpty() ||
            f->lookupResultField().isEmpty())
            throw EDatabaseError(QStringLiteral("Lookup information for field '%1' is incomplete")
                                     .arg(f->displayName()));
        getFieldList(f->keyFields());
        TDataSet& lookupTable = *f->lookupDataSet();
        lookupTable.open();
        lookupTable.getFieldList(f->lookupKeyFields());
        lookupTable.fieldByName(f->lookupResultField());
    }
}

void TDataSet::initBuffer(TRecordBuffer& buffer) const
{
    buffer.id = NoRecordId;
    buffer.data = QVariantList(m_fieldDefs.size());
    buffer.calc = QVariantList(m_calcCount);
    buffer.blobModified = QList<bool>(m_fieldDefs.size(), false);
}

namespace {

template <class T> void resetList(QList<T>& list, qsizetype size)
{
    if (list.size() == size && list.isDetached())
        list.fill(T());
    else
        list = QList<T>(size);
}

} // namespace

void TDataSet::loadBuffer(TRecordBuffer& buffer, qint32 id, const QVariantList& data) const
{
    buffer.id = id;
    buffer.data = data;
    resetList(buffer.calc, m_calcCount);
    resetList(buffer.blobModified, m_fieldDefs.size());
}

QVariant TDataSet::fieldRead(const TField& field) const
{
    const TRecordBuffer* buffer = activeBuffer();
    if (!buffer || field.m_bufferIndex < 0)
        return QVariant();
    if (field.fieldKind() == TFieldKind::fkData) {
        if (field.m_bufferIndex >= buffer->data.size())
            return QVariant();
        const QVariant& v = buffer->data.at(field.m_bufferIndex);
        if (isStringType(field.dataType()) && v.toString().isEmpty())
            return QVariant();
        return v;
    }
    if (m_state == TDataSetState::dsFilter && !m_displayBuffer)
        return QVariant();
    if (field.m_bufferIndex >= buffer->calc.size())
        return QVariant();
    return buffer->calc.at(field.m_bufferIndex);
}

void TDataSet::fieldWritten(TField& field, const QVariant& value)
{
    const bool calcLike =
        m_state == TDataSetState::dsCalcFields || m_state == TDataSetState::dsFilter;
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert && !calcLike)
        throw EDatabaseError(QStringLiteral("Таблица не в режиме редактирования"));
    TRecordBuffer* buffer = activeBuffer();
    if (!buffer || field.m_bufferIndex < 0)
        throw EDatabaseError(QStringLiteral("Таблица не в режиме редактирования"));
    if (field.fieldKind() != TFieldKind::fkData) {
        buffer->calc[field.m_bufferIndex] = value;
    } else {
        if (calcLike)
            throw EDatabaseError(QStringLiteral("Таблица не в режиме редактирования"));
        if (field.readOnly())
            throw EDatabaseError(
                QStringLiteral("Поле '%1' не может изменяться").arg(field.displayName()));
        buffer->data[field.m_bufferIndex] = value;
    }
    if (!calcLike)
        dataFieldChanged(field);
}

void TDataSet::dataFieldChanged(TField& field)
{
    if (field.fieldKind() == TFieldKind::fkData) {
        m_modified = true;
        // A data field written by OnCalcFields itself does not start another
        // recomputation: a handler that always writes would never end.
        if (m_autoCalcFields && hasCalcFields() && !m_recalculating) {
            if (TRecordBuffer* buffer = activeBuffer()) {
                m_recalculating = true;
                try {
                    computeCalcInPlace(*buffer);
                } catch (...) {
                    m_recalculating = false;
                    throw;
                }
                m_recalculating = false;
            }
        }
    }
    notifyFieldChanged(field);
}

// ---------------------------------------------------------------- calculated fields

void TDataSet::computeCalcInPlace(TRecordBuffer& buffer)
{
    for (QVariant& v : buffer.calc)
        v = QVariant();
    for (const auto& f : m_fields) {
        if (f->fieldKind() != TFieldKind::fkLookup || f->m_bufferIndex < 0)
            continue;
        TDataSet* lookupTable = f->lookupDataSet();
        QVariant value;
        if (lookupTable && lookupTable->active())
            value = lookupTable->lookup(f->lookupKeyFields(), fieldValues(f->keyFields()),
                                        f->lookupResultField());
        if (f->m_bufferIndex < buffer.calc.size())
            buffer.calc[f->m_bufferIndex] = value;
    }
    fire(OnCalcFields);
}

void TDataSet::calculateFields(TRecordBuffer& buffer)
{
    if (!hasCalcFields())
        return;
    const TDataSetState savedState = m_state;
    TRecordBuffer* savedBuffer = m_calcBuffer;
    TRecordBuffer* savedDisplay = m_displayBuffer;
    m_state = TDataSetState::dsCalcFields;
    m_calcBuffer = &buffer;
    m_displayBuffer = nullptr;
    try {
        computeCalcInPlace(buffer);
    } catch (...) {
        m_state = savedState;
        m_calcBuffer = savedBuffer;
        m_displayBuffer = savedDisplay;
        throw;
    }
    m_state = savedState;
    m_calcBuffer = savedBuffer;
    m_displayBuffer = savedDisplay;
}

void TDataSet::readCurrent()
{
    if (m_hasCurrent)
        calculateFields(m_current);
}

void TDataSet::resyncCurrent()
{
    resync();
    invalidateRows();
    readCurrent();
}

// ---------------------------------------------------------------- notifications

void TDataSet::addDataLink(IDataLink* link)
{
    if (link && std::find(m_links.begin(), m_links.end(), link) == m_links.end())
        m_links.push_back(link);
}

void TDataSet::removeDataLink(IDataLink* link)
{
    m_links.erase(std::remove(m_links.begin(), m_links.end(), link), m_links.end());
}

void TDataSet::fire(const TDataSetNotifyEvent& event)
{
    if (event)
        event(*this);
}

// Bound controls hear nothing while suspended. The list is copied because a
// control may detach itself while it is being told.
template <class Notify> void TDataSet::forEachLink(Notify&& notify)
{
    if (controlsDisabled())
        return;
    const std::vector<IDataLink*> links = m_links;
    for (IDataLink* link : links)
        notify(*link);
}

void TDataSet::notifyDataSetChanged()
{
    invalidateRows();
    forEachLink([](IDataLink& link) { link.dataSetChanged(); });
}

void TDataSet::notifyScrolled()
{
    invalidateRows();
    forEachLink([](IDataLink& link) { link.recordScrolled(); });
}

void TDataSet::notifyRecordChanged()
{
    forEachLink([](IDataLink& link) { link.recordChanged(); });
}

void TDataSet::notifyFieldChanged(TField& field)
{
    forEachLink([&](IDataLink& link) { link.fieldChanged(field); });
}

void TDataSet::notifyStateChanged()
{
    forEachLink([](IDataLink& link) { link.stateChanged(); });
}

void TDataSet::notifyLayoutChanged()
{
    forEachLink([](IDataLink& link) { link.layoutChanged(); });
}

void TDataSet::notifyUpdateData()
{
    forEachLink([](IDataLink& link) { link.updateData(); });
}

void TDataSet::notifyFocusField(TField& field)
{
    forEachLink([&](IDataLink& link) { link.focusField(field); });
}

void TDataSet::disableControls()
{
    if (m_disableCount == 0)
        m_disabledState = m_state;
    ++m_disableCount;
}

void TDataSet::enableControls()
{
    if (m_disableCount == 0)
        return;
    --m_disableCount;
    if (m_disableCount == 0) {
        if (m_state != m_disabledState)
            notifyStateChanged();
        notifyDataSetChanged();
    }
}

void TDataSet::refreshControls()
{
    notifyDataSetChanged();
}

void TDataSet::setState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    m_modified = false;
    notifyStateChanged();
}

// ---------------------------------------------------------------- open and close

void TDataSet::setActive(bool value)
{
    if (value)
        open();
    else
        close();
}

void TDataSet::open()
{
    if (active())
        return;
    fire(BeforeOpen);
    try {
        internalOpen();
    } catch (...) {
        internalClose();
        throw;
    }
    m_hasCurrent = false;
    m_bof = true;
    m_eof = true;
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    invalidateRows();
    notifyStateChanged();
    notifyLayoutChanged();
    internalFirst();
    m_hasCurrent = getRecord(TGetMode::Next);
    m_eof = !m_hasCurrent;
    readCurrent();
    internalAfterOpen();
    notifyDataSetChanged();
    fire(AfterOpen);
    if (!isEmpty())
        fire(AfterScroll);
}

void TDataSet::close()
{
    if (!active())
        return;
    if (!m_destroying)
        fire(BeforeClose);
    m_state = TDataSetState::dsInactive;
    m_modified = false;
    m_hasCurrent = false;
    m_bof = true;
    m_eof = true;
    m_current = TRecordBuffer();
    m_edit = TRecordBuffer();
    internalClose();
    invalidateRows();
    notifyStateChanged();
    notifyDataSetChanged();
    if (!m_destroying)
        fire(AfterClose);
}

// ---------------------------------------------------------------- navigation

bool TDataSet::isEmpty() const
{
    if (!active())
        return true;
    if (m_state == TDataSetState::dsInsert)
        return false;
    return !m_hasCurrent;
}

void TDataSet::first()
{
    checkBrowseMode();
    fire(BeforeScroll);
    internalFirst();
    m_hasCurrent = false;
    m_hasCurrent = getRecord(TGetMode::Next);
    m_bof = true;
    m_eof = !m_hasCurrent;
    readCurrent();
    notifyDataSetChanged();
    fire(AfterScroll);
}

void TDataSet::last()
{
    checkBrowseMode();
    fire(BeforeScroll);
    internalLast();
    m_hasCurrent = false;
    m_hasCurrent = getRecord(TGetMode::Prior);
    m_eof = true;
    m_bof = !m_hasCurrent;
    readCurrent();
    notifyDataSetChanged();
    fire(AfterScroll);
}

int TDataSet::moveBy(int distance)
{
    checkBrowseMode();
    fire(BeforeScroll);
    if (distance == 0 || (distance > 0 && m_eof) || (distance < 0 && m_bof))
        return 0;
    m_bof = false;
    m_eof = false;
    int moved = 0;
    if (!m_hasCurrent) {
        if (distance > 0)
            m_eof = true;
        else
            m_bof = true;
    } else if (distance > 0) {
        while (moved < distance) {
            if (!getRecord(TGetMode::Next)) {
                m_eof = true;
                break;
            }
            ++moved;
        }
    } else {
        while (moved > distance) {
            if (!getRecord(TGetMode::Prior)) {
                m_bof = true;
                break;
            }
            --moved;
        }
    }
    readCurrent();
    notifyScrolled();
    fire(AfterScroll);
    return moved;
}

// ---------------------------------------------------------------- edit cycle

void TDataSet::checkBrowseMode()
{
    checkActive();
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert) {
        notifyUpdateData();
        if (m_modified)
            post();
        else
            cancel();
    }
}

void TDataSet::edit()
{
    if (m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert)
        return;
    checkActive();
    if (!m_hasCurrent) {
        insert();
        return;
    }
    permissionCheck(TDataSetState::dsEdit);
    fire(BeforeEdit);
    internalEdit();
    calculateFields(m_edit);
    setState(TDataSetState::dsEdit);
    notifyRecordChanged();
    fire(AfterEdit);
}

void TDataSet::insert()
{
    checkBrowseMode();
    permissionCheck(TDataSetState::dsInsert);
    fire(BeforeInsert);
    fire(BeforeScroll);
    internalInsert(false);
    m_appending = false;
    setState(TDataSetState::dsInsert);
    try {
        fire(OnNewRecord);
    } catch (...) {
        cancelInsertAfterError();
        throw;
    }
    m_modified = false;
    invalidateRows();
    notifyDataSetChanged();
    fire(AfterInsert);
    fire(AfterScroll);
}

void TDataSet::append()
{
    checkBrowseMode();
    permissionCheck(TDataSetState::dsInsert);
    fire(BeforeInsert);
    fire(BeforeScroll);
    internalInsert(true);
    m_appending = true;
    setState(TDataSetState::dsInsert);
    try {
        fire(OnNewRecord);
    } catch (...) {
        cancelInsertAfterError();
        throw;
    }
    m_modified = false;
    invalidateRows();
    notifyDataSetChanged();
    fire(AfterInsert);
    fire(AfterScroll);
}

void TDataSet::cancelInsertAfterError()
{
    internalCancel(true);
    m_edit = TRecordBuffer();
    setState(TDataSetState::dsBrowse);
    resyncCurrent();
    notifyDataSetChanged();
}

void TDataSet::post()
{
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert)
        databaseError(QStringLiteral("Таблица не в режиме редактирования"));
    notifyUpdateData();
    fire(BeforePost);
    for (const auto& f : m_fields) {
        if (controlsDisabled())
            break;
        if (f->required() && !f->readOnly() && f->fieldKind() == TFieldKind::fkData &&
            f->isNull()) {
            notifyFocusField(*f);
            throw EDatabaseError(
                QStringLiteral("Поле '%1' должно иметь значение").arg(f->displayName()));
        }
    }
    internalPost();
    m_edit = TRecordBuffer();
    setState(TDataSetState::dsBrowse);
    resyncCurrent();
    notifyDataSetChanged();
    fire(AfterPost);
}

void TDataSet::cancel()
{
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert)
        return;
    const bool inserting = m_state == TDataSetState::dsInsert;
    fire(BeforeCancel);
    if (inserting)
        fire(BeforeScroll);
    internalCancel(inserting);
    m_edit = TRecordBuffer();
    setState(TDataSetState::dsBrowse);
    resyncCurrent();
    notifyDataSetChanged();
    fire(AfterCancel);
    if (inserting)
        fire(AfterScroll);
}

void TDataSet::deleteRecord()
{
    if (m_state == TDataSetState::dsInsert) {
        cancel();
        return;
    }
    checkActive();
    if (!m_hasCurrent)
        databaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    permissionCheck(TDataSetState::dsBrowse);
    fire(BeforeDelete);
    fire(BeforeScroll);
    internalDelete();
    m_edit = TRecordBuffer();
    setState(TDataSetState::dsBrowse);
    m_hasCurrent = false;
    resyncCurrent();
    notifyDataSetChanged();
    fire(AfterDelete);
    internalAfterDelete();
    fire(AfterScroll);
}

// ---------------------------------------------------------------- bookmarks

TBookmark TDataSet::bookmark() const
{
    if (!active() || !m_hasCurrent || m_state == TDataSetState::dsInsert)
        return std::nullopt;
    return m_current.id;
}

void TDataSet::gotoBookmark(const TBookmark& bookmark)
{
    if (!bookmark)
        return;
    checkBrowseMode();
    fire(BeforeScroll);
    if (internalGotoId(*bookmark)) {
        m_hasCurrent = true;
        readCurrent();
    }
    m_bof = false;
    m_eof = false;
    notifyDataSetChanged();
    fire(AfterScroll);
}

int TDataSet::compareBookmarks(const TBookmark& a, const TBookmark& b)
{
    if (!a && !b)
        return 0;
    if (!a)
        return -1;
    if (!b)
        return 1;
    return *a < *b ? -1 : (*a > *b ? 1 : 0);
}

// ---------------------------------------------------------------- filter

void TDataSet::setFiltered(bool value)
{
    if (active())
        checkBrowseMode();
    if (m_filtered == value)
        return;
    m_filtered = value;
    invalidateRows();
    if (active())
        first();
}

void TDataSet::setOnFilterRecord(TFilterRecordEvent handler)
{
    if (active())
        checkBrowseMode();
    m_onFilterRecord = std::move(handler);
    invalidateRows();
    if (active() && m_filtered)
        first();
}

// ---------------------------------------------------------------- grid access

int TDataSet::visibleRecordCount()
{
    if (!active())
        return 0;
    return storedVisibleCount() + (m_state == TDataSetState::dsInsert ? 1 : 0);
}

int TDataSet::currentVisibleRow()
{
    if (!active())
        return -1;
    if (m_state == TDataSetState::dsInsert) {
        if (m_appending)
            return storedVisibleCount();
        return m_hasCurrent ? std::max(storedCurrentVisibleRow(), 0) : 0;
    }
    return m_hasCurrent ? storedCurrentVisibleRow() : -1;
}

bool TDataSet::isEditingRow(int row)
{
    if (m_state != TDataSetState::dsEdit && m_state != TDataSetState::dsInsert)
        return false;
    return row == currentVisibleRow();
}

bool TDataSet::readVisibleRow(int row, TRecordBuffer& buffer)
{
    if (!active() || row < 0)
        return false;
    if (m_state == TDataSetState::dsInsert || m_state == TDataSetState::dsEdit) {
        const int editRow = currentVisibleRow();
        if (row == editRow) {
            buffer = m_edit;
            return true;
        }
        if (m_state == TDataSetState::dsInsert && row > editRow)
            --row;
    }
    if (!storedReadVisibleRow(row, buffer))
        return false;
    calculateFields(buffer);
    return true;
}

TBookmark TDataSet::rowToBookmark(int row)
{
    TRecordBuffer buffer;
    if (m_state == TDataSetState::dsInsert && row == currentVisibleRow())
        return std::nullopt;
    if (!readVisibleRow(row, buffer) || buffer.id == NoRecordId)
        return std::nullopt;
    return buffer.id;
}

QString TDataSet::fieldText(const TField& field, const TRecordBuffer& buffer, bool displayText)
{
    DisplayBufferScope scope(m_displayBuffer, const_cast<TRecordBuffer*>(&buffer));
    return displayText ? field.displayText() : field.editText();
}

QVariant TDataSet::fieldValue(const TField& field, const TRecordBuffer& buffer)
{
    DisplayBufferScope scope(m_displayBuffer, const_cast<TRecordBuffer*>(&buffer));
    return field.value();
}

// ---------------------------------------------------------------- guard

TControlsDisabler::TControlsDisabler(TDataSet& dataSet)
    : m_dataSet(dataSet)
{
    m_dataSet.disableControls();
}

TControlsDisabler::~TControlsDisabler()
{
    m_dataSet.enableControls();
}

#include "ozMemoryData.h"

#include <algorithm>

#include <QCollator>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QTime>

#include "DSToXML.h"
#include "Errors.h"
#include "FormatSettings.h"
#include "ObFunc.h"
#include "UserInterface.h"

namespace {

constexpr int MaxFixedPart = 65535;

bool isStringType(TFieldType type)
{
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
           type == TFieldType::ftWideString || type == TFieldType::ftGuid;
}

bool isNumericType(TFieldType type)
{
    switch (type) {
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

// The user's collation; a process without a locale ("C") sorts as Russian
// users of the program expect.
QLocale collationLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Russian, QLocale::Russia);
    return system;
}

// Restores a flag on scope exit.
class FlagScope
{
public:
    FlagScope(bool& flag, bool value)
        : m_flag(flag)
        , m_saved(flag)
    {
        m_flag = value;
    }
    ~FlagScope() { m_flag = m_saved; }
    Q_DISABLE_COPY_MOVE(FlagScope)

private:
    bool& m_flag;
    bool m_saved;
};

} // namespace

// ---------------------------------------------------------------- TozMemoryRecord

TozMemoryRecord::TozMemoryRecord(TozMemoryData& owner, qint32 id, TozRow row)
    : m_owner(owner)
    , m_id(id)
    , m_row(std::move(row))
{
}

QVariantList TozMemoryRecord::values() const
{
    return m_owner.m_layout.values(m_row);
}

QVariant TozMemoryRecord::value(int field) const
{
    return m_owner.m_layout.value(m_row, field);
}

int TozMemoryRecord::Index() const
{
    const auto& records = m_owner.m_records;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].get() == this)
            return int(i);
    return -1;
}

void TozMemoryRecord::setIndex(int index)
{
    auto& records = m_owner.m_records;
    const int from = Index();
    if (from < 0 || index < 0 || index >= int(records.size()) || index == from)
        return;
    std::unique_ptr<TozMemoryRecord> self = std::move(records[std::size_t(from)]);
    records.erase(records.begin() + from);
    records.insert(records.begin() + index, std::move(self));
    m_owner.invalidateRows();
}

// ---------------------------------------------------------------- TozMemoryData

TozMemoryData::TozMemoryData(const QString& name)
    : TDataSet(name)
{
}

TozMemoryData::~TozMemoryData()
{
    m_destroying = true;
    try {
        close();
    } catch (...) {
    }
}

int TozMemoryData::Capacity() const
{
    return int(m_records.capacity());
}

void TozMemoryData::setCapacity(int value)
{
    if (value > 0)
        m_records.reserve(std::size_t(value));
}

TRecordBuffer* TozMemoryData::ActiveRecordBuffer()
{
    if (m_displayBuffer)
        return m_displayBuffer;
    switch (state()) {
    case TDataSetState::dsBrowse:
        return hasCurrent() ? &currentBuffer() : nullptr;
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        return &editBuffer();
    case TDataSetState::dsCalcFields:
    case TDataSetState::dsFilter:
        return m_calcBuffer;
    case TDataSetState::dsInactive:
        break;
    }
    return nullptr;
}

void TozMemoryData::StoreRecord(const TRecordBuffer& buffer, int index)
{
    m_records.at(std::size_t(index))->setRow(m_layout.encode(buffer.data));
}

void TozMemoryData::AssignAutoIncValues(TRecordBuffer& buffer)
{
    bool assigned = false;
    for (int i = 0; i < fieldCount(); ++i) {
        TField& f = field(i);
        if (f.dataType() != TFieldType::ftAutoInc || f.fieldKind() != TFieldKind::fkData)
            continue;
        for (qsizetype d = 0; d < fieldDefs().size(); ++d)
            if (fieldDefs().at(d).name.compare(f.fieldName(), Qt::CaseInsensitive) == 0) {
                buffer.data[d] = QVariant(int(m_autoInc));
                assigned = true;
            }
    }
    if (assigned)
        ++m_autoInc;
}

int TozMemoryData::CompareForSort(const TozMemoryRecord& a, const TozMemoryRecord& b) const
{
    static thread_local QCollator collator(collationLocale());
    for (TField* f : m_sortFields) {
        int d = -1;
        for (qsizetype i = 0; i < fieldDefs().size(); ++i)
            if (fieldDefs().at(i).name.compare(f->fieldName(), Qt::CaseInsensitive) == 0) {
                d = int(i);
                break;
            }
        if (d < 0)
            continue;
        QVariant va = a.value(d);
        QVariant vb = b.value(d);
        const TFieldType type = f->dataType();
        if (isStringType(type)) {
            if (va.toString().isEmpty())
                va = QVariant();
            if (vb.toString().isEmpty())
                vb = QVariant();
        }
        int result = 0;
        if (va.isNull() && vb.isNull())
            result = 0;
        else if (va.isNull())
            result = -1;
        else if (vb.isNull())
            result = 1;
        else {
            switch (type) {
            case TFieldType::ftString:
            case TFieldType::ftFixedChar:
            case TFieldType::ftWideString:
            case TFieldType::ftGuid: {
                const bool ci = m_sortCaseInsensitive || type == TFieldType::ftGuid;
                collator.setCaseSensitivity(ci ? Qt::CaseInsensitive : Qt::CaseSensitive);
                if (ci)
                    result = collator.compare(va.toString().toUpper(), vb.toString().toUpper());
                else
                    result = collator.compare(va.toString(), vb.toString());
                break;
            }
            case TFieldType::ftSmallint:
            case TFieldType::ftInteger:
            case TFieldType::ftAutoInc:
            case TFieldType::ftWord:
            case TFieldType::ftLargeint: {
                const qint64 x = va.toLongLong();
                const qint64 y = vb.toLongLong();
                result = x < y ? -1 : (x > y ? 1 : 0);
                break;
            }
            case TFieldType::ftFloat:
            case TFieldType::ftCurrency:
            case TFieldType::ftBCD: {
                const double x = va.toDouble();
                const double y = vb.toDouble();
                result = x < y ? -1 : (x > y ? 1 : 0);
                break;
            }
            case TFieldType::ftDate:
            case TFieldType::ftTime:
            case TFieldType::ftDateTime: {
                const QPartialOrdering o = QVariant::compare(va, vb);
                result =
                    o == QPartialOrdering::Less ? -1 : (o == QPartialOrdering::Greater ? 1 : 0);
                break;
            }
            case TFieldType::ftBoolean:
                result = int(va.toBool()) - int(vb.toBool());
                break;
            default:
                result = 0;
                break;
            }
        }
        if (result != 0) {
            result = result < 0 ? -1 : 1;
            return m_sortDescending ? -result : result;
        }
    }
    const int byId = a.ID() < b.ID() ? -1 : (a.ID() > b.ID() ? 1 : 0);
    return m_sortDescending ? -byId : byId;
}

// ---------------------------------------------------------------- open and close

void TozMemoryData::internalOpen()
{
    // Default fields are removed at close, so any field here was declared with the table.
    if (fieldCount() > 0) {
        QList<TFieldDef> defs;
        for (int i = 0; i < fieldCount(); ++i) {
            TField& f = field(i);
            if (f.fieldKind() != TFieldKind::fkData)
                continue;
            if (f.dataType() == TFieldType::ftUnknown)
                throw EDatabaseError(
                    QStringLiteral("Field '%1' is of an unknown type").arg(f.displayName()));
            defs.append(TFieldDef{f.fieldName(), f.dataType(), f.size(), f.required()});
        }
        clearFieldDefs();
        for (const TFieldDef& def : std::as_const(defs))
            addFieldDef(def.name, def.type, def.size, def.required);
    } else {
        createDefaultFields();
    }
    int fixedPart = 0;
    for (int i = 0; i < fieldCount(); ++i)
        if (field(i).fieldKind() == TFieldKind::fkData && !field(i).isBlob())
            fixedPart += field(i).fixedSize();
    if (fixedPart > MaxFixedPart)
        throw EDatabaseError(QStringLiteral("Record size %1 exceeds the limit of %2 bytes")
                                 .arg(fixedPart)
                                 .arg(MaxFixedPart));
    m_sortFields.clear();
    bindFields();
    m_layout = TozRowLayout(fieldDefs());
    m_pos = -1;
    if (m_postAfterEdit)
        attachPostAfterEdit();
}

void TozMemoryData::attachPostAfterEdit()
{
    for (int i = 0; i < fieldCount(); ++i) {
        TField& f = field(i);
        if (f.OnSetText)
            continue;
        bool matches = false;
        for (const TFieldDef& def : fieldDefs())
            if (def.name.compare(f.fieldName(), Qt::CaseInsensitive) == 0)
                matches = true;
        if (matches)
            f.OnSetText = [this](TField& sender, const QString& text) {
                postAfterEditText(sender, text);
            };
    }
}

void TozMemoryData::postAfterEditText(TField& field, const QString& text)
{
    QString result = text;
    if (isNumericType(field.dataType())) {
        const QChar separator = FormatSettings::decimalSeparator();
        const auto parsed = TextToFloat(text, separator);
        if (!parsed)
            throw EDatabaseError(
                QStringLiteral("'%1' is not a valid floating point value").arg(text));
        result = FloatToText(*parsed, separator);
    }
    if (result == field.asString())
        return;
    field.setAsString(result);
    if (m_postAfterEdit &&
        (state() == TDataSetState::dsEdit || state() == TDataSetState::dsInsert)) {
        FlagScope restore(m_postAfterEdit, false);
        post();
        edit();
    }
}

void TozMemoryData::internalAfterOpen()
{
    if (m_fileName.isEmpty() || !QFileInfo::exists(m_fileName))
        return;
    TDataSetNotifyEvent onNewRecord = std::move(OnNewRecord);
    TDataSetNotifyEvent beforePost = std::move(BeforePost);
    TDataSetNotifyEvent afterPost = std::move(AfterPost);
    OnNewRecord = nullptr;
    BeforePost = nullptr;
    AfterPost = nullptr;
    const auto reattach = [&] {
        m_changed = false;
        OnNewRecord = std::move(onNewRecord);
        BeforePost = std::move(beforePost);
        AfterPost = std::move(afterPost);
    };
    try {
        ReadFromFile(m_fileName);
        if (!m_sortFieldsText.isEmpty())
            SortByFields(m_sortFieldsText, true, false);
        first();
    } catch (const F2tpError& e) {
        reattach();
        throw EDatabaseError(FileErrorText(m_fileName, e.message()));
    } catch (...) {
        reattach();
        throw;
    }
    reattach();
}

void TozMemoryData::internalClose()
{
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
        it->reset();
    m_records.clear();
    m_lastId = NoRecordId;
    m_autoInc = 1;
    m_pos = -1;
    m_insertPos = -1;
    m_sortFields.clear();
    m_visible.reset();
    removeDefaultFields();
}

// ---------------------------------------------------------------- fetching

bool TozMemoryData::filterAccepts(int recordIndex)
{
    if (!filtered() || !onFilterRecord())
        return true;
    if (recordIndex < 0 || recordIndex >= int(m_records.size()))
        return false;
    TRecordBuffer scratch;
    initBuffer(scratch);
    scratch.id = m_records[std::size_t(recordIndex)]->ID();
    scratch.data = m_records[std::size_t(recordIndex)]->values();
    bool accept = true;
    TRecordBuffer* savedBuffer = m_calcBuffer;
    TRecordBuffer* savedDisplay = m_displayBuffer;
    const TDataSetState savedState = state();
    try {
        calculateFields(scratch);
        m_displayBuffer = nullptr;
        m_calcBuffer = &scratch;
        setStateSilently(TDataSetState::dsFilter);
        onFilterRecord()(*this, accept);
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
    setStateSilently(savedState);
    m_calcBuffer = savedBuffer;
    m_displayBuffer = savedDisplay;
    return accept;
}

void TozMemoryData::copyToCurrent(int index)
{
    const TozMemoryRecord& record = *m_records[std::size_t(index)];
    loadBuffer(currentBuffer(), record.ID(), record.values());
}

bool TozMemoryData::getRecord(TGetMode mode)
{
    const int count = int(m_records.size());
    const int old = m_pos;
    bool found = false;
    switch (mode) {
    case TGetMode::Current:
        found = m_pos >= 0 && m_pos < count && filterAccepts(m_pos);
        break;
    case TGetMode::Next:
        if (m_pos < count - 1) {
            while (m_pos < count - 1) {
                ++m_pos;
                if (filterAccepts(m_pos)) {
                    found = true;
                    break;
                }
            }
            if (!found)
                m_pos = count - 1;
        }
        break;
    case TGetMode::Prior:
        if (m_pos > 0) {
            while (m_pos > 0) {
                --m_pos;
                if (filterAccepts(m_pos)) {
                    found = true;
                    break;
                }
            }
        }
        if (!found)
            m_pos = -1;
        break;
    }
    if (found) {
        copyToCurrent(m_pos);
    } else if (mode != TGetMode::Current && hasCurrent()) {
        // The cursor stays on the record it showed.
        m_pos = old;
    }
    return found;
}

void TozMemoryData::internalFirst()
{
    m_pos = -1;
}

void TozMemoryData::internalLast()
{
    m_pos = int(m_records.size());
}

int TozMemoryData::indexOfId(qint32 id) const
{
    // The record sought is nearly always the current one or its neighbour
    // (posting, appending while a file is read); IDs are unique, so looking
    // there first gives the same answer as the full walk.
    const int count = int(m_records.size());
    for (const int i : {m_pos, m_pos + 1, m_pos - 1, count - 1}) {
        if (i >= 0 && i < count && m_records[std::size_t(i)]->ID() == id)
            return i;
    }
    for (int i = 0; i < count; ++i) {
        if (m_records[std::size_t(i)]->ID() == id)
            return i;
    }
    return -1;
}

bool TozMemoryData::internalGotoId(qint32 id)
{
    const int index = indexOfId(id);
    if (index < 0 || !filterAccepts(index))
        return false;
    m_pos = index;
    copyToCurrent(index);
    return true;
}

void TozMemoryData::resync()
{
    const bool had = hasCurrent();
    setHasCurrent(false);
    bool found = getRecord(TGetMode::Current);
    if (!found) {
        const int at = m_pos;
        found = getRecord(TGetMode::Next);
        if (!found) {
            m_pos = std::min(at, int(m_records.size()));
            found = getRecord(TGetMode::Prior);
        }
    }
    Q_UNUSED(had)
    setHasCurrent(found);
    if (!found) {
        initBuffer(currentBuffer());
        setEofBof(true, true);
    }
}

// ---------------------------------------------------------------- edit cycle

void TozMemoryData::permissionCheck(TDataSetState target)
{
    if (m_loading)
        return;
    switch (target) {
    case TDataSetState::dsEdit:
        if (!m_canEdit)
            throw EAbort();
        break;
    case TDataSetState::dsInsert:
        if (!m_canInsert)
            throw EAbort();
        break;
    default:
        if (!m_canDelete)
            throw EAbort();
        break;
    }
}

void TozMemoryData::internalEdit()
{
    const int index = indexOfId(currentBuffer().id);
    if (index >= 0)
        m_pos = index;
    editBuffer() = currentBuffer();
    editBuffer().blobModified = QList<bool>(fieldDefs().size(), false);
}

void TozMemoryData::internalInsert(bool append)
{
    if (hasCurrent()) {
        const int index = indexOfId(currentBuffer().id);
        if (index >= 0)
            m_pos = index;
    }
    m_insertPos = m_pos;
    initBuffer(editBuffer());
    if (append)
        m_pos = int(m_records.size());
    else if (!hasCurrent())
        m_pos = -1;
    m_visible.reset();
}

void TozMemoryData::internalPost()
{
    if (state() == TDataSetState::dsEdit) {
        const int index = indexOfId(editBuffer().id);
        if (index < 0)
            throw EDatabaseError(QStringLiteral("No data found"));
        m_pos = index;
        StoreRecord(editBuffer(), index);
    } else {
        AssignAutoIncValues(editBuffer());
        const int count = int(m_records.size());
        int index;
        if (m_pos >= 0 && m_pos < count)
            index = m_pos;
        else if (m_pos < 0)
            index = 0;
        else
            index = count;
        ++m_lastId;
        auto record = std::make_unique<TozMemoryRecord>(*this, m_lastId, TozRow());
        m_records.insert(m_records.begin() + index, std::move(record));
        m_pos = index;
        StoreRecord(editBuffer(), index);
    }
    m_changed = true;
    m_visible.reset();
}

void TozMemoryData::internalCancel(bool inserting)
{
    if (!inserting)
        return;
    if (m_pos >= int(m_records.size()))
        m_pos = int(m_records.size());
    else
        m_pos = m_insertPos;
}

void TozMemoryData::internalDelete()
{
    const int index = indexOfId(currentBuffer().id);
    if (index < 0)
        throw EDatabaseError(QStringLiteral("No data found"));
    m_records.erase(m_records.begin() + index);
    m_pos = index;
    const int count = int(m_records.size());
    if (m_pos >= count)
        m_pos = count - 1;
    if (filtered())
        while (m_pos >= 0 && !filterAccepts(m_pos))
            --m_pos;
    if (m_records.empty())
        resetAfterEmpty();
    m_visible.reset();
}

void TozMemoryData::internalAfterDelete()
{
    m_changed = true;
}

void TozMemoryData::resetAfterEmpty()
{
    m_lastId = NoRecordId;
    m_pos = -1;
}

// ---------------------------------------------------------------- rows straight to storage

bool TozMemoryData::hasScrollOrFilterHandlers() const
{
    return BeforeScroll || AfterScroll || hasCalcFields() || (filtered() && onFilterRecord());
}

bool TozMemoryData::canAppendRows() const
{
    if (state() != TDataSetState::dsBrowse || hasScrollOrFilterHandlers())
        return false;
    if (!(m_loading || m_canInsert) || BeforeInsert || AfterInsert || OnNewRecord || BeforePost ||
        AfterPost || BeforeCancel || AfterCancel)
        return false;
    for (const TFieldDef& def : fieldDefs())
        if (def.type == TFieldType::ftAutoInc)
            return false;
    return true;
}

void TozMemoryData::appendRow(TozRow row)
{
    ++m_lastId;
    m_records.push_back(std::make_unique<TozMemoryRecord>(*this, m_lastId, std::move(row)));
    m_changed = true;
}

void TozMemoryData::endAppendRows()
{
    m_visible.reset();
    if (m_records.empty())
        return;
    m_pos = int(m_records.size()) - 1;
    resyncCurrent();
    notifyDataSetChanged();
}

bool TozMemoryData::canReadRowsDirectly() const
{
    return state() == TDataSetState::dsBrowse && !hasScrollOrFilterHandlers();
}

// ---------------------------------------------------------------- record number, bookmarks

int TozMemoryData::recNo() const
{
    if (m_records.empty())
        return 0;
    return m_pos < 0 ? 1 : m_pos + 1;
}

void TozMemoryData::setRecNo(int value)
{
    if (value < 1 || value > int(m_records.size()))
        return;
    checkBrowseMode();
    m_pos = value - 1;
    resyncCurrent();
    notifyDataSetChanged();
}

bool TozMemoryData::bookmarkValid(const TBookmark& bookmark) const
{
    return active() && bookmark && *bookmark != NoRecordId && *bookmark <= m_lastId;
}

// ---------------------------------------------------------------- grid rows

const std::vector<int>& TozMemoryData::visibleIndexes()
{
    if (!m_visible) {
        std::vector<int> list;
        list.reserve(m_records.size());
        for (int i = 0; i < int(m_records.size()); ++i)
            if (filterAccepts(i))
                list.push_back(i);
        m_visible = std::move(list);
    }
    return *m_visible;
}

int TozMemoryData::storedVisibleCount()
{
    if (!filtered() || !onFilterRecord())
        return int(m_records.size());
    return int(visibleIndexes().size());
}

int TozMemoryData::storedCurrentVisibleRow()
{
    if (!hasCurrent())
        return -1;
    const int index = indexOfId(currentBuffer().id);
    if (index < 0)
        return -1;
    if (!filtered() || !onFilterRecord())
        return index;
    const std::vector<int>& list = visibleIndexes();
    const auto it = std::lower_bound(list.begin(), list.end(), index);
    return it != list.end() && *it == index ? int(it - list.begin()) : -1;
}

bool TozMemoryData::storedReadVisibleRow(int row, TRecordBuffer& buffer)
{
    int index = row;
    if (filtered() && onFilterRecord()) {
        const std::vector<int>& list = visibleIndexes();
        if (row < 0 || row >= int(list.size()))
            return false;
        index = list[std::size_t(row)];
    }
    if (index < 0 || index >= int(m_records.size()))
        return false;
    initBuffer(buffer);
    buffer.id = m_records[std::size_t(index)]->ID();
    buffer.data = m_records[std::size_t(index)]->values();
    return true;
}

// ---------------------------------------------------------------- whole-table operations

void TozMemoryData::ClearRecords()
{
    if (!active())
        return;
    checkBrowseMode();
    for (auto it = m_records.rbegin(); it != m_records.rend(); ++it)
        it->reset();
    m_records.clear();
    resetAfterEmpty();
    setHasCurrent(false);
    initBuffer(currentBuffer());
    setEofBof(true, true);
    m_visible.reset();
    notifyDataSetChanged();
}

void TozMemoryData::SortByFields(const QString& fieldNames, bool caseInsensitive, bool descending)
{
    try {
        QList<TField*> fields;
        const QStringList parts = fieldNames.split(QLatin1Char(';'));
        for (const QString& part : parts) {
            const QString name = part.trimmed();
            if (name.isEmpty())
                continue;
            TField& f = fieldByName(name);
            if (f.fieldKind() != TFieldKind::fkData || f.isBlob()) {
                const QString actual = f.calculated() ? QStringLiteral("Calculated")
                                       : f.lookup()   ? QStringLiteral("Lookup")
                                                      : fieldTypeName(f.dataType());
                throw EDatabaseError(
                    QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                        .arg(f.displayName(), QStringLiteral("Data"), actual));
            }
            fields.append(&f);
        }
        m_sortFields = fields;
        m_sortCaseInsensitive = caseInsensitive;
        m_sortDescending = descending;
        if (!active() || m_records.empty())
            return;
        const qint32 currentId = state() == TDataSetState::dsEdit ? editBuffer().id
                                 : hasCurrent()                   ? currentBuffer().id
                                                                  : NoRecordId;
        std::sort(m_records.begin(), m_records.end(),
                  [this](const auto& a, const auto& b) { return CompareForSort(*a, *b) < 0; });
        m_visible.reset();
        if (currentId != NoRecordId) {
            const int index = indexOfId(currentId);
            if (index >= 0)
                m_pos = index;
        }
        notifyDataSetChanged();
    } catch (...) {
        m_sortFields.clear();
        throw;
    }
}

bool TozMemoryData::locate(const QString& keyFields, const QVariant& keyValues,
                           TLocateOptions options)
{
    checkActive();
    fire(BeforeScroll);
    const bool found = LocateRecord(*this, keyFields, keyValues, options);
    if (found) {
        notifyDataSetChanged();
        fire(AfterScroll);
    }
    return found;
}

QVariant TozMemoryData::lookup(const QString& keyFields, const QVariant& keyValues,
                               const QString& resultFields)
{
    checkActive();
    QVariant result;
    TControlsDisabler disabler(*this);
    const TBookmark remembered = bookmark();
    try {
        first();
        if (locate(keyFields, keyValues, {}) && !resultFields.trimmed().isEmpty())
            result = fieldValues(resultFields);
    } catch (...) {
        if (bookmarkValid(remembered))
            gotoBookmark(remembered);
        throw;
    }
    if (bookmarkValid(remembered))
        gotoBookmark(remembered);
    return result;
}

// ---------------------------------------------------------------- files

void TozMemoryData::ReadFromFile(const QString& fileName)
{
    const QString name = fileName.isEmpty() ? m_fileName : fileName;
    TControlsDisabler disabler(*this);
    FlagScope loading(m_loading, true);
    TDataPacket packet(nullptr, name);
    packet.OpenPacket();
    packet.LoadInto(*this);
}

void TozMemoryData::WriteToFile(const QString& fileName)
{
    WriteDataPacket(*this, fileName);
}

void TozMemoryData::SaveIfModified()
{
    if (!active() || m_fileName.isEmpty() || !m_changed)
        return;
    const bool wasFiltered = filtered();
    setFiltered(false);
    try {
        WriteToFile(m_fileName);
    } catch (...) {
        setFiltered(wasFiltered);
        throw;
    }
    m_changed = false;
    setFiltered(wasFiltered);
}

// ---------------------------------------------------------------- TozMemBlobStream

TozMemBlobStream::TozMemBlobStream(TBlobField& field, Mode mode)
    : m_field(field)
    , m_mode(mode)
{
    TDataSet& table = field.dataSet();
    const int index = field.m_bufferIndex;
    if (mode != Mode::Read) {
        if (field.readOnly())
            throw EDatabaseError(
                QStringLiteral("Поле '%1' не может изменяться").arg(field.displayName()));
        if (table.state() != TDataSetState::dsEdit && table.state() != TDataSetState::dsInsert)
            throw EDatabaseError(QStringLiteral("Таблица не в режиме редактирования"));
        m_buffer = table.activeBuffer();
    } else {
        m_buffer = table.activeBuffer();
    }
    if (!m_buffer || index < 0 || field.fieldKind() != TFieldKind::fkData ||
        index >= m_buffer->data.size())
        m_buffer = nullptr;
    if (m_buffer && mode == Mode::Write)
        m_buffer->data[index] = QByteArray();
}

TozMemBlobStream::~TozMemBlobStream()
{
    close();
}

QByteArray& TozMemBlobStream::bytes() const
{
    QVariant& slot = m_buffer->data[m_field.m_bufferIndex];
    if (slot.typeId() != QMetaType::QByteArray)
        slot = QByteArray();
    return *static_cast<QByteArray*>(slot.data());
}

qint64 TozMemBlobStream::read(char* data, qint64 count)
{
    if (!m_open || !m_buffer || count <= 0)
        return 0;
    const QByteArray& value = bytes();
    const qint64 available = std::max<qint64>(0, value.size() - m_position);
    const qint64 n = std::min(count, available);
    if (n > 0)
        std::copy_n(value.constData() + m_position, n, data);
    m_position += n;
    return n;
}

QByteArray TozMemBlobStream::readAll()
{
    if (!m_open || !m_buffer)
        return QByteArray();
    const QByteArray& value = bytes();
    const QByteArray result = m_position < value.size() ? value.mid(m_position) : QByteArray();
    m_position = std::max<qint64>(m_position, value.size());
    return result;
}

qint64 TozMemBlobStream::write(const char* data, qint64 count)
{
    if (!m_open || !m_buffer || m_mode == Mode::Read || count <= 0)
        return 0;
    QByteArray& value = bytes();
    if (value.size() < m_position + count)
        value.resize(m_position + count, '\0');
    std::copy_n(data, count, value.data() + m_position);
    m_position += count;
    m_modified = true;
    return count;
}

qint64 TozMemBlobStream::seek(qint64 offset, Origin origin)
{
    qint64 base = 0;
    if (origin == Origin::Current)
        base = m_position;
    else if (origin == Origin::End)
        base = size();
    m_position = std::max<qint64>(0, base + offset);
    return m_position;
}

qint64 TozMemBlobStream::size() const
{
    if (!m_buffer)
        return 0;
    return m_buffer->data.at(m_field.m_bufferIndex).toByteArray().size();
}

void TozMemBlobStream::close()
{
    if (!m_open)
        return;
    m_open = false;
    if (!m_modified || !m_buffer)
        return;
    try {
        const int index = m_field.m_bufferIndex;
        if (index < m_buffer->blobModified.size())
            m_buffer->blobModified[index] = true;
        if (m_buffer->data.at(index).toByteArray().isEmpty())
            m_buffer->data[index] = QVariant();
        m_field.dataSet().dataFieldChanged(m_field);
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
}

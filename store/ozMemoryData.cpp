#include "ozMemoryData.h"

#include <algorithm>
#include <optional>

#include <QCollator>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QTime>

#include "Cp1251.h"
#include "DSToXML.h"
#include "Errors.h"
#include "FormatSettings.h"
#include "ObFunc.h"
#include "UserInterface.h"
#include "ozLocateKeys.h"

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

struct TozMemoryData::KeyIndex
{
    int def = -1;
    bool text = false;
    bool caseInsensitive = false;
    // A stored value the index cannot hold (kept aside): searches scan.
    bool usable = true;
    int firstNull = -1;
    QHash<double, int> numbers;
    QHash<QString, int> texts;
};

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
    m_owner.dropKeyIndex();
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

namespace {

int sign(int value)
{
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

template <class T> int compareNumbers(T x, T y)
{
    return x < y ? -1 : (x > y ? 1 : 0);
}

int compareTexts(QCollator& collator, const QString& a, const QString& b, bool caseInsensitive)
{
    collator.setCaseSensitivity(caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
    return caseInsensitive ? collator.compare(a.toUpper(), b.toUpper()) : collator.compare(a, b);
}

// Two records' values of a sort field as the values they hold; no value
// sorts first, and an empty text counts as no value.
int compareValues(QCollator& collator, TFieldType type, QVariant va, QVariant vb,
                  bool caseInsensitive)
{
    if (isStringType(type)) {
        if (va.toString().isEmpty())
            va = QVariant();
        if (vb.toString().isEmpty())
            vb = QVariant();
    }
    if (va.isNull() || vb.isNull())
        return int(!va.isNull()) - int(!vb.isNull());
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftWideString:
    case TFieldType::ftGuid:
        return compareTexts(collator, va.toString(), vb.toString(),
                            caseInsensitive || type == TFieldType::ftGuid);
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
    case TFieldType::ftWord:
    case TFieldType::ftLargeint:
        return compareNumbers(va.toLongLong(), vb.toLongLong());
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
        return compareNumbers(va.toDouble(), vb.toDouble());
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime: {
        const QPartialOrdering o = QVariant::compare(va, vb);
        return o == QPartialOrdering::Less ? -1 : (o == QPartialOrdering::Greater ? 1 : 0);
    }
    case TFieldType::ftBoolean:
        return int(va.toBool()) - int(vb.toBool());
    default:
        return 0;
    }
}

// The same comparison on the stored bytes of numbers and Windows-1251 texts;
// false for values it leaves to compareValues.
bool compareStored(QCollator& collator, const TozRowLayout& layout, int def, TFieldType type,
                   const TozRow& a, const TozRow& b, bool caseInsensitive, int& result)
{
    using Slot = TozRowLayout::Slot;
    if (layout.isAside(a, def) || layout.isAside(b, def))
        return false;
    const Slot slot = layout.slot(def);
    const bool number =
        isNumericType(type) && (slot == Slot::Int32 || slot == Slot::Int64 || slot == Slot::Float);
    const bool text = slot == Slot::Text && type != TFieldType::ftWideString && isStringType(type);
    if (!number && !text)
        return false;
    const bool nullA = layout.isNull(a, def) || (text && layout.text(a, def).isEmpty());
    const bool nullB = layout.isNull(b, def) || (text && layout.text(b, def).isEmpty());
    if (nullA || nullB)
        result = int(!nullA) - int(!nullB);
    else if (text)
        result = compareTexts(collator, Cp1251::decode(layout.text(a, def)),
                              Cp1251::decode(layout.text(b, def)),
                              caseInsensitive || type == TFieldType::ftGuid);
    else if (slot == Slot::Float)
        result = compareNumbers(layout.number(a, def), layout.number(b, def));
    else if (type == TFieldType::ftFloat || type == TFieldType::ftCurrency ||
             type == TFieldType::ftBCD)
        result = compareNumbers(double(layout.integer(a, def)), double(layout.integer(b, def)));
    else
        result = compareNumbers(layout.integer(a, def), layout.integer(b, def));
    return true;
}

} // namespace

int TozMemoryData::sortDefIndex(int k) const
{
    if (k < m_sortDefs.size())
        return m_sortDefs.at(k);
    const QString name = m_sortFields.at(k)->fieldName();
    for (qsizetype i = 0; i < fieldDefs().size(); ++i)
        if (fieldDefs().at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int TozMemoryData::CompareForSort(const TozMemoryRecord& a, const TozMemoryRecord& b) const
{
    static thread_local QCollator collator(collationLocale());
    for (qsizetype k = 0; k < m_sortFields.size(); ++k) {
        const int d = sortDefIndex(int(k));
        if (d < 0)
            continue;
        const TFieldType type = m_sortFields.at(k)->dataType();
        int result = 0;
        if (!compareStored(collator, m_layout, d, type, a.row(), b.row(), m_sortCaseInsensitive,
                           result))
            result = compareValues(collator, type, a.value(d), b.value(d), m_sortCaseInsensitive);
        if (result != 0) {
            result = sign(result);
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
    m_sortDefs.clear();
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
    m_sortDefs.clear();
    m_visible.reset();
    dropKeyIndex();
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
        const TozMemoryRecord& record = *m_records[std::size_t(index)];
        if (m_keyIndex) {
            const QVariant before = m_layout.value(record.row(), m_keyIndex->def);
            const bool asideBefore = m_layout.isAside(record.row(), m_keyIndex->def);
            StoreRecord(editBuffer(), index);
            if (asideBefore || m_layout.isAside(record.row(), m_keyIndex->def) ||
                m_layout.value(record.row(), m_keyIndex->def) != before)
                dropKeyIndex();
        } else {
            StoreRecord(editBuffer(), index);
        }
    } else {
        dropKeyIndex();
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
    dropKeyIndex();
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
    dropKeyIndex();
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
    dropKeyIndex();
    resetAfterEmpty();
    setHasCurrent(false);
    initBuffer(currentBuffer());
    setEofBof(true, true);
    m_visible.reset();
    notifyDataSetChanged();
}

void TozMemoryData::EmptyTable()
{
    if (!active())
        return;
    ClearRecords();
    m_changed = true;
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
        m_sortDefs.clear();
        for (qsizetype k = 0; k < fields.size(); ++k)
            m_sortDefs.append(sortDefIndex(int(k)));
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
        dropKeyIndex();
        if (currentId != NoRecordId) {
            const int index = indexOfId(currentId);
            if (index >= 0)
                m_pos = index;
        }
        notifyDataSetChanged();
    } catch (...) {
        m_sortFields.clear();
        m_sortDefs.clear();
        throw;
    }
}

bool TozMemoryData::locate(const QString& keyFields, const QVariant& keyValues,
                           TLocateOptions options)
{
    checkActive();
    const bool beforeScroll = bool(BeforeScroll);
    if (!beforeScroll) {
        checkBrowseMode();
        if (canSearchRowsDirectly() && !isEmpty()) {
            const TLocateKeys keys(*this, keyFields, keyValues, options);
            const QList<int> defs = storedIndexes(keys);
            if (!defs.contains(-1)) {
                const bool found = locateStored(keys, defs);
                if (found)
                    notifyDataSetChanged();
                return found;
            }
        }
    } else {
        fire(BeforeScroll);
    }
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
    if (state() == TDataSetState::dsBrowse && canSearchRowsDirectly() && !isEmpty()) {
        std::optional<TLocateKeys> keys;
        QList<int> defs;
        try {
            keys.emplace(*this, keyFields, keyValues, TLocateOptions());
            defs = storedIndexes(*keys);
        } catch (...) {
            TControlsDisabler disabler(*this);
            returnToCurrent();
            throw;
        }
        if (!defs.contains(-1))
            return lookupStored(*keys, defs, resultFields);
    }
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

// ---------------------------------------------------------------- searching the stored rows

void TozMemoryData::dropKeyIndex()
{
    m_keyIndex.reset();
}

bool TozMemoryData::canSearchRowsDirectly() const
{
    return canReadRowsDirectly() && !m_displayBuffer;
}

bool TozMemoryData::locateStored(const TLocateKeys& keys, const QList<int>& defs)
{
    // The walk tests the current record first, then every record from the first.
    if (keys.matchesCurrent())
        return true;
    const int index = findRow(keys, defs);
    TControlsDisabler disabler(*this);
    if (index < 0) {
        returnToCurrent();
        return false;
    }
    m_pos = index;
    copyToCurrent(index);
    setHasCurrent(true);
    setEofBof(index == 0, false);
    return true;
}

QVariant TozMemoryData::lookupStored(const TLocateKeys& keys, const QList<int>& defs,
                                     const QString& resultFields)
{
    TControlsDisabler disabler(*this);
    QVariant result;
    try {
        const int index = findRow(keys, defs);
        if (index >= 0 && !resultFields.trimmed().isEmpty())
            result = storedValues(*m_records[std::size_t(index)], getFieldList(resultFields));
    } catch (...) {
        returnToCurrent();
        throw;
    }
    returnToCurrent();
    return result;
}

QList<int> TozMemoryData::storedIndexes(const TLocateKeys& keys) const
{
    QList<int> result;
    for (int i = 0; i < keys.count(); ++i)
        result.append(storedIndex(keys.field(i)));
    return result;
}

QVariant TozMemoryData::storedValues(const TozMemoryRecord& record,
                                     const QList<TField*>& fields) const
{
    // As fieldValues reads them from a buffer loaded with the record.
    const auto valueOf = [&](const TField* field) {
        const int index = storedIndex(*field);
        if (index < 0 || index >= m_layout.fieldCount())
            return QVariant();
        QVariant value = m_layout.value(record.row(), index);
        if (isStringType(field->dataType()) && value.toString().isEmpty())
            return QVariant();
        return value;
    };
    if (fields.size() == 1)
        return valueOf(fields.front());
    QVariantList values;
    for (const TField* field : fields)
        values.append(valueOf(field));
    return values;
}

void TozMemoryData::returnToCurrent()
{
    const int index = indexOfId(currentBuffer().id);
    if (index >= 0) {
        // In browse state the current buffer holds its stored record as read.
        if (index != m_pos || !hasCurrent())
            copyToCurrent(index);
        m_pos = index;
        setHasCurrent(true);
    }
    setEofBof(false, false);
}

int TozMemoryData::findRow(const TLocateKeys& keys, const QList<int>& defs)
{
    if (keys.count() == 1 && !keys.partial()) {
        if (const KeyIndex* index = keyIndexFor(keys, defs.at(0))) {
            double number = 0;
            const int at = keys.key(0).isNull() ? index->firstNull
                           : index->text        ? index->texts.value(keys.key(0).toString(), -1)
                           : keys.numericKey(0, number)
                               ? index->numbers.value(number == 0 ? 0.0 : number, -1)
                               : -1;
            if (at < 0)
                return -1;
            if (at < int(m_records.size()) &&
                keys.matchesRow(m_layout, m_records[std::size_t(at)]->row(), defs))
                return at;
            dropKeyIndex();
        }
    }
    for (int i = 0; i < int(m_records.size()); ++i)
        if (keys.matchesRow(m_layout, m_records[std::size_t(i)]->row(), defs))
            return i;
    return -1;
}

const TozMemoryData::KeyIndex* TozMemoryData::keyIndexFor(const TLocateKeys& keys, int def)
{
    // A short table is scanned faster than an index is built.
    constexpr std::size_t MinIndexedRecords = 16;
    using Slot = TozRowLayout::Slot;
    const Slot slot = m_layout.slot(def);
    const bool text = slot == Slot::Text && keys.field(0).dataType() == TFieldType::ftString;
    if (!text && slot != Slot::Int32 && slot != Slot::Int64 && slot != Slot::Float)
        return nullptr;
    const QVariant& key = keys.key(0);
    double number = 0;
    // An empty text also matches records without a value: scanned.
    if (!key.isNull() && (text ? key.typeId() != QMetaType::QString || key.toString().isEmpty()
                               : !keys.numericKey(0, number)))
        return nullptr;
    if (m_records.size() < MinIndexedRecords)
        return nullptr;
    const bool ci = text && keys.caseInsensitive();
    if (m_keyIndex && m_keyIndex->def == def && (key.isNull() || m_keyIndex->caseInsensitive == ci))
        return m_keyIndex->usable ? m_keyIndex.get() : nullptr;
    auto index = std::make_unique<KeyIndex>();
    index->def = def;
    index->text = text;
    index->caseInsensitive = ci;
    // From the last record to the first, so the first of equal values stays.
    for (int i = int(m_records.size()) - 1; i >= 0 && index->usable; --i) {
        const TozRow& row = m_records[std::size_t(i)]->row();
        if (m_layout.isAside(row, def)) {
            index->usable = false;
        } else if (m_layout.isNull(row, def)) {
            index->firstNull = i;
        } else if (text) {
            const QString value = Cp1251::decode(m_layout.text(row, def));
            index->texts.insert(ci ? value.toUpper() : value, i);
        } else {
            const double value = slot == Slot::Float ? m_layout.number(row, def)
                                                     : double(m_layout.integer(row, def));
            index->numbers.insert(value == 0 ? 0.0 : value, i);
        }
    }
    if (!index->usable) {
        index->numbers.clear();
        index->texts.clear();
    }
    m_keyIndex = std::move(index);
    return m_keyIndex->usable ? m_keyIndex.get() : nullptr;
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

#include "ozRowLayout.h"

#include <algorithm>
#include <cstring>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "Cp1251.h"
#include "ozDataSet.h"

namespace {

using Slot = TozRowLayout::Slot;

Slot slotOf(TFieldType type)
{
    switch (type) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar:
    case TFieldType::ftGuid:
        return Slot::Text;
    case TFieldType::ftWideString:
        return Slot::WideText;
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftAutoInc:
    case TFieldType::ftWord:
        return Slot::Int32;
    case TFieldType::ftLargeint:
        return Slot::Int64;
    case TFieldType::ftBoolean:
        return Slot::Bool;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
        return Slot::Float;
    case TFieldType::ftDate:
        return Slot::Date;
    case TFieldType::ftTime:
        return Slot::Time;
    case TFieldType::ftDateTime:
        return Slot::DateTime;
    case TFieldType::ftBytes:
    case TFieldType::ftVarBytes:
        return Slot::Bytes;
    default:
        return isBlobType(type) ? Slot::Bytes : Slot::Variant;
    }
}

int widthOf(Slot slot)
{
    switch (slot) {
    case Slot::Int32:
    case Slot::Time:
        return 4;
    case Slot::Int64:
    case Slot::Float:
    case Slot::Date:
        return 8;
    case Slot::Bool:
        return 1;
    case Slot::DateTime:
        return 12;
    case Slot::Text:
    case Slot::WideText:
    case Slot::Bytes:
        return 8; // offset and length of the bytes after the fixed part
    case Slot::Variant:
        break;
    }
    return 0;
}

// Where a text or byte string lies in the row.
struct Extent
{
    quint32 offset;
    quint32 length;
};

bool isLocalTime(const QDateTime& value)
{
    return value.timeSpec() == Qt::LocalTime;
}

} // namespace

// ---------------------------------------------------------------- TozRowLayout

TozRowLayout::TozRowLayout(const QList<TFieldDef>& defs)
{
    m_bitBytes = int((defs.size() + 7) / 8);
    int offset = 2 * m_bitBytes;
    for (const TFieldDef& def : defs) {
        const Slot kind = slotOf(def.type);
        m_slots.push_back({kind, offset});
        offset += widthOf(kind);
    }
    m_fixedSize = offset;
}

bool TozRowLayout::bit(const TozRow& row, int field, int base) const
{
    const auto byte = static_cast<unsigned char>(row.m_bytes[std::size_t(base + field / 8)]);
    return (byte >> (field % 8)) & 1;
}

template <class T> T TozRowLayout::load(const TozRow& row, int field) const
{
    T value;
    std::memcpy(&value, row.m_bytes.get() + m_slots[std::size_t(field)].offset, sizeof value);
    return value;
}

qint64 TozRowLayout::integer(const TozRow& row, int field) const
{
    return slot(field) == Slot::Int64 ? load<qint64>(row, field) : load<qint32>(row, field);
}

double TozRowLayout::number(const TozRow& row, int field) const
{
    return load<double>(row, field);
}

QByteArrayView TozRowLayout::text(const TozRow& row, int field) const
{
    const auto extent = load<Extent>(row, field);
    return QByteArrayView(row.m_bytes.get() + extent.offset, qsizetype(extent.length));
}

QVariant TozRowLayout::value(const TozRow& row, int field) const
{
    if (isNull(row, field))
        return QVariant();
    if (isAside(row, field)) {
        for (const auto& [index, value] : *row.m_aside)
            if (index == field)
                return value;
        return QVariant();
    }
    switch (slot(field)) {
    case Slot::Int32:
        return QVariant(load<qint32>(row, field));
    case Slot::Int64:
        return QVariant(load<qint64>(row, field));
    case Slot::Float:
        return QVariant(load<double>(row, field));
    case Slot::Bool:
        return QVariant(load<char>(row, field) != 0);
    case Slot::Date:
        return QVariant(QDate::fromJulianDay(load<qint64>(row, field)));
    case Slot::Time:
        return QVariant(QTime::fromMSecsSinceStartOfDay(load<qint32>(row, field)));
    case Slot::DateTime: {
        const qint64 day = load<qint64>(row, field);
        qint32 msecs;
        std::memcpy(&msecs, row.m_bytes.get() + m_slots[std::size_t(field)].offset + 8, 4);
        return QVariant(
            QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(msecs)));
    }
    case Slot::Text:
        return QVariant(Cp1251::decode(text(row, field)));
    case Slot::WideText: {
        const QByteArrayView units = text(row, field);
        QString value(units.size() / 2, Qt::Uninitialized);
        if (!units.isEmpty())
            std::memcpy(value.data(), units.data(), std::size_t(units.size()));
        return QVariant(value);
    }
    case Slot::Bytes:
        return QVariant(text(row, field).toByteArray());
    case Slot::Variant:
        break;
    }
    return QVariant();
}

QVariantList TozRowLayout::values(const TozRow& row) const
{
    QVariantList result;
    result.reserve(fieldCount());
    for (int i = 0; i < fieldCount(); ++i)
        result.append(value(row, i));
    return result;
}

TozRow TozRowLayout::encode(const QVariantList& values) const
{
    TozRowBuilder builder(*this);
    const int count = std::min(fieldCount(), int(values.size()));
    for (int i = 0; i < count; ++i)
        builder.setValue(i, values.at(i));
    return builder.take();
}

// ---------------------------------------------------------------- TozRowBuilder

TozRowBuilder::TozRowBuilder(const TozRowLayout& layout)
    : m_layout(layout)
    , m_fixed(std::size_t(layout.fixedSize()), '\0')
{
    // Every field starts without value.
    std::fill_n(m_fixed.data(), layout.m_bitBytes, char(0xFF));
}

void TozRowBuilder::setBit(int field, int base, bool on)
{
    auto& byte = reinterpret_cast<unsigned char&>(m_fixed[std::size_t(base + field / 8)]);
    const auto mask = static_cast<unsigned char>(1u << (field % 8));
    byte = on ? (byte | mask) : (byte & ~mask);
}

void TozRowBuilder::present(int field)
{
    auto* bits = reinterpret_cast<unsigned char*>(m_fixed.data());
    const auto mask = static_cast<unsigned char>(1u << (field % 8));
    bits[field / 8] &= static_cast<unsigned char>(~mask);
    unsigned char& aside = bits[m_layout.m_bitBytes + field / 8];
    if (aside & mask) {
        aside &= static_cast<unsigned char>(~mask);
        std::erase_if(m_aside, [field](const auto& entry) { return entry.first == field; });
    }
}

void TozRowBuilder::setNull(int field)
{
    present(field);
    setBit(field, 0, true);
}

template <class T> void TozRowBuilder::store(int field, T value)
{
    present(field);
    std::memcpy(m_fixed.data() + m_layout.m_slots[std::size_t(field)].offset, &value, sizeof value);
}

void TozRowBuilder::storeBytes(int field, QByteArrayView bytes)
{
    const Extent extent{quint32(std::size_t(m_layout.fixedSize()) + m_tail.size()),
                        quint32(bytes.size())};
    m_tail.insert(m_tail.end(), bytes.begin(), bytes.end());
    store(field, extent);
}

void TozRowBuilder::setInteger(int field, qint64 value)
{
    if (m_layout.slot(field) == Slot::Int64)
        store(field, value);
    else
        store(field, qint32(value));
}

void TozRowBuilder::setNumber(int field, double value)
{
    store(field, value);
}

void TozRowBuilder::setText(int field, QByteArrayView cp1251, int maxChars)
{
    if (maxChars > 0 && cp1251.size() > maxChars)
        cp1251 = cp1251.first(maxChars);
    storeBytes(field, cp1251);
}

bool TozRowBuilder::setInline(int field, const QVariant& value)
{
    const int type = value.typeId();
    switch (m_layout.slot(field)) {
    case Slot::Int32:
        if (type != QMetaType::Int)
            return false;
        store(field, qint32(value.toInt()));
        return true;
    case Slot::Int64:
        if (type != QMetaType::LongLong)
            return false;
        store(field, value.toLongLong());
        return true;
    case Slot::Float:
        if (type != QMetaType::Double)
            return false;
        store(field, value.toDouble());
        return true;
    case Slot::Bool:
        if (type != QMetaType::Bool)
            return false;
        store(field, char(value.toBool() ? 1 : 0));
        return true;
    case Slot::Date:
        if (type != QMetaType::QDate || !value.toDate().isValid())
            return false;
        store(field, value.toDate().toJulianDay());
        return true;
    case Slot::Time:
        if (type != QMetaType::QTime || !value.toTime().isValid())
            return false;
        store(field, qint32(value.toTime().msecsSinceStartOfDay()));
        return true;
    case Slot::DateTime: {
        if (type != QMetaType::QDateTime)
            return false;
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid() || !isLocalTime(dt))
            return false;
        store(field, dt.date().toJulianDay());
        const qint32 msecs = dt.time().msecsSinceStartOfDay();
        std::memcpy(m_fixed.data() + m_layout.m_slots[std::size_t(field)].offset + 8, &msecs, 4);
        return true;
    }
    case Slot::Text: {
        if (type != QMetaType::QString)
            return false;
        const QString& text = *static_cast<const QString*>(value.constData());
        if (text.isEmpty())
            return false;
        QByteArray bytes;
        if (!Cp1251::encodeExact(text, bytes))
            return false;
        storeBytes(field, bytes);
        return true;
    }
    case Slot::WideText: {
        if (type != QMetaType::QString)
            return false;
        const QString& text = *static_cast<const QString*>(value.constData());
        if (text.isEmpty())
            return false;
        storeBytes(field, QByteArrayView(reinterpret_cast<const char*>(text.constData()),
                                         text.size() * qsizetype(sizeof(QChar))));
        return true;
    }
    case Slot::Bytes: {
        if (type != QMetaType::QByteArray)
            return false;
        const QByteArray& bytes = *static_cast<const QByteArray*>(value.constData());
        if (bytes.isEmpty())
            return false;
        storeBytes(field, bytes);
        return true;
    }
    case Slot::Variant:
        break;
    }
    return false;
}

void TozRowBuilder::setValue(int field, const QVariant& value)
{
    if (!value.isValid()) {
        setNull(field);
        return;
    }
    if (setInline(field, value))
        return;
    present(field);
    setBit(field, m_layout.m_bitBytes, true);
    m_aside.emplace_back(field, value);
}

TozRow TozRowBuilder::take()
{
    TozRow row;
    row.m_bytes = std::make_unique_for_overwrite<char[]>(m_fixed.size() + m_tail.size());
    // A table without stored fields has no fixed part, and an empty vector's
    // data may be null, which memcpy must not be given even for no bytes.
    if (!m_fixed.empty())
        std::memcpy(row.m_bytes.get(), m_fixed.data(), m_fixed.size());
    if (!m_tail.empty())
        std::memcpy(row.m_bytes.get() + m_fixed.size(), m_tail.data(), m_tail.size());
    if (!m_aside.empty())
        row.m_aside = std::make_unique<TozRow::Aside>(std::move(m_aside));
    m_aside.clear();
    m_tail.clear(); // keeps its capacity for the next row
    std::fill(m_fixed.begin(), m_fixed.end(), '\0');
    std::fill_n(m_fixed.data(), m_layout.m_bitBytes, char(0xFF));
    return row;
}

#pragma once

#include <memory>
#include <utility>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QVariant>

#include "ozField.h"

struct TFieldDef;

// One stored record's values in a single byte block: a "no value" bit and an
// "aside" bit per field, one fixed-width slot per field (numbers, dates and
// flags inline; texts and byte strings as offset and length), then the texts
// and byte strings themselves. Texts of string fields are kept as Windows-1251
// bytes, one byte a character. A value the slot cannot hold exactly (another
// variant type, a text outside the code page, an empty text as opposed to no
// value) is kept aside as the QVariant it was, so every value reads back as
// it was stored.
class TozRow
{
public:
    TozRow() = default;
    TozRow(TozRow&&) noexcept = default;
    TozRow& operator=(TozRow&&) noexcept = default;

    const char* bytes() const { return m_bytes.get(); }
    bool hasAside() const { return m_aside != nullptr; }

private:
    friend class TozRowLayout;
    friend class TozRowBuilder;
    using Aside = std::vector<std::pair<int, QVariant>>;

    std::unique_ptr<char[]> m_bytes;
    std::unique_ptr<Aside> m_aside;
};

// The slots of a table's records, worked out from its field definitions when
// the table opens. Reads take a row built with the same layout.
class TozRowLayout
{
public:
    enum class Slot : quint8
    {
        Int32,
        Int64,
        Float,
        Bool,
        Date,
        Time,
        DateTime,
        Text,
        WideText,
        Bytes,
        Variant,
    };

    TozRowLayout() = default;
    explicit TozRowLayout(const QList<TFieldDef>& defs);

    int fieldCount() const { return int(m_slots.size()); }
    Slot slot(int field) const { return m_slots[std::size_t(field)].kind; }
    int fixedSize() const { return m_fixedSize; }

    bool isNull(const TozRow& row, int field) const { return bit(row, field, 0); }
    bool isAside(const TozRow& row, int field) const { return bit(row, field, m_bitBytes); }
    // The value as the buffer held it when stored (null QVariant: no value).
    QVariant value(const TozRow& row, int field) const;
    QVariantList values(const TozRow& row) const;
    TozRow encode(const QVariantList& values) const;

    // Inline values, for fields neither null nor aside of the matching slot.
    qint64 integer(const TozRow& row, int field) const;
    double number(const TozRow& row, int field) const;
    // The Windows-1251 bytes of a Text slot, the bytes of a Bytes slot.
    QByteArrayView text(const TozRow& row, int field) const;

private:
    friend class TozRowBuilder;
    struct SlotInfo
    {
        Slot kind;
        int offset;
    };

    bool bit(const TozRow& row, int field, int base) const;
    template <class T> T load(const TozRow& row, int field) const;

    std::vector<SlotInfo> m_slots;
    int m_bitBytes = 0;
    int m_fixedSize = 0;
};

// Collects one record's values slot by slot and makes the row in one
// allocation. Every field starts without value; a field set twice keeps the
// last value.
class TozRowBuilder
{
public:
    explicit TozRowBuilder(const TozRowLayout& layout);

    void setNull(int field);
    void setInteger(int field, qint64 value);
    void setNumber(int field, double value);
    // Windows-1251 bytes for a Text slot; cut to maxChars when it is positive.
    void setText(int field, QByteArrayView cp1251, int maxChars = 0);
    // Any value: inline when the slot holds it exactly, else aside.
    void setValue(int field, const QVariant& value);
    // The row; the builder starts over with every field empty.
    TozRow take();

private:
    void setBit(int field, int base, bool on);
    void present(int field);
    template <class T> void store(int field, T value);
    void storeBytes(int field, QByteArrayView bytes);
    bool setInline(int field, const QVariant& value);

    const TozRowLayout& m_layout;
    std::vector<char> m_fixed;
    std::vector<char> m_tail;
    TozRow::Aside m_aside;
};

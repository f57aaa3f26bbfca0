#include "ozLocateKeys.h"

#include "Cp1251.h"
#include "ozRowLayout.h"

namespace {

bool isStringType(TFieldType type)
{
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
           type == TFieldType::ftWideString || type == TFieldType::ftGuid;
}

bool isNumberSlot(TozRowLayout::Slot slot)
{
    return slot == TozRowLayout::Slot::Int32 || slot == TozRowLayout::Slot::Int64 ||
           slot == TozRowLayout::Slot::Float;
}

} // namespace

TLocateKeys::TLocateKeys(const TDataSet& dataSet, const QString& keyFields,
                         const QVariant& keyValues, TLocateOptions options)
    : m_caseInsensitive(options.testFlag(TLocateOption::loCaseInsensitive))
    , m_partial(options.testFlag(TLocateOption::loPartialKey))
{
    const QList<TField*> fields = dataSet.getFieldList(keyFields);
    QVariantList values;
    if (keyValues.typeId() == QMetaType::QVariantList) {
        values = keyValues.toList();
        while (values.size() < fields.size())
            values.append(QVariant());
    } else {
        for (qsizetype i = 0; i < fields.size(); ++i)
            values.append(keyValues);
    }
    for (qsizetype i = 0; i < fields.size(); ++i) {
        Key key;
        key.field = fields.at(i);
        key.key = values.at(i);
        key.text = key.field->dataType() == TFieldType::ftString && !key.key.isNull();
        if (key.text) {
            QString text = key.key.toString();
            if (m_caseInsensitive)
                text = text.toUpper();
            while (text.endsWith(QLatin1Char(' ')))
                text.chop(1);
            key.key = text;
            // '?' also stands for the bytes the code page leaves undefined, so
            // a key holding it is compared as text.
            key.hasBytes = !text.contains(QLatin1Char('?')) && Cp1251::encodeExact(text, key.bytes);
        } else if (!key.key.isNull()) {
            key.number = key.key.toDouble(&key.numeric);
        }
        m_keys.append(key);
    }
}

bool TLocateKeys::numericKey(int i, double& value) const
{
    const Key& key = m_keys.at(i);
    value = key.number;
    return key.numeric && !key.text;
}

bool TLocateKeys::matchesText(const Key& key, const QString& text) const
{
    const QString k = key.key.toString();
    const QString shown = m_partial ? text.left(k.size()) : text;
    return m_caseInsensitive ? shown.toUpper() == k : shown == k;
}

bool TLocateKeys::matchesValue(const Key& key, const QVariant& value) const
{
    if (key.key.isNull())
        return value.isNull();
    if (key.text)
        return matchesText(key, value.isNull() ? QString() : value.toString());
    if (value.isNull())
        return false;
    bool okValue = false;
    bool okKey = false;
    const double a = value.toDouble(&okValue);
    const double b = key.key.toDouble(&okKey);
    if (okValue && okKey && value.typeId() != QMetaType::QString)
        return a == b;
    return QVariant::compare(value, key.key) == QPartialOrdering::Equivalent ||
           value.toString() == key.key.toString();
}

bool TLocateKeys::matchesCurrent() const
{
    for (const Key& key : m_keys) {
        const TField& field = *key.field;
        if (key.key.isNull()) {
            if (!field.isNull())
                return false;
        } else if (key.text) {
            if (!matchesText(key, field.asString()))
                return false;
        } else if (!matchesValue(key, field.value())) {
            return false;
        }
    }
    return true;
}

bool TLocateKeys::matchesStored(const Key& key, const TozRowLayout& layout, const TozRow& row,
                                int def) const
{
    using Slot = TozRowLayout::Slot;
    if (!key.key.isNull() && !layout.isAside(row, def)) {
        const Slot slot = layout.slot(def);
        if (key.numeric && isNumberSlot(slot)) {
            if (layout.isNull(row, def))
                return false;
            const double value =
                slot == Slot::Float ? layout.number(row, def) : double(layout.integer(row, def));
            return value == key.number;
        }
        if (key.text && slot == Slot::Text && !layout.isNull(row, def)) {
            const QByteArrayView stored = layout.text(row, def);
            if (key.hasBytes && !m_caseInsensitive)
                return m_partial ? stored.startsWith(key.bytes) : stored == key.bytes;
            return matchesText(key, Cp1251::decode(stored));
        }
    }
    QVariant value = layout.value(row, def);
    if (isStringType(key.field->dataType()) && value.toString().isEmpty())
        value = QVariant();
    return matchesValue(key, value);
}

bool TLocateKeys::matchesRow(const TozRowLayout& layout, const TozRow& row,
                             const QList<int>& defs) const
{
    for (qsizetype i = 0; i < m_keys.size(); ++i)
        if (!matchesStored(m_keys.at(i), layout, row, defs.at(i)))
            return false;
    return true;
}

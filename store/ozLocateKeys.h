#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include "ozDataSet.h"

class TozRow;
class TozRowLayout;

// The keys of one Locate and the test a record must pass: for each key field
// a value, null meaning "the field has no value". Texts of string fields
// compare without trailing blanks in the key, upper-cased with
// loCaseInsensitive, by prefix with loPartialKey; other fields compare as
// numbers when both sides are numbers, else as values or texts.
//
// The same test runs on the table's current record (matchesCurrent, through
// the field objects) or on a stored row (matchesRow, on its bytes), so the
// walk of the cursor and the search of the stored rows agree.
class TLocateKeys
{
public:
    // KeyValues is one value per key field (QVariantList) or one value for
    // every field. Unknown field names fail as fieldByName does.
    TLocateKeys(const TDataSet& dataSet, const QString& keyFields, const QVariant& keyValues,
                TLocateOptions options);

    int count() const { return int(m_keys.size()); }
    bool caseInsensitive() const { return m_caseInsensitive; }
    bool partial() const { return m_partial; }
    const TField& field(int i) const { return *m_keys.at(i).field; }

    // Whether the record the fields show now matches.
    bool matchesCurrent() const;
    // Whether a stored row matches; defs gives each key field's index in the
    // layout. The row's values count as a buffer loaded from it would show
    // them through the fields.
    bool matchesRow(const TozRowLayout& layout, const TozRow& row, const QList<int>& defs) const;

    // Key i as a number the stored numbers are compared with exactly; false
    // when the key is no number (or a text field's key).
    bool numericKey(int i, double& value) const;
    // Key i of a text field as compared (blanks cut, upper-cased when
    // letter case is ignored); null for a field that is no text field.
    const QVariant& key(int i) const { return m_keys.at(i).key; }

private:
    struct Key
    {
        const TField* field = nullptr;
        bool text = false;
        QVariant key;
        bool numeric = false;
        double number = 0;
        // The key's Windows-1251 bytes, when it has them exactly.
        bool hasBytes = false;
        QByteArray bytes;
    };

    bool matchesValue(const Key& key, const QVariant& value) const;
    bool matchesText(const Key& key, const QString& text) const;
    bool matchesStored(const Key& key, const TozRowLayout& layout, const TozRow& row,
                       int def) const;

    QList<Key> m_keys;
    bool m_caseInsensitive;
    bool m_partial;
};

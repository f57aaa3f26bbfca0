#pragma once

#include <functional>

#include <QString>
#include <QVariant>
#include <QtGlobal>

class TDataSet;
class TField;
struct TRecordBuffer;

// Value domains a table can store. The program's own tables use ftString,
// ftSmallint, ftInteger and ftFloat; the others exist for tables built from
// field definitions and for files of other installations.
enum class TFieldType
{
    ftUnknown,
    ftString,
    ftFixedChar,
    ftWideString,
    ftSmallint,
    ftInteger,
    ftAutoInc,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftLargeint,
    ftBytes,
    ftVarBytes,
    ftVariant,
    ftGuid,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftOraBlob,
    ftOraClob,
    ftADT
};

// fkData is stored in the record; fkCalculated and fkLookup live only in the
// buffer of the record being shown, edited, filtered or calculated.
enum class TFieldKind
{
    fkData,
    fkCalculated,
    fkLookup
};

QString fieldTypeName(TFieldType type);
bool isBlobType(TFieldType type);

// One column of a table. Fields are created only through TDataSet::addField
// (or by the table itself from field definitions) and are owned by the table.
//
// Values: a field without value reads as "", 0 and a null QVariant. Reads use
// the table's active buffer (see TDataSet::activeBuffer); writes go through
// the table, which checks state and ReadOnly, stores the value and sends the
// field-change notification. Conversion failures throw EDatabaseError and
// leave the previous value.
//
// Text: asString/setAsString are the plain conversions; displayText and
// editText apply OnGetText or the display/edit formats; setText is the
// entry path of editing controls (OnSetText when assigned).
class TField
{
public:
    using TFieldGetTextEvent = std::function<void(TField& sender, QString& text, bool displayText)>;
    using TFieldSetTextEvent = std::function<void(TField& sender, const QString& text)>;

    virtual ~TField();
    Q_DISABLE_COPY_MOVE(TField)

    TDataSet& dataSet() const { return m_dataSet; }
    TFieldType dataType() const { return m_dataType; }

    QString fieldName() const { return m_fieldName; }
    void setFieldName(const QString& name);
    // The name used in writer errors: the table's name followed by the field name unless set.
    QString componentName() const;
    void setComponentName(const QString& name) { m_componentName = name; }

    TFieldKind fieldKind() const { return m_fieldKind; }
    void setFieldKind(TFieldKind kind);
    bool calculated() const { return m_fieldKind == TFieldKind::fkCalculated; }
    bool lookup() const { return m_fieldKind == TFieldKind::fkLookup; }

    int size() const { return m_size; }
    void setSize(int size);
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool value) { m_readOnly = value; }
    bool required() const { return m_required; }
    void setRequired(bool value) { m_required = value; }

    QString displayLabel() const { return m_displayLabel; }
    void setDisplayLabel(const QString& label) { m_displayLabel = label; }
    // DisplayLabel when set, else FieldName.
    QString displayName() const;
    int displayWidth() const;
    void setDisplayWidth(int width) { m_displayWidth = width; }
    QString displayFormat() const { return m_displayFormat; }
    void setDisplayFormat(const QString& format) { m_displayFormat = format; }
    QString editFormat() const { return m_editFormat; }
    void setEditFormat(const QString& format) { m_editFormat = format; }
    QString editMask() const { return m_editMask; }
    void setEditMask(const QString& mask) { m_editMask = mask; }
    // Kept with the field and never applied: a new record starts empty.
    QString defaultExpression() const { return m_defaultExpression; }
    void setDefaultExpression(const QString& expr) { m_defaultExpression = expr; }

    // Lookup definition; checked when the table opens.
    QString keyFields() const { return m_keyFields; }
    void setKeyFields(const QString& names) { m_keyFields = names; }
    TDataSet* lookupDataSet() const { return m_lookupDataSet; }
    void setLookupDataSet(TDataSet* table) { m_lookupDataSet = table; }
    QString lookupKeyFields() const { return m_lookupKeyFields; }
    void setLookupKeyFields(const QString& names) { m_lookupKeyFields = names; }
    QString lookupResultField() const { return m_lookupResultField; }
    void setLookupResultField(const QString& name) { m_lookupResultField = name; }

    // Position in the table's field list.
    int index() const;
    bool isBlob() const { return isBlobType(m_dataType); }
    // Bytes the field takes in the fixed part of a stored record (value and flag byte).
    virtual int fixedSize() const;

    bool isNull() const;
    QString asString() const;
    void setAsString(const QString& text);
    int asInteger() const;
    void setAsInteger(int value);
    double asFloat() const;
    void setAsFloat(double value);
    // Null QVariant for no value; setValue(null) clears; unconvertible values fail
    // with "Неправильное значени для поля '%s'".
    QVariant value() const;
    void setValue(const QVariant& value);
    QVariant asVariant() const { return value(); }
    void setAsVariant(const QVariant& v) { setValue(v); }
    void clear();

    QString displayText() const;
    QString editText() const;
    // Enters text as an editing control does: OnSetText when assigned, else setAsString.
    void setText(const QString& text);

    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    TField(TDataSet& dataSet, const QString& name, TFieldType type, int size, TFieldKind kind);

    // The raw value of the active buffer (null QVariant = no value).
    QVariant rawValue() const;
    void writeRaw(const QVariant& value);

    // Type-specific conversions of a stored value; the text path is used by
    // asString/setAsString, the variant path by setValue.
    virtual QString valueToText(const QVariant& value) const;
    virtual QVariant textToValue(const QString& text) const;
    virtual QVariant variantToValue(const QVariant& value) const;
    virtual int valueToInteger(const QVariant& value) const;
    virtual double valueToFloat(const QVariant& value) const;
    virtual QString formattedText(const QVariant& value, bool display) const;

    [[noreturn]] void invalidValue() const;

private:
    friend class TDataSet;
    friend class TozMemBlobStream;
    // The packet reader stores values it converted from the file's bytes itself.
    friend class TDataPacket;

    TDataSet& m_dataSet;
    TFieldType m_dataType;
    QString m_fieldName;
    QString m_componentName;
    TFieldKind m_fieldKind;
    int m_size;
    int m_tag = 0;
    bool m_readOnly = false;
    bool m_required = false;
    QString m_displayLabel;
    int m_displayWidth = -1;
    QString m_displayFormat;
    QString m_editFormat;
    QString m_editMask;
    QString m_defaultExpression;
    QString m_keyFields;
    TDataSet* m_lookupDataSet = nullptr;
    QString m_lookupKeyFields;
    QString m_lookupResultField;

    // Bound at open: index into the stored part (data fields) or the
    // calculated part (calculated and lookup fields) of a buffer; -1 unbound.
    int m_bufferIndex = -1;
};

// ftString, ftFixedChar, ftWideString, ftGuid. Written text is cut to Size
// characters and limited to Windows-1251 ('?' for others); "" means no value.
class TStringField : public TField
{
public:
    TStringField(TDataSet& dataSet, const QString& name, int size = 20,
                 TFieldKind kind = TFieldKind::fkData, TFieldType type = TFieldType::ftString);
    int fixedSize() const override;

protected:
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
    int valueToInteger(const QVariant& value) const override;
    double valueToFloat(const QVariant& value) const override;
};

// Common part of the integer types: decimal text, "$", "x" or "0x" hexadecimal
// accepted on input, range checked against minimum()/maximum().
class TIntegerField : public TField
{
public:
    TIntegerField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData,
                  TFieldType type = TFieldType::ftInteger);
    int fixedSize() const override;
    qint64 minimum() const;
    qint64 maximum() const;

protected:
    QString valueToText(const QVariant& value) const override;
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
    int valueToInteger(const QVariant& value) const override;
    double valueToFloat(const QVariant& value) const override;
    QString formattedText(const QVariant& value, bool display) const override;
    QVariant checkRange(qint64 value) const;
};

class TSmallintField final : public TIntegerField
{
public:
    TSmallintField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData);
};

class TWordField final : public TIntegerField
{
public:
    TWordField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData);
};

class TAutoIncField final : public TIntegerField
{
public:
    TAutoIncField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData);
};

class TLargeintField final : public TIntegerField
{
public:
    TLargeintField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData);
};

// ftFloat, ftCurrency, ftBCD: a double. Text is the shortest general form with
// at most 15 significant digits and the locale's decimal separator.
class TFloatField : public TField
{
public:
    TFloatField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData,
                TFieldType type = TFieldType::ftFloat);
    int fixedSize() const override;

protected:
    QString valueToText(const QVariant& value) const override;
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
    int valueToInteger(const QVariant& value) const override;
    double valueToFloat(const QVariant& value) const override;
    QString formattedText(const QVariant& value, bool display) const override;
};

class TCurrencyField final : public TFloatField
{
public:
    TCurrencyField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData);
};

class TBooleanField final : public TField
{
public:
    TBooleanField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData);
    int fixedSize() const override { return 3; }

protected:
    QString valueToText(const QVariant& value) const override;
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
};

// ftDate (QDate), ftTime (QTime), ftDateTime (QDateTime). Text "dd.MM.yyyy",
// "hh:mm:ss", "dd.MM.yyyy hh:mm:ss".
class TDateTimeField : public TField
{
public:
    TDateTimeField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData,
                   TFieldType type = TFieldType::ftDateTime);
    int fixedSize() const override;

protected:
    QString valueToText(const QVariant& value) const override;
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
    double valueToFloat(const QVariant& value) const override;
};

// ftBytes, ftVarBytes: up to Size bytes (QByteArray).
class TBytesField final : public TField
{
public:
    TBytesField(TDataSet& dataSet, const QString& name, int size = 16,
                TFieldKind kind = TFieldKind::fkData, TFieldType type = TFieldType::ftBytes);
    int fixedSize() const override;

protected:
    QString valueToText(const QVariant& value) const override;
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
};

// ftVariant: any value.
class TVariantField final : public TField
{
public:
    TVariantField(TDataSet& dataSet, const QString& name, TFieldKind kind = TFieldKind::fkData);
    int fixedSize() const override { return 17; }

protected:
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
};

// Blob types: a byte string of any length outside the fixed part. Memo types
// read and write their bytes as Windows-1251 text. Streams: TozMemBlobStream.
class TBlobField : public TField
{
public:
    TBlobField(TDataSet& dataSet, const QString& name, TFieldType type = TFieldType::ftBlob,
               TFieldKind kind = TFieldKind::fkData);
    int fixedSize() const override { return 0; }
    bool isMemo() const;
    QByteArray asBytes() const;
    void setAsBytes(const QByteArray& bytes);

protected:
    QString valueToText(const QVariant& value) const override;
    QVariant textToValue(const QString& text) const override;
    QVariant variantToValue(const QVariant& value) const override;
};

// An ftADT field: accepted, stores nothing.
class TADTField final : public TField
{
public:
    TADTField(TDataSet& dataSet, const QString& name);
    int fixedSize() const override { return 0; }
};

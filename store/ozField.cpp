#include "ozField.h"

#include <cmath>
#include <limits>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "Cp1251.h"
#include "Errors.h"
#include "FormatSettings.h"
#include "ObFunc.h"
#include "ozDataSet.h"

namespace {

bool isStringType(TFieldType type)
{
    return type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
           type == TFieldType::ftWideString || type == TFieldType::ftGuid;
}

QString decimalText(double value)
{
    return FloatToText(value, FormatSettings::decimalSeparator());
}

} // namespace

QString fieldTypeName(TFieldType type)
{
    switch (type) {
    case TFieldType::ftUnknown:
        return QStringLiteral("Unknown");
    case TFieldType::ftString:
        return QStringLiteral("String");
    case TFieldType::ftFixedChar:
        return QStringLiteral("FixedChar");
    case TFieldType::ftWideString:
        return QStringLiteral("WideString");
    case TFieldType::ftSmallint:
        return QStringLiteral("Smallint");
    case TFieldType::ftInteger:
        return QStringLiteral("Integer");
    case TFieldType::ftAutoInc:
        return QStringLiteral("AutoInc");
    case TFieldType::ftWord:
        return QStringLiteral("Word");
    case TFieldType::ftBoolean:
        return QStringLiteral("Boolean");
    case TFieldType::ftFloat:
        return QStringLiteral("Float");
    case TFieldType::ftCurrency:
        return QStringLiteral("Currency");
    case TFieldType::ftBCD:
        return QStringLiteral("BCD");
    case TFieldType::ftDate:
        return QStringLiteral("Date");
    case TFieldType::ftTime:
        return QStringLiteral("Time");
    case TFieldType::ftDateTime:
        return QStringLiteral("DateTime");
    case TFieldType::ftLargeint:
        return QStringLiteral("Largeint");
    case TFieldType::ftBytes:
        return QStringLiteral("Bytes");
    case TFieldType::ftVarBytes:
        return QStringLiteral("VarBytes");
    case TFieldType::ftVariant:
        return QStringLiteral("Variant");
    case TFieldType::ftGuid:
        return QStringLiteral("Guid");
    case TFieldType::ftBlob:
        return QStringLiteral("Blob");
    case TFieldType::ftMemo:
        return QStringLiteral("Memo");
    case TFieldType::ftGraphic:
        return QStringLiteral("Graphic");
    case TFieldType::ftFmtMemo:
        return QStringLiteral("FmtMemo");
    case TFieldType::ftParadoxOle:
        return QStringLiteral("ParadoxOle");
    case TFieldType::ftDBaseOle:
        return QStringLiteral("DBaseOle");
    case TFieldType::ftTypedBinary:
        return QStringLiteral("TypedBinary");
    case TFieldType::ftOraBlob:
        return QStringLiteral("OraBlob");
    case TFieldType::ftOraClob:
        return QStringLiteral("OraClob");
    case TFieldType::ftADT:
        return QStringLiteral("ADT");
    }
    return QString();
}

bool isBlobType(TFieldType type)
{
    switch (type) {
    case TFieldType::ftBlob:
    case TFieldType::ftMemo:
    case TFieldType::ftGraphic:
    case TFieldType::ftFmtMemo:
    case TFieldType::ftParadoxOle:
    case TFieldType::ftDBaseOle:
    case TFieldType::ftTypedBinary:
    case TFieldType::ftOraBlob:
    case TFieldType::ftOraClob:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- TField

TField::TField(TDataSet& dataSet, const QString& name, TFieldType type, int size, TFieldKind kind)
    : m_dataSet(dataSet)
    , m_dataType(type)
    , m_fieldName(name)
    , m_fieldKind(kind)
    , m_size(size)
{
}

TField::~TField() = default;

void TField::setFieldName(const QString& name)
{
    m_fieldName = name;
    m_dataSet.forgetFieldNames();
}

QString TField::componentName() const
{
    return m_componentName.isEmpty() ? m_dataSet.name() + m_fieldName : m_componentName;
}

void TField::setFieldKind(TFieldKind kind)
{
    m_fieldKind = kind;
}

void TField::setSize(int size)
{
    m_size = size;
}

QString TField::displayName() const
{
    return m_displayLabel.isEmpty() ? m_fieldName : m_displayLabel;
}

int TField::displayWidth() const
{
    if (m_displayWidth >= 0)
        return m_displayWidth;
    if (isStringType(m_dataType))
        return m_size;
    return 10;
}

int TField::index() const
{
    for (int i = 0; i < m_dataSet.fieldCount(); ++i)
        if (&m_dataSet.field(i) == this)
            return i;
    return -1;
}

int TField::fixedSize() const
{
    return 1;
}

QVariant TField::rawValue() const
{
    return m_dataSet.fieldRead(*this);
}

void TField::writeRaw(const QVariant& value)
{
    m_dataSet.fieldWritten(*this, value);
}

bool TField::isNull() const
{
    return rawValue().isNull();
}

QString TField::asString() const
{
    const QVariant v = rawValue();
    return v.isNull() ? QString() : valueToText(v);
}

void TField::setAsString(const QString& text)
{
    writeRaw(textToValue(text));
}

int TField::asInteger() const
{
    const QVariant v = rawValue();
    return v.isNull() ? 0 : valueToInteger(v);
}

void TField::setAsInteger(int value)
{
    writeRaw(variantToValue(QVariant(value)));
}

double TField::asFloat() const
{
    const QVariant v = rawValue();
    return v.isNull() ? 0.0 : valueToFloat(v);
}

void TField::setAsFloat(double value)
{
    writeRaw(variantToValue(QVariant(value)));
}

QVariant TField::value() const
{
    return rawValue();
}

void TField::setValue(const QVariant& value)
{
    if (value.isNull() || !value.isValid()) {
        writeRaw(QVariant());
        return;
    }
    writeRaw(variantToValue(value));
}

void TField::clear()
{
    writeRaw(QVariant());
}

QString TField::displayText() const
{
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField&>(*this), text, true);
        return text;
    }
    const QVariant v = rawValue();
    return v.isNull() ? QString() : formattedText(v, true);
}

QString TField::editText() const
{
    if (OnGetText) {
        QString text;
        OnGetText(const_cast<TField&>(*this), text, false);
        return text;
    }
    const QVariant v = rawValue();
    return v.isNull() ? QString() : formattedText(v, false);
}

void TField::setText(const QString& text)
{
    if (OnSetText)
        OnSetText(*this, text);
    else
        setAsString(text);
}

QString TField::valueToText(const QVariant& value) const
{
    return value.toString();
}

QVariant TField::textToValue(const QString& text) const
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant TField::variantToValue(const QVariant& value) const
{
    return value;
}

int TField::valueToInteger(const QVariant& value) const
{
    bool ok = false;
    const int result = value.toInt(&ok);
    if (!ok)
        invalidValue();
    return result;
}

double TField::valueToFloat(const QVariant& value) const
{
    bool ok = false;
    const double result = value.toDouble(&ok);
    if (!ok)
        invalidValue();
    return result;
}

QString TField::formattedText(const QVariant& value, bool display) const
{
    Q_UNUSED(display)
    return valueToText(value);
}

void TField::invalidValue() const
{
    throw EDatabaseError(QStringLiteral("Неправильное значени для поля '%1'").arg(displayName()));
}

// ---------------------------------------------------------------- TStringField

TStringField::TStringField(TDataSet& dataSet, const QString& name, int size, TFieldKind kind,
                           TFieldType type)
    : TField(dataSet, name, type, type == TFieldType::ftGuid ? 38 : size, kind)
{
}

int TStringField::fixedSize() const
{
    if (dataType() == TFieldType::ftWideString)
        return 2 * size() + 2 + 1;
    return size() + 1;
}

QVariant TStringField::textToValue(const QString& text) const
{
    const QString cut = size() > 0 ? text.left(size()) : text;
    if (cut.isEmpty())
        return QVariant();
    if (dataType() == TFieldType::ftWideString)
        return cut;
    return Cp1251::restrict(cut);
}

QVariant TStringField::variantToValue(const QVariant& value) const
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return textToValue(decimalText(value.toDouble()));
    case QMetaType::Bool:
        return textToValue(value.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
    default:
        break;
    }
    if (!value.canConvert<QString>())
        invalidValue();
    return textToValue(value.toString());
}

int TStringField::valueToInteger(const QVariant& value) const
{
    const QString text = value.toString();
    const auto parsed = TextToInteger(text);
    if (!parsed || *parsed < std::numeric_limits<int>::min() ||
        *parsed > std::numeric_limits<int>::max())
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return int(*parsed);
}

double TStringField::valueToFloat(const QVariant& value) const
{
    const QString text = value.toString();
    const auto parsed = TextToFloat(text, FormatSettings::decimalSeparator());
    if (!parsed)
        throw EDatabaseError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return *parsed;
}

// ---------------------------------------------------------------- TIntegerField

TIntegerField::TIntegerField(TDataSet& dataSet, const QString& name, TFieldKind kind,
                             TFieldType type)
    : TField(dataSet, name, type, 0, kind)
{
}

int TIntegerField::fixedSize() const
{
    switch (dataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
        return 3;
    case TFieldType::ftLargeint:
        return 9;
    default:
        return 5;
    }
}

qint64 TIntegerField::minimum() const
{
    switch (dataType()) {
    case TFieldType::ftSmallint:
        return -32768;
    case TFieldType::ftWord:
        return 0;
    case TFieldType::ftLargeint:
        return std::numeric_limits<qint64>::min();
    default:
        return std::numeric_limits<qint32>::min();
    }
}

qint64 TIntegerField::maximum() const
{
    switch (dataType()) {
    case TFieldType::ftSmallint:
        return 32767;
    case TFieldType::ftWord:
        return 65535;
    case TFieldType::ftLargeint:
        return std::numeric_limits<qint64>::max();
    default:
        return std::numeric_limits<qint32>::max();
    }
}

QString TIntegerField::valueToText(const QVariant& value) const
{
    return QString::number(value.toLongLong());
}

QVariant TIntegerField::checkRange(qint64 value) const
{
    if (value < minimum() || value > maximum()) {
        const QChar sep = FormatSettings::decimalSeparator();
        throw EDatabaseError(
            QStringLiteral("%1 is not a valid value for field '%2'. The allowed range is %3 to %4")
                .arg(FloatToText(double(value), sep), displayName(),
                     FloatToText(double(minimum()), sep), FloatToText(double(maximum()), sep)));
    }
    if (dataType() == TFieldType::ftLargeint)
        return QVariant(value);
    return QVariant(int(value));
}

QVariant TIntegerField::textToValue(const QString& text) const
{
    if (text.isEmpty())
        return QVariant();
    const auto parsed = TextToInteger(text);
    const bool fits32 = parsed && *parsed >= std::numeric_limits<qint32>::min() &&
                        *parsed <= std::numeric_limits<qint32>::max();
    if (!parsed || (dataType() != TFieldType::ftLargeint && !fits32))
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value for field '%2'")
                                 .arg(text, displayName()));
    return checkRange(*parsed);
}

QVariant TIntegerField::variantToValue(const QVariant& value) const
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = std::nearbyint(value.toDouble());
        if (!std::isfinite(d) || d < -9.2e18 || d > 9.2e18)
            invalidValue();
        return checkRange(qint64(d));
    }
    case QMetaType::Bool:
        return checkRange(value.toBool() ? 1 : 0);
    case QMetaType::QString: {
        const auto parsed = TextToInteger(value.toString());
        if (!parsed)
            invalidValue();
        return checkRange(*parsed);
    }
    default:
        break;
    }
    bool ok = false;
    const qint64 v = value.toLongLong(&ok);
    if (!ok)
        invalidValue();
    return checkRange(v);
}

int TIntegerField::valueToInteger(const QVariant& value) const
{
    return int(value.toLongLong());
}

double TIntegerField::valueToFloat(const QVariant& value) const
{
    return double(value.toLongLong());
}

QString TIntegerField::formattedText(const QVariant& value, bool display) const
{
    const QString format = display || editFormat().isEmpty() ? displayFormat() : editFormat();
    if (format.isEmpty())
        return valueToText(value);
    return FormatFloat(format, double(value.toLongLong()), FormatSettings::decimalSeparator());
}

TSmallintField::TSmallintField(TDataSet& dataSet, const QString& name, TFieldKind kind)
    : TIntegerField(dataSet, name, kind, TFieldType::ftSmallint)
{
}

TWordField::TWordField(TDataSet& dataSet, const QString& name, TFieldKind kind)
    : TIntegerField(dataSet, name, kind, TFieldType::ftWord)
{
}

TAutoIncField::TAutoIncField(TDataSet& dataSet, const QString& name, TFieldKind kind)
    : TIntegerField(dataSet, name, kind, TFieldType::ftAutoInc)
{
}

TLargeintField::TLargeintField(TDataSet& dataSet, const QString& name, TFieldKind kind)
    : TIntegerField(dataSet, name, kind, TFieldType::ftLargeint)
{
}

// ---------------------------------------------------------------- TFloatField

TFloatField::TFloatField(TDataSet& dataSet, const QString& name, TFieldKind kind, TFieldType type)
    : TField(dataSet, name, type, type == TFieldType::ftBCD ? 4 : 0, kind)
{
}

int TFloatField::fixedSize() const
{
    return dataType() == TFieldType::ftBCD ? 35 : 9;
}

QString TFloatField::valueToText(const QVariant& value) const
{
    return decimalText(value.toDouble());
}

QVariant TFloatField::textToValue(const QString& text) const
{
    if (text.isEmpty())
        return QVariant();
    const auto parsed = TextToFloat(text, FormatSettings::decimalSeparator());
    if (!parsed)
        throw EDatabaseError(
            QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                .arg(text, displayName()));
    return QVariant(*parsed);
}

QVariant TFloatField::variantToValue(const QVariant& value) const
{
    if (value.typeId() == QMetaType::QString) {
        const auto parsed = TextToFloat(value.toString(), FormatSettings::decimalSeparator());
        if (!parsed)
            invalidValue();
        return QVariant(*parsed);
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (!ok)
        invalidValue();
    return QVariant(d);
}

int TFloatField::valueToInteger(const QVariant& value) const
{
    const double d = std::nearbyint(value.toDouble());
    if (!std::isfinite(d) || d < std::numeric_limits<int>::min() ||
        d > std::numeric_limits<int>::max())
        invalidValue();
    return int(d);
}

double TFloatField::valueToFloat(const QVariant& value) const
{
    return value.toDouble();
}

QString TFloatField::formattedText(const QVariant& value, bool display) const
{
    const QString format = display || editFormat().isEmpty() ? displayFormat() : editFormat();
    if (format.isEmpty())
        return valueToText(value);
    return FormatFloat(format, value.toDouble(), FormatSettings::decimalSeparator());
}

TCurrencyField::TCurrencyField(TDataSet& dataSet, const QString& name, TFieldKind kind)
    : TFloatField(dataSet, name, kind, TFieldType::ftCurrency)
{
}

// ---------------------------------------------------------------- TBooleanField

TBooleanField::TBooleanField(TDataSet& dataSet, const QString& name, TFieldKind kind)
    : TField(dataSet, name, TFieldType::ftBoolean, 0, kind)
{
}

QString TBooleanField::valueToText(const QVariant& value) const
{
    return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
}

QVariant TBooleanField::textToValue(const QString& text) const
{
    if (text.isEmpty())
        return QVariant();
    const QString upper = text.trimmed().toUpper();
    if (upper == QStringLiteral("TRUE") || upper == QStringLiteral("T"))
        return QVariant(true);
    if (upper == QStringLiteral("FALSE") || upper == QStringLiteral("F"))
        return QVariant(false);
    throw EDatabaseError(QStringLiteral("'%1' is not a valid boolean value for field '%2'")
                             .arg(text, displayName()));
}

QVariant TBooleanField::variantToValue(const QVariant& value) const
{
    if (value.typeId() == QMetaType::QString)
        return textToValue(value.toString());
    if (!value.canConvert<bool>())
        invalidValue();
    return QVariant(value.toBool());
}

// ---------------------------------------------------------------- TDateTimeField

TDateTimeField::TDateTimeField(TDataSet& dataSet, const QString& name, TFieldKind kind,
                               TFieldType type)
    : TField(dataSet, name, type, 0, kind)
{
}

int TDateTimeField::fixedSize() const
{
    return dataType() == TFieldType::ftDateTime ? 9 : 5;
}

QString TDateTimeField::valueToText(const QVariant& value) const
{
    switch (dataType()) {
    case TFieldType::ftDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case TFieldType::ftTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    default:
        return value.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
}

QVariant TDateTimeField::textToValue(const QString& text) const
{
    if (text.isEmpty())
        return QVariant();
    const QString t = text.trimmed();
    QVariant result;
    switch (dataType()) {
    case TFieldType::ftDate: {
        const QDate d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
        if (d.isValid())
            result = d;
        break;
    }
    case TFieldType::ftTime: {
        QTime time = QTime::fromString(t, QStringLiteral("hh:mm:ss.zzz"));
        if (!time.isValid())
            time = QTime::fromString(t, QStringLiteral("hh:mm:ss"));
        if (time.isValid())
            result = time;
        break;
    }
    default: {
        QDateTime dt = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy hh:mm:ss.zzz"));
        if (!dt.isValid())
            dt = QDateTime::fromString(t, QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        if (!dt.isValid()) {
            const QDate d = QDate::fromString(t, QStringLiteral("dd.MM.yyyy"));
            if (d.isValid())
                dt = QDateTime(d, QTime(0, 0));
        }
        if (dt.isValid())
            result = dt;
        break;
    }
    }
    if (result.isNull())
        throw EDatabaseError(QStringLiteral("'%1' is not a valid date and time for field '%2'")
                                 .arg(text, displayName()));
    return result;
}

QVariant TDateTimeField::variantToValue(const QVariant& value) const
{
    if (value.typeId() == QMetaType::QString)
        return textToValue(value.toString());
    switch (dataType()) {
    case TFieldType::ftDate:
        if (value.canConvert<QDate>() && value.toDate().isValid())
            return value.toDate();
        break;
    case TFieldType::ftTime:
        if (value.canConvert<QTime>() && value.toTime().isValid())
            return value.toTime();
        break;
    default:
        if (value.canConvert<QDateTime>() && value.toDateTime().isValid())
            return value.toDateTime();
        break;
    }
    invalidValue();
}

double TDateTimeField::valueToFloat(const QVariant& value) const
{
    // Days since 30.12.1899 and the fraction of the day, as stored on disk by other installations.
    static const QDate epoch(1899, 12, 30);
    switch (dataType()) {
    case TFieldType::ftDate:
        return double(epoch.daysTo(value.toDate()));
    case TFieldType::ftTime:
        return value.toTime().msecsSinceStartOfDay() / 86400000.0;
    default: {
        const QDateTime dt = value.toDateTime();
        return double(epoch.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0;
    }
    }
}

// ---------------------------------------------------------------- TBytesField

TBytesField::TBytesField(TDataSet& dataSet, const QString& name, int size, TFieldKind kind,
                         TFieldType type)
    : TField(dataSet, name, type, size, kind)
{
}

int TBytesField::fixedSize() const
{
    return size() + (dataType() == TFieldType::ftVarBytes ? 2 : 0) + 1;
}

QString TBytesField::valueToText(const QVariant& value) const
{
    return Cp1251::decode(value.toByteArray());
}

QVariant TBytesField::textToValue(const QString& text) const
{
    if (text.isEmpty())
        return QVariant();
    return Cp1251::encode(text).left(size());
}

QVariant TBytesField::variantToValue(const QVariant& value) const
{
    if (value.typeId() == QMetaType::QString)
        return textToValue(value.toString());
    if (!value.canConvert<QByteArray>())
        invalidValue();
    return value.toByteArray().left(size());
}

// ---------------------------------------------------------------- TVariantField

TVariantField::TVariantField(TDataSet& dataSet, const QString& name, TFieldKind kind)
    : TField(dataSet, name, TFieldType::ftVariant, 0, kind)
{
}

QVariant TVariantField::textToValue(const QString& text) const
{
    return text.isEmpty() ? QVariant() : QVariant(Cp1251::restrict(text));
}

QVariant TVariantField::variantToValue(const QVariant& value) const
{
    return value;
}

// ---------------------------------------------------------------- TBlobField

TBlobField::TBlobField(TDataSet& dataSet, const QString& name, TFieldType type, TFieldKind kind)
    : TField(dataSet, name, type, 0, kind)
{
}

bool TBlobField::isMemo() const
{
    return dataType() == TFieldType::ftMemo || dataType() == TFieldType::ftFmtMemo ||
           dataType() == TFieldType::ftOraClob;
}

QByteArray TBlobField::asBytes() const
{
    return rawValue().toByteArray();
}

void TBlobField::setAsBytes(const QByteArray& bytes)
{
    writeRaw(bytes.isEmpty() ? QVariant() : QVariant(bytes));
}

QString TBlobField::valueToText(const QVariant& value) const
{
    return Cp1251::decode(value.toByteArray());
}

QVariant TBlobField::textToValue(const QString& text) const
{
    if (text.isEmpty())
        return QVariant();
    return Cp1251::encode(text);
}

QVariant TBlobField::variantToValue(const QVariant& value) const
{
    if (value.typeId() == QMetaType::QString)
        return textToValue(value.toString());
    if (!value.canConvert<QByteArray>())
        invalidValue();
    const QByteArray bytes = value.toByteArray();
    return bytes.isEmpty() ? QVariant() : QVariant(bytes);
}

// ---------------------------------------------------------------- TADTField

TADTField::TADTField(TDataSet& dataSet, const QString& name)
    : TField(dataSet, name, TFieldType::ftADT, 0, TFieldKind::fkData)
{
}

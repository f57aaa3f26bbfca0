#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include <QDate>
#include <QDateTime>
#include <QSaveFile>
#include <QTime>

#include "Base64Coder.h"
#include "DSToXML.h"
#include "Errors.h"
#include "ObFunc.h"
#include "ozDataSet.h"
#include "ozField.h"
#include "ozMemoryData.h"
#include "ozRowLayout.h"

namespace {

// Rows go to the file in blocks of this size: few system calls, bounded memory.
constexpr qsizetype BlockSize = 1048576;

enum class ValueForm
{
    Text,
    PlainText,
    Integer,
    Float,
    Date,
    Time,
    DateTime,
    Base64,
};

struct WrittenField
{
    TField* field;
    QByteArray rowName;
    ValueForm form;
};

[[noreturn]] void cannotCreate(const QString& fileName)
{
    throw F2tpError(QStringLiteral("Не удается создать файл ") + fileName);
}

// The output file with one block of pending text, filled in place.
class BlockWriter
{
public:
    BlockWriter(QSaveFile& file, const QString& fileName)
        : m_file(file)
        , m_fileName(fileName)
        , m_block(BlockSize, Qt::Uninitialized)
    {
    }

    // Room for `bytes` more at the returned position; commit(end) keeps what was written.
    char* room(qsizetype bytes)
    {
        if (m_used + bytes > m_block.size()) {
            flush();
            if (bytes > m_block.size())
                m_block.resize(bytes);
        }
        return m_block.data() + m_used;
    }
    void commit(const char* end) { m_used = end - m_block.constData(); }
    void append(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return;
        char* at = room(bytes.size());
        std::memcpy(at, bytes.data(), std::size_t(bytes.size()));
        commit(at + bytes.size());
    }
    void flush()
    {
        if (m_used > 0 && m_file.write(m_block.constData(), m_used) != m_used)
            cannotCreate(m_fileName);
        m_used = 0;
    }

private:
    QSaveFile& m_file;
    const QString& m_fileName;
    QByteArray m_block;
    qsizetype m_used = 0;
};

void appendAttribute(QByteArray& out, const char* name, QByteArrayView value)
{
    out.append(' ');
    out.append(name);
    out.append("=\"");
    out.append(value);
    out.append('"');
}

struct TypeNames
{
    const char* type;
    const char* subtype = nullptr;
    QByteArray decimals;
    QByteArray width;
    ValueForm form;
};

// The names a field's type has in the file; fails for a type the format has no name for.
TypeNames typeNames(const TField& field)
{
    const QByteArray size = QByteArray::number(field.size());
    switch (field.dataType()) {
    case TFieldType::ftString:
        return {"string", nullptr, {}, size, ValueForm::Text};
    case TFieldType::ftFixedChar:
        return {"string", "FixedChar", {}, size, ValueForm::Text};
    case TFieldType::ftSmallint:
        return {"i2", nullptr, {}, {}, ValueForm::Integer};
    case TFieldType::ftInteger:
        return {"i4", nullptr, {}, {}, ValueForm::Integer};
    case TFieldType::ftFloat:
        return {"r8", nullptr, {}, {}, ValueForm::Float};
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
        return {"fixed", nullptr, size, "15", ValueForm::Float};
    case TFieldType::ftLargeint:
        return {"fixed", nullptr, "0", "18", ValueForm::Integer};
    case TFieldType::ftDate:
        return {"date", nullptr, {}, {}, ValueForm::Date};
    case TFieldType::ftTime:
        return {"time", nullptr, {}, {}, ValueForm::Time};
    case TFieldType::ftDateTime:
        return {"dateTime", nullptr, {}, {}, ValueForm::DateTime};
    case TFieldType::ftBlob:
        return {"bin.hex", "Binary", {}, "8", ValueForm::Base64};
    case TFieldType::ftMemo:
    case TFieldType::ftFmtMemo:
        return {"bin.hex", "Text", {}, "8", ValueForm::PlainText};
    default:
        throw F2tpError(QStringLiteral("Неизвестный тип поля ") + field.componentName());
    }
}

QByteArray fieldElement(const TField& field, const TypeNames& names)
{
    QByteArray out("<FIELD");
    appendAttribute(out, "attrname", XmlEscape(field.fieldName(), false));
    appendAttribute(out, "fieldtype", names.type);
    if (names.subtype)
        appendAttribute(out, "SUBTYPE", names.subtype);
    if (!names.decimals.isEmpty())
        appendAttribute(out, "DECIMALS", names.decimals);
    if (!names.width.isEmpty())
        appendAttribute(out, "WIDTH", names.width);
    if (field.readOnly())
        appendAttribute(out, "readonly", "true");
    if (field.required())
        appendAttribute(out, "required", "true");
    out.append("></FIELD>");
    return out;
}

// The fast forms hold for the field classes whose stored value they read
// directly; a field of another class goes through its own text conversion.
ValueForm effectiveForm(const TField& field, ValueForm form)
{
    switch (form) {
    case ValueForm::Text:
        return dynamic_cast<const TStringField*>(&field) ? form : ValueForm::PlainText;
    case ValueForm::Integer:
        return dynamic_cast<const TIntegerField*>(&field) ? form : ValueForm::PlainText;
    case ValueForm::Float:
        return dynamic_cast<const TFloatField*>(&field) ? form : ValueForm::PlainText;
    default:
        return form;
    }
}

char* writeDigits(char* out, int value, int width)
{
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto n = end - digits; n < width; ++n)
        *out++ = '0';
    std::memcpy(out, digits, std::size_t(end - digits));
    return out + (end - digits);
}

char* writeDate(char* out, QDate date)
{
    out = writeDigits(out, date.year(), 4);
    out = writeDigits(out, date.month(), 2);
    return writeDigits(out, date.day(), 2);
}

char* writeTime(char* out, QTime time)
{
    out = writeDigits(out, time.hour(), 2);
    *out++ = ':';
    out = writeDigits(out, time.minute(), 2);
    *out++ = ':';
    out = writeDigits(out, time.second(), 2);
    return writeDigits(out, time.msec(), 3);
}

// Room for a number, date or time value: every form fits in this.
constexpr qsizetype ShortValueRoom = 64;

char* startAttribute(char* out, const QByteArray& name)
{
    *out++ = ' ';
    std::memcpy(out, name.constData(), std::size_t(name.size()));
    out += name.size();
    *out++ = '=';
    *out++ = '"';
    return out;
}

// ` NAME="text"` for a non-empty text, escaped in one pass into the block.
void writeText(BlockWriter& out, const QByteArray& name, QStringView text)
{
    if (text.isEmpty())
        return;
    char* at = out.room(name.size() + 4 + text.size() * PacketText::MaxEscapedPerUnit);
    at = PacketText::writeEscaped(startAttribute(at, name), text);
    *at++ = '"';
    out.commit(at);
}

// ` NAME="value"` of a number, date or time; nothing for an empty text.
template <class Format> void writeShort(BlockWriter& out, const QByteArray& name, Format format)
{
    char* const start = out.room(name.size() + 4 + ShortValueRoom);
    char* const value = startAttribute(start, name);
    char* end = format(value);
    if (end == value)
        return;
    *end++ = '"';
    out.commit(end);
}

// The text of a number; one the reader would refuse (infinite, not a number)
// is never written, so the file is left as it was.
char* writeFloat(char* at, double value, QByteArrayView fieldName)
{
    if (!std::isfinite(value))
        throw EDatabaseError(
            QStringLiteral("Field '%1' holds no finite number and cannot be written")
                .arg(QString::fromLatin1(fieldName)));
    return FloatToChars(value, '.', at);
}

void writeValue(BlockWriter& out, const WrittenField& w)
{
    const TField& field = *w.field;
    if (w.form == ValueForm::PlainText) {
        writeText(out, w.rowName, field.asString());
        return;
    }
    const QVariant v = field.value();
    if (v.isNull())
        return;
    switch (w.form) {
    case ValueForm::Text:
        // The stored text itself, not a copy.
        if (v.typeId() == QMetaType::QString)
            writeText(out, w.rowName, *static_cast<const QString*>(v.constData()));
        else
            writeText(out, w.rowName, field.asString());
        break;
    case ValueForm::Integer:
        writeShort(out, w.rowName, [&](char* at) {
            return std::to_chars(at, at + ShortValueRoom, v.toLongLong()).ptr;
        });
        break;
    case ValueForm::Float:
        writeShort(out, w.rowName,
                   [&](char* at) { return writeFloat(at, v.toDouble(), w.rowName); });
        break;
    case ValueForm::Date:
        writeShort(out, w.rowName, [&](char* at) { return writeDate(at, v.toDate()); });
        break;
    case ValueForm::Time:
        writeShort(out, w.rowName, [&](char* at) { return writeTime(at, v.toTime()); });
        break;
    case ValueForm::DateTime:
        writeShort(out, w.rowName, [&](char* at) {
            const QDateTime value = v.toDateTime();
            at = writeDate(at, value.date());
            *at++ = 'T';
            return writeTime(at, value.time());
        });
        break;
    case ValueForm::Base64:
        if (const auto* blob = dynamic_cast<const TBlobField*>(&field)) {
            const QByteArray text = Base64Encode(blob->asBytes());
            if (!text.isEmpty()) {
                char* at = startAttribute(out.room(w.rowName.size() + 4 + text.size()), w.rowName);
                std::memcpy(at, text.constData(), std::size_t(text.size()));
                at += text.size();
                *at++ = '"';
                out.commit(at);
            }
        }
        break;
    case ValueForm::PlainText:
        break;
    }
}

// The field definition whose slot holds a data field's values; -1 when none.
int storedSlot(const TDataSet& table, const TField& field)
{
    if (field.fieldKind() != TFieldKind::fkData)
        return -1;
    for (qsizetype d = 0; d < table.fieldDefs().size(); ++d)
        if (table.fieldDefs().at(d).name.compare(field.fieldName(), Qt::CaseInsensitive) == 0)
            return int(d);
    return -1;
}

bool slotHoldsForm(TozRowLayout::Slot slot, ValueForm form)
{
    using Slot = TozRowLayout::Slot;
    switch (form) {
    case ValueForm::Text:
        return slot == Slot::Text;
    case ValueForm::Integer:
        return slot == Slot::Int32 || slot == Slot::Int64;
    case ValueForm::Float:
        return slot == Slot::Float;
    default:
        return false;
    }
}

// The slots of the written fields when the rows can be written from their
// stored bytes: a table that lets a writer read them directly, every written
// field a data field in the fast form of its slot, and no value kept aside.
// Empty when the rows must be read through the fields.
std::vector<int> storedSlots(const TozMemoryData& table, const std::vector<WrittenField>& written)
{
    if (!table.canReadRowsDirectly() || (table.recordCount() > 0 && !table.bookmark()))
        return {};
    std::vector<int> slots;
    for (const WrittenField& w : written) {
        const int slot = storedSlot(table, *w.field);
        if (slot < 0 || slot >= table.rowLayout().fieldCount() ||
            !slotHoldsForm(table.rowLayout().slot(slot), w.form))
            return {};
        slots.push_back(slot);
    }
    for (int i = 0; i < table.recordCount(); ++i)
        if (table.record(i).row().hasAside())
            return {};
    return slots;
}

void writeStoredValue(BlockWriter& out, const QByteArray& name, ValueForm form,
                      const TozRowLayout& layout, const TozRow& row, int slot)
{
    switch (form) {
    case ValueForm::Text: {
        const QByteArrayView bytes = layout.text(row, slot);
        char* at = out.room(name.size() + 4 + bytes.size() * PacketText::MaxEscapedPerUnit);
        at = PacketText::writeEscapedBytes(startAttribute(at, name), bytes);
        *at++ = '"';
        out.commit(at);
        break;
    }
    case ValueForm::Integer:
        writeShort(out, name, [&](char* at) {
            return std::to_chars(at, at + ShortValueRoom, layout.integer(row, slot)).ptr;
        });
        break;
    case ValueForm::Float:
        writeShort(out, name,
                   [&](char* at) { return writeFloat(at, layout.number(row, slot), name); });
        break;
    default:
        break;
    }
}

// The records in list order from their stored bytes; what a walk with
// first/next would write, without moving the cursor.
void writeStoredRows(BlockWriter& out, const TozMemoryData& table,
                     const std::vector<WrittenField>& written, const std::vector<int>& slots)
{
    const TozRowLayout& layout = table.rowLayout();
    for (int i = 0; i < table.recordCount(); ++i) {
        const TozRow& row = table.record(i).row();
        out.append("<ROW");
        for (std::size_t f = 0; f < written.size(); ++f) {
            if (!layout.isNull(row, slots[f]))
                writeStoredValue(out, written[f].rowName, written[f].form, layout, row, slots[f]);
        }
        out.append(" />");
    }
}

// Returns the table to the record that was current, also when the walk failed.
class CurrentRecordGuard
{
public:
    explicit CurrentRecordGuard(TDataSet& table)
        : m_table(table)
        , m_bookmark(table.bookmark())
    {
    }
    ~CurrentRecordGuard()
    {
        if (m_pending) {
            try {
                m_table.gotoBookmark(m_bookmark);
            } catch (...) {
                // The error that ended the walk is the one to report.
            }
        }
    }
    Q_DISABLE_COPY_MOVE(CurrentRecordGuard)

    void restore()
    {
        m_pending = false;
        m_table.gotoBookmark(m_bookmark);
    }

private:
    TDataSet& m_table;
    TBookmark m_bookmark;
    bool m_pending = true;
};

} // namespace

void WriteDataPacket(TDataSet& table, const QString& fileName)
{
    QByteArray header("<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>"
                      "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>");
    std::vector<WrittenField> written;
    for (int i = 0; i < table.fieldCount(); ++i) {
        TField& field = table.field(i);
        if (field.fieldKind() != TFieldKind::fkData && field.tag() != SavedFieldTag)
            continue;
        const TypeNames names = typeNames(field);
        header.append(fieldElement(field, names));
        QByteArray rowName;
        PacketText::appendCp1251(rowName, field.fieldName());
        written.push_back({&field, rowName, effectiveForm(field, names.form)});
    }
    header.append("</FIELDS><PARAMS/></METADATA><ROWDATA>");

    // Written aside and put in place only when complete: the old file survives any failure.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        cannotCreate(fileName);
    BlockWriter out(file, fileName);
    out.append(header);
    const auto* memory = dynamic_cast<const TozMemoryData*>(&table);
    if (const std::vector<int> slots = memory ? storedSlots(*memory, written) : std::vector<int>();
        !slots.empty()) {
        TControlsDisabler controls(table);
        writeStoredRows(out, *memory, written, slots);
        // Where a walk leaves the cursor, with the same flags.
        if (table.recordCount() == 0)
            table.first();
        else
            table.gotoBookmark(table.bookmark());
    } else {
        TControlsDisabler controls(table);
        CurrentRecordGuard current(table);
        table.first();
        while (!table.eof()) {
            out.append("<ROW");
            for (const WrittenField& w : written)
                writeValue(out, w);
            out.append(" />");
            table.next();
        }
        current.restore();
    }
    out.append("</ROWDATA></DATAPACKET>");
    out.flush();
    if (!file.commit())
        cannotCreate(fileName);
}

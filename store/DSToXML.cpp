#include "DSToXML.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "Errors.h"
#include "FormatSettings.h"
#include "ObFunc.h"
#include "ozDataSet.h"
#include "ozField.h"
#include "ozMemoryData.h"
#include "ozRowLayout.h"

namespace {

// An element may take this much memory even in a small file; beyond it, as
// much as the file is long. Tokens are charged for their bytes and a fixed
// cost each, so no input makes the reader grow beyond its file.
constexpr qint64 MinBudget = 4 * 1024 * 1024;
constexpr qsizetype TokenCost = qsizetype(sizeof(TDPTag)) + 64;
// Elements of a data packet nest three deep; deeper nesting is not a data packet.
constexpr int MaxDepth = 256;

bool isSeparator(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

char16_t asciiUpper(char16_t c)
{
    return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
}

bool hasHighBytes(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

QByteArray toCp1251(QStringView text)
{
    QByteArray bytes;
    PacketText::appendCp1251(bytes, text);
    return bytes;
}

// Upper case of every Windows-1251 byte (Latin and Cyrillic letters).
struct FoldTable
{
    std::array<unsigned char, 256> upper{};

    FoldTable()
    {
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString text = PacketText::fromCp1251(all);
        for (int i = 0; i < 256; ++i) {
            const QString up = text.at(i).toUpper();
            const QByteArray back = toCp1251(up);
            upper[i] = back.size() == 1 && PacketText::fromCp1251(back) == up
                           ? static_cast<unsigned char>(back.at(0))
                           : static_cast<unsigned char>(i);
        }
    }
};

bool equalIgnoringCase(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    static const FoldTable fold;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y && fold.upper[x] != fold.upper[y])
            return false;
    }
    return true;
}

qsizetype indexOfIgnoringCase(QByteArrayView haystack, QByteArrayView needle)
{
    for (qsizetype i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (haystack.sliced(i, needle.size()).compare(needle, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString formatErrorText()
{
    return QStringLiteral("Неверный формат файла");
}

} // namespace

// ---------------------------------------------------------------------------
// TDPTag

QString TDPTag::name() const
{
    return PacketText::fromCp1251(nameBytes());
}

QString TDPTag::attributeName(qsizetype index) const
{
    return PacketText::fromCp1251(attributeNameBytes(index));
}

QByteArrayView TDPTag::attributeNameBytes(qsizetype index) const
{
    return span(m_attributes.at(index).name);
}

QByteArrayView TDPTag::attributeBytes(qsizetype index) const
{
    return span(m_attributes.at(index).value);
}

std::optional<QByteArrayView> TDPTag::attribute(QStringView name) const
{
    // Names are nearly always ASCII: compared in place, without conversion.
    if (std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        for (const Attribute& a : m_attributes) {
            const QByteArrayView candidate = span(a.name);
            if (candidate.size() != name.size())
                continue;
            qsizetype i = 0;
            while (i < name.size() && asciiUpper(static_cast<unsigned char>(candidate[i])) ==
                                          asciiUpper(name[i].unicode()))
                ++i;
            if (i == name.size())
                return span(a.value);
        }
        return std::nullopt;
    }
    const QByteArray bytes = toCp1251(name);
    if (PacketText::fromCp1251(bytes) != name)
        return std::nullopt;
    return attributeByBytes(bytes);
}

std::optional<QByteArrayView> TDPTag::attributeByBytes(QByteArrayView cp1251Name) const
{
    for (const Attribute& a : m_attributes) {
        if (equalIgnoringCase(span(a.name), cp1251Name))
            return span(a.value);
    }
    return std::nullopt;
}

QString TDPTag::value(QStringView name) const
{
    const auto bytes = attribute(name);
    return bytes ? PacketText::fromCp1251(*bytes) : QString();
}

QString TDPTag::text() const
{
    return PacketText::fromCp1251(m_text);
}

void TDPTag::clear()
{
    // Sizes only: the row token is reused for every row and keeps its capacity.
    m_store.resize(0);
    m_name = {};
    m_start = false;
    m_complete = false;
    m_attributes.clear();
    m_text.resize(0);
    m_children.clear();
}

// ---------------------------------------------------------------------------
// TDataPacket

TDataPacket::TDataPacket(QObject* owner, const QString& fileName, qsizetype chunkSize)
    : QObject(owner)
    , m_fileName(fileName)
    , m_chunkSize(qMax<qsizetype>(chunkSize, 1))
{
}

TDataPacket::~TDataPacket() = default;

void TDataPacket::formatError() const
{
    throw F2tpError(formatErrorText());
}

void TDataPacket::resetReadState()
{
    m_buffer.clear();
    m_pos = -1;
    m_current = 0;
    m_eof = false;
    m_inRows = false;
    m_headerOnly = false;
    m_scratch.clear();
}

void TDataPacket::readChunk()
{
    if (m_eof || m_headerOnly || !m_file.isOpen())
        formatError();
    // A small file takes a buffer of its own size; asking one byte more than
    // is left shows the end of the file in the same read.
    qsizetype want = m_chunkSize;
    const qint64 left = m_file.size() - m_file.pos();
    if (left >= 0 && left < qint64(want))
        want = qsizetype(left) + 1;
    m_buffer.resize(want);
    qsizetype filled = 0;
    while (filled < want) {
        const qint64 n = m_file.read(m_buffer.data() + filled, want - filled);
        if (n < 0)
            formatError();
        if (n == 0)
            break;
        filled += qsizetype(n);
    }
    m_buffer.resize(filled);
    m_eof = filled < want;
    m_pos = -1;
    if (std::memchr(m_buffer.constData(), 0, std::size_t(filled)) != nullptr)
        formatError();
}

// Collects the characters after the current one up to the delimiter, which
// becomes the current character; with out == nullptr they are skipped.
bool TDataPacket::readTo(char delimiter, QByteArray* out)
{
    qsizetype start = m_pos + 1;
    for (;;) {
        const qsizetype size = m_buffer.size();
        if (start < size) {
            const char* base = m_buffer.constData();
            const void* hit = std::memchr(base + start, delimiter, std::size_t(size - start));
            const qsizetype end = hit ? static_cast<const char*>(hit) - base : size;
            if (out)
                out->append(base + start, end - start);
            if (out && out->size() > m_budgetLeft)
                formatError();
            if (hit) {
                m_pos = end;
                m_current = delimiter;
                return true;
            }
        }
        readChunk();
        start = 0;
    }
}

void TDataPacket::charge(qsizetype bytes)
{
    m_budgetLeft -= bytes;
    if (m_budgetLeft < 0)
        formatError();
}

void TDataPacket::appendText(TDPTag& token, QByteArrayView raw)
{
    if (raw.isEmpty())
        return;
    const QString text = XmlUnescape(raw, m_encoding);
    PacketText::appendCp1251(token.m_text, text);
    charge(text.size());
}

// Names are kept in Windows-1251 so that they compare alike whatever the
// file's encoding; a UTF-8 name with letters beyond ASCII is converted.
void TDataPacket::storeName(TDPTag& token, TDPTag::Span& span)
{
    if (m_encoding != XmlEncoding::Utf8)
        return;
    const QByteArrayView name = token.span(span);
    if (!hasHighBytes(name))
        return;
    const QByteArray converted = toCp1251(PacketText::decode(name, XmlEncoding::Utf8));
    span = {token.m_store.size(), converted.size()};
    token.m_store.append(converted);
}

// Splits the tag text held in token.m_store into name, flags and attributes.
void TDataPacket::parseTag(TDPTag& token)
{
    const QByteArray& t = token.m_store;
    const qsizetype n = t.size();
    const auto nameEnd = [&](qsizetype from) {
        qsizetype i = from;
        while (i < n && !isSeparator(t[i]) && t[i] != '/' && t[i] != '>')
            ++i;
        return i;
    };

    if (n > 0 && t[0] == '/') {
        token.m_start = false;
        token.m_complete = true;
        token.m_name = {1, nameEnd(1) - 1};
        storeName(token, token.m_name);
        return;
    }
    token.m_start = true;
    token.m_complete = n > 0 && t[n - 1] == '/';
    const qsizetype end = token.m_complete ? n - 1 : n;
    token.m_name = {0, qMin(nameEnd(0), end)};

    qsizetype i = token.m_name.length;
    while (i < end) {
        while (i < end && isSeparator(t[i]))
            ++i;
        if (i >= end)
            break;
        const qsizetype nameStart = i;
        while (i < end && t[i] != '=' && !isSeparator(t[i]))
            ++i;
        if (i >= end || t[i] != '=')
            continue; // a name without "=" is dropped
        TDPTag::Attribute a;
        a.name = {nameStart, i - nameStart};
        ++i;
        if (i < end && (t[i] == '"' || t[i] == '\'')) {
            const char quote = t[i];
            const qsizetype valueStart = ++i;
            const qsizetype close = t.indexOf(quote, valueStart);
            const qsizetype valueEnd = close < 0 || close > end ? end : close;
            a.value = {valueStart, valueEnd - valueStart};
            i = valueEnd + 1;
        } else {
            const qsizetype valueStart = i;
            while (i < end && !isSeparator(t[i]))
                ++i;
            a.value = {valueStart, i - valueStart};
        }
        token.m_attributes.append(a);
    }

    storeName(token, token.m_name);
    for (TDPTag::Attribute& a : token.m_attributes) {
        storeName(token, a.name);
        if (!m_inRows) {
            const QByteArray value = toCp1251(XmlUnescape(token.span(a.value), m_encoding));
            a.value = {token.m_store.size(), value.size()};
            token.m_store.append(value);
        }
    }
}

void TDataPacket::parseElement(TDPTag& token, int depth)
{
    if (depth > MaxDepth)
        formatError();
    token.clear();
    charge(TokenCost);
    if (m_current != '<') {
        m_scratch.resize(0);
        readTo('<', &m_scratch);
        appendText(token, m_scratch);
    }
    token.m_store.resize(0);
    readTo('>', &token.m_store);
    parseTag(token);
    charge(token.m_store.size() + token.m_attributes.size() * qsizetype(sizeof(TDPTag::Attribute)));
    if (!token.m_start || token.m_complete)
        return;
    for (;;) {
        m_scratch.resize(0);
        readTo('<', &m_scratch);
        appendText(token, m_scratch);
        TDPTag child;
        parseElement(child, depth + 1);
        if (child.m_complete && child.nameBytes() == token.nameBytes()) {
            token.m_complete = true;
            return;
        }
        token.m_children.push_back(std::move(child));
    }
}

void TDataPacket::OpenPacket()
{
    if (m_headerRead)
        return;
    resetReadState();
    m_root.clear();
    m_fields.clear();
    m_row.clear();
    m_file.close();
    m_file.setFileName(m_fileName);
    if (m_fileName.isEmpty() || !m_file.open(QIODevice::ReadOnly))
        throw F2tpError(QStringLiteral("Ошибка открытия файла - ") + m_fileName);
    try {
        m_budget = qMax<qint64>(m_file.size(), MinBudget);
        readChunk();
        const QByteArrayView chunk(m_buffer);

        if (chunk.indexOf("<?xml ") < 0)
            formatError();
        const qsizetype declEnd = chunk.indexOf("?>");
        if (declEnd < 19)
            formatError();
        const QByteArrayView declaration = chunk.first(declEnd);
        m_encoding = XmlEncoding::Utf8;
        const qsizetype enc = indexOfIgnoringCase(declaration, "encoding=");
        if (enc >= 0) {
            const QByteArrayView value = declaration.sliced(qMin(enc + 10, declaration.size()));
            if (value.size() >= 12 &&
                value.first(12).compare("windows-1251", Qt::CaseInsensitive) == 0)
                m_encoding = XmlEncoding::Windows1251;
        }

        // Nothing of the header may come from a later chunk.
        m_headerOnly = true;
        qsizetype root = chunk.indexOf("<DATAPACKET ");
        if (root < 0)
            root = chunk.indexOf("<OZDATAPACKET ");
        if (root < 0)
            formatError();
        m_pos = root;
        m_current = '<';
        m_budgetLeft = m_budget;
        m_root.clear();
        readTo('>', &m_root.m_store);
        parseTag(m_root);

        const qsizetype fields = chunk.indexOf("<FIELDS>");
        if (fields < 0)
            formatError();
        m_pos = fields;
        m_current = '<';
        m_budgetLeft = m_budget;
        parseElement(m_fields, 0);

        const qsizetype rows = chunk.indexOf("<ROWDATA>");
        if (rows < 0)
            formatError();
        m_headerOnly = false;
        m_pos = rows + 8;
        m_current = '>';
        readTo('<', nullptr);
        m_inRows = true;
        m_headerRead = true;
    } catch (...) {
        m_file.close();
        resetReadState();
        m_root.clear();
        m_fields.clear();
        throw;
    }
}

bool TDataPacket::NextRow()
{
    if (!m_headerRead)
        OpenPacket();
    if (!m_inRows) {
        m_row.clear();
        return false;
    }
    try {
        m_budgetLeft = m_budget;
        parseElement(m_row, 0);
    } catch (...) {
        // The position is lost; the reader hands out no further rows.
        m_inRows = false;
        m_row.clear();
        throw;
    }
    if (m_row.nameBytes() == "ROW")
        return true;
    m_row.clear();
    m_inRows = false;
    return false;
}

const TDPTag* TDataPacket::FindFieldTag(QStringView name) const
{
    for (const TDPTag& field : m_fields.m_children) {
        if (field.nameBytes() != "FIELD")
            continue;
        const auto attrName = field.attribute(u"attrname");
        if (attrName && PacketText::equals(*attrName, name))
            return &field;
    }
    return nullptr;
}

TDataPacket::ColumnKind TDataPacket::columnKind(const TDPTag& field)
{
    const QByteArrayView type = field.attribute(u"fieldtype").value_or(QByteArrayView());
    if (type == "string")
        return ColumnKind::Text;
    if (type == "bin.hex") {
        return field.attribute(u"SUBTYPE").value_or(QByteArrayView()) == "Text"
                   ? ColumnKind::Text
                   : ColumnKind::Binary;
    }
    if (type == "fixed" || type == "r8" || type == "r4")
        return ColumnKind::Number;
    if (type == "date")
        return ColumnKind::Date;
    if (type == "dateTime")
        return ColumnKind::DateTime;
    return ColumnKind::Other;
}

QString TDataPacket::convertValue(QByteArrayView raw, ColumnKind kind) const
{
    switch (kind) {
    case ColumnKind::Text:
        return XmlUnescape(raw, m_encoding);
    case ColumnKind::Number: {
        QString text = PacketText::decode(raw, m_encoding);
        const QChar separator = FormatSettings::decimalSeparator();
        if (separator != u'.') {
            const qsizetype point = text.indexOf(u'.');
            if (point >= 0)
                text[point] = separator;
        }
        return text;
    }
    case ColumnKind::Date: {
        const QString s = PacketText::decode(raw, m_encoding);
        if (s.isEmpty())
            return s;
        return s.mid(6, 2) + u'.' + s.mid(4, 2) + u'.' + s.left(4);
    }
    case ColumnKind::DateTime: {
        const QString s = PacketText::decode(raw, m_encoding);
        if (s.isEmpty())
            return s;
        return s.mid(6, 2) + u'.' + s.mid(4, 2) + u'.' + s.left(4) + u' ' + s.mid(9, 8) + u'.' +
               s.mid(17);
    }
    case ColumnKind::Binary:
        return PacketText::fromCp1251(Base64Decode(raw));
    case ColumnKind::Other:
        break;
    }
    return PacketText::decode(raw, m_encoding);
}

QString TDataPacket::ReadValue(QStringView fieldName) const
{
    const TDPTag* field = FindFieldTag(fieldName);
    if (!field)
        return QString();
    const auto raw = m_row.attribute(fieldName);
    if (!raw)
        return QString();
    return convertValue(*raw, columnKind(*field));
}

void TDataPacket::SetPacketFile(const QString& fileName)
{
    m_file.close();
    resetReadState();
    m_fileName = fileName;
    m_root.clear();
    m_fields.clear();
    m_row.clear();
}

void TDataPacket::ClosePacket()
{
    m_file.close();
    resetReadState();
    m_fileName.clear();
    m_root.clear();
    m_fields.clear();
    m_row.clear();
    m_headerRead = false;
}

// ---------------------------------------------------------------------------
// Loading a table

namespace {

bool isDateTimeType(TFieldType type)
{
    return type == TFieldType::ftDate || type == TFieldType::ftTime ||
           type == TFieldType::ftDateTime;
}

// "hh:nn:sszzz", the milliseconds without separator.
QTime packetTime(QStringView s)
{
    if (s.size() != 11 || s[2] != u':' || s[5] != u':')
        return QTime();
    bool ok[4] = {};
    const int h = s.sliced(0, 2).toInt(&ok[0]);
    const int m = s.sliced(3, 2).toInt(&ok[1]);
    const int sec = s.sliced(6, 2).toInt(&ok[2]);
    const int ms = s.sliced(8, 3).toInt(&ok[3]);
    if (!ok[0] || !ok[1] || !ok[2] || !ok[3])
        return QTime();
    return QTime(h, m, sec, ms);
}

QDate packetDate(QStringView s)
{
    if (s.size() != 8)
        return QDate();
    for (const QChar c : s) {
        if (!c.isDigit())
            return QDate();
    }
    return QDate(s.sliced(0, 4).toInt(), s.sliced(4, 2).toInt(), s.sliced(6, 2).toInt());
}

// The value of a date, time or date-time column for a field of such a type;
// an invalid QVariant when the text is not in the file's form.
QVariant packetDateTimeValue(const QString& raw, QByteArrayView fieldType, TFieldType target)
{
    QDate date;
    QTime time;
    if (fieldType == "date") {
        date = packetDate(raw);
        time = QTime(0, 0);
    } else if (fieldType == "time") {
        date = QDate(1899, 12, 30);
        time = packetTime(raw);
    } else if (fieldType == "dateTime") {
        if (raw.size() == 20 && raw[8] == u'T') {
            date = packetDate(QStringView(raw).sliced(0, 8));
            time = packetTime(QStringView(raw).sliced(9));
        }
    }
    if (!date.isValid() || !time.isValid())
        return QVariant();
    switch (target) {
    case TFieldType::ftDate:
        return QVariant(date);
    case TFieldType::ftTime:
        return QVariant(time);
    default:
        return QVariant(QDateTime(date, time));
    }
}

// Values in the form the program's own writer gives them are converted from
// the file's bytes straight into the field's stored form; any other text takes
// the field's text conversion, which accepts or rejects it with its message.
enum class DirectForm
{
    None,
    Text,
    Integer,
    Float,
};

// A decimal integer: an optional "-" and digits.
std::optional<qint64> plainInteger(QByteArrayView raw)
{
    qint64 value = 0;
    const auto [end, error] = std::from_chars(raw.begin(), raw.end(), value);
    if (error != std::errc() || end != raw.end())
        return std::nullopt;
    return value;
}

// An optional "-", digits with "." and an optional exponent, within the double range.
std::optional<double> plainFloat(QByteArrayView raw)
{
    const char* p = raw.begin();
    if (p != raw.end() && *p == '-')
        ++p;
    if (p == raw.end() || !((*p >= '0' && *p <= '9') || *p == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(raw.begin(), raw.end(), value);
    if (error != std::errc() || end != raw.end() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The stored value the field's text conversion would give (null: no value);
// nullopt when the text is not in the plain form and must take that conversion.
std::optional<QVariant> directValue(const TField& field, DirectForm form, QByteArrayView raw,
                                    XmlEncoding encoding)
{
    if (raw.isEmpty())
        return QVariant();
    switch (form) {
    case DirectForm::Text: {
        // Unescaped text lies within the code page, so the field's restriction
        // to it would change nothing.
        QString text = XmlUnescape(raw, encoding);
        if (field.size() > 0)
            text.truncate(field.size());
        // Stored for the table's lifetime: without the slack of unescaping or cutting.
        if (text.capacity() > text.size())
            text.squeeze();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case DirectForm::Integer: {
        const auto& integer = static_cast<const TIntegerField&>(field);
        const auto value = plainInteger(raw);
        if (!value || *value < integer.minimum() || *value > integer.maximum())
            return std::nullopt;
        return field.dataType() == TFieldType::ftLargeint ? QVariant(*value)
                                                          : QVariant(int(*value));
    }
    case DirectForm::Float: {
        const auto value = plainFloat(raw);
        if (!value)
            return std::nullopt;
        return QVariant(*value);
    }
    case DirectForm::None:
        break;
    }
    return std::nullopt;
}

} // namespace

// The values of the last row read for each group of used columns: each
// attribute name is matched to the columns once per file, not once per row.
class TDataPacket::RowColumns
{
public:
    // names: the used columns' names; columns whose names differ only in
    // letter case form one group and get the same attribute.
    explicit RowColumns(const std::vector<QByteArray>& names)
    {
        for (std::size_t c = 0; c < names.size(); ++c) {
            std::size_t g = 0;
            while (g < c && !equalIgnoringCase(names[g], names[c]))
                ++g;
            m_groupOf.push_back(int(g));
        }
        m_names = names;
        m_values.resize(names.size());
        m_found.resize(names.size());
    }

    // Takes the row's attributes: for each group the first whose name matches.
    void read(const TDPTag& row)
    {
        std::fill(m_found.begin(), m_found.end(), char(0));
        const qsizetype count = row.attributeCount();
        for (qsizetype i = 0; i < count; ++i) {
            const int group = groupOfAttribute(row.attributeNameBytes(i));
            if (group >= 0 && !m_found[std::size_t(group)]) {
                m_found[std::size_t(group)] = 1;
                m_values[std::size_t(group)] = row.attributeBytes(i);
            }
        }
    }

    // The raw value for used column c; empty when the row has none.
    QByteArrayView value(std::size_t c) const
    {
        const auto g = std::size_t(m_groupOf[c]);
        return m_found[g] ? m_values[g] : QByteArrayView();
    }

private:
    struct Slot
    {
        QByteArray name;
        int group;
    };

    // Names seen so far, exactly as written; rows name their attributes in
    // the same order, so the one after the last found is tried first. A file
    // of ever new names is matched without being remembered beyond a bound.
    int groupOfAttribute(QByteArrayView name)
    {
        const std::size_t known = m_known.size();
        for (std::size_t k = 0; k < known; ++k) {
            const std::size_t at = (m_hint + k) % known;
            if (m_known[at].name == name) {
                m_hint = at + 1 < known ? at + 1 : 0;
                return m_known[at].group;
            }
        }
        const int group = groupOf(name);
        if (known < MaxKnownNames)
            m_known.push_back({name.toByteArray(), group});
        return group;
    }

    int groupOf(QByteArrayView name) const
    {
        for (std::size_t c = 0; c < m_names.size(); ++c) {
            if (equalIgnoringCase(m_names[c], name))
                return m_groupOf[c];
        }
        return -1;
    }

    std::vector<QByteArray> m_names;
    std::vector<int> m_groupOf;
    static constexpr std::size_t MaxKnownNames = 256;
    std::vector<Slot> m_known;
    std::size_t m_hint = 0;
    std::vector<QByteArrayView> m_values;
    std::vector<char> m_found;
};

// The columns are matched to the table's fields by name with letter case
// ignored, like every field lookup of a table, and a matched column gives its
// values whatever the case of its name. Every used field of every row is
// written (an absent value as the empty text) as the plain text conversion
// would write it, and the record is posted when a data field was written. A
// value the field rejects cancels the record being loaded; the records posted
// before it stay, and the error passes on.
struct TDataPacket::UsedColumn
{
    TField* field;
    QByteArray type;
    ColumnKind kind;
    DirectForm direct;
};

void TDataPacket::LoadInto(TDataSet& table)
{
    OpenPacket();
    TControlsDisabler controls(table);
    if (!table.active())
        table.open();

    std::vector<UsedColumn> used;
    std::vector<QByteArray> names;
    for (const TDPTag& column : m_fields.m_children) {
        if (column.nameBytes() != "FIELD")
            continue;
        const auto attrName = column.attribute(u"attrname");
        if (!attrName)
            continue;
        if (TField* field = table.findField(PacketText::fromCp1251(*attrName))) {
            const ColumnKind kind = columnKind(column);
            DirectForm direct = DirectForm::None;
            if (kind == ColumnKind::Text && dynamic_cast<TStringField*>(field) &&
                field->dataType() != TFieldType::ftWideString)
                direct = DirectForm::Text;
            else if ((kind == ColumnKind::Other || kind == ColumnKind::Number) &&
                     dynamic_cast<TIntegerField*>(field))
                direct = DirectForm::Integer;
            else if (kind == ColumnKind::Number && dynamic_cast<TFloatField*>(field))
                direct = DirectForm::Float;
            used.push_back({field,
                            column.attribute(u"fieldtype").value_or(QByteArrayView()).toByteArray(),
                            kind, direct});
            names.push_back(attrName->toByteArray());
        }
    }
    if (used.empty())
        return;

    RowColumns columns(names);
    auto* memory = dynamic_cast<TozMemoryData*>(&table);
    if (memory && canLoadStraight(*memory, used))
        loadStraight(*memory, used, columns);
    else
        loadThroughFields(table, used, columns);
}

QVariant TDataPacket::storedValue(const UsedColumn& column, QByteArrayView raw) const
{
    TField& field = *column.field;
    if (column.direct != DirectForm::None) {
        if (auto value = directValue(field, column.direct, raw, m_encoding))
            return *std::move(value);
    } else if (!raw.isEmpty() && isDateTimeType(field.dataType())) {
        const QVariant value =
            packetDateTimeValue(PacketText::decode(raw, m_encoding), column.type, field.dataType());
        if (value.isValid())
            return field.variantToValue(value);
    } else if (column.kind == ColumnKind::Binary && field.isBlob()) {
        if (auto* blob = dynamic_cast<TBlobField*>(&field); blob && !blob->isMemo()) {
            const QByteArray bytes = Base64Decode(raw);
            return bytes.isEmpty() ? QVariant() : QVariant(bytes);
        }
    }
    return field.textToValue(convertValue(raw, column.kind));
}

void TDataPacket::loadThroughFields(TDataSet& table, const std::vector<UsedColumn>& used,
                                    RowColumns& columns)
{
    while (NextRow()) {
        table.append();
        try {
            columns.read(m_row);
            for (std::size_t c = 0; c < used.size(); ++c)
                used[c].field->writeRaw(storedValue(used[c], columns.value(c)));
            if (table.modified())
                table.post();
        } catch (...) {
            try {
                table.cancel();
            } catch (...) {
                // The value's error is the one to report.
            }
            throw;
        }
    }
    // A last record that no data field made modified is dropped, not left pending.
    if (table.state() == TDataSetState::dsInsert && !table.modified())
        table.cancel();
}

// Every used field a writable data field of a table that lets rows be
// appended straight into storage: each row then would be posted, and nothing
// could observe the append and post.
bool TDataPacket::canLoadStraight(const TozMemoryData& table, const std::vector<UsedColumn>& used)
{
    if (!table.canAppendRows())
        return false;
    for (const UsedColumn& column : used) {
        const TField& field = *column.field;
        if (field.fieldKind() != TFieldKind::fkData || field.readOnly() ||
            field.m_bufferIndex < 0 || field.m_bufferIndex >= table.rowLayout().fieldCount())
            return false;
    }
    return true;
}

void TDataPacket::loadStraight(TozMemoryData& table, const std::vector<UsedColumn>& used,
                               RowColumns& columns)
{
    TozRowBuilder row(table.rowLayout());
    QByteArray text;
    try {
        while (NextRow()) {
            columns.read(m_row);
            for (std::size_t c = 0; c < used.size(); ++c) {
                const UsedColumn& column = used[c];
                const QByteArrayView raw = columns.value(c);
                const int slot = column.field->m_bufferIndex;
                if (column.direct == DirectForm::Text && m_encoding == XmlEncoding::Windows1251) {
                    // The file's bytes are the stored bytes once references are resolved.
                    if (raw.contains('&')) {
                        text.resize(0);
                        PacketText::appendUnescaped(text, raw);
                        storeText(row, slot, text, column.field->size());
                    } else {
                        storeText(row, slot, raw, column.field->size());
                    }
                } else if (!storeNumber(row, column, raw)) {
                    row.setValue(slot, storedValue(column, raw));
                }
            }
            table.appendRow(row.take());
        }
    } catch (...) {
        table.endAppendRows();
        throw;
    }
    table.endAppendRows();
}

// A plain integer or float value straight into its slot; false when the
// value must take the field's conversion.
bool TDataPacket::storeNumber(TozRowBuilder& row, const UsedColumn& column, QByteArrayView raw)
{
    const int slot = column.field->m_bufferIndex;
    if (column.direct != DirectForm::Integer && column.direct != DirectForm::Float)
        return false;
    if (raw.isEmpty()) {
        row.setNull(slot);
        return true;
    }
    if (column.direct == DirectForm::Float) {
        const auto value = plainFloat(raw);
        if (value)
            row.setNumber(slot, *value);
        return value.has_value();
    }
    const auto& integer = static_cast<const TIntegerField&>(*column.field);
    const auto value = plainInteger(raw);
    if (!value || *value < integer.minimum() || *value > integer.maximum())
        return false;
    row.setInteger(slot, *value);
    return true;
}

void TDataPacket::storeText(TozRowBuilder& row, int slot, QByteArrayView cp1251, int size)
{
    if (size > 0 && cp1251.size() > size)
        cp1251 = cp1251.first(size);
    if (cp1251.isEmpty())
        row.setNull(slot);
    else
        row.setText(slot, cp1251);
}

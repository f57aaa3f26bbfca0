#include "Base64Coder.h"

#include <array>
#include <cstdint>

#include "Cp1251.h"
#include "Errors.h"

namespace {

// The code page in both directions, taken once from Cp1251 so that the two
// can never disagree. Unicode characters outside the code page map to -1.
struct CodePageTables
{
    std::array<char16_t, 256> toUnicode{};
    std::array<std::int16_t, 65536> fromUnicode{};

    CodePageTables()
    {
        fromUnicode.fill(-1);
        QByteArray all(256, '\0');
        for (int i = 0; i < 256; ++i)
            all[i] = char(i);
        const QString text = Cp1251::decode(all);
        for (int i = 0; i < 256 && i < text.size(); ++i) {
            toUnicode[i] = text.at(i).unicode();
            fromUnicode[text.at(i).unicode()] = std::int16_t(i);
        }
    }
};

const CodePageTables& tables()
{
    static const CodePageTables instance;
    return instance;
}

// Appends the code page byte of text[i] ('?' when it has none) and returns the
// number of UTF-16 units consumed (2 for a surrogate pair, which is one character).
qsizetype appendOne(QByteArray& out, QStringView text, qsizetype i, const CodePageTables& t)
{
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        out.append('?');
        return 2;
    }
    const std::int16_t b = t.fromUnicode[c];
    out.append(b < 0 ? '?' : char(b));
    return 1;
}

const char* reference(char16_t c)
{
    switch (c) {
    case u'&':
        return "&amp;";
    case u'<':
        return "&lt;";
    case u'>':
        return "&gt;";
    case u'"':
        return "&quot;";
    case u'\'':
        return "&apos;";
    case u'\0':
        // A file must hold no zero byte: the reader rejects one as binary.
        return "&#0;";
    default:
        return nullptr;
    }
}

[[noreturn]] void failInteger(QByteArrayView number, XmlEncoding encoding)
{
    throw F2tpError(QStringLiteral("'%1' is not a valid integer value")
                        .arg(PacketText::decode(number, encoding)));
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The number of a numeric reference: decimal, or hexadecimal after "x" or "$",
// within 32 bits.
std::uint32_t referenceNumber(QByteArrayView number, XmlEncoding encoding)
{
    if (number.isEmpty())
        failInteger(number, encoding);
    std::uint64_t value = 0;
    const char first = number.front();
    if (first == 'x' || first == 'X' || first == '$') {
        const QByteArrayView digits = number.sliced(1);
        if (digits.isEmpty() || digits.size() > 8)
            failInteger(number, encoding);
        for (const char c : digits) {
            const int d = hexDigit(c);
            if (d < 0)
                failInteger(number, encoding);
            value = value * 16 + std::uint64_t(d);
        }
        return std::uint32_t(value);
    }
    for (const char c : number) {
        if (c < '0' || c > '9')
            failInteger(number, encoding);
        value = value * 10 + std::uint64_t(c - '0');
        if (value > 0x7FFFFFFF)
            failInteger(number, encoding);
    }
    return std::uint32_t(value);
}

char16_t namedReference(QByteArrayView name)
{
    if (name == "amp")
        return u'&';
    if (name == "lt")
        return u'<';
    if (name == "gt")
        return u'>';
    if (name == "apos")
        return u'\'';
    if (name == "quot")
        return u'"';
    return 0;
}

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

[[noreturn]] void failMime()
{
    throw F2tpError(QStringLiteral("Ошибка в MIME кодировке"));
}

} // namespace

namespace PacketText {

void appendCp1251(QByteArray& out, QStringView text)
{
    const CodePageTables& t = tables();
    for (qsizetype i = 0; i < text.size();)
        i += appendOne(out, text, i, t);
}

QString fromCp1251(QByteArrayView bytes)
{
    const CodePageTables& t = tables();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = t.toUnicode[static_cast<unsigned char>(bytes[i])];
    return text;
}

bool equals(QByteArrayView cp1251, QStringView text)
{
    if (cp1251.size() != text.size())
        return false;
    const CodePageTables& t = tables();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (t.toUnicode[static_cast<unsigned char>(cp1251[i])] != text[i].unicode())
            return false;
    }
    return true;
}

char* writeEscaped(char* out, QStringView text)
{
    const CodePageTables& t = tables();
    const char16_t* p = reinterpret_cast<const char16_t*>(text.data());
    const char16_t* const end = p + text.size();
    while (p != end) {
        const char16_t c = *p++;
        if (const char* ref = c < 0x80 ? reference(c) : nullptr) {
            while (*ref)
                *out++ = *ref++;
        } else if (c < 0x80) {
            *out++ = char(c);
        } else if (QChar::isHighSurrogate(c) && p != end && QChar::isLowSurrogate(*p)) {
            ++p;
            *out++ = '?';
        } else {
            const std::int16_t b = t.fromUnicode[c];
            *out++ = b < 0 ? '?' : char(b);
        }
    }
    return out;
}

char* writeEscapedBytes(char* out, QByteArrayView cp1251)
{
    for (const char byte : cp1251) {
        const auto c = static_cast<unsigned char>(byte);
        if (const char* ref = c < 0x80 ? reference(char16_t(c)) : nullptr) {
            while (*ref)
                *out++ = *ref++;
        } else {
            *out++ = byte;
        }
    }
    return out;
}

void appendUnescaped(QByteArray& out, QByteArrayView text)
{
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype amp = text.indexOf('&', pos);
        if (amp < 0) {
            out.append(text.sliced(pos));
            break;
        }
        out.append(text.sliced(pos, amp - pos));
        qsizetype semi = text.indexOf(';', amp + 1);
        if (semi < 0)
            semi = text.size();
        const QByteArrayView ref = text.sliced(amp + 1, semi - amp - 1);
        if (ref.startsWith('#'))
            out.append(char(referenceNumber(ref.sliced(1), XmlEncoding::Windows1251) % 256));
        else if (const char16_t c = namedReference(ref))
            out.append(char(c));
        pos = semi + 1;
    }
}

void appendEscaped(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size() * MaxEscapedPerUnit);
    char* const end = writeEscaped(out.data() + start, text);
    out.resize(end - out.constData());
}

QString decode(QByteArrayView bytes, XmlEncoding encoding)
{
    if (encoding == XmlEncoding::Windows1251)
        return fromCp1251(bytes);
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes);
    // Through the code page and back, so characters it cannot hold (and the
    // replacement character of malformed sequences) become '?'.
    QByteArray single;
    appendCp1251(single, QString::fromUtf8(bytes));
    return fromCp1251(single);
}

} // namespace PacketText

QByteArray XmlEscape(QStringView text, bool toUtf8)
{
    QByteArray out;
    out.reserve(text.size() + 16);
    PacketText::appendEscaped(out, text);
    if (!toUtf8)
        return out;
    return PacketText::fromCp1251(out).toUtf8();
}

QString XmlUnescape(QByteArrayView text, XmlEncoding encoding)
{
    if (!text.contains('&'))
        return PacketText::decode(text, encoding);
    QString out;
    out.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype amp = text.indexOf('&', pos);
        if (amp < 0) {
            out += PacketText::decode(text.sliced(pos), encoding);
            break;
        }
        out += PacketText::decode(text.sliced(pos, amp - pos), encoding);
        qsizetype semi = text.indexOf(';', amp + 1);
        if (semi < 0)
            semi = text.size();
        const QByteArrayView ref = text.sliced(amp + 1, semi - amp - 1);
        if (ref.startsWith('#')) {
            const std::uint32_t number = referenceNumber(ref.sliced(1), encoding);
            out += QChar(tables().toUnicode[number % 256]);
        } else if (const char16_t c = namedReference(ref)) {
            out += QChar(c);
        }
        pos = semi + 1;
    }
    return out;
}

QByteArray Base64Encode(QByteArrayView bytes)
{
    QByteArray out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const std::uint32_t group = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
        out.append(kAlphabet[(group >> 18) & 63]);
        out.append(kAlphabet[(group >> 12) & 63]);
        out.append(kAlphabet[(group >> 6) & 63]);
        out.append(kAlphabet[group & 63]);
    }
    if (n - i == 2) {
        const std::uint32_t group = (in[i] << 16) | (in[i + 1] << 8);
        out.append(kAlphabet[(group >> 18) & 63]);
        out.append(kAlphabet[(group >> 12) & 63]);
        out.append(kAlphabet[(group >> 6) & 63]);
        out.append('=');
    } else if (n - i == 1) {
        const std::uint32_t group = in[i] << 16;
        out.append(kAlphabet[(group >> 18) & 63]);
        out.append(kAlphabet[(group >> 12) & 63]);
        out.append("==");
    }
    return out;
}

QByteArray Base64Decode(QByteArrayView text)
{
    if (text.size() % 4 != 0)
        failMime();
    QByteArray out;
    out.reserve(text.size() / 4 * 3);
    qsizetype padding = 0;
    for (qsizetype i = 0; i < text.size(); i += 4) {
        std::uint32_t group = 0;
        for (qsizetype k = 0; k < 4; ++k) {
            const char c = text[i + k];
            int v = 0;
            if (c == '=') {
                ++padding;
            } else {
                v = base64Value(c);
                if (v < 0)
                    failMime();
            }
            group = (group << 6) | std::uint32_t(v);
        }
        out.append(char((group >> 16) & 0xFF));
        out.append(char((group >> 8) & 0xFF));
        out.append(char(group & 0xFF));
    }
    out.chop(qMin(padding, out.size()));
    return out;
}

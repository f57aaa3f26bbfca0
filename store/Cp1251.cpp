#include "Cp1251.h"

#include <array>

#include <QStringDecoder>

namespace {

// The code page's 256 characters and the way back, built once from Qt's
// converter: a converter per call costs more than the conversion itself, and
// every field write and every value of a data packet file comes through here.
struct CodePage
{
    std::array<char16_t, 256> toUnicode{};
    std::array<unsigned char, 65536> fromUnicode{};
    std::array<bool, 65536> mapped{};

    CodePage()
    {
        QStringDecoder decoder("windows-1251");
        for (int byte = 0; byte < 256; ++byte) {
            const char c = char(byte);
            const QString text = decoder.decode(QByteArrayView(&c, 1));
            char16_t unicode = u'?';
            if (text.size() == 1 && text.at(0) != QChar::ReplacementCharacter)
                unicode = text.at(0).unicode();
            toUnicode[std::size_t(byte)] = unicode;
            if (unicode != u'?' || byte == '?') {
                fromUnicode[unicode] = static_cast<unsigned char>(byte);
                mapped[unicode] = true;
            }
        }
    }
};

const CodePage& codePage()
{
    static const CodePage table;
    return table;
}

bool isAscii(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

} // namespace

namespace Cp1251 {

QString decode(const QByteArray& bytes)
{
    return decode(QByteArrayView(bytes));
}

QString decode(QByteArrayView bytes)
{
    const CodePage& page = codePage();
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(page.toUnicode[static_cast<unsigned char>(byte)]);
    return text;
}

QByteArray encode(const QString& text)
{
    if (isAscii(text))
        return text.toLatin1();
    const CodePage& page = codePage();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one character outside the code page, one '?'
        bytes.append(page.mapped[c] ? char(page.fromUnicode[c]) : '?');
    }
    return bytes;
}

bool encodeExact(QStringView text, QByteArray& out)
{
    const CodePage& page = codePage();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* at = out.data() + start;
    for (const QChar c : text) {
        if (!page.mapped[c.unicode()]) {
            out.resize(start);
            return false;
        }
        *at++ = char(page.fromUnicode[c.unicode()]);
    }
    return true;
}

QString restrict(const QString& text)
{
    if (isAscii(text))
        return text;
    return decode(encode(text));
}

QString fromUtf8(const QByteArray& bytes)
{
    return restrict(QString::fromUtf8(bytes));
}

QString fromOem(const QByteArray& bytes)
{
    QStringDecoder decoder("IBM866");
    return restrict(decoder.decode(bytes));
}

} // namespace Cp1251

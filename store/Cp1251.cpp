#include "Cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr auto kName = "windows-1251";

// Qt's encoder writes an unmappable character as a substitute byte; the
// program's files show '?' instead, so each character is checked on its own
// only when the fast path reports a loss.
QByteArray encodeWithQuestionMarks(const QString& text)
{
    QStringEncoder encoder(kName);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    bytes.clear();
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            len = 2;
        QStringEncoder one(kName);
        const QByteArray b = one.encode(QStringView(text).mid(i, len));
        if (one.hasError() || b.size() != 1)
            bytes.append('?');
        else
            bytes.append(b);
        i += len - 1;
    }
    return bytes;
}

bool fitsCodePage(const QString& text)
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
    QStringDecoder decoder(kName);
    return decoder.decode(bytes);
}

QByteArray encode(const QString& text)
{
    if (fitsCodePage(text))
        return text.toLatin1();
    return encodeWithQuestionMarks(text);
}

QString restrict(const QString& text)
{
    if (fitsCodePage(text))
        return text;
    return decode(encodeWithQuestionMarks(text));
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

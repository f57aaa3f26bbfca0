#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The text codecs of data packet files: XML character references and MIME base64.
// Escaped texts and base64 texts are handled as the bytes of the file; texts in
// memory are QString limited to the Windows-1251 repertoire.

// The encoding a data packet file declares: Windows-1251, or UTF-8 for any other name.
enum class XmlEncoding
{
    Windows1251,
    Utf8,
};

// "&", "<", ">", the double and the single quote become character references,
// and so does the zero character, which no file may hold as a byte; everything
// else is copied. The result is Windows-1251 bytes, or UTF-8 with toUtf8.
QByteArray XmlEscape(QStringView text, bool toUtf8);

// Resolves the character references of file bytes and converts the runs between
// them from the file's encoding. Unknown references are dropped; a numeric
// reference gives the Windows-1251 character of its number modulo 256 and fails
// with "'%s' is not a valid integer value" (F2tpError) when the number is unreadable.
QString XmlUnescape(QByteArrayView text, XmlEncoding encoding);

// MIME base64 without line breaks; 4 characters per started group of 3 bytes.
QByteArray Base64Encode(QByteArrayView bytes);

// Fails with "Ошибка в MIME кодировке" (F2tpError) on a character outside the
// alphabet (blanks and line breaks included) or a length that is not a multiple of 4.
// Every "=" stands for zero bits and shortens the result by one byte.
QByteArray Base64Decode(QByteArrayView text);

// Fast Windows-1251 conversions for the packet reader and writer, which convert
// every value of every row: the same mapping as Cp1251::encode/decode, through
// tables built once from it.
namespace PacketText {

// Text to Windows-1251 bytes, appended to out; a character the code page cannot
// hold becomes '?'.
void appendCp1251(QByteArray& out, QStringView text);
QString fromCp1251(QByteArrayView bytes);
// Whether Windows-1251 bytes hold exactly the text.
bool equals(QByteArrayView cp1251, QStringView text);
// XmlUnescape(text, Windows1251) as Windows-1251 bytes, appended to out.
void appendUnescaped(QByteArray& out, QByteArrayView text);
// XmlEscape of Windows-1251 bytes written at out, which has room for
// MaxEscapedPerUnit * cp1251.size() bytes; returns the end.
char* writeEscapedBytes(char* out, QByteArrayView cp1251);
// XmlEscape(text, false) appended to out.
void appendEscaped(QByteArray& out, QStringView text);
// XmlEscape(text, false) written at out, which has room for
// MaxEscapedPerUnit * text.size() bytes; returns the end.
inline constexpr qsizetype MaxEscapedPerUnit = 6;
char* writeEscaped(char* out, QStringView text);

// File bytes in the given encoding to text limited to the code page; malformed
// UTF-8 sequences become '?'.
QString decode(QByteArrayView bytes, XmlEncoding encoding);

} // namespace PacketText

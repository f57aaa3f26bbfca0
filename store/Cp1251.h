#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Texts of the program live in memory as QString but are limited to what the
// Windows-1251 code page holds, because every file the program writes or reads
// stores them in that code page.
namespace Cp1251 {

// Bytes in Windows-1251 to text.
QString decode(const QByteArray& bytes);

// Text to Windows-1251 bytes; a character the code page cannot hold becomes '?'.
QByteArray encode(const QString& text);

// Bytes in Windows-1251 to text, without a copy of the bytes first.
QString decode(QByteArrayView bytes);

// Appends the Windows-1251 bytes of the text to out; false, with out as it
// was, when a character lies outside the code page.
bool encodeExact(QStringView text, QByteArray& out);

// The text as it will come back from a file: characters the code page cannot
// hold are replaced with '?'. Fields apply this when a text is written into them.
QString restrict(const QString& text);

// UTF-8 bytes to text limited to the code page (what a file declared UTF-8 gives).
QString fromUtf8(const QByteArray& bytes);

// Bytes in the DOS code page 866 (names in ZIP archives) to text limited to the code page.
QString fromOem(const QByteArray& bytes);

} // namespace Cp1251

#include "ArchiveSupport.h"

#include <algorithm>

#include <QDateTime>
#include <QFile>

#include <zlib.h>

namespace ArchiveSupport {

QString sizeText(qint64 bytes)
{
    if (bytes > 0 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 МБ").arg(bytes / (1024 * 1024));
    if (bytes > 0 && bytes % 1024 == 0)
        return QStringLiteral("%1 КБ").arg(bytes / 1024);
    return QStringLiteral("%1 байт").arg(bytes);
}

QString tooManyEntriesText(qint64 count, qint64 limit)
{
    return QStringLiteral("Архив содержит слишком много файлов: %1 (допускается не более %2).")
        .arg(count)
        .arg(limit);
}

QString tooMuchDataText(qint64 limit)
{
    return QStringLiteral("Распакованные файлы архива больше допустимого размера (%1).")
        .arg(sizeText(limit));
}

QString fileTooLargeText(const QString& fileName, qint64 limit)
{
    return QStringLiteral("Файл %1 больше допустимого размера (%2).")
        .arg(fileName, sizeText(limit));
}

quint16 readLe16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return quint16(b[0] | (b[1] << 8));
}

quint32 readLe32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return quint32(b[0]) | (quint32(b[1]) << 8) | (quint32(b[2]) << 16) | (quint32(b[3]) << 24);
}

void appendLe32(QByteArray& bytes, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes.append(char((value >> (8 * i)) & 0xFF));
}

quint32 crcInit()
{
    return quint32(crc32(0, nullptr, 0));
}

quint32 crcUpdate(quint32 crc, const char* data, qint64 length)
{
    uLong c = crc;
    while (length > 0) {
        const uInt piece = uInt(std::min<qint64>(length, 1 << 30));
        c = crc32(c, reinterpret_cast<const Bytef*>(data), piece);
        data += piece;
        length -= piece;
    }
    return quint32(c);
}

QString bareName(const QString& name)
{
    const qsizetype cut =
        std::max({name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')),
                  name.lastIndexOf(QLatin1Char(':'))});
    return name.mid(cut + 1);
}

bool isSkippedName(const QString& bare)
{
    return bare.isEmpty() || bare == QLatin1String(".") || bare == QLatin1String("..");
}

bool hasControlCharacters(const QString& name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x20; });
}

bool isUnsafeRelativePath(const QString& path)
{
    if (hasControlCharacters(path))
        return true;
    if (path.contains(QLatin1Char(':')))
        return true;
    QString unified = path;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = unified.split(QLatin1Char('/'));
    return std::any_of(parts.begin(), parts.end(),
                       [](const QString& part) { return part.trimmed() == QLatin1String(".."); });
}

QString normalizePath(const QString& path)
{
    QString result;
    result.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        QChar c = path.at(i);
        if (c == QLatin1Char('\\'))
            c = QLatin1Char('/');
        if (c == QLatin1Char('/') && result.endsWith(QLatin1Char('/')) && result.size() > 1)
            continue;
        result.append(c);
    }
    if (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

QString joinUnder(const QString& dir, const QString& relative)
{
    if (!dir.isEmpty())
        return normalizePath(dir + QLatin1Char('/') + relative);
    QString path = normalizePath(relative);
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path;
}

bool setDosFileTime(const QString& fileName, quint16 dosDate, quint16 dosTime)
{
    const QDate date(1980 + (dosDate >> 9), (dosDate >> 5) & 0x0F, dosDate & 0x1F);
    const QTime time(dosTime >> 11, (dosTime >> 5) & 0x3F, (dosTime & 0x1F) * 2);
    if (!date.isValid() || !time.isValid())
        return true;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    return file.setFileTime(QDateTime(date, time), QFileDevice::FileModificationTime);
}

} // namespace ArchiveSupport

#include "ImportManifest.h"

#include <QFile>
#include <QFileInfo>

#include "ArchiveSupport.h"
#include "Cp1251.h"
#include "Errors.h"

void TImportManifest::read(const QString& fileName)
{
    m_lines.clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw F2tpError(QStringLiteral("Ошибка открытия файла - ") + fileName);
    const QByteArray bytes = file.read(MaxSize + 1);
    if (bytes.size() > MaxSize)
        throw EArchiveLimit(
            ArchiveSupport::fileTooLargeText(QFileInfo(fileName).fileName(), MaxSize));
    const QString text = Cp1251::decode(bytes);
    // Lines end in CR LF, LF or CR alike.
    QString line;
    for (const QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (!line.isEmpty())
                m_lines << line;
            line.clear();
            continue;
        }
        line += c;
    }
    if (!line.isEmpty())
        m_lines << line;
}

QString TImportManifest::value(const QString& key) const
{
    for (const QString& line : m_lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1);
    }
    return QString();
}

std::optional<int> TImportManifest::intValue(const QString& key) const
{
    bool ok = false;
    const int number = value(key).trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

QStringList TImportManifest::tableFiles() const
{
    QStringList files;
    for (qsizetype i = 1; i <= m_lines.size(); ++i) {
        const QString file = value(QStringLiteral("Table%1").arg(i));
        if (file.isEmpty())
            break;
        files << file;
    }
    return files;
}

bool TImportManifest::isPlainFileName(const QString& name)
{
    using namespace ArchiveSupport;
    return bareName(name) == name && !isSkippedName(name.trimmed()) && !hasControlCharacters(name);
}

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char(',') || c.unicode() <= 32;
}

// The items of a comma-separated list: commas and blanks separate, "..." keeps
// an item whole ("" inside quotes stands for one quote).
QStringList splitItems(const QString& text)
{
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && isSeparator(text.at(i)))
            ++i;
        if (i >= n)
            break;
        QString item;
        if (text.at(i) == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (text.at(i) == QLatin1Char('"')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text.at(i++);
            }
        } else {
            while (i < n && !isSeparator(text.at(i)))
                item += text.at(i++);
        }
        items << item;
    }
    return items;
}

} // namespace

TImportRule TImportRule::parse(const QString& text)
{
    TImportRule rule;
    QStringList items = splitItems(text);
    if (items.isEmpty())
        return rule;
    bool ok = false;
    const int mode = items.takeFirst().trimmed().toInt(&ok, 10);
    rule.mode = ok ? mode : 0;
    for (const QString& key : std::as_const(items)) {
        if (!key.trimmed().isEmpty())
            rule.keys << key.trimmed();
    }
    return rule;
}

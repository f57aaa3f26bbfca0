#pragma once

#include <initializer_list>
#include <map>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TozMemoryData;

// An exchange set as another installation writes it: the data packet files
// of the card, the region row, the five sections, the three nitrogen oxide
// tables and the officials, with the manifest "TableList.inf" (code 35), in a
// folder of its own. Tests change files and manifest lines before write().
class ExchangeSet
{
public:
    ExchangeSet();

    QString folder() const { return m_dir.path() + QLatin1Char('/'); }
    QString manifestPath() const { return folder() + QStringLiteral("TableList.inf"); }

    std::map<QString, QByteArray> files;
    // The manifest's lines, written with CR LF.
    QStringList manifest;
    // Replaces the manifest's value of the key (the first line that has it).
    void setEntry(const QString& key, const QString& value);
    // A manifest listing only these files with their rules, Code 35.
    void listOnly(const std::vector<std::pair<QString, QString>>& tablesAndRules);

    // Writes the files and the manifest into folder().
    void write() const;
    // The written set packed as a ZLB archive, or by Info-ZIP's zip, in a
    // folder other than the set's; the archive's path.
    QString packZlb(const QString& archiveName) const;
    QString packZip(const QString& archiveName) const;

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_archives;
};

// A data packet file from columns "NAME:type[:width]" separated by blanks and
// rows of "|"-separated attribute texts (already escaped), in UTF-8 source text.
QByteArray packet(const char* columns, std::initializer_list<const char*> rows);

// Everything a table holds that a user or a later save could see: open or
// not, the change flag, the current row and every record's stored values.
QString tableDump(const TozMemoryData& table);

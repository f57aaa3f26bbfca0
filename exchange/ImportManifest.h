#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// The manifest "TableList.inf" of an exchange set: key=value lines in
// Windows-1251. Keys are found without regard to letter case, the first line
// of a key counts.
class TImportManifest
{
public:
    // A manifest has a few dozen short lines; a larger file is not one.
    static constexpr qint64 MaxSize = 64 * 1024;

    // Reads the file; fails (F2tpError) when it cannot be read, and
    // (EArchiveLimit) when it is larger than MaxSize.
    void read(const QString& fileName);
    void clear() { m_lines.clear(); }

    bool isEmpty() const { return m_lines.isEmpty(); }
    qsizetype lineCount() const { return m_lines.size(); }
    // The value of the key; empty when the key is missing.
    QString value(const QString& key) const;
    // The value read as a decimal integer (blanks around it allowed).
    std::optional<int> intValue(const QString& key) const;
    // The files of "Table1", "Table2", ... up to the first empty or missing one.
    QStringList tableFiles() const;
    // A table file is named without any folder: no "/", "\", drive or "..".
    static bool isPlainFileName(const QString& name);

private:
    QStringList m_lines;
};

// A table's merge rule ("UPDATE" + n): the merge mode, then the key fields.
struct TImportRule
{
    int mode = 0;
    QStringList keys;

    // Items are separated by commas and blanks; an item in double quotes is
    // kept whole. A missing or non-numeric mode is 0.
    static TImportRule parse(const QString& text);
    // Modes 2 and 4 empty the table before the rows are appended.
    bool replaces() const { return mode == 2 || mode == 4; }
    bool merges() const { return mode == 1; }
};

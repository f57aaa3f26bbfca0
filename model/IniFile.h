#pragma once

#include <QString>
#include <QStringList>

// A settings file of sections and "key=value" lines in the Windows-1251 code page.
// Section and key names are compared without regard to letter case. Lines the
// program does not touch (other sections, other keys, comments) are kept as they
// were when the file is written back.
class IniFile
{
public:
    // Reads the file when it exists; a missing or unreadable file reads as empty.
    explicit IniFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    bool hasKey(const QString& section, const QString& key) const;
    // The value without surrounding blanks and without one pair of matching quotes.
    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // A decimal number, or a hexadecimal one after "$" or "0x"; else the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;

    // Changes the value in memory, adding the section or the key when missing.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);

    // Writes the file atomically: either the whole new text is there or the old
    // file is untouched. Fails with F2tpError when the file cannot be written.
    void save() const;

private:
    // Index of the line "[section]", or -1.
    qsizetype findSection(const QString& section) const;
    // Index of the key's line inside the section starting at sectionLine, or -1.
    qsizetype findKey(qsizetype sectionLine, const QString& key) const;
    // One past the last line that belongs to the section starting at sectionLine.
    qsizetype sectionEnd(qsizetype sectionLine) const;

    QString m_fileName;
    QStringList m_lines;
};

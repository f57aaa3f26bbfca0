#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A comma-separated table with a header row, as the territorial sources ship it:
// fields may be quoted with double quotes, a quote inside a quoted field is
// doubled, and a quoted field may hold commas and line breaks. Records end with
// LF or CR LF. A malformed text fails with F2tpError naming the line.
class CsvTable
{
public:
    // Parses the whole text; the first record is the header. Every record must
    // have as many fields as the header.
    static CsvTable parse(const QString& text, const QString& sourceName);

    const QStringList& header() const { return m_header; }
    qsizetype rowCount() const { return m_rows.size(); }
    const QStringList& row(qsizetype index) const { return m_rows.at(index); }

    // Position of a header column; fails when the source lacks it.
    qsizetype column(const QString& name) const;

private:
    QString m_sourceName;
    QStringList m_header;
    QList<QStringList> m_rows;
};

// Splits a text into records of fields without looking at a header.
QList<QStringList> parseCsvRecords(const QString& text, const QString& sourceName);

#include "CsvReader.h"

#include "Errors.h"

namespace {

[[noreturn]] void fail(const QString& sourceName, int line, const QString& what)
{
    throw F2tpError(sourceName + QStringLiteral(", line ") + QString::number(line) +
                    QStringLiteral(": ") + what);
}

} // namespace

QList<QStringList> parseCsvRecords(const QString& text, const QString& sourceName)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (n > 0 && text.at(0) == QChar(0xFEFF))
        i = 1;
    int line = 1;
    bool fieldStarted = false;

    auto endField = [&] {
        record.append(field);
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        records.append(record);
        record.clear();
    };

    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'"' && !fieldStarted) {
            // A quoted field runs to the quote that is not doubled.
            const int quoteLine = line;
            ++i;
            for (;;) {
                if (i >= n)
                    fail(sourceName, quoteLine, QStringLiteral("unterminated quoted field"));
                const QChar q = text.at(i);
                if (q == u'"') {
                    if (i + 1 < n && text.at(i + 1) == u'"') {
                        field.append(u'"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (q == u'\n')
                    ++line;
                field.append(q);
                ++i;
            }
            fieldStarted = true;
            if (i < n && text.at(i) != u',' && text.at(i) != u'\n' && text.at(i) != u'\r')
                fail(sourceName, line, QStringLiteral("text after the closing quote of a field"));
            continue;
        }
        if (c == u',') {
            endField();
            ++i;
            continue;
        }
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') {
            ++i;
            continue;
        }
        if (c == u'\n') {
            // A blank line holds no record.
            if (fieldStarted || !record.isEmpty())
                endRecord();
            ++line;
            ++i;
            continue;
        }
        if (c == u'"')
            fail(sourceName, line, QStringLiteral("quote inside an unquoted field"));
        field.append(c);
        fieldStarted = true;
        ++i;
    }
    // A last record without a final line break still counts; a final line break
    // does not add an empty record.
    if (fieldStarted || !record.isEmpty())
        endRecord();
    return records;
}

CsvTable CsvTable::parse(const QString& text, const QString& sourceName)
{
    CsvTable table;
    table.m_sourceName = sourceName;
    QList<QStringList> records = parseCsvRecords(text, sourceName);
    if (records.isEmpty())
        throw F2tpError(sourceName + QStringLiteral(": no header row"));
    table.m_header = records.takeFirst();
    for (qsizetype r = 0; r < records.size(); ++r) {
        if (records.at(r).size() != table.m_header.size())
            throw F2tpError(sourceName + QStringLiteral(": record ") + QString::number(r + 1) +
                            QStringLiteral(" has ") + QString::number(records.at(r).size()) +
                            QStringLiteral(" fields, the header has ") +
                            QString::number(table.m_header.size()));
    }
    table.m_rows = std::move(records);
    return table;
}

qsizetype CsvTable::column(const QString& name) const
{
    const qsizetype index = m_header.indexOf(name);
    if (index < 0)
        throw F2tpError(m_sourceName + QStringLiteral(": no column ") + name);
    return index;
}

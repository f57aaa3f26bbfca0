// libFuzzer target: the data packet reader on arbitrary bytes. The first byte
// chooses the reader's chunk size, so that small inputs cross chunk
// boundaries; the rest is the file. Each input is read value by value, then
// loaded into a table built from its column list; what loaded is written and
// must read back and write again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include "DSToXML.h"
#include "Errors.h"
#include "ozMemoryData.h"

namespace {

constexpr int kMaxRows = 4000;
constexpr int kMaxColumns = 64;

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void readValues(const QString& path, qsizetype chunk)
{
    TDataPacket reader(nullptr, path, chunk);
    try {
        reader.OpenPacket();
        QStringList names;
        for (const TDPTag& field : reader.fieldsTag().children()) {
            names << field.value(u"attrname");
            if (names.size() == kMaxColumns)
                break;
        }
        for (const QString& name : names)
            reader.FindFieldTag(name);
        for (int row = 0; row < kMaxRows && reader.NextRow(); ++row) {
            for (const QString& name : names) {
                try {
                    reader.ReadValue(name);
                } catch (const F2tpError&) {
                }
            }
        }
    } catch (const F2tpError&) {
    }
}

// A row names its values without escaping, so a column name that holds a
// blank, a quote, "=", "<", ">" or "/" cannot be written back; such columns
// are left out of the round trip.
bool writableName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c.unicode() <= 32 || c == u'"' || c == u'\'' || c == u'=' || c == u'<' || c == u'>' ||
            c == u'/')
            return false;
    }
    return true;
}

void defineFields(const QList<std::pair<QString, QString>>& columns, TozMemoryData& table)
{
    for (const auto& [name, type] : columns) {
        if (type == u"i2")
            table.addField<TSmallintField>(name);
        else if (type == u"i4")
            table.addField<TIntegerField>(name);
        else if (type == u"r8")
            table.addField<TFloatField>(name);
        else
            table.addField<TStringField>(name, 255);
    }
}

void roundTrip(const QString& path, qsizetype chunk)
{
    QList<std::pair<QString, QString>> columns;
    {
        TDataPacket header(nullptr, path, chunk);
        try {
            header.OpenPacket();
        } catch (const F2tpError&) {
            return;
        }
        QSet<QString> seen;
        for (const TDPTag& field : header.fieldsTag().children()) {
            const QString name = field.value(u"attrname");
            if (!writableName(name) || seen.contains(name.toUpper()))
                continue;
            seen.insert(name.toUpper());
            columns.append({name, field.value(u"fieldtype")});
            if (columns.size() == kMaxColumns)
                break;
        }
    }
    if (columns.isEmpty())
        return;

    TozMemoryData table;
    defineFields(columns, table);
    table.open();
    try {
        TDataPacket reader(nullptr, path, chunk);
        reader.LoadInto(table);
    } catch (const F2tpError&) {
        // The rows loaded before the failure stay and are written below.
    }
    if (table.recordCount() > kMaxRows)
        return;

    const QString first = scratch().filePath(QStringLiteral("first.xml"));
    const QString second = scratch().filePath(QStringLiteral("second.xml"));
    TozMemoryData again;
    defineFields(columns, again);
    try {
        WriteDataPacket(table, first);
        TDataPacket reader(nullptr, first);
        reader.LoadInto(again);
        WriteDataPacket(again, second);
    } catch (const F2tpError&) {
        std::abort(); // what the writer wrote must read back
    }
    if (readBytes(first) != readBytes(second))
        std::abort();
}

void runOne(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const qsizetype chunk = 16 + qsizetype(data[0]) * 8;
    const QString path = scratch().filePath(QStringLiteral("input.xml"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        file.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    }
    readValues(path, chunk);
    roundTrip(path, chunk);
}

} // namespace

int packetReaderFuzzOne(const uint8_t* data, size_t size)
{
    runOne(data, size);
    return 0;
}

#ifndef F2TP_FUZZ_REPLAY
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return packetReaderFuzzOne(data, size);
}
#endif

// f2tp-cli packet: shows a data packet file as text, reads it into a table
// (printing the number of rows) and copies it through the program's reader and writer.
#include <QTextStream>

#include "CliCommand.h"
#include "CliText.h"
#include "DSToXML.h"
#include "Errors.h"
#include "ObFunc.h"
#include "ozMemoryData.h"

namespace {

int intAttribute(const TDPTag& field, QStringView name, int fallback)
{
    bool ok = false;
    const int value = field.value(name).toInt(&ok);
    return ok ? value : fallback;
}

// One field per column of the file, of the column's type, in file order.
// Returns the columns marked read-only: they are switched so only after
// loading, which writes every field.
QList<TField*> defineFields(const TDataPacket& reader, TozMemoryData& table)
{
    QList<TField*> readOnly;
    for (const TDPTag& column : reader.fieldsTag().children()) {
        if (column.nameBytes() != "FIELD")
            continue;
        const QString name = column.value(u"attrname");
        if (name.isEmpty() || table.findField(name))
            continue;
        const QString type = column.value(u"fieldtype");
        const QString subtype = column.value(u"SUBTYPE");
        TField* field = nullptr;
        if (type == u"string") {
            const int width = qMax(1, intAttribute(column, u"WIDTH", 20));
            field = subtype == u"FixedChar"
                        ? &table.addField<TStringField>(name, width, TFieldKind::fkData,
                                                        TFieldType::ftFixedChar)
                        : &table.addField<TStringField>(name, width);
        } else if (type == u"i2") {
            field = &table.addField<TSmallintField>(name);
        } else if (type == u"i4") {
            field = &table.addField<TIntegerField>(name);
        } else if (type == u"r8" || type == u"r4") {
            field = &table.addField<TFloatField>(name);
        } else if (type == u"fixed") {
            const int decimals = intAttribute(column, u"DECIMALS", 0);
            if (decimals == 0 && intAttribute(column, u"WIDTH", 0) == 18) {
                field = &table.addField<TLargeintField>(name);
            } else {
                field = &table.addField<TFloatField>(name, TFieldKind::fkData, TFieldType::ftBCD);
                field->setSize(decimals);
            }
        } else if (type == u"date") {
            field = &table.addField<TDateTimeField>(name, TFieldKind::fkData, TFieldType::ftDate);
        } else if (type == u"time") {
            field = &table.addField<TDateTimeField>(name, TFieldKind::fkData, TFieldType::ftTime);
        } else if (type == u"dateTime") {
            field = &table.addField<TDateTimeField>(name);
        } else if (type == u"bin.hex") {
            field = &table.addField<TBlobField>(name, subtype == u"Text" ? TFieldType::ftMemo
                                                                         : TFieldType::ftBlob);
        } else {
            throw F2tpError(QStringLiteral("Неизвестный тип поля ") + name);
        }
        if (column.value(u"required") == u"true")
            field->setRequired(true);
        if (column.value(u"readonly") == u"true")
            readOnly << field;
    }
    return readOnly;
}

// Reads a whole data packet file into a table built from its column list.
void readPacket(const QString& fileName, TozMemoryData& table)
{
    TDataPacket reader(nullptr, fileName);
    reader.OpenPacket();
    const QList<TField*> readOnly = defineFields(reader, table);
    table.open();
    reader.LoadInto(table);
    for (TField* field : readOnly)
        field->setReadOnly(true);
}

QString fieldText(const TField& field)
{
    if (field.isNull())
        return QString();
    if (dynamic_cast<const TFloatField*>(&field))
        return FloatToText(field.asFloat(), u'.');
    return field.asString();
}

void dump(const QString& fileName, QTextStream& out)
{
    TozMemoryData table;
    readPacket(fileName, table);
    QStringList line;
    for (int i = 0; i < table.fieldCount(); ++i)
        line << cliEscaped(table.field(i).fieldName());
    out << line.join(u'\t') << '\n';
    table.first();
    while (!table.eof()) {
        line.clear();
        for (int i = 0; i < table.fieldCount(); ++i)
            line << cliEscaped(fieldText(table.field(i)));
        out << line.join(u'\t') << '\n';
        table.next();
    }
}

void copy(const QString& in, const QString& out)
{
    TozMemoryData table;
    readPacket(in, table);
    WriteDataPacket(table, out);
}

int packetCommand(const QStringList& args, CliContext& ctx)
{
    const QString command = args.value(0);
    if (command == u"dump" && args.size() == 2) {
        dump(args.at(1), ctx.out);
        return 0;
    }
    if (command == u"load" && args.size() == 2) {
        TozMemoryData table;
        readPacket(args.at(1), table);
        ctx.out << table.recordCount() << '\n';
        return 0;
    }
    if (command == u"copy" && args.size() == 3) {
        copy(args.at(1), args.at(2));
        return 0;
    }
    throw CliUsageError(QStringLiteral("Wrong arguments for packet"));
}

const CliRegistration registration("packet",
                                   "packet dump FILE | packet load FILE | packet copy IN OUT",
                                   packetCommand);

} // namespace

// Loading a table converts plain values from the file's bytes itself; every
// value must end up exactly as the field's text conversion of ReadValue's
// text stores it, and every rejected value must fail with the same message.
#include "DSToXML.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "Cp1251.h"
#include "StoreTestSupport.h"
#include "ozMemoryData.h"

using namespace storetest;

namespace {

// Columns of every type the format knows, each under its own name.
std::unique_ptr<TozMemoryData> everyTypeTable()
{
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("T"));
    table->addField<TStringField>(QStringLiteral("S"), 60000);
    table->addField<TStringField>(QStringLiteral("SHORT"), 5);
    table->addField<TStringField>(QStringLiteral("FIX"), 4, TFieldKind::fkData,
                                  TFieldType::ftFixedChar);
    table->addField<TSmallintField>(QStringLiteral("I2"));
    table->addField<TIntegerField>(QStringLiteral("I4"));
    table->addField<TLargeintField>(QStringLiteral("I8"));
    table->addField<TFloatField>(QStringLiteral("R8"));
    auto& bcd =
        table->addField<TFloatField>(QStringLiteral("BCD"), TFieldKind::fkData, TFieldType::ftBCD);
    bcd.setSize(4);
    table->addField<TDateTimeField>(QStringLiteral("D"), TFieldKind::fkData, TFieldType::ftDate);
    table->addField<TDateTimeField>(QStringLiteral("T"), TFieldKind::fkData, TFieldType::ftTime);
    table->addField<TDateTimeField>(QStringLiteral("DT"));
    table->addField<TBlobField>(QStringLiteral("B"));
    table->addField<TBlobField>(QStringLiteral("M"), TFieldType::ftMemo);
    table->open();
    return table;
}

const char* const Header =
    "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"S\" fieldtype=\"string\" WIDTH=\"60000\"></FIELD>"
    "<FIELD attrname=\"SHORT\" fieldtype=\"string\" WIDTH=\"5\"></FIELD>"
    "<FIELD attrname=\"FIX\" fieldtype=\"string\" SUBTYPE=\"FixedChar\" WIDTH=\"4\"></FIELD>"
    "<FIELD attrname=\"I2\" fieldtype=\"i2\"></FIELD>"
    "<FIELD attrname=\"I4\" fieldtype=\"i4\"></FIELD>"
    "<FIELD attrname=\"I8\" fieldtype=\"fixed\" DECIMALS=\"0\" WIDTH=\"18\"></FIELD>"
    "<FIELD attrname=\"R8\" fieldtype=\"r8\"></FIELD>"
    "<FIELD attrname=\"BCD\" fieldtype=\"fixed\" DECIMALS=\"4\" WIDTH=\"15\"></FIELD>"
    "<FIELD attrname=\"D\" fieldtype=\"date\"></FIELD>"
    "<FIELD attrname=\"T\" fieldtype=\"time\"></FIELD>"
    "<FIELD attrname=\"DT\" fieldtype=\"dateTime\"></FIELD>"
    "<FIELD attrname=\"B\" fieldtype=\"bin.hex\" SUBTYPE=\"Binary\" WIDTH=\"8\"></FIELD>"
    "<FIELD attrname=\"M\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"8\"></FIELD>"
    "<FIELD attrname=\"EXTRA\" fieldtype=\"i4\"></FIELD>"
    "</FIELDS><PARAMS/></METADATA><ROWDATA>";

// Rows written by hand (date, time and blob columns stay empty: ReadValue's
// text is not their load path): values at the edges of every type, nulls in every
// column, empty values, attributes in another order and letter case, the
// same column twice, unknown attributes, escapes and very long texts.
QString rows()
{
    const QString longText = QString(70000, u'ж') + u"&amp;&lt;&#x41;&#66;&quot;" +
                             QString(70000, u'q') + u"&apos;&unknown;&gt;";
    QString rows;
    const auto row = [&rows](const QString& attributes) {
        rows += u"<ROW " + attributes + u" />";
    };
    row(u"S=\"" + longText + u"\" M=\"" + longText + u"\" SHORT=\"Ёлкино-1\" FIX=\"ab\"");
    row(QStringLiteral("I2=\"-32768\" I4=\"2147483647\" I8=\"9223372036854775807\" "
                       "R8=\"4.9406564584124654E-324\" BCD=\"-0\""));
    row(QStringLiteral("I2=\"32767\" I4=\"-2147483648\" I8=\"-9223372036854775808\" "
                       "R8=\"1.7976931348623157E308\" BCD=\"1E308\""));
    row(QStringLiteral(
        "I2=\"007\" I4=\"-0\" I8=\"+12\" R8=\"-0.0\" BCD=\"2.2250738585072014E-308\""));
    row(QStringLiteral("I2=\" 5\" I4=\"$1F\" I8=\"0x10\" R8=\"1e-320\" BCD=\"123456789012345\""));
    row(QStringLiteral("R8=\"1.2345678901234567\" BCD=\"0.30000000000000004\" I4=\"12\""));
    row(QStringLiteral("R8=\".5\" BCD=\"5.\" I2=\"-0\""));
    row(QStringLiteral("R8=\"-.5\" BCD=\"1e+5\" S=\"\" SHORT=\"\" I2=\"\" I4=\"\" R8x=\"9\""));
    row(QStringLiteral("R8=\"1E-400\" BCD=\"-1e-400\" I8=\"1234567890123456789\""));
    row(QString());
    row(QStringLiteral("r8=\"2.5\" R8=\"3.5\" i4=\"4\" Unknown=\"x\" EXTRA=\"9\" s=\"lower\""));
    row(QStringLiteral("EXTRA=\"1\" sHoRt=\"mixed case\" I2=\"1\""));
    row(QStringLiteral("S=\"&#0;&#x42;tail\" I4=\"12\" R8=\"  7 \" BCD=\"+1.5\""));
    return rows;
}

class PacketLoadValues : public ::testing::Test
{
protected:
    QString write(const char* name, const QByteArray& declaration, const QString& body,
                  bool utf8) const
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(declaration + (utf8 ? body.toUtf8() : Cp1251::encode(body)));
        return path;
    }
    QString file1251(const QString& body) const
    {
        return write("in1251.xml", "<?xml version=\"1.0\" encoding=\"windows-1251\"?>",
                     QString::fromLatin1(Header) + body + u"</ROWDATA></DATAPACKET>", false);
    }
    QString fileUtf8(const QString& body) const
    {
        return write("inutf8.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                     QString::fromLatin1(Header) + body + u"</ROWDATA></DATAPACKET>", true);
    }
    QTemporaryDir m_dir;
};

// The reference: each row appended, each field set from ReadValue's text.
QString loadByText(const QString& path, TozMemoryData& table)
{
    return errorOf([&] {
        TDataPacket reader(nullptr, path);
        reader.OpenPacket();
        TControlsDisabler controls(table);
        while (reader.NextRow()) {
            table.append();
            try {
                for (int i = 0; i < table.fieldCount(); ++i) {
                    TField& field = table.field(i);
                    const QString text = reader.ReadValue(field.fieldName());
                    if (text.isEmpty() || !field.isBlob() || field.dataType() == TFieldType::ftMemo)
                        field.setAsString(text);
                    else
                        static_cast<TBlobField&>(field).setAsBytes(Cp1251::encode(text));
                }
                table.post();
            } catch (...) {
                table.cancel();
                throw;
            }
        }
    });
}

QString load(const QString& path, TozMemoryData& table)
{
    return errorOf([&] {
        TDataPacket reader(nullptr, path);
        reader.LoadInto(table);
    });
}

// Same records, same values of the same types; doubles to the bit.
void expectSameRecords(TozMemoryData& actual, TozMemoryData& expected)
{
    ASSERT_EQ(actual.recordCount(), expected.recordCount());
    for (int r = 0; r < actual.recordCount(); ++r) {
        const QVariantList& a = actual.record(r).values();
        const QVariantList& e = expected.record(r).values();
        ASSERT_EQ(a.size(), e.size());
        for (qsizetype f = 0; f < a.size(); ++f) {
            const QString where = QStringLiteral("row %1 field %2").arg(r).arg(f);
            ASSERT_EQ(a[f].isNull(), e[f].isNull()) << where.toStdString();
            ASSERT_EQ(a[f].typeId(), e[f].typeId()) << where.toStdString();
            if (a[f].typeId() == QMetaType::Double) {
                const double x = a[f].toDouble();
                const double y = e[f].toDouble();
                EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << where.toStdString() << " " << x;
            } else {
                EXPECT_EQ(a[f], e[f]) << where.toStdString();
            }
        }
    }
}

} // namespace

TEST_F(PacketLoadValues, EveryValueIsStoredAsTheTextConversionStoresIt)
{
    for (const QChar separator : {QLatin1Char('.'), QLatin1Char(',')}) {
        const DecimalSeparator decimal(separator);
        const QString path = file1251(rows());
        auto loaded = everyTypeTable();
        auto expected = everyTypeTable();
        EXPECT_EQ(load(path, *loaded), QStringLiteral("<no error>"));
        EXPECT_EQ(loadByText(path, *expected), QStringLiteral("<no error>"));
        expectSameRecords(*loaded, *expected);
        EXPECT_EQ(loaded->recordCount(), 13);
    }
}

TEST_F(PacketLoadValues, AUtf8FileGivesTheSameRecordsAsAWindows1251File)
{
    auto from1251 = everyTypeTable();
    auto fromUtf8 = everyTypeTable();
    EXPECT_EQ(load(file1251(rows()), *from1251), QStringLiteral("<no error>"));
    EXPECT_EQ(load(fileUtf8(rows()), *fromUtf8), QStringLiteral("<no error>"));
    expectSameRecords(*fromUtf8, *from1251);
    from1251->first();
    EXPECT_EQ(from1251->fieldByName(QStringLiteral("S")).asString(), QString(60000, u'ж'));
    const QString memo = from1251->fieldByName(QStringLiteral("M")).asString();
    EXPECT_EQ(memo.size(), 140007);
    EXPECT_TRUE(memo.contains(u"ж&<AB\"q") && memo.endsWith(u"q'>")) << memo.right(9).toStdString();
    EXPECT_EQ(from1251->fieldByName(QStringLiteral("SHORT")).asString(), QStringLiteral("Ёлкин"));
}

TEST_F(PacketLoadValues, ARejectedValueFailsWithTheFieldsMessageAfterTheRowsBeforeIt)
{
    const char* const bad[] = {
        "I2=\"32768\"", "I4=\"12a\"", "I4=\"2147483648\"", "I8=\"9223372036854775808\"",
        "R8=\"1E309\"", "R8=\"inf\"", "R8=\"1.5.3\"",      "BCD=\"-\"",
        "R8=\"0x10\""};
    for (const char* attribute : bad) {
        const QString body = QStringLiteral("<ROW I2=\"1\" /><ROW ") +
                             QString::fromLatin1(attribute) + u" /><ROW I2=\"3\" />";
        const QString path = file1251(body);
        auto loaded = everyTypeTable();
        auto expected = everyTypeTable();
        const QString message = load(path, *loaded);
        EXPECT_NE(message, QStringLiteral("<no error>")) << attribute;
        EXPECT_EQ(message, loadByText(path, *expected)) << attribute;
        expectSameRecords(*loaded, *expected);
        EXPECT_EQ(loaded->recordCount(), 1) << attribute;
    }
}

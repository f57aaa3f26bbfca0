#include "DSToXML.h"

#include <functional>
#include <map>
#include <vector>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Cp1251.h"
#include "Errors.h"
#include "FormatSettings.h"

namespace {

using Row = std::map<QString, QString>;

QString fixture(const char* name)
{
    return QStringLiteral(F2TP_PACKET_DATA_DIR "/") + QString::fromUtf8(name);
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const F2tpError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

const QString formatError = QStringLiteral("Неверный формат файла");

class DecimalSeparator
{
public:
    explicit DecimalSeparator(QChar separator)
        : m_saved(FormatSettings::decimalSeparator())
    {
        FormatSettings::setDecimalSeparator(separator);
    }
    ~DecimalSeparator() { FormatSettings::setDecimalSeparator(m_saved); }

private:
    QChar m_saved;
};

QStringList columnNames(const TDataPacket& reader)
{
    QStringList names;
    for (const TDPTag& field : reader.fieldsTag().children())
        names << field.value(u"attrname");
    return names;
}

// Every row as column name -> ReadValue; values absent from a row are left out.
std::vector<Row> readAll(TDataPacket& reader)
{
    reader.OpenPacket();
    const QStringList names = columnNames(reader);
    std::vector<Row> rows;
    while (reader.NextRow()) {
        Row row;
        for (const QString& name : names) {
            if (reader.rowTag().attribute(name))
                row[name] = reader.ReadValue(name);
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<Row> readFile(const QString& path, qsizetype chunkSize = TDataPacket::ChunkSize)
{
    TDataPacket reader(nullptr, path, chunkSize);
    return readAll(reader);
}

const std::vector<Row> workedRows = {
    {{QStringLiteral("CA"), QStringLiteral("1")},
     {QStringLiteral("CB"), QStringLiteral("Установка \"А\" & фильтр")},
     {QStringLiteral("C1"), QStringLiteral("12.5")},
     {QStringLiteral("C2"), QStringLiteral("0")}},
    {{QStringLiteral("CA"), QStringLiteral("2")}, {QStringLiteral("C2"), QStringLiteral("3")}},
};

class ScratchFile
{
public:
    ScratchFile() { EXPECT_TRUE(m_dir.isValid()); }
    QString write(const QByteArray& bytes, const char* name = "packet.xml")
    {
        const QString path = m_dir.filePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }

private:
    QTemporaryDir m_dir;
};

QByteArray header1251(const char* fields = "<FIELD attrname=\"A\" fieldtype=\"string\" "
                                           "WIDTH=\"20\"></FIELD>")
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>"
                      "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>") +
           fields + "</FIELDS><PARAMS/></METADATA><ROWDATA>";
}

} // namespace

TEST(DataPacketReader, ReadsTheWorkedExample)
{
    DecimalSeparator point(u'.');
    TDataPacket reader(nullptr, fixture("worked_example.xml"));
    reader.OpenPacket();
    EXPECT_EQ(reader.encoding(), XmlEncoding::Windows1251);
    EXPECT_EQ(reader.rootTag().name(), QStringLiteral("DATAPACKET"));
    EXPECT_EQ(reader.rootTag().value(u"version"), QStringLiteral("2.0"));
    EXPECT_EQ(columnNames(reader), QStringList({QStringLiteral("CA"), QStringLiteral("CB"),
                                                QStringLiteral("C1"), QStringLiteral("C2")}));
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"CB"), QStringLiteral("Установка \"А\" & фильтр"));
    EXPECT_EQ(reader.ReadValue(u"C1"), QStringLiteral("12.5"));
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"CB"), QString());
    EXPECT_EQ(reader.ReadValue(u"C2"), QStringLiteral("3"));
    EXPECT_FALSE(reader.NextRow());
    // The row section is over: no further reading, no error.
    EXPECT_FALSE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"C2"), QString());
}

TEST(DataPacketReader, FloatValuesTakeTheLocalesDecimalSeparator)
{
    DecimalSeparator comma(u',');
    TDataPacket reader(nullptr, fixture("worked_example.xml"));
    reader.OpenPacket();
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"C1"), QStringLiteral("12,5"));
    EXPECT_EQ(reader.ReadValue(u"CA"), QStringLiteral("1"));
}

TEST(DataPacketReader, OtherWritersFilesGiveTheSameRows)
{
    DecimalSeparator point(u'.');
    for (const char* name : {"worked_example.xml", "utf8_indented.xml", "ozdatapacket_1251.xml",
                             "no_encoding_utf8.xml", "crlf_1251.xml"}) {
        EXPECT_EQ(readFile(fixture(name)), workedRows) << name;
    }
    TDataPacket utf8(nullptr, fixture("utf8_indented.xml"));
    utf8.OpenPacket();
    EXPECT_EQ(utf8.encoding(), XmlEncoding::Utf8);
    TDataPacket oz(nullptr, fixture("ozdatapacket_1251.xml"));
    oz.OpenPacket();
    EXPECT_EQ(oz.rootTag().name(), QStringLiteral("OZDATAPACKET"));
    EXPECT_EQ(oz.encoding(), XmlEncoding::Windows1251);
}

TEST(DataPacketReader, ConvertsEachColumnTypeAsTheTypeTableSays)
{
    DecimalSeparator comma(u',');
    TDataPacket reader(nullptr, fixture("all_types_1251.xml"));
    reader.OpenPacket();
    ASSERT_TRUE(reader.NextRow());
    const std::pair<const char16_t*, QString> expected[] = {
        {u"S", QStringLiteral("Тест <1>")},
        {u"FC", QStringLiteral("ab")},
        {u"I2", QStringLiteral("-32768")},
        {u"I4", QStringLiteral("2147483647")},
        {u"R8", QStringLiteral("1E-6")},
        {u"BCD", QStringLiteral("12,3456")},
        {u"BIG", QStringLiteral("9000000000000000000")},
        {u"D", QStringLiteral("31.01.2024")},
        {u"T", QStringLiteral("14:05:09120")},
        {u"DT", QStringLiteral("31.01.2024 14:05:09.120")},
        {u"B", Cp1251::decode(QByteArray("\x00\xFF\xFE", 3))},
        {u"M", QStringLiteral("строка\nвторая")},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(reader.ReadValue(QStringView(name)), value)
            << QString::fromUtf16(name).toStdString();
    ASSERT_TRUE(reader.NextRow());
    for (const auto& [name, value] : expected)
        EXPECT_EQ(reader.ReadValue(QStringView(name)), QString());
    EXPECT_FALSE(reader.NextRow());
}

TEST(DataPacketReader, ColumnsAreFoundExactlyAndRowValuesWithoutRegardToCase)
{
    ScratchFile scratch;
    const QString path = scratch.write(
        header1251("<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"9\"></FIELD>"
                   "<FIELD attrname=\"\xC8\xEC\xFF\" fieldtype=\"string\" WIDTH=\"9\"></FIELD>") +
        "<ROW name=\"low\" \xE8\xcc\xdf=\"cyr\" /></ROWDATA></DATAPACKET>");
    TDataPacket reader(nullptr, path);
    reader.OpenPacket();
    EXPECT_NE(reader.FindFieldTag(u"Name"), nullptr);
    EXPECT_EQ(reader.FindFieldTag(u"NAME"), nullptr);
    EXPECT_NE(reader.FindFieldTag(u"Имя"), nullptr);
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"Name"), QStringLiteral("low"));
    EXPECT_EQ(reader.ReadValue(u"NAME"), QString());
    EXPECT_EQ(reader.ReadValue(u"Имя"), QStringLiteral("cyr"));
}

TEST(DataPacketReader, RowsMayCrossAnyChunkBoundary)
{
    // Enough rows that small chunks split names, values, references and the
    // row separators at every possible place.
    QByteArray bytes = header1251("<FIELD attrname=\"A\" fieldtype=\"string\" WIDTH=\"40\"></FIELD>"
                                  "<FIELD attrname=\"N\" fieldtype=\"i4\"></FIELD>");
    std::vector<Row> expected;
    for (int i = 0; i < 15; ++i) {
        const QString text = QStringLiteral("Строка &<%1>\"'").arg(i);
        bytes += "<ROW A=\"" + XmlEscape(text, false) + "\" N=\"" + QByteArray::number(i) + "\" />";
        expected.push_back(
            {{QStringLiteral("A"), text}, {QStringLiteral("N"), QString::number(i)}});
    }
    bytes += "\n</ROWDATA></DATAPACKET>";
    ScratchFile scratch;
    const QString path = scratch.write(bytes);
    const qsizetype headerSize = bytes.indexOf("<ROWDATA>") + 9;
    for (qsizetype chunk = headerSize; chunk <= bytes.size() + 1; ++chunk)
        ASSERT_EQ(readFile(path, chunk), expected) << "chunk " << chunk;
}

TEST(DataPacketReader, TheHeaderMustLieInTheFirstChunk)
{
    const QByteArray bytes = header1251() + "<ROW A=\"x\" /></ROWDATA></DATAPACKET>";
    ScratchFile scratch;
    const QString path = scratch.write(bytes);
    const qsizetype rowdata = bytes.indexOf("<ROWDATA>");
    EXPECT_EQ(errorOf([&] { readFile(path, rowdata + 8); }), formatError);
    EXPECT_EQ(readFile(path, rowdata + 9).size(), 1u);
}

TEST(DataPacketReader, MalformedHeadersFailWithTheFormatMessage)
{
    const QByteArray good = header1251() + "</ROWDATA></DATAPACKET>";
    const QByteArray cases[] = {
        "",
        "not xml at all",
        QByteArray(good).replace("<?xml ", "<?XML "),
        // "?>" must not begin before position 20.
        "<?xml v=\"1\"?><DATAPACKET ><FIELDS></FIELDS><ROWDATA></ROWDATA></DATAPACKET>",
        QByteArray(good).replace("<DATAPACKET ", "<DATAPACKET>"),
        QByteArray(good).replace("<FIELDS>", "<FIELDS >"),
        QByteArray(good).replace("<ROWDATA>", "<ROWDATA/>"),
        QByteArray(good).replace("</FIELDS>", ""),
        // The file ends before the row section does.
        QByteArray(good).left(good.indexOf("</ROWDATA>") + 9),
        QByteArray(good).left(good.indexOf("<ROWDATA>") + 9),
        QByteArray(good).replace("standalone", QByteArray("stand\0alone", 11)),
    };
    ScratchFile scratch;
    int n = 0;
    for (const QByteArray& bytes : cases) {
        const QString path =
            scratch.write(bytes, QByteArray::number(++n).append(".xml").constData());
        EXPECT_EQ(errorOf([&] { readFile(path); }), formatError) << bytes.constData();
    }
    EXPECT_EQ(readFile(scratch.write(good)).size(), 0u);
}

TEST(DataPacketReader, AMissingFileCannotBeOpened)
{
    ScratchFile scratch;
    const QString path = scratch.path("absent.xml");
    TDataPacket reader(nullptr, path);
    EXPECT_EQ(errorOf([&] { reader.OpenPacket(); }),
              QStringLiteral("Ошибка открытия файла - ") + path);
    EXPECT_FALSE(reader.headerRead());
}

TEST(DataPacketReader, ATruncatedFileFailsAfterTheCompleteRows)
{
    TDataPacket reader(nullptr, fixture("truncated_rows_1251.xml"));
    reader.OpenPacket();
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"CA"), QStringLiteral("1"));
    EXPECT_EQ(errorOf([&] { reader.NextRow(); }), formatError);
    EXPECT_FALSE(reader.NextRow());
}

TEST(DataPacketReader, BadValuesFailWhenRead)
{
    ScratchFile scratch;
    const QString path =
        scratch.write(header1251("<FIELD attrname=\"A\" fieldtype=\"string\" WIDTH=\"9\"></FIELD>"
                                 "<FIELD attrname=\"B\" fieldtype=\"bin.hex\" SUBTYPE=\"Binary\" "
                                 "WIDTH=\"8\"></FIELD>") +
                      "<ROW A=\"&#1x;\" B=\"AB C\" /></ROWDATA></DATAPACKET>");
    TDataPacket reader(nullptr, path);
    reader.OpenPacket();
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(errorOf([&] { reader.ReadValue(u"A"); }),
              QStringLiteral("'1x' is not a valid integer value"));
    EXPECT_EQ(errorOf([&] { reader.ReadValue(u"B"); }), QStringLiteral("Ошибка в MIME кодировке"));
}

TEST(DataPacketReader, ElementsAreParsedAsTheTagRulesSay)
{
    ScratchFile scratch;
    const QString path =
        scratch.write(header1251("<FIELD attrname=\"A\" fieldtype=\"i4\"></FIELD>"
                                 "<FIELD attrname=\"B\" fieldtype=\"i4\"></FIELD>"
                                 "<FIELD attrname=\"C\" fieldtype=\"i4\"></FIELD>") +
                      // Unquoted values run to the next blank, a name without "=" is dropped,
                      // an unclosed quote runs to the end of the tag.
                      "<ROW A=1 flag B='2'\tC=\"3/>"
                      // A start tag with content: children and text do not disturb the values.
                      "<ROW A=\"4\">text<child x=\"1\"/><other></other></ROW>"
                      "<ROW/>"
                      "</ROWDATA></DATAPACKET>");
    TDataPacket reader(nullptr, path);
    reader.OpenPacket();
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"A"), QStringLiteral("1"));
    EXPECT_EQ(reader.ReadValue(u"B"), QStringLiteral("2"));
    EXPECT_EQ(reader.ReadValue(u"C"), QStringLiteral("3"));
    EXPECT_EQ(reader.rowTag().attributeCount(), 3);
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"A"), QStringLiteral("4"));
    EXPECT_TRUE(reader.rowTag().isComplete());
    ASSERT_EQ(reader.rowTag().children().size(), 2u);
    EXPECT_EQ(reader.rowTag().children().at(0).name(), QStringLiteral("child"));
    EXPECT_EQ(reader.rowTag().children().at(1).name(), QStringLiteral("other"));
    EXPECT_EQ(reader.rowTag().text(), QStringLiteral("text"));
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.rowTag().attributeCount(), 0);
    EXPECT_FALSE(reader.NextRow());
}

TEST(DataPacketReader, IsReusedForAnotherFile)
{
    DecimalSeparator point(u'.');
    ScratchFile scratch;
    const QString other =
        scratch.write(header1251() + "<ROW A=\"x\" /><ROW A=\"y\" /></ROWDATA></DATAPACKET>");
    TDataPacket reader(nullptr, fixture("worked_example.xml"));
    EXPECT_EQ(readAll(reader).size(), 2u);
    reader.ClosePacket();
    EXPECT_FALSE(reader.headerRead());
    EXPECT_EQ(reader.fileName(), QString());
    reader.SetPacketFile(other);
    reader.OpenPacket();
    EXPECT_NE(reader.FindFieldTag(u"A"), nullptr);
    EXPECT_EQ(reader.FindFieldTag(u"CA"), nullptr);
    ASSERT_TRUE(reader.NextRow());
    EXPECT_EQ(reader.ReadValue(u"A"), QStringLiteral("x"));

    // Without ClosePacket the header flag stays: the next file is not opened.
    reader.SetPacketFile(fixture("worked_example.xml"));
    reader.OpenPacket();
    EXPECT_FALSE(reader.NextRow());
    EXPECT_EQ(reader.FindFieldTag(u"CA"), nullptr);
}

TEST(DataPacketReader, LargeFilesAreReadInChunks)
{
    // Several real chunks of 1,048,576 bytes, and one value longer than a chunk.
    QByteArray bytes = header1251("<FIELD attrname=\"A\" fieldtype=\"string\" WIDTH=\"20\"></FIELD>"
                                  "<FIELD attrname=\"N\" fieldtype=\"i4\"></FIELD>");
    const int rows = 40000;
    for (int i = 0; i < rows; ++i)
        bytes += "<ROW A=\"\xD1\xF2\xF0\xEE\xEA\xE0\" N=\"" + QByteArray::number(i) + "\" />";
    const QByteArray huge(3 * 1048576 / 2, 'z');
    bytes += "<ROW A=\"" + huge + "\" /></ROWDATA></DATAPACKET>";
    ScratchFile scratch;
    TDataPacket reader(nullptr, scratch.write(bytes));
    reader.OpenPacket();
    int count = 0;
    while (reader.NextRow()) {
        if (count < rows) {
            ASSERT_EQ(reader.ReadValue(u"N"), QString::number(count));
            ASSERT_EQ(reader.ReadValue(u"A"), QStringLiteral("Строка"));
        } else {
            EXPECT_EQ(reader.ReadValue(u"A").size(), huge.size());
        }
        ++count;
    }
    EXPECT_EQ(count, rows + 1);
}

TEST(DataPacketReader, HostileRowsFailInsteadOfGrowing)
{
    ScratchFile scratch;
    // Children without end, tens of thousands of tokens, nesting without end:
    // each stops with the format message, within the memory of its file.
    const QByteArray end = "</ROW></ROWDATA></DATAPACKET>";
    const QByteArray manyChildren =
        header1251() + "<ROW A=\"1\">" + QByteArray(200000 * 4, 'x').replace("xxxx", "<a/>") + end;
    const QByteArray deep = header1251() + "<ROW>" +
                            QByteArray(100000 * 3, 'x').replace("xxx", "<a>") +
                            QByteArray(100000 * 4, 'x').replace("xxxx", "</a>") + end;
    const QByteArray neverClosed = header1251() + "<ROW A=\"" + QByteArray(5000000, 'v');
    const QByteArray binary = header1251() + "<ROW A=\"1\" />" + QByteArray(100, '\0');
    int n = 0;
    for (const QByteArray* bytes : {&manyChildren, &deep, &neverClosed, &binary}) {
        const QString path =
            scratch.write(*bytes, QByteArray::number(++n).append(".xml").constData());
        TDataPacket reader(nullptr, path);
        EXPECT_EQ(errorOf([&] {
                      reader.OpenPacket();
                      while (reader.NextRow()) {
                      }
                  }),
                  formatError)
            << n;
    }
}

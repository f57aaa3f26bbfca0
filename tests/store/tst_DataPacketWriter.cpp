#include "DSToXML.h"

#include <cfloat>
#include <functional>
#include <limits>
#include <memory>

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include "Cp1251.h"
#include "Errors.h"
#include "FormatSettings.h"
#include "ScopedCLocale.h"
#include "ozMemoryData.h"

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(F2TP_PACKET_DATA_DIR "/") + QString::fromUtf8(name);
}

QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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

// The table of the worked example: CA, CB, C1, C2 and a calculated KODP.
std::unique_ptr<TozMemoryData> workedTable()
{
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("R1Table"));
    table->addField<TSmallintField>(QStringLiteral("CA"));
    table->addField<TStringField>(QStringLiteral("CB"), 250);
    table->addField<TFloatField>(QStringLiteral("C1"));
    table->addField<TSmallintField>(QStringLiteral("C2"));
    table->addField<TStringField>(QStringLiteral("KODP"), 8, TFieldKind::fkCalculated);
    table->OnCalcFields = [](TDataSet& t) {
        t.fieldByName(QStringLiteral("KODP")).setAsString(QStringLiteral("12345678"));
    };
    table->open();
    return table;
}

void appendRecord(TDataSet& table, const QStringList& values)
{
    table.append();
    for (int i = 0; i < values.size(); ++i)
        table.field(i).setAsString(values.at(i));
    table.post();
}

void fillWorkedExample(TDataSet& table)
{
    appendRecord(table, {QStringLiteral("1"), QStringLiteral("Установка \"А\" & фильтр"),
                         QStringLiteral("12.5"), QStringLiteral("0")});
    appendRecord(table, {QStringLiteral("2"), QString(), QString(), QStringLiteral("3")});
}

// Every record as the texts of its fields, in table order.
QList<QStringList> contents(TDataSet& table)
{
    QList<QStringList> rows;
    const TBookmark where = table.bookmark();
    table.first();
    while (!table.eof()) {
        QStringList row;
        for (int i = 0; i < table.fieldCount(); ++i)
            row << (table.field(i).isNull() ? QStringLiteral("<null>") : table.field(i).asString());
        rows << row;
        table.next();
    }
    table.gotoBookmark(where);
    return rows;
}

void load(TDataSet& table, const QString& path)
{
    TDataPacket reader(nullptr, path);
    reader.OpenPacket();
    reader.LoadInto(table);
}

class DataPacketWriter : public ::testing::Test
{
protected:
    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir m_dir;
    DecimalSeparator m_point{u'.'};
};

} // namespace

TEST_F(DataPacketWriter, WritesTheWorkedExampleByteForByte)
{
    auto table = workedTable();
    fillWorkedExample(*table);
    WriteDataPacket(*table, path("out.xml"));
    EXPECT_EQ(readBytes(path("out.xml")), readBytes(fixture("worked_example.xml")));
}

TEST_F(DataPacketWriter, TheWorkedExampleReadsBackIntoTheSameRecords)
{
    auto written = workedTable();
    fillWorkedExample(*written);
    auto table = workedTable();
    load(*table, fixture("worked_example.xml"));
    EXPECT_EQ(contents(*table), contents(*written));
    EXPECT_EQ(table->state(), TDataSetState::dsBrowse);
    table->first();
    EXPECT_EQ(table->fieldByName(QStringLiteral("CB")).asString(),
              QStringLiteral("Установка \"А\" & фильтр"));
    EXPECT_DOUBLE_EQ(table->fieldByName(QStringLiteral("C1")).asFloat(), 12.5);
}

TEST_F(DataPacketWriter, LoadsUnderACommaLocale)
{
    DecimalSeparator comma(u',');
    auto table = workedTable();
    load(*table, fixture("worked_example.xml"));
    table->first();
    EXPECT_DOUBLE_EQ(table->fieldByName(QStringLiteral("C1")).asFloat(), 12.5);
    // And the file is written with "." whatever the locale.
    WriteDataPacket(*table, path("out.xml"));
    EXPECT_EQ(readBytes(path("out.xml")), readBytes(fixture("worked_example.xml")));
}

// The application sets the C library's locale from the environment; under
// ru_RU its numbers have a decimal comma, which neither the file nor the
// conversions may follow.
TEST_F(DataPacketWriter, ReadsAndWritesThePointUnderTheRussianCLocale)
{
    const ScopedCLocale russian("ru_RU.UTF-8");
    F2TP_REQUIRE_RUSSIAN_LOCALE(russian);
    DecimalSeparator comma(u',');
    auto table = workedTable();
    load(*table, fixture("worked_example.xml"));
    table->first();
    EXPECT_DOUBLE_EQ(table->fieldByName(QStringLiteral("C1")).asFloat(), 12.5);
    EXPECT_EQ(table->fieldByName(QStringLiteral("C1")).asString(), QStringLiteral("12,5"));
    table->edit();
    table->fieldByName(QStringLiteral("C1")).setAsString(QStringLiteral("12,5"));
    table->post();
    WriteDataPacket(*table, path("out.xml"));
    EXPECT_EQ(readBytes(path("out.xml")), readBytes(fixture("worked_example.xml")));
}

TEST_F(DataPacketWriter, FilesOfOtherWritersLoadLikeTheOwnFormat)
{
    auto expected = workedTable();
    load(*expected, fixture("worked_example.xml"));
    for (const char* name :
         {"utf8_indented.xml", "ozdatapacket_1251.xml", "no_encoding_utf8.xml", "crlf_1251.xml"}) {
        auto table = workedTable();
        load(*table, fixture(name));
        EXPECT_EQ(contents(*table), contents(*expected)) << name;
    }
}

TEST_F(DataPacketWriter, TextsAndNumbersSurviveAWriteAndARead)
{
    auto table = workedTable();
    const QStringList texts = {
        QStringLiteral("&<>\"'"),
        QStringLiteral("строка 1\nстрока 2\r\n\tс табуляцией"),
        QStringLiteral("&amp; уже как ссылка"),
        QStringLiteral(" пробелы по краям "),
        QStringLiteral("№ «кавычки» — тире"),
    };
    const QStringList numbers = {QStringLiteral("0.000001"), QStringLiteral("-1234567.125"),
                                 QStringLiteral("1e20"), QStringLiteral("0")};
    for (int i = 0; i < texts.size(); ++i) {
        appendRecord(*table, {QString::number(i), texts.at(i), numbers.at(i % numbers.size()),
                              QStringLiteral("-32768")});
    }
    WriteDataPacket(*table, path("out.xml"));
    const QByteArray bytes = readBytes(path("out.xml"));
    EXPECT_TRUE(bytes.contains("C1=\"1E-6\"")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("C1=\"1E20\""));
    EXPECT_TRUE(bytes.contains("C1=\"0\""));
    EXPECT_FALSE(bytes.contains("KODP"));

    auto back = workedTable();
    load(*back, path("out.xml"));
    EXPECT_EQ(contents(*back), contents(*table));
    back->first();
    EXPECT_EQ(back->fieldByName(QStringLiteral("C1")).asFloat(), 0.000001);
}

// Every number written reads back: those whose fifteen-digit rounding would
// leave the double range are written just inside it, and an infinite one or
// no number at all is not written, the previous file kept.
TEST_F(DataPacketWriter, EveryNumberWrittenReadsBack)
{
    // With a calculated field the records are walked; without, read directly.
    for (const bool walked : {true, false}) {
        auto table = std::make_unique<TozMemoryData>(QStringLiteral("R1Table"));
        TField& number = table->addField<TFloatField>(QStringLiteral("C1"));
        if (walked)
            table->addField<TStringField>(QStringLiteral("KODP"), 8, TFieldKind::fkCalculated);
        table->open();
        for (const double value : {DBL_MAX, -DBL_MAX, 1e308}) {
            table->append();
            number.setAsFloat(value);
            table->post();
        }
        WriteDataPacket(*table, path("edge.xml"));
        const QByteArray written = readBytes(path("edge.xml"));
        EXPECT_TRUE(written.contains("C1=\"1.79769313486231E308\"")) << written.constData();
        auto back = std::make_unique<TozMemoryData>(QStringLiteral("R1Table"));
        back->addField<TFloatField>(QStringLiteral("C1"));
        back->open();
        load(*back, path("edge.xml"));
        EXPECT_EQ(back->recordCount(), 3);

        for (const double value :
             {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
            table->last();
            table->edit();
            number.setAsFloat(value);
            table->post();
            EXPECT_EQ(errorOf([&] { WriteDataPacket(*table, path("edge.xml")); }),
                      QStringLiteral("Field 'C1' holds no finite number and cannot be written"));
            EXPECT_EQ(readBytes(path("edge.xml")), written);
        }
    }
}

TEST_F(DataPacketWriter, WritesDataFieldsAndFieldsTaggedForWriting)
{
    TozMemoryData table(QStringLiteral("T"));
    table.addField<TStringField>(QStringLiteral("ID"), 4).setRequired(true);
    TField& stored = table.addField<TFloatField>(QStringLiteral("SUM"), TFieldKind::fkCalculated);
    stored.setTag(128);
    table.addField<TIntegerField>(QStringLiteral("SHOWN"), TFieldKind::fkCalculated);
    table.addField<TIntegerField>(QStringLiteral("RO")).setReadOnly(true);
    table.OnCalcFields = [](TDataSet& t) {
        t.fieldByName(QStringLiteral("SUM")).setAsFloat(2.5);
        t.fieldByName(QStringLiteral("SHOWN")).setAsInteger(7);
    };
    table.open();
    appendRecord(table, {QStringLiteral("a")});
    WriteDataPacket(table, path("out.xml"));
    EXPECT_EQ(readBytes(path("out.xml")),
              QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>"
                         "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                         "<FIELD attrname=\"ID\" fieldtype=\"string\" WIDTH=\"4\" "
                         "required=\"true\"></FIELD>"
                         "<FIELD attrname=\"SUM\" fieldtype=\"r8\"></FIELD>"
                         "<FIELD attrname=\"RO\" fieldtype=\"i4\" readonly=\"true\"></FIELD>"
                         "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                         "<ROW ID=\"a\" SUM=\"2.5\" /></ROWDATA></DATAPACKET>"));
}

TEST_F(DataPacketWriter, EveryTypeOfTheFormatRoundTrips)
{
    const auto makeTable = [] {
        auto t = std::make_unique<TozMemoryData>(QStringLiteral("T"));
        t->addField<TStringField>(QStringLiteral("S"), 20);
        t->addField<TStringField>(QStringLiteral("FC"), 5, TFieldKind::fkData,
                                  TFieldType::ftFixedChar);
        t->addField<TSmallintField>(QStringLiteral("I2"));
        t->addField<TIntegerField>(QStringLiteral("I4"));
        t->addField<TFloatField>(QStringLiteral("R8"));
        t->addField<TFloatField>(QStringLiteral("BCD"), TFieldKind::fkData, TFieldType::ftBCD)
            .setSize(4);
        t->addField<TCurrencyField>(QStringLiteral("CUR")).setSize(2);
        t->addField<TLargeintField>(QStringLiteral("BIG"));
        t->addField<TDateTimeField>(QStringLiteral("D"), TFieldKind::fkData, TFieldType::ftDate);
        t->addField<TDateTimeField>(QStringLiteral("T"), TFieldKind::fkData, TFieldType::ftTime);
        t->addField<TDateTimeField>(QStringLiteral("DT"));
        t->addField<TBlobField>(QStringLiteral("B"));
        t->addField<TBlobField>(QStringLiteral("M"), TFieldType::ftMemo);
        t->open();
        return t;
    };
    auto table = makeTable();
    table->append();
    table->fieldByName(QStringLiteral("S")).setAsString(QStringLiteral("Тест <1>"));
    table->fieldByName(QStringLiteral("FC")).setAsString(QStringLiteral("ab"));
    table->fieldByName(QStringLiteral("I2")).setAsInteger(-32768);
    table->fieldByName(QStringLiteral("I4")).setAsInteger(2147483647);
    table->fieldByName(QStringLiteral("R8")).setAsFloat(0.000001);
    table->fieldByName(QStringLiteral("BCD")).setAsFloat(12.3456);
    table->fieldByName(QStringLiteral("CUR")).setAsFloat(-0.5);
    table->fieldByName(QStringLiteral("BIG")).setValue(QVariant(qint64(9000000000000000000LL)));
    table->fieldByName(QStringLiteral("D")).setValue(QVariant(QDate(2024, 1, 31)));
    table->fieldByName(QStringLiteral("T")).setValue(QVariant(QTime(14, 5, 9, 120)));
    table->fieldByName(QStringLiteral("DT"))
        .setValue(QVariant(QDateTime(QDate(2024, 1, 31), QTime(14, 5, 9, 120))));
    static_cast<TBlobField&>(table->fieldByName(QStringLiteral("B")))
        .setAsBytes(QByteArray("\x00\xFF\xFE\x98", 4));
    table->fieldByName(QStringLiteral("M")).setAsString(QStringLiteral("строка\nвторая"));
    table->post();
    table->append();
    table->fieldByName(QStringLiteral("I2")).setAsInteger(0);
    table->post();
    WriteDataPacket(*table, path("types.xml"));
    const QByteArray bytes = readBytes(path("types.xml"));
    for (const char* piece :
         {"<FIELD attrname=\"FC\" fieldtype=\"string\" SUBTYPE=\"FixedChar\" WIDTH=\"5\"></FIELD>",
          "<FIELD attrname=\"BCD\" fieldtype=\"fixed\" DECIMALS=\"4\" WIDTH=\"15\"></FIELD>",
          "<FIELD attrname=\"CUR\" fieldtype=\"fixed\" DECIMALS=\"2\" WIDTH=\"15\"></FIELD>",
          "<FIELD attrname=\"BIG\" fieldtype=\"fixed\" DECIMALS=\"0\" WIDTH=\"18\"></FIELD>",
          "<FIELD attrname=\"D\" fieldtype=\"date\"></FIELD>",
          "<FIELD attrname=\"T\" fieldtype=\"time\"></FIELD>",
          "<FIELD attrname=\"DT\" fieldtype=\"dateTime\"></FIELD>",
          "<FIELD attrname=\"B\" fieldtype=\"bin.hex\" SUBTYPE=\"Binary\" WIDTH=\"8\"></FIELD>",
          "<FIELD attrname=\"M\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"8\"></FIELD>",
          " R8=\"1E-6\" BCD=\"12.3456\" CUR=\"-0.5\" BIG=\"9000000000000000000\" D=\"20240131\" "
          "T=\"14:05:09120\" DT=\"20240131T14:05:09120\" B=\"AP/+mA==\" M=\"",
          "<ROW I2=\"0\" />"}) {
        EXPECT_TRUE(bytes.contains(Cp1251::encode(QString::fromUtf8(piece)))) << piece;
    }

    auto back = makeTable();
    load(*back, path("types.xml"));
    ASSERT_EQ(back->recordCount(), 2);
    back->first();
    for (int i = 0; i < back->fieldCount(); ++i) {
        table->first();
        EXPECT_EQ(back->field(i).value(), table->field(i).value())
            << back->field(i).fieldName().toStdString();
    }
}

TEST_F(DataPacketWriter, AnUnknownTypeFailsBeforeTheFileIsTouched)
{
    writeBytes(path("old.xml"), "old contents");
    TozMemoryData table(QStringLiteral("R1Table"));
    table.addField<TStringField>(QStringLiteral("C1"));
    table.addField<TBooleanField>(QStringLiteral("C2"));
    table.open();
    EXPECT_EQ(errorOf([&] { WriteDataPacket(table, path("old.xml")); }),
              QStringLiteral("Неизвестный тип поля R1TableC2"));
    EXPECT_EQ(readBytes(path("old.xml")), QByteArray("old contents"));
}

TEST_F(DataPacketWriter, AFileThatCannotBeCreatedIsReported)
{
    auto table = workedTable();
    const QString target = path("no such folder/out.xml");
    EXPECT_EQ(errorOf([&] { WriteDataPacket(*table, target); }),
              QStringLiteral("Не удается создать файл ") + target);
    EXPECT_FALSE(QFile::exists(target));
}

TEST_F(DataPacketWriter, AFailureWhileWritingKeepsThePreviousFile)
{
    writeBytes(path("old.xml"), "old contents");
    auto table = workedTable();
    for (int i = 0; i < 2000; ++i)
        appendRecord(*table, {QString::number(i % 100), QStringLiteral("текст")});
    table->first();
    table->next();
    const TBookmark current = table->bookmark();
    int scrolls = 0;
    table->AfterScroll = [&](TDataSet&) {
        if (++scrolls == 1500)
            throw F2tpError(QStringLiteral("stop"));
    };
    EXPECT_EQ(errorOf([&] { WriteDataPacket(*table, path("old.xml")); }), QStringLiteral("stop"));
    EXPECT_EQ(readBytes(path("old.xml")), QByteArray("old contents"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.xml")});
    table->AfterScroll = nullptr;
    EXPECT_EQ(table->bookmark(), current);
    EXPECT_FALSE(table->controlsDisabled());
}

TEST_F(DataPacketWriter, WritesVisibleRecordsInOrderAndKeepsTheCurrentRecord)
{
    auto table = workedTable();
    for (int i = 1; i <= 5; ++i)
        appendRecord(*table, {QString::number(i)});
    table->setOnFilterRecord([](TDataSet& t, bool& accept) {
        accept = t.fieldByName(QStringLiteral("CA")).asInteger() % 2 == 1;
    });
    table->setFiltered(true);
    table->next();
    const TBookmark current = table->bookmark();
    WriteDataPacket(*table, path("out.xml"));
    EXPECT_TRUE(
        readBytes(path("out.xml"))
            .contains("<ROWDATA><ROW CA=\"1\" /><ROW CA=\"3\" /><ROW CA=\"5\" /></ROWDATA>"));
    EXPECT_EQ(table->bookmark(), current);
    EXPECT_FALSE(table->controlsDisabled());
}

TEST_F(DataPacketWriter, ManyRowsAreWrittenInPiecesAndReadBack)
{
    auto table = workedTable();
    for (int i = 0; i < 3000; ++i) {
        appendRecord(*table, {QString::number(i % 30000), QStringLiteral("Строка номер %1").arg(i),
                              QString::number(i * 0.25)});
    }
    WriteDataPacket(*table, path("out.xml"));
    auto back = workedTable();
    load(*back, path("out.xml"));
    EXPECT_EQ(contents(*back), contents(*table));
    WriteDataPacket(*back, path("again.xml"));
    EXPECT_EQ(readBytes(path("again.xml")), readBytes(path("out.xml")));
}

TEST_F(DataPacketWriter, LoadingMatchesColumnsByNameAndSkipsTheRest)
{
    writeBytes(path("in.xml"),
               Cp1251::encode(QStringLiteral(
                   "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                   "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                   "<FIELD attrname=\"EXTRA\" fieldtype=\"string\" WIDTH=\"5\"></FIELD>"
                   "<FIELD attrname=\"cb\" fieldtype=\"string\" WIDTH=\"5\"></FIELD>"
                   "<FIELD attrname=\"CA\" fieldtype=\"i2\"></FIELD>"
                   "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                   "<ROW EXTRA=\"x\" CB=\"один\" CA=\"7\" />"
                   "<ROW ca=\"8\" />"
                   "<ROW />"
                   "</ROWDATA></DATAPACKET>")));
    auto table = workedTable();
    load(*table, path("in.xml"));
    const QString null = QStringLiteral("<null>");
    const QString kodp = QStringLiteral("12345678");
    EXPECT_EQ(contents(*table), (QList<QStringList>{
                                    {QStringLiteral("7"), QStringLiteral("один"), null, null, kodp},
                                    {QStringLiteral("8"), null, null, null, kodp},
                                    {null, null, null, null, kodp},
                                }));
}

TEST_F(DataPacketWriter, AFileWithoutMatchingDataFieldsLoadsNothing)
{
    auto table = workedTable();
    writeBytes(path("in.xml"), "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                               "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                               "<FIELD attrname=\"KODP\" fieldtype=\"string\" WIDTH=\"8\"></FIELD>"
                               "<FIELD attrname=\"OTHER\" fieldtype=\"i4\"></FIELD>"
                               "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                               "<ROW KODP=\"1\" OTHER=\"1\" /><ROW KODP=\"2\" />"
                               "</ROWDATA></DATAPACKET>");
    load(*table, path("in.xml"));
    EXPECT_EQ(table->recordCount(), 0);
    EXPECT_EQ(table->state(), TDataSetState::dsBrowse);
}

TEST_F(DataPacketWriter, ABadValueStopsTheLoadAndKeepsTheRecordsBeforeIt)
{
    writeBytes(path("in.xml"), "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                               "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                               "<FIELD attrname=\"CA\" fieldtype=\"i2\"></FIELD>"
                               "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                               "<ROW CA=\"1\" /><ROW CA=\"abc\" /><ROW CA=\"3\" />"
                               "</ROWDATA></DATAPACKET>");
    auto table = workedTable();
    EXPECT_EQ(errorOf([&] { load(*table, path("in.xml")); }),
              QStringLiteral("'abc' is not a valid integer value for field 'CA'"));
    EXPECT_EQ(table->recordCount(), 1);
    EXPECT_EQ(table->state(), TDataSetState::dsBrowse);
    EXPECT_FALSE(table->controlsDisabled());
}

TEST_F(DataPacketWriter, ATruncatedFileLoadsTheCompleteRowsThenFails)
{
    auto table = workedTable();
    EXPECT_EQ(errorOf([&] { load(*table, fixture("truncated_rows_1251.xml")); }),
              QStringLiteral("Неверный формат файла"));
    EXPECT_EQ(table->recordCount(), 1);
    EXPECT_EQ(table->state(), TDataSetState::dsBrowse);
}

TEST_F(DataPacketWriter, TheMemoryTableReadsAndSavesItsFileThroughTheReaderAndWriter)
{
    QFile::copy(fixture("worked_example.xml"), path("R1.xml"));
    auto table = std::make_unique<TozMemoryData>(QStringLiteral("R1Table"));
    table->addField<TSmallintField>(QStringLiteral("CA"));
    table->addField<TStringField>(QStringLiteral("CB"), 250);
    table->addField<TFloatField>(QStringLiteral("C1"));
    table->addField<TSmallintField>(QStringLiteral("C2"));
    table->setFileName(path("R1.xml"));
    table->open();
    EXPECT_EQ(table->recordCount(), 2);
    table->last();
    table->edit();
    table->fieldByName(QStringLiteral("CB")).setAsString(QStringLiteral("новое"));
    table->post();
    table->SaveIfModified();
    EXPECT_TRUE(readBytes(path("R1.xml"))
                    .contains(Cp1251::encode(QStringLiteral(
                        "<ROW CA=\"2\" CB=\"новое\" C2=\"3\" /></ROWDATA></DATAPACKET>"))));
}

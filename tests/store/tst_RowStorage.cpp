#include <memory>

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include "DSToXML.h"
#include "StoreTestSupport.h"
#include "ozMemoryData.h"

using namespace storetest;

namespace {

// One field of every stored kind.
class AllTypes
{
public:
    AllTypes()
    {
        text = &table.addField<TStringField>(QStringLiteral("TEXT"), 0);
        wide = &table.addField<TStringField>(QStringLiteral("WIDE"), 0, TFieldKind::fkData,
                                             TFieldType::ftWideString);
        small = &table.addField<TSmallintField>(QStringLiteral("SMALL"));
        large = &table.addField<TLargeintField>(QStringLiteral("LARGE"));
        flag = &table.addField<TBooleanField>(QStringLiteral("FLAG"));
        number = &table.addField<TFloatField>(QStringLiteral("NUMBER"));
        date = &table.addField<TDateTimeField>(QStringLiteral("DAY"), TFieldKind::fkData,
                                               TFieldType::ftDate);
        time = &table.addField<TDateTimeField>(QStringLiteral("CLOCK"), TFieldKind::fkData,
                                               TFieldType::ftTime);
        moment = &table.addField<TDateTimeField>(QStringLiteral("MOMENT"));
        blob = &table.addField<TBlobField>(QStringLiteral("BLOB"));
        memo = &table.addField<TBlobField>(QStringLiteral("MEMO"), TFieldType::ftMemo);
        any = &table.addField<TVariantField>(QStringLiteral("ANY"));
        table.open();
    }

    TozMemoryData table{QStringLiteral("AllTypes")};
    TField* text;
    TField* wide;
    TField* small;
    TField* large;
    TField* flag;
    TField* number;
    TField* date;
    TField* time;
    TField* moment;
    TField* blob;
    TField* memo;
    TField* any;
};

QVariantList sampleValues()
{
    return {QVariant(QStringLiteral("Азота диоксид & <пыль> \"Ё\"")),
            QVariant(QStringLiteral("中文 😀 €")),
            QVariant(-32768),
            QVariant(qint64(9007199254740993)),
            QVariant(true),
            QVariant(-1.25e-7),
            QVariant(QDate(2024, 1, 31)),
            QVariant(QTime(14, 5, 9, 120)),
            QVariant(QDateTime(QDate(1899, 12, 30), QTime(23, 59, 59, 999))),
            QVariant(QByteArray("\0\x01\xff zero", 8)),
            QVariant(QByteArray("Строка\r\nдругая")),
            QVariant(QStringList{QStringLiteral("a"), QStringLiteral("b")})};
}

void expectSame(const QVariantList& actual, const QVariantList& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(actual.at(i).typeId(), expected.at(i).typeId()) << "field " << i;
        EXPECT_EQ(actual.at(i), expected.at(i)) << "field " << i;
    }
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(RowStorage, EveryTypeReadsBackAsStoredAndNullsStayApartFromEmptyValues)
{
    AllTypes t;
    const QVariantList values = sampleValues();
    t.table.append();
    for (int i = 0; i < t.table.fieldCount(); ++i)
        t.table.field(i).setValue(values.at(i));
    t.table.post();
    t.table.append();
    t.any->setValue(QVariant(QString::fromUtf8(""))); // an empty text, not "no value"
    t.small->setAsInteger(0);
    t.table.post();

    expectSame(t.table.record(0).values(), values);
    const QVariantList second = t.table.record(1).values();
    EXPECT_FALSE(second.at(0).isValid());
    EXPECT_EQ(second.at(2), QVariant(0));
    EXPECT_TRUE(second.at(11).isValid());
    EXPECT_EQ(second.at(11).typeId(), QMetaType::QString);
    EXPECT_TRUE(t.table.record(1).values().at(9).isNull());

    t.table.first();
    EXPECT_EQ(t.wide->asString(), QStringLiteral("中文 😀 €"));
    // A string field holds what Windows-1251 can: the rest became '?' on the way in.
    t.table.edit();
    t.text->setAsString(QStringLiteral("中€"));
    t.table.post();
    EXPECT_EQ(t.table.record(0).values().at(0), QVariant(QStringLiteral("?€")));
}

TEST(RowStorage, LongTextsAndBlobsSurviveEditsCancelAndTheFile)
{
    QTemporaryDir dir;
    TozMemoryData table(QStringLiteral("Long"));
    TField& name = table.addField<TStringField>(QStringLiteral("NAME"), 0);
    auto& memo = table.addField<TBlobField>(QStringLiteral("MEMO"), TFieldType::ftMemo);
    auto& bin = table.addField<TBlobField>(QStringLiteral("BIN"));
    table.open();
    const QString longText = QString(70000, QChar(0x0416)) + QStringLiteral("конец");
    QByteArray bytes(300000, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    table.append();
    name.setAsString(longText);
    memo.setAsString(longText);
    bin.setAsBytes(bytes);
    table.post();

    table.edit();
    name.setAsString(QStringLiteral("другое"));
    {
        TozMemBlobStream stream(bin, TozMemBlobStream::Mode::Write);
        stream.write(QByteArray("short"));
    }
    table.cancel();
    EXPECT_EQ(name.asString(), longText);
    EXPECT_EQ(bin.asBytes(), bytes);

    const QString file = dir.filePath(QStringLiteral("long.xml"));
    table.WriteToFile(file);
    TozMemoryData back(QStringLiteral("Back"));
    back.addField<TStringField>(QStringLiteral("NAME"), 0);
    back.addField<TBlobField>(QStringLiteral("MEMO"), TFieldType::ftMemo);
    back.addField<TBlobField>(QStringLiteral("BIN"));
    back.ReadFromFile(file);
    ASSERT_EQ(back.recordCount(), 1);
    expectSame(back.record(0).values(), table.record(0).values());
}

TEST(RowStorage, TablesWithEventsLoadAndWriteTheSameRowsAndSeeEveryRow)
{
    QTemporaryDir dir;
    const auto makeTable = [](const QString& tableName) {
        auto t = std::make_unique<TozMemoryData>(tableName);
        t->addField<TSmallintField>(QStringLiteral("CA"));
        t->addField<TStringField>(QStringLiteral("CB"), 8);
        t->addField<TFloatField>(QStringLiteral("C1"));
        t->open();
        return t;
    };
    auto source = makeTable(QStringLiteral("Source"));
    const QStringList texts = {QStringLiteral("a&b<c>\"'"), QString(),
                               QStringLiteral("длинный текст"),
                               QString(QChar(0)) + QStringLiteral("x")};
    for (int i = 0; i < texts.size(); ++i) {
        source->append();
        source->field(0).setAsInteger(100 + i);
        source->field(1).setAsString(texts.at(i));
        if (i % 2)
            source->field(2).setAsFloat(i / 4.0);
        source->post();
    }
    const QString plain = dir.filePath(QStringLiteral("plain.xml"));
    const QString watched = dir.filePath(QStringLiteral("watched.xml"));
    source->WriteToFile(plain);
    int scrolls = 0;
    source->AfterScroll = [&scrolls](TDataSet&) {
        ++scrolls;
    };
    source->WriteToFile(watched);
    EXPECT_EQ(readBytes(plain), readBytes(watched));
    EXPECT_GE(scrolls, int(texts.size()));

    auto quiet = makeTable(QStringLiteral("Quiet"));
    auto observed = makeTable(QStringLiteral("Observed"));
    int posts = 0;
    observed->AfterPost = [&posts](TDataSet&) {
        ++posts;
    };
    quiet->ReadFromFile(plain);
    observed->ReadFromFile(plain);
    EXPECT_EQ(posts, int(texts.size()));
    ASSERT_EQ(quiet->recordCount(), observed->recordCount());
    for (int r = 0; r < quiet->recordCount(); ++r) {
        expectSame(quiet->record(r).values(), observed->record(r).values());
        expectSame(quiet->record(r).values(), source->record(r).values());
    }
    EXPECT_EQ(quiet->field(0).asInteger(), observed->field(0).asInteger());
    EXPECT_EQ(quiet->eof(), observed->eof());
    EXPECT_TRUE(quiet->changed());
}

#include <climits>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "Cp1251.h"
#include "ObFunc.h"
#include "StoreTestSupport.h"
#include "ozMemoryData.h"

using namespace storetest;

namespace {

// A list table: KOD integer, NAME string(40), C1 float.
class ListTable
{
public:
    explicit ListTable(const QString& name = QStringLiteral("SprTable"))
        : table(name)
    {
        kod = &table.addField<TIntegerField>(QStringLiteral("KOD"));
        nameField = &table.addField<TStringField>(QStringLiteral("NAME"), 40);
        c1 = &table.addField<TFloatField>(QStringLiteral("C1"));
    }
    void add(int code, const QString& name = QString())
    {
        table.append();
        kod->setAsInteger(code);
        if (!name.isEmpty())
            nameField->setAsString(name);
        table.post();
    }
    QList<int> codes()
    {
        QList<int> result;
        table.first();
        while (!table.eof()) {
            result << kod->asInteger();
            table.next();
        }
        return result;
    }
    QStringList namesInListOrder()
    {
        QStringList result;
        for (int i = 0; i < table.recordCount(); ++i)
            result << table.record(i).values().at(1).toString();
        return result;
    }

    TozMemoryData table;
    TField* kod;
    TField* nameField;
    TField* c1;
};

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

// ---------------------------------------------------------------- identity and placement

TEST(RecordIdentity, IdsStartAboveTheSmallestIntegerAndRestartWhenEmpty)
{
    ListTable t;
    t.table.open();
    t.add(1);
    t.add(2);
    EXPECT_EQ(t.table.record(0).ID(), INT_MIN + 1);
    EXPECT_EQ(t.table.record(1).ID(), INT_MIN + 2);
    t.table.first();
    t.table.deleteRecord();
    t.table.deleteRecord();
    EXPECT_EQ(t.table.recordCount(), 0);
    t.add(3);
    EXPECT_EQ(t.table.record(0).ID(), INT_MIN + 1);
    t.add(4);
    t.table.ClearRecords();
    t.add(5);
    EXPECT_EQ(t.table.record(0).ID(), INT_MIN + 1);
}

TEST(RecordIdentity, RecordIndexReadsAndMovesThePosition)
{
    ListTable t;
    t.table.open();
    t.add(1);
    t.add(2);
    t.add(3);
    EXPECT_EQ(t.table.record(2).Index(), 2);
    const_cast<TozMemoryRecord&>(t.table.record(2)).setIndex(0);
    EXPECT_EQ(t.codes(), (QList<int>{3, 1, 2}));
}

TEST(Placement, AppendGoesToTheEndAndInsertBeforeTheCurrentRecord)
{
    ListTable t;
    t.table.open();
    t.add(3);
    t.add(1);
    t.add(2);
    t.table.SortByFields(QStringLiteral("KOD"));
    EXPECT_EQ(t.codes(), (QList<int>{1, 2, 3}));
    t.add(0);
    EXPECT_EQ(t.codes(), (QList<int>{1, 2, 3, 0}));
    t.table.first();
    t.table.next();
    t.table.insert();
    t.kod->setAsInteger(9);
    t.table.post();
    EXPECT_EQ(t.kod->asInteger(), 9);
    EXPECT_EQ(t.table.recNo(), 2);
    EXPECT_EQ(t.codes(), (QList<int>{1, 9, 2, 3, 0}));
}

TEST(Placement, InsertIntoAnEmptyTableAndCancelReturnsToThePreviousRecord)
{
    ListTable t;
    t.table.open();
    t.table.insert();
    t.kod->setAsInteger(1);
    t.table.post();
    t.add(2);
    t.add(3);
    t.table.first();
    t.table.next();
    t.table.insert();
    t.table.cancel();
    EXPECT_EQ(t.kod->asInteger(), 2);
    t.table.append();
    t.table.cancel();
    EXPECT_EQ(t.kod->asInteger(), 3);
}

TEST(Placement, DeletingTheLastRecordLeavesTheCursorOnTheNewLast)
{
    ListTable t;
    t.table.open();
    t.add(1);
    t.add(2);
    t.add(3);
    t.table.last();
    t.table.deleteRecord();
    EXPECT_EQ(t.kod->asInteger(), 2);
    t.table.first();
    t.table.deleteRecord();
    EXPECT_EQ(t.kod->asInteger(), 2) << "the following record becomes current";
}

TEST(Placement, DeletingUnderAFilterMovesBackToAVisibleRecord)
{
    ListTable t;
    t.table.open();
    for (int i = 1; i <= 5; ++i)
        t.add(i);
    t.table.setOnFilterRecord([&](TDataSet&, bool& accept) { accept = t.kod->asInteger() != 4; });
    t.table.setFiltered(true);
    t.table.first();
    t.table.moveBy(2);
    ASSERT_EQ(t.kod->asInteger(), 3);
    t.table.deleteRecord();
    EXPECT_EQ(t.kod->asInteger(), 2);
}

TEST(Placement, RecordNumber)
{
    ListTable t;
    t.table.open();
    EXPECT_EQ(t.table.recNo(), 0);
    t.add(1);
    t.add(2);
    t.add(3);
    t.table.setRecNo(2);
    EXPECT_EQ(t.kod->asInteger(), 2);
    EXPECT_EQ(t.table.recNo(), 2);
    t.table.setRecNo(9);
    EXPECT_EQ(t.kod->asInteger(), 2);
    EXPECT_TRUE(t.table.isSequenced());
    t.table.setFiltered(true);
    EXPECT_FALSE(t.table.isSequenced());
}

// ---------------------------------------------------------------- permissions and flags

TEST(Permissions, RefusalsAreSilentAndFireNoEvent)
{
    ListTable t;
    t.table.open();
    t.add(1);
    EventLog log;
    log.attach(t.table);
    t.table.setCanInsert(false);
    EXPECT_THROW(t.table.append(), EAbort);
    EXPECT_THROW(t.table.insert(), EAbort);
    t.table.setCanEdit(false);
    EXPECT_THROW(t.table.edit(), EAbort);
    t.table.setCanDelete(false);
    EXPECT_THROW(t.table.deleteRecord(), EAbort);
    EXPECT_EQ(t.table.state(), TDataSetState::dsBrowse);
    EXPECT_EQ(t.table.recordCount(), 1);
    EXPECT_TRUE(log.take().isEmpty());
}

TEST(ChangeFlag, SetByPostsAndDeletesOnly)
{
    ListTable t;
    t.table.open();
    EXPECT_FALSE(t.table.changed());
    t.add(1);
    t.add(2);
    EXPECT_TRUE(t.table.changed());
    t.table.setChanged(false);
    t.table.first();
    t.table.edit();
    t.table.next();
    EXPECT_FALSE(t.table.changed()) << "an unchanged edit is cancelled";
    t.table.edit();
    t.nameField->setAsString(QStringLiteral("x"));
    t.table.prior();
    EXPECT_TRUE(t.table.changed());
    t.table.setChanged(false);
    t.table.ClearRecords();
    EXPECT_FALSE(t.table.changed());
    t.add(3);
    t.table.setChanged(false);
    t.table.deleteRecord();
    EXPECT_TRUE(t.table.changed());
}

TEST(ChangeFlag, AfterDeleteStillSeesTheFlagClear)
{
    ListTable t;
    t.table.open();
    t.add(1);
    t.table.setChanged(false);
    bool seen = true;
    t.table.AfterDelete = [&](TDataSet&) {
        seen = t.table.changed();
    };
    t.table.deleteRecord();
    EXPECT_FALSE(seen);
    EXPECT_TRUE(t.table.changed());
}

TEST(Capacity, ReservesSlots)
{
    ListTable t;
    t.table.setCapacity(2647);
    EXPECT_GE(t.table.Capacity(), 2647);
}

TEST(FixedPart, RecordsLargerThanTheLimitDoNotOpen)
{
    TozMemoryData t(QStringLiteral("Wide"));
    t.addField<TStringField>(QStringLiteral("A"), 40000);
    t.addField<TStringField>(QStringLiteral("B"), 25533);
    t.addField<TBlobField>(QStringLiteral("M"), TFieldType::ftMemo);
    t.open();
    t.close();
    t.addField<TSmallintField>(QStringLiteral("C"));
    EXPECT_EQ(errorOf([&] { t.open(); }),
              QStringLiteral("Record size 65538 exceeds the limit of 65535 bytes"));
    EXPECT_FALSE(t.active());
}

// ---------------------------------------------------------------- PostAfterEdit

TEST(PostAfterEdit, EachTextEntryPostsAndReentersEditState)
{
    DecimalSeparator sep(QLatin1Char(','));
    ListTable t;
    t.table.setPostAfterEdit(true);
    t.table.open();
    t.add(1);
    t.add(2);
    t.table.first();
    EventLog log;
    log.attach(t.table);
    t.table.edit();
    log.take();
    t.c1->setText(QStringLiteral("1,50"));
    EXPECT_EQ(t.c1->asFloat(), 1.5);
    EXPECT_EQ(t.table.state(), TDataSetState::dsEdit);
    EXPECT_EQ(t.kod->asInteger(), 1);
    EXPECT_TRUE(t.table.PostAfterEdit());
    EXPECT_EQ(log.take(), names({"BeforePost", "AfterPost", "BeforeEdit", "AfterEdit"}));

    t.c1->setText(QStringLiteral("1,5"));
    EXPECT_TRUE(log.take().isEmpty()) << "the same value posts nothing";

    EXPECT_EQ(errorOf([&] { t.c1->setText(QString()); }),
              QStringLiteral("'' is not a valid floating point value"));
    EXPECT_EQ(errorOf([&] { t.c1->setText(QStringLiteral("1.5")); }),
              QStringLiteral("'1.5' is not a valid floating point value"));
    EXPECT_EQ(t.c1->asFloat(), 1.5);
    t.nameField->setText(QStringLiteral("Имя"));
    EXPECT_EQ(t.nameField->asString(), QStringLiteral("Имя"));
    EXPECT_EQ(t.table.state(), TDataSetState::dsEdit);
}

TEST(PostAfterEdit, FailedPostRestoresTheSwitchAndFieldsWithOwnHandlersKeepThem)
{
    ListTable t;
    bool own = false;
    t.nameField->OnSetText = [&](TField&, const QString&) {
        own = true;
    };
    t.table.setPostAfterEdit(true);
    t.table.open();
    t.add(1);
    t.table.edit();
    t.nameField->setText(QStringLiteral("a"));
    EXPECT_TRUE(own);
    t.table.BeforePost = [](TDataSet&) {
        throw F2tpError(QStringLiteral("no"));
    };
    EXPECT_EQ(errorOf([&] { t.kod->setText(QStringLiteral("5")); }), QStringLiteral("no"));
    EXPECT_TRUE(t.table.PostAfterEdit());
    EXPECT_EQ(t.table.state(), TDataSetState::dsEdit);
    EXPECT_EQ(t.kod->asInteger(), 5);
}

// ---------------------------------------------------------------- sorting

TEST(Sorting, LocaleCollationWithoutRegardToCaseAndIdTieBreak)
{
    ListTable t;
    t.table.open();
    const QStringList input{
        QStringLiteral("яблоко"), QStringLiteral("Груша"), QStringLiteral("banana"),
        QStringLiteral("Apple"),  QStringLiteral("груша"), QStringLiteral("ёлка"),
        QStringLiteral("Ель"),    QStringLiteral("apple"), QString(),
        QStringLiteral("Дыня")};
    int code = 0;
    for (const QString& name : input)
        t.add(++code, name);
    t.table.SortByFields(QStringLiteral(" NAME "), true, false);
    const QStringList sorted = t.namesInListOrder();
    EXPECT_EQ(sorted.front(), QString()) << "no value comes first";
    // Equal keys keep their creation order; Latin and Cyrillic letters ignore case.
    const auto pos = [&](const char* s) {
        return sorted.indexOf(QString::fromUtf8(s));
    };
    EXPECT_LT(pos("Apple"), pos("apple"));
    EXPECT_LT(pos("apple"), pos("banana"));
    EXPECT_LT(pos("Груша"), pos("груша"));
    EXPECT_LT(pos("груша"), pos("Дыня"));
    EXPECT_LT(pos("Дыня"), pos("Ель"));
    EXPECT_LT(pos("Ель"), pos("яблоко"));
    EXPECT_LT(pos("ёлка"), pos("яблоко"));

    t.table.SortByFields(QStringLiteral("NAME"), true, true);
    const QStringList desc = t.namesInListOrder();
    EXPECT_EQ(desc.back(), QString());
    EXPECT_LT(desc.indexOf(QStringLiteral("яблоко")), desc.indexOf(QStringLiteral("Дыня")));
    EXPECT_LT(desc.indexOf(QStringLiteral("banana")), desc.indexOf(QStringLiteral("apple")));
    EXPECT_LT(desc.indexOf(QStringLiteral("груша")), desc.indexOf(QStringLiteral("Груша")));
}

TEST(Sorting, NumericKeysAndTheCurrentRecordIsKept)
{
    ListTable t;
    t.table.open();
    for (int c : {5, -3, 12, 0})
        t.add(c);
    t.table.first();
    t.table.next();
    ASSERT_EQ(t.kod->asInteger(), -3);
    t.table.SortByFields(QStringLiteral("KOD"));
    EXPECT_EQ(t.kod->asInteger(), -3);
    EXPECT_EQ(t.table.recNo(), 1);
    EXPECT_EQ(t.codes(), (QList<int>{-3, 0, 5, 12}));
}

TEST(Sorting, UnsuitableAndUnknownFieldsFail)
{
    ListTable t;
    auto& calc = t.table.addField<TIntegerField>(QStringLiteral("CALC"), TFieldKind::fkCalculated);
    Q_UNUSED(calc)
    t.table.open();
    EXPECT_EQ(errorOf([&] { t.table.SortByFields(QStringLiteral("CALC")); }),
              QStringLiteral("Type mismatch for field 'CALC', expecting: Data actual: Calculated"));
    EXPECT_EQ(errorOf([&] { t.table.SortByFields(QStringLiteral("KOD;XX")); }),
              QStringLiteral("SprTable: Поле 'XX' не найдено"));
}

// ---------------------------------------------------------------- locate and lookup

TEST(Locate, PartialAndCaseInsensitiveKeys)
{
    ListTable t;
    t.table.open();
    t.add(1, QStringLiteral("xyz"));
    t.add(2, QStringLiteral("abc"));
    t.add(3, QStringLiteral("Абв"));
    t.table.first();
    EXPECT_TRUE(
        t.table.locate(QStringLiteral("NAME"), QStringLiteral("ab"), TLocateOption::loPartialKey));
    EXPECT_EQ(t.kod->asInteger(), 2);
    t.table.first();
    EXPECT_TRUE(
        t.table.locate(QStringLiteral("NAME"), QStringLiteral("ab "), TLocateOption::loPartialKey));
    EXPECT_EQ(t.kod->asInteger(), 2);
    EXPECT_FALSE(t.table.locate(QStringLiteral("NAME"), QStringLiteral("ab")));
    EXPECT_EQ(t.kod->asInteger(), 2);
    EXPECT_TRUE(t.table.locate(QStringLiteral("NAME"), QStringLiteral("аБВ"),
                               TLocateOption::loCaseInsensitive));
    EXPECT_EQ(t.kod->asInteger(), 3);
    EXPECT_TRUE(t.table.locate(QStringLiteral("KOD;NAME"), QVariantList{1, QStringLiteral("xyz")}));
    EXPECT_EQ(t.kod->asInteger(), 1);
    EXPECT_TRUE(t.table.locate(QStringLiteral("KOD"), QVariant(2.0)));
    EXPECT_EQ(t.kod->asInteger(), 2);
}

TEST(Locate, CurrentMatchDoesNotMoveAndMissReturnsToTheRemembered)
{
    ListTable t;
    t.table.open();
    t.add(1);
    t.add(2);
    t.add(3);
    t.table.first();
    t.table.next();
    EventLog log;
    log.attach(t.table);
    EXPECT_TRUE(t.table.locate(QStringLiteral("KOD"), 2));
    EXPECT_EQ(log.take(), names({"BeforeScroll", "AfterScroll"}));
    EXPECT_FALSE(t.table.locate(QStringLiteral("KOD"), 7));
    EXPECT_EQ(t.kod->asInteger(), 2);
    EXPECT_EQ(errorOf([&] { t.table.locate(QStringLiteral("NOPE"), 1); }),
              QStringLiteral("SprTable: Поле 'NOPE' не найдено"));
}

TEST(Lookup, ValuesByKeyAndNullWhenMissing)
{
    ListTable t;
    t.table.open();
    t.add(10, QStringLiteral("десять"));
    t.add(20, QStringLiteral("двадцать"));
    t.table.last();
    EXPECT_EQ(t.table.lookup(QStringLiteral("KOD"), 10, QStringLiteral("NAME")),
              QVariant(QStringLiteral("десять")));
    EXPECT_EQ(t.kod->asInteger(), 20);
    EXPECT_EQ(t.table.lookup(QStringLiteral("KOD"), 10, QStringLiteral("KOD;NAME")),
              QVariant(QVariantList{10, QStringLiteral("десять")}));
    EXPECT_TRUE(t.table.lookup(QStringLiteral("KOD"), 30, QStringLiteral("NAME")).isNull());
    EXPECT_EQ(t.kod->asInteger(), 20);
    EXPECT_TRUE(t.table.lookup(QStringLiteral("KOD"), 10, QString()).isNull());
}

// ---------------------------------------------------------------- blob streams

TEST(BlobStream, WriteInEditStateAndReadBack)
{
    TozMemoryData t(QStringLiteral("B"));
    auto& blob = t.addField<TBlobField>(QStringLiteral("DATA"));
    t.open();
    EXPECT_EQ(errorOf([&] { TozMemBlobStream s(blob, TozMemBlobStream::Mode::Write); }),
              QStringLiteral("Таблица не в режиме редактирования"));
    LinkRecorder link;
    link.attach(t);
    t.append();
    {
        TozMemBlobStream s(blob, TozMemBlobStream::Mode::Write);
        s.write(QByteArray("hello"));
        s.seek(-2, TozMemBlobStream::Origin::End);
        s.write(QByteArray("p!"));
        EXPECT_FALSE(t.modified()) << "the field is marked when the stream closes";
    }
    EXPECT_TRUE(t.modified());
    EXPECT_TRUE(link.take().contains(QStringLiteral("fieldChanged:DATA")));
    t.post();
    TozMemBlobStream r(blob, TozMemBlobStream::Mode::Read);
    EXPECT_EQ(r.size(), 5);
    EXPECT_EQ(r.readAll(), QByteArray("help!"));
    blob.setReadOnly(true);
    t.edit();
    EXPECT_EQ(errorOf([&] { TozMemBlobStream s(blob, TozMemBlobStream::Mode::ReadWrite); }),
              QStringLiteral("Поле 'DATA' не может изменяться"));
}

// ---------------------------------------------------------------- files

class TableFiles : public ::testing::Test
{
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(TableFiles, MissingFileOpensEmptyAndSaveCreatesIt)
{
    ListTable t;
    t.table.setFileName(path("LIST.xml"));
    t.table.open();
    EXPECT_TRUE(t.table.active());
    EXPECT_TRUE(t.table.isEmpty());
    t.table.SaveIfModified();
    EXPECT_FALSE(QFile::exists(t.table.FileName())) << "nothing changed, nothing written";
    t.add(1, QStringLiteral("Один"));
    t.table.SaveIfModified();
    EXPECT_TRUE(QFile::exists(t.table.FileName()));
    EXPECT_FALSE(t.table.changed());

    ListTable back;
    back.table.setFileName(t.table.FileName());
    back.table.open();
    EXPECT_EQ(back.codes(), QList<int>{1});
    back.table.first();
    EXPECT_EQ(back.nameField->asString(), QStringLiteral("Один"));
    EXPECT_FALSE(back.table.changed());
}

TEST_F(TableFiles, OpeningReadsSortsDetachesHandlersAndClearsTheFlag)
{
    writeBytes(path("S.xml"),
               Cp1251::encode(QStringLiteral(
                   "<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>"
                   "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                   "<FIELD attrname=\"KOD\" fieldtype=\"i4\"></FIELD>"
                   "<FIELD attrname=\"NAME\" fieldtype=\"string\" WIDTH=\"40\"></FIELD>"
                   "<FIELD attrname=\"EXTRA\" fieldtype=\"i4\"></FIELD>"
                   "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                   "<ROW KOD=\"1\" NAME=\"б\" EXTRA=\"9\" />"
                   "<ROW KOD=\"2\" NAME=\"А\" />"
                   "<ROW KOD=\"3\" />"
                   "<ROW KOD=\"4\" NAME=\"а\" />"
                   "</ROWDATA></DATAPACKET>")));
    ListTable t;
    int handlerCalls = 0;
    t.table.OnNewRecord = [&](TDataSet&) {
        ++handlerCalls;
    };
    t.table.BeforePost = [&](TDataSet&) {
        ++handlerCalls;
    };
    t.table.AfterPost = [&](TDataSet&) {
        ++handlerCalls;
    };
    t.table.setCanInsert(false);
    t.table.setSortFields(QStringLiteral("NAME"));
    t.table.setFileName(path("S.xml"));
    t.table.open();
    EXPECT_EQ(handlerCalls, 0);
    EXPECT_EQ(t.codes(), (QList<int>{3, 2, 4, 1}));
    EXPECT_FALSE(t.table.changed());
    EXPECT_FALSE(t.table.loading());
    t.table.first();
    t.table.setCanInsert(true);
    t.table.append();
    EXPECT_EQ(handlerCalls, 1) << "handlers are attached again";
}

TEST_F(TableFiles, SaveWritesEveryRowWhateverTheFilter)
{
    ListTable t;
    t.table.setFileName(path("F.xml"));
    t.table.open();
    for (int i = 1; i <= 4; ++i)
        t.add(i);
    t.table.setOnFilterRecord([&](TDataSet&, bool& accept) { accept = t.kod->asInteger() > 2; });
    t.table.setFiltered(true);
    t.table.last();
    t.table.SaveIfModified();
    EXPECT_TRUE(t.table.filtered());
    EXPECT_EQ(t.kod->asInteger(), 3) << "the cursor is on the first visible record";

    ListTable back;
    back.table.setFileName(t.table.FileName());
    back.table.open();
    EXPECT_EQ(back.codes(), (QList<int>{1, 2, 3, 4}));

    t.table.WriteToFile(path("visible.xml"));
    ListTable visible;
    visible.table.setFileName(path("visible.xml"));
    visible.table.open();
    EXPECT_EQ(visible.codes(), (QList<int>{3, 4}));
}

TEST_F(TableFiles, ClearedTableIsNotWrittenUntilALaterChange)
{
    ListTable t;
    t.table.setFileName(path("C.xml"));
    t.table.open();
    t.add(1);
    t.table.SaveIfModified();
    const QByteArray before = readBytes(t.table.FileName());
    t.table.ClearRecords();
    t.table.SaveIfModified();
    EXPECT_EQ(readBytes(t.table.FileName()), before);
}

TEST_F(TableFiles, AnEmptiedTableIsSavedEmpty)
{
    ListTable t;
    t.table.setFileName(path("E.xml"));
    t.table.open();
    t.add(1);
    t.table.SaveIfModified();
    t.table.EmptyTable();
    EXPECT_TRUE(t.table.changed());
    t.table.SaveIfModified();
    ListTable back;
    back.table.setFileName(t.table.FileName());
    back.table.open();
    EXPECT_TRUE(back.table.isEmpty());
}

TEST_F(TableFiles, FailedSaveKeepsThePreviousFileAndTheChangeFlag)
{
    ListTable t;
    t.table.setFileName(path("K.xml"));
    t.table.open();
    t.add(1);
    t.add(2);
    t.table.SaveIfModified();
    const QByteArray before = readBytes(t.table.FileName());
    ASSERT_FALSE(before.isEmpty());

    t.add(3);
    // The walk of the writer fails on the second record.
    t.table.AfterScroll = [&](TDataSet&) {
        if (t.kod->asInteger() == 2)
            throw F2tpError(QStringLiteral("Сбой при записи"));
    };
    EXPECT_EQ(errorOf([&] { t.table.SaveIfModified(); }), QStringLiteral("Сбой при записи"));
    EXPECT_EQ(readBytes(t.table.FileName()), before);
    EXPECT_TRUE(t.table.changed());
    t.table.AfterScroll = nullptr;

    t.table.setFileName(path("missing/K.xml"));
    EXPECT_EQ(errorOf([&] { t.table.SaveIfModified(); }),
              QStringLiteral("Не удается создать файл ") + path("missing/K.xml"));
    EXPECT_TRUE(t.table.changed());
}

TEST_F(TableFiles, ReadErrorLeavesTheTableOpenWithTheRowsReadSoFar)
{
    writeBytes(path("T.xml"),
               QByteArray("<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?>"
                          "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
                          "<FIELD attrname=\"KOD\" fieldtype=\"i4\"></FIELD>"
                          "</FIELDS><PARAMS/></METADATA><ROWDATA>"
                          "<ROW KOD=\"1\" /><ROW KOD=\"x\" /><ROW KOD=\"3\" />"
                          "</ROWDATA></DATAPACKET>"));
    ListTable t;
    t.table.setFileName(path("T.xml"));
    // The message names the file, so that the user knows which one to restore.
    EXPECT_EQ(errorOf([&] { t.table.open(); }),
              QStringLiteral("Ошибка чтения файла \"%1\": 'x' is not a valid integer value for "
                             "field 'KOD'")
                  .arg(QDir::toNativeSeparators(path("T.xml"))));
    EXPECT_TRUE(t.table.active());
    EXPECT_FALSE(t.table.changed());
    EXPECT_FALSE(t.table.loading());
    EXPECT_FALSE(t.table.controlsDisabled());
    EXPECT_EQ(t.codes(), QList<int>{1});
}

#include <gtest/gtest.h>

#include "Errors.h"
#include "StoreTestSupport.h"
#include "ozMemoryData.h"

using namespace storetest;

namespace {

// A section-like table: CA smallint, CB string(10), C1 float, and (optionally)
// a calculated column TOTAL = C1 * 2.
class Section
{
public:
    explicit Section(bool withCalc = false)
        : table(QStringLiteral("R1Table"))
    {
        ca = &table.addField<TSmallintField>(QStringLiteral("CA"));
        cb = &table.addField<TStringField>(QStringLiteral("CB"), 10);
        c1 = &table.addField<TFloatField>(QStringLiteral("C1"));
        if (withCalc) {
            total = &table.addField<TFloatField>(QStringLiteral("TOTAL"), TFieldKind::fkCalculated);
            table.OnCalcFields = [this](TDataSet&) {
                ++calcCount;
                if (!c1->isNull())
                    total->setAsFloat(c1->asFloat() * 2);
            };
        }
    }

    void open() { table.open(); }
    void addRows(int n)
    {
        for (int i = 1; i <= n; ++i) {
            table.append();
            ca->setAsInteger(i);
            table.post();
        }
    }
    QList<int> visibleCodes()
    {
        QList<int> codes;
        table.first();
        while (!table.eof()) {
            codes << ca->asInteger();
            table.next();
        }
        return codes;
    }

    TozMemoryData table;
    TField* ca = nullptr;
    TField* cb = nullptr;
    TField* c1 = nullptr;
    TField* total = nullptr;
    int calcCount = 0;
};

} // namespace

// ---------------------------------------------------------------- navigation

TEST(Navigation, NextOnLastSetsEofReturnsZeroAndSecondNextFiresBeforeScrollOnly)
{
    Section s;
    s.open();
    s.addRows(2);
    s.table.last();
    EventLog log;
    log.attach(s.table);
    s.table.first();
    EXPECT_EQ(s.table.moveBy(1), 1);
    log.take();
    EXPECT_EQ(s.table.moveBy(1), 0);
    EXPECT_TRUE(s.table.eof());
    EXPECT_EQ(log.take(),
              (QStringList{QStringLiteral("BeforeScroll"), QStringLiteral("AfterScroll")}));
    EXPECT_EQ(s.table.moveBy(1), 0);
    EXPECT_EQ(log.take(), QStringList{QStringLiteral("BeforeScroll")});
    EXPECT_EQ(s.ca->asInteger(), 2);
}

TEST(Navigation, FlagsOfFirstLastAndPrior)
{
    Section s;
    s.open();
    s.addRows(3);
    s.table.first();
    EXPECT_TRUE(s.table.bof());
    EXPECT_FALSE(s.table.eof());
    EXPECT_EQ(s.table.moveBy(-1), 0);
    EXPECT_EQ(s.ca->asInteger(), 1);
    s.table.last();
    EXPECT_TRUE(s.table.eof());
    EXPECT_FALSE(s.table.bof());
    EXPECT_EQ(s.ca->asInteger(), 3);
    EXPECT_EQ(s.table.moveBy(-5), -2);
    EXPECT_TRUE(s.table.bof());
    EXPECT_EQ(s.ca->asInteger(), 1);
    EXPECT_EQ(s.table.moveBy(5), 2);
    EXPECT_TRUE(s.table.eof());
}

TEST(Navigation, EmptyTableHasBothFlagsAndIsEmpty)
{
    Section s;
    s.open();
    EXPECT_TRUE(s.table.isEmpty());
    EXPECT_TRUE(s.table.bof());
    EXPECT_TRUE(s.table.eof());
    s.table.first();
    EXPECT_TRUE(s.table.eof());
    EXPECT_TRUE(s.ca->isNull());
}

TEST(Navigation, WalkSeesOnlyRecordsPassingTheFilter)
{
    Section s;
    s.open();
    s.addRows(6);
    s.table.setOnFilterRecord(
        [&](TDataSet&, bool& accept) { accept = s.ca->asInteger() % 2 == 0; });
    s.table.setFiltered(true);
    EXPECT_EQ(s.visibleCodes(), (QList<int>{2, 4, 6}));
    EXPECT_EQ(s.table.recordCount(), 6);
    s.table.last();
    s.table.prior();
    EXPECT_EQ(s.ca->asInteger(), 4);
}

TEST(Navigation, ClosedTableFailsWithTheTableName)
{
    Section s;
    EXPECT_EQ(errorOf([&] { s.table.next(); }),
              QStringLiteral("R1Table: Cannot perform this operation on a closed dataset"));
    EXPECT_EQ(errorOf([&] { s.table.deleteRecord(); }),
              QStringLiteral("R1Table: Cannot perform this operation on a closed dataset"));
    EXPECT_EQ(errorOf([&] { s.table.edit(); }),
              QStringLiteral("R1Table: Cannot perform this operation on a closed dataset"));
}

// ---------------------------------------------------------------- event orders

TEST(EventOrder, OpenAndClose)
{
    Section s;
    EventLog log;
    log.attach(s.table);
    s.open();
    EXPECT_EQ(log.take(), (QStringList{QStringLiteral("BeforeOpen"), QStringLiteral("AfterOpen")}));
    s.addRows(1);
    log.take();
    s.table.close();
    EXPECT_EQ(log.take(),
              (QStringList{QStringLiteral("BeforeClose"), QStringLiteral("AfterClose")}));
    EXPECT_EQ(s.table.recordCount(), 0);
}

TEST(EventOrder, InsertPostCancelEditDelete)
{
    Section s;
    s.open();
    s.addRows(1);
    EventLog log;
    log.attach(s.table);

    s.table.insert();
    EXPECT_EQ(log.take(),
              names({"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
    s.ca->setAsInteger(5);
    s.table.post();
    EXPECT_EQ(log.take(), names({"BeforePost", "AfterPost"}));

    s.table.append();
    log.take();
    s.table.cancel();
    EXPECT_EQ(log.take(), names({"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));

    s.table.edit();
    EXPECT_EQ(log.take(), names({"BeforeEdit", "AfterEdit"}));
    s.table.edit();
    EXPECT_TRUE(log.take().isEmpty());
    s.table.cancel();
    EXPECT_EQ(log.take(), names({"BeforeCancel", "AfterCancel"}));

    s.table.deleteRecord();
    EXPECT_EQ(log.take(), names({"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
}

TEST(EventOrder, MovingAwayPostsAChangedRecordAndCancelsAnUnchangedOne)
{
    Section s;
    s.open();
    s.addRows(2);
    s.table.first();
    EventLog log;
    log.attach(s.table);

    s.table.edit();
    s.cb->setAsString(QStringLiteral("x"));
    log.take();
    s.table.next();
    EXPECT_EQ(log.take(), names({"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));

    s.table.edit();
    log.take();
    s.table.prior();
    EXPECT_EQ(log.take(), names({"BeforeCancel", "AfterCancel", "BeforeScroll", "AfterScroll"}));
    EXPECT_EQ(s.cb->asString(), QStringLiteral("x"));
}

TEST(EventOrder, ValuesSetInOnNewRecordAloneDoNotMakeTheRecordModified)
{
    Section s;
    s.open();
    s.addRows(1);
    s.table.OnNewRecord = [&](TDataSet&) {
        s.cb->setAsString(QStringLiteral("new"));
    };
    s.table.append();
    EXPECT_FALSE(s.table.modified());
    EXPECT_EQ(s.cb->asString(), QStringLiteral("new"));
    s.table.first();
    EXPECT_EQ(s.table.recordCount(), 1);
    EXPECT_EQ(s.table.state(), TDataSetState::dsBrowse);
}

TEST(EventOrder, ErrorInOnNewRecordDropsTheNewRecord)
{
    Section s;
    s.open();
    s.addRows(2);
    s.table.first();
    s.table.OnNewRecord = [](TDataSet&) {
        throw F2tpError(QStringLiteral("no"));
    };
    EXPECT_EQ(errorOf([&] { s.table.insert(); }), QStringLiteral("no"));
    EXPECT_EQ(s.table.state(), TDataSetState::dsBrowse);
    EXPECT_EQ(s.table.recordCount(), 2);
    EXPECT_EQ(s.ca->asInteger(), 1);
}

TEST(EventOrder, EditOnAnEmptyTableActsAsInsert)
{
    Section s;
    s.open();
    EventLog log;
    log.attach(s.table);
    s.table.edit();
    EXPECT_EQ(s.table.state(), TDataSetState::dsInsert);
    EXPECT_EQ(log.take().first(), QStringLiteral("BeforeInsert"));
}

// ---------------------------------------------------------------- post and delete

TEST(Posting, PostInBrowseStateFailsWithTheTableName)
{
    Section s;
    s.open();
    EXPECT_EQ(errorOf([&] { s.table.post(); }),
              QStringLiteral("R1Table: Таблица не в режиме редактирования"));
}

TEST(Posting, RequiredFieldFailsAndKeepsTheEditUnlessControlsAreSuspended)
{
    Section s;
    s.cb->setRequired(true);
    s.cb->setDisplayLabel(QStringLiteral("Наименование"));
    LinkRecorder link;
    link.attach(s.table);
    s.open();
    s.table.append();
    s.c1->setAsFloat(1.5);
    link.take();
    EXPECT_EQ(errorOf([&] { s.table.post(); }),
              QStringLiteral("Поле 'Наименование' должно иметь значение"));
    EXPECT_TRUE(link.take().contains(QStringLiteral("focusField:CB")));
    EXPECT_EQ(s.table.state(), TDataSetState::dsInsert);
    EXPECT_EQ(s.c1->asFloat(), 1.5);

    s.table.disableControls();
    s.table.post();
    s.table.enableControls();
    EXPECT_EQ(s.table.recordCount(), 1);
    EXPECT_TRUE(s.cb->isNull());
}

TEST(Posting, ErrorInBeforePostKeepsTheEnteredValues)
{
    Section s;
    s.open();
    s.addRows(1);
    s.table.BeforePost = [](TDataSet&) {
        throw F2tpError(QStringLiteral("refused"));
    };
    s.table.edit();
    s.cb->setAsString(QStringLiteral("typed"));
    EXPECT_EQ(errorOf([&] { s.table.post(); }), QStringLiteral("refused"));
    EXPECT_EQ(s.table.state(), TDataSetState::dsEdit);
    EXPECT_EQ(s.cb->asString(), QStringLiteral("typed"));
    EXPECT_TRUE(s.table.modified());
}

TEST(Posting, DeleteOnEmptyTableFailsAndDeleteInInsertCancels)
{
    Section s;
    s.open();
    EXPECT_EQ(errorOf([&] { s.table.deleteRecord(); }),
              QStringLiteral("R1Table: Cannot perform this operation on an empty dataset"));
    s.table.append();
    s.ca->setAsInteger(1);
    s.table.deleteRecord();
    EXPECT_EQ(s.table.state(), TDataSetState::dsBrowse);
    EXPECT_EQ(s.table.recordCount(), 0);
}

TEST(Posting, PendingEditorTextIsWrittenBeforePost)
{
    Section s;
    LinkRecorder link;
    link.attach(s.table);
    s.open();
    s.addRows(2);
    s.table.first();
    s.table.edit();
    link.pending = [&] {
        s.cb->setText(QStringLiteral("editor"));
    };
    s.table.next();
    link.pending = nullptr;
    s.table.first();
    EXPECT_EQ(s.cb->asString(), QStringLiteral("editor"));
}

// ---------------------------------------------------------------- calculated and lookup fields

TEST(CalculatedFields, NewRecordIsEmptyUntilADataFieldIsWritten)
{
    Section s(true);
    s.open();
    s.table.append();
    EXPECT_TRUE(s.total->isNull());
    s.c1->setAsFloat(2);
    EXPECT_EQ(s.total->asFloat(), 4.0);
    s.table.post();
    EXPECT_EQ(s.total->asFloat(), 4.0);
}

TEST(CalculatedFields, WritingACalculatedFieldNeitherModifiesNorRecomputes)
{
    Section s(true);
    s.open();
    s.addRows(1);
    s.table.edit();
    const int before = s.calcCount;
    s.total->setAsFloat(9);
    EXPECT_FALSE(s.table.modified());
    EXPECT_EQ(s.calcCount, before);
    EXPECT_EQ(s.total->asFloat(), 9.0);
}

TEST(CalculatedFields, StateInsideOnCalcFieldsAndNoCallWithoutCalculatedFields)
{
    Section plain;
    int calls = 0;
    plain.table.OnCalcFields = [&](TDataSet&) {
        ++calls;
    };
    plain.open();
    plain.addRows(2);
    plain.table.first();
    EXPECT_EQ(calls, 0);

    Section s(true);
    TDataSetState seen = TDataSetState::dsInactive;
    s.table.OnCalcFields = [&](TDataSet& t) {
        seen = t.state();
    };
    s.open();
    s.addRows(1);
    s.table.first();
    EXPECT_EQ(seen, TDataSetState::dsCalcFields);
    EXPECT_EQ(s.table.state(), TDataSetState::dsBrowse);
}

TEST(CalculatedFields, DataFieldsWrittenByTheHandler)
{
    // Reading a record: the calc-fields state refuses data fields.
    // Editing: the write is stored and does not recompute again (no endless recursion).
    Section s(true);
    QStringList errors;
    int calls = 0;
    s.table.OnCalcFields = [&](TDataSet&) {
        ++calls;
        errors << errorOf([&] { s.cb->setAsString(QStringLiteral("calc")); });
    };
    s.open();
    s.table.append();
    s.c1->setAsFloat(1);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(errors.takeFirst(), QStringLiteral("<no error>"));
    EXPECT_EQ(s.cb->asString(), QStringLiteral("calc"));
    s.table.post();
    EXPECT_EQ(errors.takeLast(), QStringLiteral("Таблица не в режиме редактирования"));
}

namespace {

struct LookupPair
{
    LookupPair()
        : templates(QStringLiteral("TemplTable"))
        , section(QStringLiteral("R1Table"))
    {
        code = &templates.addField<TSmallintField>(QStringLiteral("KOD"));
        name = &templates.addField<TStringField>(QStringLiteral("NAIM"), 40);
        ca = &section.addField<TSmallintField>(QStringLiteral("CA"));
        lookupName =
            &section.addField<TStringField>(QStringLiteral("NAME"), 40, TFieldKind::fkLookup);
        lookupName->setKeyFields(QStringLiteral("CA"));
        lookupName->setLookupDataSet(&templates);
        lookupName->setLookupKeyFields(QStringLiteral("KOD"));
        lookupName->setLookupResultField(QStringLiteral("NAIM"));
    }
    void fillTemplates()
    {
        templates.open();
        for (int i = 101; i <= 103; ++i) {
            templates.append();
            code->setAsInteger(i);
            name->setAsString(QStringLiteral("Строка %1").arg(i));
            templates.post();
        }
    }
    TozMemoryData templates;
    TozMemoryData section;
    TField* code;
    TField* name;
    TField* ca;
    TField* lookupName;
};

} // namespace

TEST(LookupFields, OpeningOpensTheLookupTableAndClosingItEmptiesTheField)
{
    LookupPair p;
    EXPECT_FALSE(p.templates.active());
    p.section.open();
    EXPECT_TRUE(p.templates.active());
    p.fillTemplates();
    p.templates.first();
    p.templates.next();
    p.section.append();
    p.ca->setAsInteger(103);
    p.section.post();
    EXPECT_EQ(p.lookupName->asString(), QStringLiteral("Строка 103"));
    EXPECT_EQ(p.code->asInteger(), 102) << "the lookup table's cursor returns";
    p.templates.close();
    p.section.first();
    EXPECT_TRUE(p.lookupName->isNull());
}

TEST(LookupFields, IncompleteDefinitionAndUnknownResultFailTheOpen)
{
    LookupPair p;
    p.lookupName->setLookupResultField(QString());
    EXPECT_EQ(errorOf([&] { p.section.open(); }),
              QStringLiteral("Lookup information for field 'NAME' is incomplete"));
    EXPECT_FALSE(p.section.active());
    p.lookupName->setLookupResultField(QStringLiteral("NOPE"));
    EXPECT_EQ(errorOf([&] { p.section.open(); }),
              QStringLiteral("TemplTable: Поле 'NOPE' не найдено"));
}

// ---------------------------------------------------------------- fields by name

TEST(FieldAccess, ByNameIgnoresCaseAndUnknownNamesFailWithTheTableName)
{
    Section s;
    EXPECT_EQ(s.table.findField(QStringLiteral("cb")), s.cb);
    EXPECT_EQ(s.table.findField(QStringLiteral("ZZ")), nullptr);
    EXPECT_EQ(errorOf([&] { s.table.fieldByName(QStringLiteral("C9")); }),
              QStringLiteral("R1Table: Поле 'C9' не найдено"));
    EXPECT_EQ(errorOf([&] { s.table.getFieldList(QStringLiteral("CA; C9")); }),
              QStringLiteral("R1Table: Поле 'C9' не найдено"));
    s.open();
    s.table.append();
    s.ca->setAsInteger(7);
    s.cb->setAsString(QStringLiteral("b"));
    EXPECT_EQ(s.table.fieldValues(QStringLiteral("CA")), QVariant(7));
    EXPECT_EQ(s.table.fieldValues(QStringLiteral("CA;CB")),
              QVariant(QVariantList{7, QStringLiteral("b")}));
}

TEST(FieldAccess, TableWithoutFieldObjectsGetsDefaultFieldsFromDefinitions)
{
    TozMemoryData t(QStringLiteral("Found"));
    t.addFieldDef(QStringLiteral("NAME"), TFieldType::ftString, 30);
    t.addFieldDef(QStringLiteral("N"), TFieldType::ftInteger);
    t.open();
    ASSERT_EQ(t.fieldCount(), 2);
    t.append();
    t.fieldByName(QStringLiteral("NAME")).setAsString(QStringLiteral("abc"));
    t.fieldByName(QStringLiteral("N")).setAsInteger(3);
    t.post();
    EXPECT_EQ(t.fieldByName(QStringLiteral("N")).asInteger(), 3);
    t.close();
    EXPECT_EQ(t.fieldCount(), 0);
}

TEST(FieldAccess, DeclaredDefinitionsAreReplacedByTheDataFields)
{
    Section s;
    s.table.addFieldDef(QStringLiteral("OLD"), TFieldType::ftInteger);
    s.open();
    ASSERT_EQ(s.table.fieldDefs().size(), 3);
    EXPECT_EQ(s.table.fieldDefs().at(0).name, QStringLiteral("CA"));
    EXPECT_EQ(s.table.fieldDefs().at(2).type, TFieldType::ftFloat);
}

// ---------------------------------------------------------------- bound controls

TEST(BoundControls, SuspendedControlsGetNothingAndOneRefreshOnResume)
{
    Section s;
    LinkRecorder link;
    link.attach(s.table);
    s.open();
    link.take();
    s.table.disableControls();
    EXPECT_TRUE(s.table.controlsDisabled());
    s.addRows(3);
    s.table.first();
    s.table.edit();
    EXPECT_TRUE(link.take().isEmpty());
    s.table.enableControls();
    EXPECT_EQ(link.take(), names({"stateChanged", "dataSetChanged"}));
    s.table.cancel();
    s.table.disableControls();
    s.table.disableControls();
    s.table.enableControls();
    EXPECT_TRUE(link.take().contains(QStringLiteral("stateChanged")));
    EXPECT_TRUE(s.table.controlsDisabled());
    s.table.enableControls();
    EXPECT_EQ(link.take(), names({"dataSetChanged"}));
}

TEST(BoundControls, FieldWritesAndNavigationAreNotified)
{
    Section s;
    LinkRecorder link;
    link.attach(s.table);
    s.open();
    s.addRows(2);
    s.table.first();
    link.take();
    s.table.next();
    EXPECT_EQ(link.take(), names({"recordScrolled"}));
    s.table.edit();
    EXPECT_EQ(link.take(), names({"stateChanged", "recordChanged"}));
    s.cb->setAsString(QStringLiteral("v"));
    EXPECT_EQ(link.take(), names({"fieldChanged:CB"}));
}

TEST(BoundControls, GridReadsAnyRowWithoutMovingTheCursor)
{
    Section s(true);
    s.open();
    for (int i = 1; i <= 5; ++i) {
        s.table.append();
        s.ca->setAsInteger(i);
        s.c1->setAsFloat(i);
        s.table.post();
    }
    s.table.setOnFilterRecord([&](TDataSet&, bool& accept) { accept = s.ca->asInteger() != 2; });
    s.table.setFiltered(true);
    s.table.next();
    ASSERT_EQ(s.ca->asInteger(), 3);
    EventLog log;
    log.attach(s.table);

    EXPECT_EQ(s.table.visibleRecordCount(), 4);
    EXPECT_EQ(s.table.currentVisibleRow(), 1);
    TRecordBuffer row;
    ASSERT_TRUE(s.table.readVisibleRow(3, row));
    EXPECT_EQ(s.table.fieldText(*s.ca, row), QStringLiteral("5"));
    EXPECT_EQ(s.table.fieldValue(*s.total, row), QVariant(10.0));
    EXPECT_FALSE(s.table.readVisibleRow(4, row));
    EXPECT_TRUE(log.take().isEmpty());
    EXPECT_EQ(s.ca->asInteger(), 3);

    s.table.edit();
    s.c1->setAsFloat(30);
    ASSERT_TRUE(s.table.readVisibleRow(1, row));
    EXPECT_TRUE(s.table.isEditingRow(1));
    EXPECT_EQ(s.table.fieldText(*s.total, row), QStringLiteral("60"));
    s.table.cancel();

    s.table.insert();
    EXPECT_EQ(s.table.visibleRecordCount(), 5);
    EXPECT_EQ(s.table.currentVisibleRow(), 1);
    EXPECT_TRUE(s.table.isEditingRow(1));
    ASSERT_TRUE(s.table.readVisibleRow(1, row));
    EXPECT_TRUE(s.table.fieldText(*s.ca, row).isEmpty());
    EXPECT_FALSE(s.table.rowToBookmark(1).has_value());
    ASSERT_TRUE(s.table.readVisibleRow(2, row));
    EXPECT_EQ(s.table.fieldText(*s.ca, row), QStringLiteral("3"));
    s.table.cancel();

    s.table.append();
    EXPECT_EQ(s.table.currentVisibleRow(), 4);
    s.table.cancel();
    EXPECT_EQ(s.ca->asInteger(), 5);
}

// ---------------------------------------------------------------- bookmarks

TEST(Bookmarks, GotoCompareAndDeletedRecords)
{
    Section s;
    s.open();
    EXPECT_FALSE(s.table.bookmark().has_value());
    s.addRows(3);
    s.table.first();
    const TBookmark first = s.table.bookmark();
    s.table.next();
    const TBookmark second = s.table.bookmark();
    EXPECT_LT(TDataSet::compareBookmarks(first, second), 0);
    EXPECT_LT(TDataSet::compareBookmarks(std::nullopt, first), 0);
    s.table.last();
    s.table.gotoBookmark(first);
    EXPECT_EQ(s.ca->asInteger(), 1);
    s.table.gotoBookmark(std::nullopt);
    EXPECT_EQ(s.ca->asInteger(), 1);

    s.table.gotoBookmark(second);
    s.table.deleteRecord();
    EXPECT_TRUE(s.table.bookmarkValid(second));
    s.table.first();
    s.table.gotoBookmark(second);
    EXPECT_EQ(s.ca->asInteger(), 1) << "the cursor stays where it was";
}

// ---------------------------------------------------------------- filter

TEST(Filter, ErrorInTheHandlerIsShownAndNavigationContinues)
{
    RecordingUi ui;
    Section s;
    s.open();
    s.addRows(3);
    s.table.setOnFilterRecord([&](TDataSet&, bool& accept) {
        if (s.ca->asInteger() == 2) {
            accept = false;
            throw F2tpError(QStringLiteral("Сбой фильтра"));
        }
    });
    s.table.setFiltered(true);
    EXPECT_EQ(s.visibleCodes(), (QList<int>{1, 3}));
    ASSERT_FALSE(ui.applicationErrors.isEmpty());
    EXPECT_EQ(ui.applicationErrors.front(), QStringLiteral("Сбой фильтра."));
}

TEST(Filter, InsideTheHandlerDataFieldsGiveValuesAndCalculatedFieldsNone)
{
    Section s(true);
    s.open();
    s.table.append();
    s.c1->setAsFloat(1);
    s.table.post();
    TDataSetState seen = TDataSetState::dsInactive;
    bool calcNull = false;
    double c1 = 0;
    s.table.setOnFilterRecord([&](TDataSet& t, bool&) {
        seen = t.state();
        calcNull = s.total->isNull();
        c1 = s.c1->asFloat();
    });
    s.table.setFiltered(true);
    EXPECT_EQ(seen, TDataSetState::dsFilter);
    EXPECT_TRUE(calcNull);
    EXPECT_EQ(c1, 1.0);
}

TEST(Filter, SwitchingTheFilterEndsTheEditAndMovesToTheFirstRecord)
{
    Section s;
    s.open();
    s.addRows(3);
    s.table.last();
    s.table.edit();
    s.cb->setAsString(QStringLiteral("z"));
    s.table.setFiltered(true);
    EXPECT_EQ(s.table.state(), TDataSetState::dsBrowse);
    EXPECT_EQ(s.ca->asInteger(), 1);
    s.table.last();
    EXPECT_EQ(s.cb->asString(), QStringLiteral("z"));
}

#include <memory>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QtTest>

#include "DBLocateGrid.h"
#include "DataSetModel.h"
#include "Errors.h"
#include "FormatSettings.h"
#include "LookupEdit.h"
#include "LookupGrid.h"
#include "LookupList.h"
#include "OZGrid.h"
#include "ObFunc.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "Vubor.h"
#include "ozField.h"
#include "ozMemoryData.h"

namespace {

// A small table: CODE integer, NAME text, AMOUNT float shown with three decimals.
std::unique_ptr<TozMemoryData> makeTable(const QList<std::tuple<int, QString, double>>& rows,
                                         const QString& name = QStringLiteral("TestTable"))
{
    auto table = std::make_unique<TozMemoryData>(name);
    table->addField<TIntegerField>(QStringLiteral("CODE"));
    table->addField<TStringField>(QStringLiteral("NAME"), 40);
    auto& amount = table->addField<TFloatField>(QStringLiteral("AMOUNT"));
    amount.setDisplayFormat(QStringLiteral("0.000"));
    table->open();
    for (const auto& [code, text, value] : rows) {
        table->append();
        table->fieldByName(QStringLiteral("CODE")).setAsInteger(code);
        table->fieldByName(QStringLiteral("NAME")).setAsString(text);
        table->fieldByName(QStringLiteral("AMOUNT")).setAsFloat(value);
        table->post();
    }
    table->first();
    return table;
}

std::unique_ptr<TozMemoryData> pollutants()
{
    return makeTable({{703, QStringLiteral("Ванадий"), 0},
                      {123, QStringLiteral("Железа оксид"), 0},
                      {322, QStringLiteral("Серная кислота"), 0},
                      {410, QStringLiteral("Метан"), 0},
                      {124, QStringLiteral("Кадмий"), 0},
                      {150, QStringLiteral("Натрий гидроксид"), 0}},
                     QStringLiteral("SprKlzav"));
}

QString cellText(const QAbstractItemModel& model, int row, int column)
{
    return model.data(model.index(row, column)).toString();
}

void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestGrids : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void modelFollowsEveryTableChange();
    void suspendedControlsSilenceTheModelUntilOneRefresh();
    void selectionAndCursorMoveTogether();
    void typedNumberUsesTheLocaleSeparatorAndPostsOnLeavingTheRow();
    void refusedEditOpensNoEditor();
    void rejectedTextKeepsEditorAndValue();
    void failedPostKeepsRowInEditState();
    void escCancelsTheRecordsEdit();
    void newRowLeftUnchangedIsDropped();
    void locateFieldTextMatchesEditText_data();
    void locateFieldTextMatchesEditText();
    void locateFieldTextFiresAfterScrollOnceOnMatchOnly();
    void incrementalLocateIgnoresCaseAndStepsWithF3();
    void caseSensitiveLocateDoesNotFoldCyrillic();
    void typingWhileEditingNeverLocates();
    void listTitlesSplitLikeTheProgramsLists_data();
    void listTitlesSplitLikeTheProgramsLists();
    void listPickerChoosesValueIntoEditedRecord();
    void listPickerEscLeavesRecordUnchanged();
    void listPickerFillsANewRow();
    void emptyListDisablesChooseAndEnterClosesWithoutChoice();
    void sortingByColumnTitleKeepsHighlightedRow();
    void listOpensAboveEditorNearScreenBottom();
    void dbEditEntersTextAndMovesRecordsWithPageKeys();
    void lookupEditEnterChoosesFromTheList();
    void editBoxColourFollowsReadOnlyAndEnabled();
    void clickOnListRowChoosesIt();
    void ozGridHintsAndCellParameters();
    void indicatorHookSeesEveryDrawnRow();

private:
    std::unique_ptr<TScriptedUserInterface> m_ui;
};

void TestGrids::init()
{
    m_ui = std::make_unique<TScriptedUserInterface>();
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
}

void TestGrids::cleanup()
{
    m_ui.reset();
    if (TListForm* form = ListForm())
        form->dataSource()->setDataSet(nullptr);
}

// ---------------------------------------------------------------- the adapter

void TestGrids::modelFollowsEveryTableChange()
{
    auto table = makeTable({{1, QStringLiteral("Азот"), 1.5},
                            {2, QStringLiteral("Бор"), 2},
                            {3, QStringLiteral("Водород"), 3.25}});
    TDataSource source;
    source.setDataSet(table.get());
    TDataSetModel model;
    model.addColumn(std::make_unique<TGridColumn>(QStringLiteral("CODE")));
    model.addColumn(std::make_unique<TGridColumn>(QStringLiteral("NAME")));
    model.addColumn(std::make_unique<TGridColumn>(QStringLiteral("AMOUNT")));
    model.setDataSource(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    const auto check = [&] {
        QCOMPARE(model.rowCount(), table->visibleRecordCount());
        QCOMPARE(model.cursorRow(), table->currentVisibleRow());
    };
    check();
    QCOMPARE(cellText(model, 0, 2), QStringLiteral("1,500"));

    table->edit();
    table->fieldByName(QStringLiteral("NAME")).setAsString(QStringLiteral("Азот-2"));
    QCOMPARE(cellText(model, 0, 1), QStringLiteral("Азот-2"));
    table->post();
    check();

    table->next();
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    table->insert();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    check();
    table->fieldByName(QStringLiteral("CODE")).setAsInteger(9);
    QCOMPARE(cellText(model, 1, 0), QStringLiteral("9"));
    table->post();
    check();
    QCOMPARE(cellText(model, 1, 0), QStringLiteral("9"));

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    table->append();
    check();
    table->cancel();
    QCOMPARE(removed.count(), 1);
    check();

    table->first();
    table->deleteRecord();
    check();
    QCOMPARE(cellText(model, 0, 0), QStringLiteral("9"));

    table->setOnFilterRecord([](TDataSet& ds, bool& accept) {
        accept = ds.fieldByName(QStringLiteral("CODE")).asInteger() != 9;
    });
    table->setFiltered(true);
    check();
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(cellText(model, 0, 0), QStringLiteral("2"));
    table->setFiltered(false);
    check();

    table->SortByFields(QStringLiteral("NAME"), true, false);
    check();
    // The new row has no name and sorts first.
    QCOMPARE(cellText(model, 0, 1), QString());
    QCOMPARE(cellText(model, 1, 1), QStringLiteral("Бор"));
    QCOMPARE(cellText(model, 2, 1), QStringLiteral("Водород"));

    table->ClearRecords();
    check();
    QCOMPARE(model.rowCount(), 0);
    table->append();
    check();
    table->fieldByName(QStringLiteral("CODE")).setAsInteger(5);
    table->post();
    check();
    table->close();
    QCOMPARE(model.rowCount(), 0);
    table->open();
    check();
}

void TestGrids::suspendedControlsSilenceTheModelUntilOneRefresh()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}});
    TDataSource source;
    source.setDataSet(table.get());
    TDataSetModel model;
    model.addColumn(std::make_unique<TGridColumn>(QStringLiteral("CODE")));
    model.setDataSource(&source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy moved(&model, &TDataSetModel::cursorMoved);
    {
        TControlsDisabler disabler(*table);
        for (int i = 0; i < 3; ++i) {
            table->append();
            table->fieldByName(QStringLiteral("CODE")).setAsInteger(10 + i);
            table->post();
        }
        table->first();
        table->edit();
        table->fieldByName(QStringLiteral("CODE")).setAsInteger(7);
        table->post();
        QCOMPARE(changed.count() + reset.count() + inserted.count() + moved.count(), 0);
        QCOMPARE(model.rowCount(), 2);
    }
    QCOMPARE(reset.count(), 1);
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(model.rowCount(), 5);
    QCOMPARE(cellText(model, 0, 0), QStringLiteral("7"));
    QCOMPARE(cellText(model, 4, 0), QStringLiteral("12"));
}

// ---------------------------------------------------------------- the grid

void TestGrids::selectionAndCursorMoveTogether()
{
    auto table = makeTable(
        {{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}, {3, QStringLiteral("c"), 3}});
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("CODE"), QStringLiteral("Код"));
    grid.addColumn(QStringLiteral("NAME"), QStringLiteral("Наименование"));
    grid.setDataSource(&source);
    QCOMPARE(grid.currentIndex().row(), 0);

    table->last();
    QCOMPARE(grid.currentIndex().row(), 2);
    grid.setCurrentIndex(grid.model()->index(1, 1));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 2);
    // Moving to another column is no move of the cursor.
    grid.setCurrentIndex(grid.model()->index(1, 0));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 2);
}

void TestGrids::typedNumberUsesTheLocaleSeparatorAndPostsOnLeavingTheRow()
{
    auto table = makeTable(
        {{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}, {3, QStringLiteral("c"), 3}});
    TDataSource source;
    source.setDataSet(table.get());
    TOZGrid grid;
    grid.addColumn(QStringLiteral("CODE"), QStringLiteral("Код"));
    grid.addColumn(QStringLiteral("AMOUNT"), QStringLiteral("Выброс"));
    grid.setDataSource(&source);
    QAbstractItemModelTester tester(grid.model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    table->setChanged(false);
    grid.resize(400, 200);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(0, 1));

    QTest::keyClick(&grid, Qt::Key_2);
    QWidget* editor = grid.cellEditor();
    QVERIFY(editor);
    QCOMPARE(table->state(), TDataSetState::dsEdit);
    QTest::keyClick(editor, Qt::Key_Period, Qt::NoModifier);
    QTest::keyClick(editor, Qt::Key_5);
    QCOMPARE(qobject_cast<QLineEdit*>(editor)->text(), QStringLiteral("2,5"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid.cellEditor());
    QCOMPARE(table->fieldByName(QStringLiteral("AMOUNT")).asFloat(), 2.5);
    QCOMPARE(table->state(), TDataSetState::dsEdit);
    QVERIFY(!table->changed());

    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(table->state(), TDataSetState::dsBrowse);
    QVERIFY(table->changed());
    QCOMPARE(grid.currentIndex().row(), 1);
    table->first();
    QCOMPARE(table->fieldByName(QStringLiteral("AMOUNT")).asFloat(), 2.5);
    QCOMPARE(cellText(*grid.model(), 0, 1), QStringLiteral("2,500"));
    QVERIFY(m_ui->calls.isEmpty());
}

void TestGrids::refusedEditOpensNoEditor()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}});
    table->setCanEdit(false);
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("NAME"));
    grid.setDataSource(&source);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_X);
    QTest::keyClick(&grid, Qt::Key_F2);
    QVERIFY(!grid.cellEditor());
    QCOMPARE(table->state(), TDataSetState::dsBrowse);
    QVERIFY(m_ui->calls.isEmpty());
}

void TestGrids::rejectedTextKeepsEditorAndValue()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}});
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("CODE"));
    grid.setDataSource(&source);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_A);
    QWidget* editor = grid.cellEditor();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("bc"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(m_ui->calls.size(), 1);
    QVERIFY(m_ui->calls.front().startsWith(
        QStringLiteral("application error: 'abc' is not a valid integer value")));
    QCOMPARE(grid.cellEditor(), editor);
    QCOMPARE(qobject_cast<QLineEdit*>(editor)->text(), QStringLiteral("abc"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 1);
    // Leaving the row is refused too: the text stays for correction.
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(grid.currentIndex().row(), 0);
    QCOMPARE(grid.cellEditor(), editor);
}

void TestGrids::failedPostKeepsRowInEditState()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}});
    table->BeforePost = [](TDataSet& ds) {
        if (ds.fieldByName(QStringLiteral("AMOUNT")).asFloat() > 100)
            throw EDatabaseError(QStringLiteral("Выброс больше 100 т"));
    };
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("AMOUNT"));
    grid.setDataSource(&source);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_5);
    QWidget* editor = grid.cellEditor();
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("00"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!grid.cellEditor());
    QTest::keyClick(&grid, Qt::Key_Down);
    QCOMPARE(m_ui->calls, QStringList{QStringLiteral("application error: Выброс больше 100 т.")});
    QCOMPARE(table->state(), TDataSetState::dsEdit);
    QCOMPARE(table->fieldByName(QStringLiteral("AMOUNT")).asFloat(), 500.0);
    QCOMPARE(grid.currentIndex().row(), 0);
    QCOMPARE(cellText(*grid.model(), 0, 0), QStringLiteral("500,000"));
}

void TestGrids::escCancelsTheRecordsEdit()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}});
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("NAME"));
    grid.setDataSource(&source);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QTest::keyClick(&grid, Qt::Key_Z);
    QVERIFY(grid.cellEditor());
    QTest::keyClick(grid.cellEditor(), Qt::Key_Return);
    QTRY_VERIFY(!grid.cellEditor());
    QCOMPARE(table->fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("z"));
    QTest::keyClick(&grid, Qt::Key_F2);
    QVERIFY(grid.cellEditor());
    QTest::keyClick(grid.cellEditor(), Qt::Key_Escape);
    QTRY_VERIFY(!grid.cellEditor());
    QCOMPARE(table->state(), TDataSetState::dsEdit);
    QTest::keyClick(&grid, Qt::Key_Escape);
    QCOMPARE(table->state(), TDataSetState::dsBrowse);
    QCOMPARE(table->fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("a"));
}

void TestGrids::newRowLeftUnchangedIsDropped()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}});
    TDataSource source;
    source.setDataSet(table.get());
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new TDBLocateGrid(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(grid);
    layout->addWidget(other);
    grid->addColumn(QStringLiteral("NAME"));
    grid->setDataSource(&source);
    QAbstractItemModelTester tester(grid->model(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(table->state(), TDataSetState::dsInsert);
    QCOMPARE(grid->model()->rowCount(), 3);
    QCOMPARE(grid->currentIndex().row(), 2);
    // A second Down on the untouched new row adds nothing.
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(grid->model()->rowCount(), 3);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(table->state(), TDataSetState::dsBrowse);
    QCOMPARE(table->recordCount(), 2);
    QCOMPARE(grid->model()->rowCount(), 2);

    QTest::keyClick(grid, Qt::Key_Insert);
    QCOMPARE(table->state(), TDataSetState::dsInsert);
    QCOMPARE(grid->currentIndex().row(), 1);
    other->setFocus();
    QTRY_COMPARE(table->state(), TDataSetState::dsBrowse);
    QCOMPARE(table->recordCount(), 2);
}

// ---------------------------------------------------------------- locate

void TestGrids::locateFieldTextMatchesEditText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("options");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<bool>("next");
    QTest::addColumn<bool>("fromStart");
    QTest::addColumn<int>("startCode");
    QTest::addColumn<int>("expectedCode"); // 0: not found

    const int ci = int(TLocateOption::loCaseInsensitive);
    const int pk = int(TLocateOption::loPartialKey);
    QTest::newRow("prefix, any case")
        << QStringLiteral("ме") << (ci | pk) << true << false << true << 703 << 410;
    QTest::newRow("prefix, case kept")
        << QStringLiteral("ме") << pk << true << false << true << 703 << 0;
    QTest::newRow("whole text only")
        << QStringLiteral("Метан") << 0 << true << false << true << 703 << 410;
    QTest::newRow("prefix is no whole text")
        << QStringLiteral("Мет") << 0 << true << false << true << 703 << 0;
    QTest::newRow("empty key never matches")
        << QString() << (ci | pk) << true << false << true << 703 << 0;
    QTest::newRow("current record counts")
        << QStringLiteral("к") << (ci | pk) << true << false << false << 124 << 124;
    QTest::newRow("next skips current")
        << QStringLiteral("н") << (ci | pk) << true << true << false << 703 << 150;
    QTest::newRow("backwards from the last")
        << QStringLiteral("ж") << (ci | pk) << false << false << true << 703 << 123;
    QTest::newRow("nothing after the last match")
        << QStringLiteral("н") << (ci | pk) << true << true << false << 150 << 0;
    QTest::newRow("numbers by their edit text")
        << QStringLiteral("12") << pk << true << false << true << 703 << 123;
}

void TestGrids::locateFieldTextMatchesEditText()
{
    QFETCH(QString, text);
    QFETCH(int, options);
    QFETCH(bool, forward);
    QFETCH(bool, next);
    QFETCH(bool, fromStart);
    QFETCH(int, startCode);
    QFETCH(int, expectedCode);
    auto table = pollutants();
    QVERIFY(table->locate(QStringLiteral("CODE"), startCode));
    TField* field = text == QStringLiteral("12") ? &table->fieldByName(QStringLiteral("CODE"))
                                                 : &table->fieldByName(QStringLiteral("NAME"));
    const bool found = LocateFieldText(*table, field, text, TLocateOptions::fromInt(options),
                                       forward, next, fromStart);
    QCOMPARE(found, expectedCode != 0);
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(),
             found ? expectedCode : startCode);
    QVERIFY(!LocateFieldText(*table, nullptr, text, {}, true, false, true));
}

void TestGrids::locateFieldTextFiresAfterScrollOnceOnMatchOnly()
{
    auto table = pollutants();
    int scrolls = 0;
    table->AfterScroll = [&](TDataSet&) {
        ++scrolls;
    };
    TDataSource source;
    source.setDataSet(table.get());
    TDataSetModel model;
    model.addColumn(std::make_unique<TGridColumn>(QStringLiteral("NAME")));
    model.setDataSource(&source);
    QSignalSpy moved(&model, &TDataSetModel::cursorMoved);
    QVERIFY(LocateFieldText(
        *table, &table->fieldByName(QStringLiteral("NAME")), QStringLiteral("НАТ"),
        TLocateOption::loCaseInsensitive | TLocateOption::loPartialKey, true, false, true));
    QCOMPARE(scrolls, 1);
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.front().front().toInt(), 5);
    scrolls = 0;
    QVERIFY(!LocateFieldText(*table, &table->fieldByName(QStringLiteral("NAME")),
                             QStringLiteral("Цинк"), TLocateOption::loPartialKey, true, false,
                             true));
    QCOMPARE(scrolls, 0);
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 150);
    QVERIFY(table->AfterScroll);
}

void TestGrids::incrementalLocateIgnoresCaseAndStepsWithF3()
{
    auto table = pollutants();
    TDataSource source;
    source.setDataSet(table.get());
    QWidget window;
    window.resize(400, 300);
    auto* grid = new TDBLocateGrid(&window);
    grid->setGeometry(0, 0, 400, 250);
    grid->addColumn(QStringLiteral("CODE"), QStringLiteral("Код"));
    grid->addColumn(QStringLiteral("NAME"), QStringLiteral("Наименование"), 200);
    grid->setLocEnabled(true);
    grid->setReadOnly(true);
    grid->setDataSource(&source);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    grid->setFocus();
    grid->setSelectedColumn(1);

    typeText(grid, QStringLiteral("н"));
    QVERIFY(grid->locateMode());
    QVERIFY(grid->BeginFind());
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 150);
    QVERIFY(grid->locateBox() && grid->locateBox()->isVisible());
    QCOMPARE(grid->locateBox()->text(), QStringLiteral("н"));
    QCOMPARE(grid->locateBox()->width(), grid->columnWidth(1));
    QVERIFY(grid->locateBox()->geometry().bottom() >= grid->geometry().bottom() - 4);
    QCOMPARE(grid->currentIndex().row(), 5);

    // A character that matches nothing is dropped; Backspace shortens anyway.
    typeText(grid, QStringLiteral("ю"));
    QCOMPARE(grid->locateText(), QStringLiteral("н"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 150);
    QTest::keyClick(grid, Qt::Key_Backspace);
    QCOMPARE(grid->locateText(), QString());
    QVERIFY(grid->locateMode());

    typeText(grid, QStringLiteral("Ж"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 123);
    typeText(grid, QStringLiteral("\b"));
    typeText(grid, QStringLiteral("к"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 124);
    QTest::keyClick(grid, Qt::Key_F3);
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 124);
    QCOMPARE(grid->locateText(), QStringLiteral("к"));

    grid->StopLocate();
    typeText(grid, QStringLiteral("с"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 322);
    typeText(grid, QStringLiteral("\b"));
    typeText(grid, QStringLiteral("м"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 410);
    QTest::keyClick(grid, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 410);

    // Leaving the grid ends locate mode and hides the box.
    QTest::keyClick(grid, Qt::Key_Escape);
    QVERIFY(!grid->locateMode());
    QVERIFY(!grid->locateBox()->isVisible());
}

void TestGrids::caseSensitiveLocateDoesNotFoldCyrillic()
{
    auto table = pollutants();
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("NAME"));
    grid.setLocEnabled(true);
    grid.setLocCaseSensitive(true);
    grid.setReadOnly(true);
    grid.setDataSource(&source);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    typeText(&grid, QStringLiteral("м"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 703);
    QCOMPARE(grid.locateText(), QString());
    typeText(&grid, QStringLiteral("М"));
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 410);
}

void TestGrids::typingWhileEditingNeverLocates()
{
    auto table = pollutants();
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("NAME"));
    grid.setLocEnabled(true);
    grid.setDataSource(&source);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    table->edit();
    typeText(&grid, QStringLiteral("м"));
    QVERIFY(!grid.locateMode());
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 703);
    QVERIFY(grid.cellEditor());
}

// ---------------------------------------------------------------- pick list and picker

void TestGrids::listTitlesSplitLikeTheProgramsLists_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("commas") << QStringLiteral("Код,Наименование")
                            << QStringList{QStringLiteral("Код"), QStringLiteral("Наименование")};
    QTest::newRow("blanks split too")
        << QStringLiteral("Код ЗВ,Имя")
        << QStringList{QStringLiteral("Код"), QStringLiteral("ЗВ"), QStringLiteral("Имя")};
    QTest::newRow("quoted keeps blanks and commas")
        << QStringLiteral("\"Код ЗВ\",\"a,b\"")
        << QStringList{QStringLiteral("Код ЗВ"), QStringLiteral("a,b")};
    QTest::newRow("empty item between commas")
        << QStringLiteral("a,,b")
        << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")};
    QTest::newRow("trailing comma")
        << QStringLiteral("a,") << QStringList{QStringLiteral("a"), QString()};
}

void TestGrids::listTitlesSplitLikeTheProgramsLists()
{
    QFETCH(QString, text);
    QFETCH(QStringList, items);
    QCOMPARE(TLookupList::splitTitles(text), items);
}

namespace {

struct PickerFixture
{
    std::unique_ptr<TozMemoryData> section = makeTable(
        {{703, QString(), 1}, {322, QString(), 2}, {0, QString(), 3}}, QStringLiteral("R2Table"));
    std::unique_ptr<TozMemoryData> classifier = pollutants();
    TDataSource source;
    QWidget window;
    TLookupGrid* grid = nullptr;

    PickerFixture()
    {
        source.setDataSet(section.get());
        window.resize(500, 300);
        grid = new TLookupGrid(&window);
        grid->setGeometry(10, 10, 480, 200);
        grid->addColumn(QStringLiteral("CODE"), QStringLiteral("1"), 60);
        grid->addColumn(QStringLiteral("AMOUNT"), QStringLiteral("2"), 100);
        grid->gridColumn(0)->setReadOnly(true);
        grid->setDataSource(&source);
        grid->OnSelectedList = [this](TLookupGrid&, TLookupList*& list) {
            list =
                PrepareListPicker(&source, classifier.get(), QStringLiteral("CODE,CODE"),
                                  QStringLiteral("CODE;NAME"), QStringLiteral("Код,Наименование"));
        };
    }
};

// Runs the check inside the modal loop of the picker once it is shown.
void whenPickerShown(std::function<void(TListForm&)> check)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, check] {
        TListForm* form = ListForm();
        if (!form || !form->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        check(*form);
        // A failed check must not leave the modal loop running.
        if (form->isVisible())
            form->lookupList()->CloseUp(false);
    });
    timer->start();
}

} // namespace

void TestGrids::listPickerChoosesValueIntoEditedRecord()
{
    PickerFixture f;
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.grid->setFocus();
    f.section->next();
    f.section->next();
    QCOMPARE(f.grid->currentIndex().row(), 2);
    f.section->edit();
    f.section->fieldByName(QStringLiteral("CODE")).setAsInteger(12);
    f.section->post();

    bool checked = false;
    whenPickerShown([&](TListForm& form) {
        TLookupList* list = form.lookupList();
        QCOMPARE(list->columnsCount(), 2);
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Наименование"));
        // Opened on the first row whose code begins with the row's value.
        QCOMPARE(f.classifier->fieldByName(QStringLiteral("CODE")).asInteger(), 123);
        const QRect cell = f.grid->visualRect(f.grid->currentIndex());
        const QPoint below = f.grid->viewport()->mapToGlobal(cell.bottomLeft());
        QCOMPARE(form.pos(), QPoint(below.x(), below.y() + 1));
        QVERIFY(form.height() < 300);
        list->setSelectedColumn(1);
        typeText(list, QStringLiteral("к"));
        QCOMPARE(f.classifier->fieldByName(QStringLiteral("CODE")).asInteger(), 124);
        QTest::keyClick(list, Qt::Key_Return);
        checked = true;
    });
    f.grid->ShowLookupList();
    QVERIFY(checked);
    QVERIFY(!ListForm()->isVisible());
    QCOMPARE(f.section->state(), TDataSetState::dsBrowse);
    QCOMPARE(f.section->fieldByName(QStringLiteral("CODE")).asInteger(), 124);
    QCOMPARE(cellText(*f.grid->model(), 2, 0), QStringLiteral("124"));
    QVERIFY(m_ui->calls.isEmpty());
}

void TestGrids::listPickerEscLeavesRecordUnchanged()
{
    PickerFixture f;
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.grid->setFocus();
    f.section->setChanged(false);
    bool checked = false;
    whenPickerShown([&](TListForm& form) {
        QCOMPARE(f.classifier->fieldByName(QStringLiteral("CODE")).asInteger(), 703);
        QTest::keyClick(form.lookupList(), Qt::Key_Down);
        QTest::keyClick(form.lookupList(), Qt::Key_Escape);
        checked = true;
    });
    f.grid->ShowLookupList();
    QVERIFY(checked);
    QCOMPARE(f.section->state(), TDataSetState::dsBrowse);
    QCOMPARE(f.section->fieldByName(QStringLiteral("CODE")).asInteger(), 703);
    QVERIFY(!f.section->changed());
}

void TestGrids::listPickerFillsANewRow()
{
    PickerFixture f;
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.grid->setFocus();
    f.section->last();
    QTest::keyClick(f.grid, Qt::Key_Down);
    QCOMPARE(f.section->state(), TDataSetState::dsInsert);
    // The list window taking the focus does not drop the new row.
    whenPickerShown([&](TListForm& form) {
        QCOMPARE(f.section->state(), TDataSetState::dsInsert);
        QTest::keyClick(form.lookupList(), Qt::Key_Down);
        QTest::keyClick(form.lookupList(), Qt::Key_Return);
    });
    f.grid->ShowLookupList();
    QCOMPARE(f.section->state(), TDataSetState::dsBrowse);
    QCOMPARE(f.section->recordCount(), 4);
    QCOMPARE(f.grid->model()->rowCount(), 4);
    QCOMPARE(cellText(*f.grid->model(), 3, 0), QStringLiteral("123"));
    QCOMPARE(f.grid->currentIndex().row(), 3);
}

void TestGrids::emptyListDisablesChooseAndEnterClosesWithoutChoice()
{
    PickerFixture f;
    f.classifier->ClearRecords();
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    bool checked = false;
    whenPickerShown([&](TListForm& form) {
        QVERIFY(!form.chooseAction()->isEnabled());
        QVERIFY(form.cancelAction()->isEnabled());
        QTest::keyClick(form.lookupList(), Qt::Key_Return);
        checked = true;
    });
    f.grid->ShowLookupList();
    QVERIFY(checked);
    QVERIFY(!ListForm()->isVisible());
    QCOMPARE(f.section->fieldByName(QStringLiteral("CODE")).asInteger(), 703);
    QCOMPARE(f.section->state(), TDataSetState::dsBrowse);
}

void TestGrids::sortingByColumnTitleKeepsHighlightedRow()
{
    PickerFixture f;
    TLookupList* list =
        PrepareListPicker(&f.source, f.classifier.get(), QStringLiteral("CODE,CODE"),
                          QStringLiteral("CODE;NAME"), QStringLiteral("Код,Наименование"));
    TListForm* form = ListForm();
    QVERIFY(form);
    QCOMPARE(form->lookupList(), list);
    QCOMPARE(list->model()->rowCount(), 6);
    f.classifier->locate(QStringLiteral("CODE"), 410);
    list->setColumnWidth(0, 77);
    form->show();
    QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(list->horizontalHeader()->sectionViewportPosition(1) + 5, 5));
    QCOMPARE(cellText(*list->model(), 0, 1), QStringLiteral("Ванадий"));
    QCOMPARE(cellText(*list->model(), 5, 1), QStringLiteral("Серная кислота"));
    QCOMPARE(f.classifier->fieldByName(QStringLiteral("CODE")).asInteger(), 410);
    QCOMPARE(list->currentIndex().row(), 3);
    form->hide();
    QVERIFY(!list->dataSet());

    // The same columns again keep their widths; titles are set anew.
    PrepareListPicker(&f.source, f.classifier.get(), QStringLiteral("CODE,CODE"),
                      QStringLiteral("CODE;NAME"), QStringLiteral("Шифр,Имя"));
    QCOMPARE(list->columnWidth(0), 77);
    QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Шифр"));
}

void TestGrids::listOpensAboveEditorNearScreenBottom()
{
    PickerFixture f;
    TLookupList* list =
        PrepareListPicker(&f.source, f.classifier.get(), QStringLiteral("CODE,CODE"),
                          QStringLiteral("CODE;NAME"), QStringLiteral("Код,Наименование"));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect anchor(area.right() - 50, area.bottom() - 40, 60, 20);
    QRect shown;
    whenPickerShown([&](TListForm& form) {
        shown = form.geometry();
        QTest::keyClick(form.lookupList(), Qt::Key_Escape);
    });
    list->DropDown(nullptr, &f.section->fieldByName(QStringLiteral("CODE")), anchor);
    QVERIFY(shown.isValid());
    QCOMPARE(shown.bottom(), anchor.top() - 1);
    QCOMPARE(shown.right(), area.right());
}

void TestGrids::dbEditEntersTextAndMovesRecordsWithPageKeys()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}});
    TDataSource source;
    source.setDataSet(table.get());
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new TOZDBEdit(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    edit->setDataSource(&source);
    edit->setDataField(QStringLiteral("AMOUNT"));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(edit->text(), QStringLiteral("1,000"));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("3.25"));
    QCOMPARE(edit->text(), QStringLiteral("3,25"));
    QCOMPARE(table->state(), TDataSetState::dsEdit);
    QTest::keyClick(edit, Qt::Key_PageDown);
    QCOMPARE(table->state(), TDataSetState::dsBrowse);
    QCOMPARE(table->fieldByName(QStringLiteral("CODE")).asInteger(), 2);
    QCOMPARE(edit->text(), QStringLiteral("2,000"));
    QTest::keyClick(edit, Qt::Key_PageUp);
    QCOMPARE(table->fieldByName(QStringLiteral("AMOUNT")).asFloat(), 3.25);

    // A refused edit leaves the box as it was.
    table->setCanEdit(false);
    QTest::keyClicks(edit, QStringLiteral("9"));
    QCOMPARE(table->state(), TDataSetState::dsBrowse);
    QCOMPARE(table->fieldByName(QStringLiteral("AMOUNT")).asFloat(), 3.25);
    QVERIFY(m_ui->calls.isEmpty());
}

void TestGrids::lookupEditEnterChoosesFromTheList()
{
    PickerFixture f;
    auto* edit = new TLookupEdit(&f.window);
    edit->setGeometry(10, 220, 100, 24);
    edit->setDataSource(&f.source);
    edit->setDataField(QStringLiteral("CODE"));
    edit->OnSelectedList = [&f](TLookupEdit&, TLookupList*& list) {
        list = PrepareListPicker(&f.source, f.classifier.get(), QStringLiteral("CODE,CODE"),
                                 QStringLiteral("CODE;NAME"), QStringLiteral("Код,Наименование"));
    };
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    edit->setFocus();
    QCOMPARE(edit->text(), QStringLiteral("703"));
    QPoint shownAt;
    whenPickerShown([&](TListForm& form) {
        shownAt = form.pos();
        QTest::keyClick(form.lookupList(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(form.lookupList(), Qt::Key_Return);
    });
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(shownAt, edit->mapToGlobal(QPoint(0, edit->height())));
    QCOMPARE(f.section->fieldByName(QStringLiteral("CODE")).asInteger(), 150);
    QCOMPARE(f.section->state(), TDataSetState::dsBrowse);
    QCOMPARE(edit->text(), QStringLiteral("150"));
}

void TestGrids::editBoxColourFollowsReadOnlyAndEnabled()
{
    const QColor window = QApplication::palette().color(QPalette::Base);
    const QColor face = QApplication::palette().color(QPalette::Button);
    QVERIFY(window != face);
    TOZDBEdit readOnly;
    readOnly.setReadOnly(true);
    readOnly.Loaded();
    QCOMPARE(readOnly.palette().color(QPalette::Base), face);

    TOZDBEdit edit;
    QPalette p = edit.palette();
    p.setColor(QPalette::Base, QColor(255, 255, 224));
    edit.setPalette(p);
    edit.Loaded();
    QCOMPARE(edit.palette().color(QPalette::Base), QColor(255, 255, 224));
    edit.setEnabled(false);
    QCOMPARE(edit.palette().color(QPalette::Disabled, QPalette::Base), face);
    edit.setEnabled(true);
    QCOMPARE(edit.palette().color(QPalette::Active, QPalette::Base), QColor(255, 255, 224));
}

void TestGrids::clickOnListRowChoosesIt()
{
    PickerFixture f;
    f.window.show();
    f.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.window));
    f.grid->setFocus();
    whenPickerShown([&](TListForm& form) {
        TLookupList* list = form.lookupList();
        // A click on a title never closes the list; it sorts it by the codes.
        QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(list->horizontalHeader()->sectionViewportPosition(0) + 5, 5));
        QVERIFY(form.isVisible());
        const QRect row = list->visualRect(list->model()->index(3, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    });
    f.grid->ShowLookupList();
    QCOMPARE(f.section->fieldByName(QStringLiteral("CODE")).asInteger(), 322);
    QCOMPARE(f.window.focusWidget(), f.grid);
}

void TestGrids::ozGridHintsAndCellParameters()
{
    auto table = makeTable({{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}});
    TDataSource source;
    source.setDataSet(table.get());
    TOZGrid grid;
    auto* code = grid.ozColumn(grid.columnsCount() - 1);
    QVERIFY(!code);
    grid.addColumn(QStringLiteral("CODE"), QStringLiteral("1"), 60);
    grid.addColumn(QStringLiteral("AMOUNT"), QStringLiteral("2"), 80);
    grid.ozColumn(1)->setFullName(QStringLiteral("Выброс за отчетный год"));
    QCOMPARE(
        grid.model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
        Qt::Alignment(Qt::AlignCenter));
    QList<std::pair<QString, bool>> calls;
    grid.OnGetCellParams = [&](TOZGrid&, TField* field, QFont&, QColor& background,
                               bool highlight) {
        calls.append({field ? field->fieldName() : QString(), highlight});
        if (field && field->fieldName() == QStringLiteral("AMOUNT") && !highlight)
            background = QColor(255, 255, 0);
    };
    grid.setDataSource(&source);
    grid.resize(300, 150);
    grid.show();
    grid.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&grid));
    grid.setFocus();
    QCOMPARE(grid.toolTip(), QStringLiteral("1"));
    grid.setSelectedColumn(1);
    QCOMPARE(grid.toolTip(), QStringLiteral("Выброс за отчетный год"));

    calls.clear();
    const QImage image = grid.grab().toImage();
    QVERIFY(calls.contains(std::pair(QStringLiteral("AMOUNT"), true)));
    QVERIFY(calls.contains(std::pair(QStringLiteral("AMOUNT"), false)));
    QVERIFY(calls.contains(std::pair(QStringLiteral("CODE"), false)));
    const QRect cell = grid.visualRect(grid.model()->index(1, 1));
    const QPoint inside = grid.viewport()->mapTo(&grid, cell.topLeft() + QPoint(3, 3));
    QCOMPARE(image.pixelColor(inside * image.devicePixelRatio()), QColor(255, 255, 0));
}

void TestGrids::indicatorHookSeesEveryDrawnRow()
{
    auto table = makeTable(
        {{1, QStringLiteral("a"), 1}, {2, QStringLiteral("b"), 2}, {3, QStringLiteral("c"), 3}});
    TDataSource source;
    source.setDataSet(table.get());
    TDBLocateGrid grid;
    grid.addColumn(QStringLiteral("NAME"));
    grid.setDataSource(&source);
    grid.setIndicatorWidth(14);
    QMap<int, QString> seen;
    QList<int> current;
    grid.OnDrawIndicator = [&](TDBLocateGrid& sender, int row, const QRect&, QStyle::State state) {
        seen[row] = sender.dataModel()->rowFieldText(row, QStringLiteral("NAME"));
        if (state & QStyle::State_Selected)
            current.append(row);
    };
    table->next();
    grid.resize(200, 150);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.grab();
    QCOMPARE(grid.verticalHeader()->width(), 14);
    QCOMPARE(seen.value(0), QStringLiteral("a"));
    QCOMPARE(seen.value(2), QStringLiteral("c"));
    QVERIFY(!current.isEmpty());
    QCOMPARE(current.last(), 1);
    QCOMPARE(table->fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("b"));
}

QTEST_MAIN(TestGrids)
#include "tst_Grids.moc"

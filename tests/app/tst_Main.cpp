#include <clocale>
#include <string>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "AboutNew.h"
#include "AppErrors.h"
#include "Cp1251.h"
#include "DataControls.h"
#include "DataSetModel.h"
#include "DesktopLauncher.h"
#include "Errors.h"
#include "FormatSettings.h"
#include "HeaderCaptions.h"
#include "LookupEdit.h"
#include "LookupList.h"
#include "MDM.h"
#include "Main.h"
#include "OZGrid.h"
#include "ProgramFolder.h"
#include "ProgramWindows.h"
#include "ReportSections.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "Vubor.h"
#include "ozField.h"

namespace {

QString readCp1251(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return Cp1251::decode(file.readAll());
}

// Gives the window an organisation, so that the pick list may open.
void addOrganisation(TF2tpForm& form)
{
    TozMemoryData& card = form.dm().PrTable();
    card.append();
    card.fieldByName(QStringLiteral("KOD")).setAsString(QStringLiteral("7701000001001"));
    card.fieldByName(QStringLiteral("PNAZ")).setAsString(QStringLiteral("ООО \"Заря\""));
    card.post();
    form.RefreshContext();
}

// The files of the folder's "data", each with its size.
QStringList dataFiles(const ProgramFolder& folder)
{
    QStringList result;
    for (const QFileInfo& file :
         QDir(folder.path() + QStringLiteral("data")).entryInfoList(QDir::Files))
        result.append(file.fileName() + QLatin1Char(' ') + QString::number(file.size()));
    return result;
}

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList result;
    for (const char* text : texts)
        result.append(QString::fromUtf8(text));
    return result;
}

int rowOf(TDataSetModel* model, const QString& fieldName, const QString& text)
{
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->rowFieldText(row, fieldName, false) == text)
            return row;
    }
    return -1;
}

QStringList columnTexts(TDataSetModel* model, const QString& fieldName)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->rowFieldText(row, fieldName, false));
    return texts;
}

// Types text into a cell as a user would: the first key opens the cell's
// editor, the rest goes to the editor, Return enters it.
void typeIntoCell(TOZGrid* grid, int row, int column, const QString& text)
{
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(row, column));
    QTest::keyClick(grid, text.at(0).toLatin1());
    QWidget* editor = grid->cellEditor();
    QVERIFY(editor);
    for (qsizetype i = 1; i < text.size(); ++i)
        QTest::keyClick(editor, text.at(i).toLatin1());
    QTest::keyClick(editor, Qt::Key_Return);
}

// Takes the addresses the program hands to the desktop.
class RecordingLauncher final : public TDesktopLauncher
{
public:
    bool openUrl(const QUrl& url) override
    {
        urls.append(url);
        return true;
    }
    void showCompiledHelp(const QString&, QWidget*) override {}

    QList<QUrl> urls;
};

} // namespace

class TestMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void firstStartShowsTheFixedRows();
    void windowFrameHasItsCommands();
    void altDigitShowsTheSectionPage();
    void typedNumberIsRoundedAndTotalled();
    void editorsOpenOnlyWhereASectionAllowsTyping();
    void sectionFourSharesItsTextColumnsAsTheFormSays();
    void f8ChoosesPollutantForNewRow();
    void enterOpensPickListOnlyInCodeAndNameColumns();
    void deleteCommandAsksAndReleasesThePollutant();
    void ctrlDeleteRemovesOnlyTheAddedMeasure();
    void yearFieldRejectsWrongYears();
    void closingWritesSectionsAndSettings();
    void failedSaveAtCloseKeepsTheWindowAndTheValue();
    void reportFolderIsNamedAndOpened();
    void headerCaptionsStandOverTheirColumns();
    void measureTextBoxEditsTheMeasureName();
    void unhandledErrorsReachTheErrorDisplay();
    void errorBoxesHaveTheirCaptions();
    void russianLocaleTakesCommaAndPoint();
    void refusedNumberShowsOneError();
    void damagedDataFileEndsTheStartNamingIt();

private:
    // Builds the window over the scratch folder, shows it and makes it active.
    TF2tpForm* openWindow();

    std::unique_ptr<ProgramFolder> m_program;
    std::unique_ptr<TDM> m_dm;
    QPointer<TF2tpForm> m_form;
    std::unique_ptr<TScriptedUserInterface> m_recorder;
};

void TestMain::init()
{
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    m_program = ProgramFolder::withProgramData();
    QVERIFY(m_program->valid());
    m_dm = std::make_unique<TDM>(m_program->path());
    m_recorder = std::make_unique<TScriptedUserInterface>();
}

void TestMain::cleanup()
{
    delete m_form;
    m_dm.reset();
    m_program.reset();
    m_recorder.reset();
}

TF2tpForm* TestMain::openWindow()
{
    m_form = new TF2tpForm(*m_dm);
    m_form->resize(1100, 760);
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form))
        return nullptr;
    return m_form;
}

void TestMain::firstStartShowsTheFixedRows()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QCOMPARE(form->yearEdit()->text(), QStringLiteral("2000"));
    QCOMPARE(m_dm->CurrentYear(), 2000);
    QVERIFY(form->organisationEdit()->text().isEmpty());
    QVERIFY(form->regionEdit()->text().isEmpty());
    QCOMPARE(form->pages()->currentIndex(), 0);

    const QStringList expected[5] = {
        strings({"101", "102", "103", "104", "105", "106", "107", "108", "109"}),
        strings({"201", "202", "203"}),
        strings({"301", "302", "303"}),
        strings({"401", "402", "403", "404", "405"}),
        strings({"501", "502", "503", "504", "505"}),
    };
    for (int section = 1; section <= 5; ++section)
        QCOMPARE(columnTexts(form->grid(section)->dataModel(), QStringLiteral("CA")),
                 expected[section - 1]);
    QCOMPARE(columnTexts(form->grid(2)->dataModel(), QStringLiteral("C1")),
             strings({"703", "322", "410"}));
    // Values are empty: section 1 shows "-", the others nothing.
    QCOMPARE(form->grid(1)->dataModel()->rowFieldText(3, QStringLiteral("C2")),
             QStringLiteral("-"));
    QCOMPARE(form->grid(3)->dataModel()->rowFieldText(0, QStringLiteral("C1")), QString());
    // Section 1's codes and names come from the row templates.
    QVERIFY(!form->grid(1)->dataModel()->rowFieldText(3, QStringLiteral("CB")).isEmpty());
}

void TestMain::windowFrameHasItsCommands()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), QStringLiteral("Заполнение данных для формы № 2-тп (воздух)"));
    QCOMPARE(form->minimumSize(), QSize(640, 480));

    struct Command
    {
        QAction* action;
        const char* caption;
        const char* hint;
        QKeySequence shortcut;
    };
    const Command commands[] = {
        {form->VubAct(), "Выбор ЗВ", "Выбор загрязняющего вещества", QKeySequence(Qt::Key_F8)},
        {form->DelAct(), "Удалить", "Удалить запись", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
        {form->HelpAct(), "Руководство пользователя", "Помощь", QKeySequence(Qt::Key_F1)},
        {form->CloseAct(), "Выход", "Выход", QKeySequence(Qt::ALT | Qt::Key_F4)},
        {form->AboutAct(), "О программе...", "О программе...", QKeySequence()},
        {form->AboutVltAct(), "О ПК \"Велта\"...", "О ПК \"Велта\"...", QKeySequence()},
    };
    for (const Command& command : commands) {
        QCOMPARE(command.action->text(), QString::fromUtf8(command.caption));
        QCOMPARE(command.action->toolTip(), QString::fromUtf8(command.hint));
        QCOMPARE(command.action->shortcut(), command.shortcut);
    }
    for (int section = 1; section <= 5; ++section)
        QCOMPARE(form->sectionAct(section)->shortcut(),
                 QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + section)));

    const QList<QAction*> help = form->helpMenu()->actions();
    QCOMPARE(help.size(), 6);
    QCOMPARE(help.at(1)->text(), QStringLiteral("Инструкция по заполнению формы"));
    QVERIFY(help.at(2)->isSeparator());
    QCOMPARE(help.at(3), form->AboutAct());
    QCOMPARE(help.at(5), form->AboutVltAct());
    QCOMPARE(form->serviceMenu()->actions().first(), form->DelAct());

    for (int section = 1; section <= 5; ++section)
        QCOMPARE(form->pages()->tabText(section - 1), QStringLiteral("Раздел"));
    QCOMPARE(form->pages()->tabToolTip(0),
             QStringLiteral("Выбросы загрязняющих веществ в атмосферу, их очистка и утилизация"));
    QCOMPARE(form->titleBar(3)->text(), QStringLiteral("Источники загрязнения атмосферы"));
    QVERIFY(form->footnote(3) == nullptr);
    QCOMPARE(form->footnote(4)->text(),
             QStringLiteral("1) Перед цифрой необходимо ставить знак \"-\""));
    // The column titles "A" of sections 1 and 2 are Latin, those of 3 to 5 Cyrillic.
    QCOMPARE(form->grid(1)->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("A"));
    QCOMPARE(form->grid(3)->model()->headerData(0, Qt::Horizontal).toString(),
             QString(QChar(0x0410)));
    QVERIFY(!form->grid(2)->verticalHeader()->isHidden());
    QVERIFY(form->grid(1)->verticalHeader()->isHidden());
    // A column's hint names what stands over it.
    QCOMPARE(form->grid(1)->ozColumn(4)->FullName(),
             QStringLiteral("Выбрасывается без очистки: в том числе от орг. источн. загрязн."));
    QCOMPARE(form->grid(3)->ozColumn(1)->FullName(), QString());
    QCOMPARE(form->yearEdit()->maxLength(), 4);
    QCOMPARE(form->yearEdit()->focusPolicy(), Qt::ClickFocus);
}

void TestMain::altDigitShowsTheSectionPage()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    form->grid(1)->setFocus();
    QTest::keyClick(form->grid(1), Qt::Key_3, Qt::AltModifier);
    QCOMPARE(form->pages()->currentIndex(), 2);
    form->grid(3)->setFocus();
    QTest::keyClick(form->grid(3), Qt::Key_5, Qt::AltModifier);
    QCOMPARE(form->pages()->currentIndex(), 4);
    QTest::keyClick(form->grid(5), Qt::Key_1, Qt::AltModifier);
    QCOMPARE(form->pages()->currentIndex(), 0);
}

void TestMain::typedNumberIsRoundedAndTotalled()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    TOZGrid* grid = form->grid(1);
    TDataSetModel* model = grid->dataModel();
    const int row104 = rowOf(model, QStringLiteral("CA"), QStringLiteral("104"));
    QCOMPARE(row104, 3);
    // Column 2 of the form is the grid's fourth column.
    typeIntoCell(grid, row104, 3, QStringLiteral("12,3456"));
    QTRY_COMPARE(model->rowFieldText(row104, QStringLiteral("C2"), false),
                 QStringLiteral("12,346"));
    QTRY_COMPARE(model->rowFieldText(0, QStringLiteral("C2")), QStringLiteral("12,346"));
    QCOMPARE(model->rowFieldText(2, QStringLiteral("C2")), QStringLiteral("12,346"));
    QCOMPARE(model->rowFieldText(1, QStringLiteral("C2")), QStringLiteral("-"));

    // A "." typed with "," as separator is entered as ",".
    const int row102 = 1;
    typeIntoCell(grid, row102, 3, QStringLiteral("1.5"));
    QTRY_COMPARE(model->rowFieldText(row102, QStringLiteral("C2"), false), QStringLiteral("1,5"));
    // Leaving the row posts it; the stored value is the rounded one.
    grid->setCurrentIndex(model->index(5, 3));
    TozMemoryData& r1 = m_dm->R1Table();
    QVERIFY(r1.locate(QStringLiteral("CA"), 104));
    QCOMPARE(r1.fieldByName(QStringLiteral("C2")).asFloat(), 12.346);
    QVERIFY(r1.locate(QStringLiteral("CA"), 101));
    QCOMPARE(r1.fieldByName(QStringLiteral("C2")).asFloat(), 13.846);
    QVERIFY(m_recorder->applicationErrors.isEmpty());
}

void TestMain::f8ChoosesPollutantForNewRow()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    addOrganisation(*form);
    TOZGrid* grid = form->grid(2);

    // Not on another page, and not outside the section 2 grid.
    form->grid(1)->setFocus();
    QVERIFY(!form->VubAct()->isEnabled());
    QTest::keyClick(form->grid(1), Qt::Key_2, Qt::AltModifier);
    QCOMPARE(form->pages()->currentIndex(), 1);
    grid->setFocus();
    QTRY_VERIFY(form->VubAct()->isEnabled());

    // Down on the last row appends a new row.
    grid->setCurrentIndex(grid->model()->index(2, 3));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(m_dm->R2Table().state(), TDataSetState::dsInsert);

    bool listShown = false;
    QTimer::singleShot(100, this, [&] {
        TListForm* picker = ListForm();
        listShown = picker && picker->isVisible();
        if (!picker)
            return;
        // The user moves to pollutant 123 and takes it.
        QVERIFY(m_dm->SprKlzav().locate(QStringLiteral("KDZV"), 123));
        QTest::keyClick(picker->lookupList(), Qt::Key_Return);
    });
    QTest::keyClick(grid, Qt::Key_F8);
    QVERIFY(listShown);
    QCOMPARE(grid->selectedColumn(), 1);

    TozMemoryData& r2 = m_dm->R2Table();
    QTRY_COMPARE(r2.state(), TDataSetState::dsBrowse);
    QCOMPARE(r2.recordCount(), 4);
    QVERIFY(r2.locate(QStringLiteral("C1"), 123));
    QCOMPARE(r2.fieldByName(QStringLiteral("CA")).asInteger(), 204);
    QVERIFY(!r2.fieldByName(QStringLiteral("CB")).asString().isEmpty());
    // A used pollutant is no longer offered.
    QVERIFY(!form->sections().PickListOffers(123));
    QVERIFY(form->sections().PickListOffers(101));
}

void TestMain::enterOpensPickListOnlyInCodeAndNameColumns()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    addOrganisation(*form);
    form->pages()->setCurrentIndex(1);
    TOZGrid* grid = form->grid(2);
    grid->setFocus();

    int shown = 0;
    const auto closeList = [&] {
        TListForm* picker = ListForm();
        if (picker && picker->isVisible()) {
            ++shown;
            QTest::keyClick(picker->lookupList(), Qt::Key_Escape);
        }
    };
    grid->setCurrentIndex(grid->model()->index(0, 2));
    QTimer::singleShot(100, this, closeList);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(shown, 1);
    // Leaving the list without a choice changes nothing.
    QCOMPARE(m_dm->R2Table().fieldByName(QStringLiteral("C1")).asInteger(), 703);
    QVERIFY(!form->sections().PickListOffers(703));

    // Column "2" edits the amount instead.
    grid->setCurrentIndex(grid->model()->index(0, 3));
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::qWait(200);
    QCOMPARE(shown, 1);
    QVERIFY(grid->cellEditor());
    QTest::keyClick(grid->cellEditor(), Qt::Key_Escape);

    // Without an organisation code no list opens.
    m_dm->PrTable().edit();
    m_dm->PrTable().fieldByName(QStringLiteral("KOD")).setAsString(QString());
    m_dm->PrTable().cancel();
    m_dm->PrTable().deleteRecord();
    form->RefreshContext();
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    QTimer::singleShot(100, this, closeList);
    QTest::keyClick(grid, Qt::Key_Return);
    QTest::qWait(200);
    QCOMPARE(shown, 1);
    QVERIFY(!form->VubAct()->isEnabled());
}

void TestMain::deleteCommandAsksAndReleasesThePollutant()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    addOrganisation(*form);
    TozMemoryData& r2 = m_dm->R2Table();
    form->pages()->setCurrentIndex(1);
    TOZGrid* grid = form->grid(2);
    grid->setFocus();
    // The fixed pollutants cannot be deleted.
    grid->setCurrentIndex(grid->model()->index(1, 3));
    QTRY_VERIFY(!form->DelAct()->isEnabled());

    // A row of pollutant 123 at the end.
    r2.append();
    QVERIFY(form->sections().OpenPickList());
    QVERIFY(form->sections().ChoosePollutant(123));
    QCOMPARE(r2.recordCount(), 4);
    grid->setCurrentIndex(grid->model()->index(3, 3));
    QTRY_VERIFY(form->DelAct()->isEnabled());

    // "Нет" and "Отмена" keep the row, "Да" deletes it.
    const QStringList question{QStringLiteral("ask: : Удалить запись?")};
    m_recorder->answer = TAnswer::No;
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_recorder->calls, question);
    m_recorder->answer = TAnswer::Cancel;
    form->DelAct()->trigger();
    QCOMPARE(m_recorder->calls, question + question);
    QCOMPARE(r2.recordCount(), 4);

    // A deletion the table refuses ends at the command, silently.
    m_recorder->answer = TAnswer::Yes;
    r2.setCanDelete(false);
    form->DelAct()->trigger();
    QCOMPARE(r2.recordCount(), 4);
    QVERIFY(m_recorder->applicationErrors.isEmpty());
    // One that fails with an error is shown, and goes no further.
    r2.setCanDelete(true);
    const auto beforeDelete = r2.BeforeDelete;
    r2.BeforeDelete = [](TDataSet&) {
        throw F2tpError(QStringLiteral("Сбой удаления"));
    };
    form->DelAct()->trigger();
    QCOMPARE(m_recorder->applicationErrors, QStringList{QStringLiteral("Сбой удаления.")});
    QCOMPARE(r2.recordCount(), 4);
    r2.BeforeDelete = beforeDelete;
    m_recorder->applicationErrors.clear();

    form->DelAct()->trigger();
    QCOMPARE(r2.recordCount(), 3);
    QVERIFY(form->sections().PickListOffers(123));
    QVERIFY(m_recorder->applicationErrors.isEmpty());
}

void TestMain::ctrlDeleteRemovesOnlyTheAddedMeasure()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    // Sections 1 and 3: nothing is deleted, without a question.
    for (int section : {1, 3, 5}) {
        form->pages()->setCurrentIndex(section - 1);
        TOZGrid* grid = form->grid(section);
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(1, 0));
        const int rows = m_dm->sectionTable(section).recordCount();
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_dm->sectionTable(section).recordCount(), rows);
    }
    form->pages()->setCurrentIndex(3);
    TOZGrid* grid = form->grid(4);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(4, 3));
    // Down on the last row adds one row; it is numbered 406 when posted.
    QTest::keyClick(grid, Qt::Key_Down);
    typeIntoCell(grid, 5, 3, QStringLiteral("2"));
    grid->setCurrentIndex(grid->model()->index(0, 3));
    TozMemoryData& r4 = m_dm->R4Table();
    QCOMPARE(r4.recordCount(), 6);
    QCOMPARE(columnTexts(grid->dataModel(), QStringLiteral("CA")).last(), QStringLiteral("406"));
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(r4.recordCount(), 6);
    grid->setCurrentIndex(grid->model()->index(5, 3));
    QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(r4.recordCount(), 5);
    QVERIFY(m_recorder->applicationErrors.isEmpty());
}

void TestMain::yearFieldRejectsWrongYears()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QLineEdit* year = form->yearEdit();
    const auto enterYear = [&](const QString& text) {
        QTest::mouseClick(year, Qt::LeftButton);
        QTRY_VERIFY(year->hasFocus());
        year->selectAll();
        QTest::keyClick(year, Qt::Key_Backspace);
        QTest::keyClicks(year, text);
        form->grid(1)->setFocus();
    };

    enterYear(QStringLiteral("1999"));
    QCOMPARE(m_recorder->errors, QStringList(QStringLiteral("Неверный год")));
    QCOMPARE(m_dm->CurrentYear(), 2000);
    QTRY_VERIFY(year->hasFocus());
    QVERIFY(form->sections().yearChanged());

    enterYear(QStringLiteral("20a1"));
    QCOMPARE(m_recorder->errors.size(), 2);
    QCOMPARE(m_recorder->errors.last(), QStringLiteral("Неверный год"));
    QCOMPARE(m_dm->CurrentYear(), 2000);
    QTRY_VERIFY(year->hasFocus());

    enterYear(QStringLiteral("2001"));
    QCOMPARE(m_recorder->errors.size(), 2);
    QCOMPARE(m_dm->CurrentYear(), 2001);
    QVERIFY(!form->sections().yearChanged());
    // The rows show the new year in their key column.
    QCOMPARE(form->grid(1)->dataModel()->rowFieldText(0, QStringLiteral("YEAR_")),
             QStringLiteral("2001"));

    // Leaving the unchanged field again checks nothing.
    QTest::mouseClick(year, Qt::LeftButton);
    form->grid(1)->setFocus();
    QCOMPARE(m_recorder->errors.size(), 2);
}

void TestMain::closingWritesSectionsAndSettings()
{
    QFile ini(m_program->path() + QStringLiteral("2tp.ini"));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(Cp1251::encode(QStringLiteral("[PARAMS]\r\nYEAR=2003\r\nPATH=C:\\Отчеты\r\n")));
    ini.close();
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QCOMPARE(form->yearEdit()->text(), QStringLiteral("2003"));
    TOZGrid* grid = form->grid(1);
    // The value is still in the cell's row, not yet posted, when the window closes.
    typeIntoCell(grid, 4, 3, QStringLiteral("7"));
    QTRY_COMPARE(grid->dataModel()->rowFieldText(4, QStringLiteral("C2"), false),
                 QStringLiteral("7"));

    form->close();
    QTRY_VERIFY(m_form.isNull());
    for (int section = 1; section <= 5; ++section)
        QVERIFY(QFile::exists(m_program->dataFile(QStringLiteral("F2TPR%1.xml").arg(section))));
    const QString section1 = readCp1251(m_program->dataFile(QStringLiteral("F2TPR1.xml")));
    QVERIFY2(section1.contains(QStringLiteral("C2=\"7\"")), qPrintable(section1));
    const QString settings = readCp1251(m_program->path() + QStringLiteral("2tp.ini"));
    QVERIFY(settings.contains(QStringLiteral("YEAR=2003")));
    QVERIFY(settings.contains(QStringLiteral("PATH=C:\\Отчеты")));
}

void TestMain::failedSaveAtCloseKeepsTheWindowAndTheValue()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    typeIntoCell(form->grid(1), 3, 3, QStringLiteral("12,5"));
    // Section 1's file cannot be written: a folder stands in its place.
    const QString blocked = m_program->dataFile(QStringLiteral("F2TPR1.xml"));
    QVERIFY(QDir().mkpath(blocked));

    QVERIFY(!form->close());
    QTest::qWait(50);
    QVERIFY(!m_form.isNull());
    QVERIFY(form->isVisible());
    QCOMPARE(m_recorder->applicationErrors.size(), 1);
    QCOMPARE(form->grid(1)->dataModel()->rowFieldText(3, QStringLiteral("C2"), false),
             QStringLiteral("12,5"));

    // The cause mended, the window closes and the value is in the file.
    QVERIFY(QDir(blocked).removeRecursively());
    QVERIFY(form->close());
    QTRY_VERIFY(m_form.isNull());
    QCOMPARE(m_recorder->applicationErrors.size(), 1);
    QVERIFY(readCp1251(blocked).contains(QStringLiteral("C2=\"12.5\"")));
}

void TestMain::reportFolderIsNamedAndOpened()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QVERIFY(form->serviceMenu()->actions().contains(form->ReportFolderAct()));
    QCOMPARE(form->ReportFolderAct()->text(), QStringLiteral("Папка отчета"));
    RecordingLauncher launcher;
    const ScopedDesktopLauncher scope(launcher);
    form->ReportFolderAct()->trigger();
    QCOMPARE(launcher.urls, QList<QUrl>{QUrl::fromLocalFile(m_dm->ReportDir())});

    QString named;
    QTimer::singleShot(0, form, [&named] {
        auto* about = qobject_cast<TFAbout*>(QApplication::activeModalWidget());
        if (!about)
            return;
        named = about->reportFolderLabel()->text();
        about->accept();
    });
    form->AboutAct()->trigger();
    QCOMPARE(named, QStringLiteral("Папка отчета: ") + QDir::toNativeSeparators(m_dm->ReportDir()));
}

void TestMain::headerCaptionsStandOverTheirColumns()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    for (const QSize size : {QSize(1100, 760), QSize(1280, 900), QSize(900, 600)}) {
        form->resize(size);
        for (int section = 1; section <= 5; ++section) {
            form->pages()->setCurrentIndex(section - 1);
            QTest::qWait(20);
            TOZGrid* grid = form->grid(section);
            QHeaderView* header = grid->horizontalHeader();
            // The columns fill the grid's width exactly.
            int total = 0;
            for (int i = 0; i < header->count(); ++i)
                total += header->sectionSize(i);
            if (grid->viewport()->width() > 700)
                QCOMPARE(total, grid->viewport()->width());
            THeaderCaptions* captions = form->headerCaptions(section);
            QCOMPARE(captions->mapTo(form, QPoint(0, 0)).x(), grid->mapTo(form, QPoint(0, 0)).x());
            for (QLabel* caption : captions->captions()) {
                const int first = captions->firstColumn(caption);
                const int last = captions->lastColumn(caption);
                // Its frame stands on the column lines left of first and right of last.
                const int left =
                    grid->viewport()
                        ->mapTo(form, QPoint(header->sectionViewportPosition(first) - 1, 0))
                        .x();
                const int right = grid->viewport()
                                      ->mapTo(form, QPoint(header->sectionViewportPosition(last) +
                                                               header->sectionSize(last) - 1,
                                                           0))
                                      .x();
                const QRect place(caption->mapTo(form, QPoint(0, 0)), caption->size());
                QCOMPARE(place.left(), left);
                QCOMPARE(place.right(), right);
                // Every text fits, in height and word by word in width.
                QVERIFY2(caption->heightForWidth(caption->width()) <= caption->height(),
                         qPrintable(caption->text()));
                const QFontMetrics metrics(caption->font());
                for (const QString& word : caption->text().split(QLatin1Char(' ')))
                    QVERIFY2(metrics.horizontalAdvance(word) <= caption->contentsRect().width(),
                             qPrintable(word));
            }
        }
    }
    // A column the user widens carries its captions along.
    form->pages()->setCurrentIndex(0);
    QHeaderView* header = form->grid(1)->horizontalHeader();
    header->resizeSection(3, header->sectionSize(3) + 30);
    QLabel* group = form->headerCaptions(1)->captions().at(3);
    QCOMPARE(group->text(), QStringLiteral("Выбрасывается без очистки"));
    QCOMPARE(group->width(), header->sectionSize(3) + header->sectionSize(4) + 1);
}

void TestMain::measureTextBoxEditsTheMeasureName()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    form->pages()->setCurrentIndex(3);
    TOZGrid* grid = form->grid(4);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(1, 3));
    TDBMemo* box = form->measureText();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, QStringLiteral("Фильтр"),
                        Qt::NoModifier);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(2, 3));
    // The box follows the current row.
    QVERIFY(box->toPlainText().isEmpty());
    TozMemoryData& r4 = m_dm->R4Table();
    QVERIFY(r4.locate(QStringLiteral("CA"), 402));
    QCOMPARE(r4.fieldByName(QStringLiteral("CC")).asString(), QStringLiteral("Фильтр"));
    QCOMPARE(grid->dataModel()->rowFieldText(1, QStringLiteral("CC")), QStringLiteral("Фильтр"));
}

namespace {

// Throws from its event handler, as a command handler may.
class ThrowingWidget final : public QWidget
{
public:
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent*) override { onClick(); }
};

} // namespace

void TestMain::unhandledErrorsReachTheErrorDisplay()
{
    QVERIFY(qobject_cast<TF2tpApplication*>(qApp));
    ThrowingWidget widget;
    widget.resize(50, 50);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    const struct
    {
        std::function<void()> raise;
        QStringList shown;
    } cases[] = {
        {[] { throw F2tpError(QStringLiteral("Файл не найден")); },
         {QStringLiteral("Файл не найден.")}},
        {[] { throw F2tpError(QStringLiteral("Готово!")); }, {QStringLiteral("Готово!")}},
        {[] { throw EDatabaseError(QStringLiteral("R1Table: Поле 'X' не найдено")); },
         {QStringLiteral("R1Table: Поле 'X' не найдено.")}},
        {[] { throw EAbort(); }, {}},
    };
    for (const auto& entry : cases) {
        m_recorder->applicationErrors.clear();
        widget.onClick = entry.raise;
        QTest::mouseClick(&widget, Qt::LeftButton);
        QCOMPARE(m_recorder->applicationErrors, entry.shown);
    }
    QCOMPARE(ApplicationTitle(), QStringLiteral("Форма №2-тп (воздух)"));
}

void TestMain::errorBoxesHaveTheirCaptions()
{
    TDesktopInterface boxes;
    QStringList seen;
    // Notes the caption, icon and text of the next box and closes it with its first button.
    const auto readAndClose = [&] {
        QTimer::singleShot(100, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.append(box->windowTitle() + QLatin1Char('|') + QString::number(box->icon()) +
                        QLatin1Char('|') + box->text());
            box->buttons().constFirst()->click();
        });
    };
    readAndClose();
    boxes.showError(QStringLiteral("Неверный год"));
    readAndClose();
    boxes.showApplicationError(QStringLiteral("Нет места на диске."));
    // Boxes the program gives no caption show the application's title.
    readAndClose();
    boxes.ask(QString(), QStringLiteral("Удалить запись?"), TQuestionButtons::YesNoCancel);
    readAndClose();
    boxes.showInformation(QString(), QStringLiteral("Перенос данных закончен"));
    readAndClose();
    boxes.showWarning(QStringLiteral("Внимание"), QStringLiteral("Сумма не сходится"));
    QCOMPARE(seen, strings({"Ошибка|3|Неверный год", "Форма №2-тп (воздух)|3|Нет места на диске.",
                            "Форма №2-тп (воздух)|4|Удалить запись?",
                            "Форма №2-тп (воздух)|1|Перенос данных закончен",
                            "Внимание|2|Сумма не сходится"}));
    // No window title gets the application's name appended to it.
    QVERIFY(QGuiApplication::applicationDisplayName().isEmpty() ||
            QGuiApplication::applicationDisplayName() == QCoreApplication::applicationName());
}

// The C library's locale for one test, as the program gets it from LANG.
class RussianCLocale
{
public:
    RussianCLocale()
        : m_previous(std::setlocale(LC_ALL, nullptr))
    {
        m_available = std::setlocale(LC_ALL, "ru_RU.UTF-8") != nullptr;
    }
    ~RussianCLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    bool available() const { return m_available; }

private:
    std::string m_previous;
    bool m_available = false;
};

void TestMain::russianLocaleTakesCommaAndPoint()
{
    const RussianCLocale locale;
    if (!locale.available()) {
        if (qgetenv("CI") == "true")
            QFAIL("the locale ru_RU.UTF-8 is missing");
        QSKIP("the locale ru_RU.UTF-8 is missing");
    }
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    TOZGrid* grid = form->grid(1);
    TDataSetModel* model = grid->dataModel();
    const int row104 = rowOf(model, QStringLiteral("CA"), QStringLiteral("104"));
    typeIntoCell(grid, row104, 3, QStringLiteral("12,5"));
    QTRY_COMPARE(model->rowFieldText(row104, QStringLiteral("C2"), false), QStringLiteral("12,5"));
    typeIntoCell(grid, row104 + 1, 3, QStringLiteral("0.25"));
    QTRY_COMPARE(model->rowFieldText(row104 + 1, QStringLiteral("C2"), false),
                 QStringLiteral("0,25"));
    grid->setCurrentIndex(model->index(row104 + 3, 3));
    QTRY_COMPARE(model->rowFieldText(0, QStringLiteral("C2")), QStringLiteral("12,75"));
    QVERIFY(m_recorder->errors.isEmpty());
    QVERIFY(m_recorder->applicationErrors.isEmpty());

    // The file holds "." whatever the locale, and the next start reads it back.
    form->close();
    delete m_form;
    const QString saved = readCp1251(m_program->dataFile(QStringLiteral("F2TPR1.xml")));
    QVERIFY(saved.contains(QStringLiteral("C2=\"12.5\"")));
    QVERIFY(saved.contains(QStringLiteral("C2=\"12.75\"")));
    m_dm = std::make_unique<TDM>(m_program->path());
    form = openWindow();
    QVERIFY(form);
    model = form->grid(1)->dataModel();
    QCOMPARE(model->rowFieldText(row104, QStringLiteral("C2"), false), QStringLiteral("12,5"));
}

void TestMain::refusedNumberShowsOneError()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    // As a modal box does, the error takes the focus from the grid's cell editor.
    QLineEdit box;
    m_recorder->whileShown = [&box] {
        box.show();
        QApplication::setActiveWindow(&box);
        box.setFocus();
        QCoreApplication::processEvents();
        box.hide();
    };
    TOZGrid* grid = form->grid(1);
    TDataSetModel* model = grid->dataModel();
    const int row104 = rowOf(model, QStringLiteral("CA"), QStringLiteral("104"));
    typeIntoCell(grid, row104, 3, QStringLiteral("1x"));
    QTest::qWait(50);
    m_recorder->whileShown = nullptr;
    QCOMPARE(m_recorder->errors.size() + m_recorder->applicationErrors.size(), 1);
}

void TestMain::editorsOpenOnlyWhereASectionAllowsTyping()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    // A row of each section where the row's own rules let every allowed column be typed.
    const struct
    {
        int section;
        const char* row;
        QStringList editable;
    } cases[] = {
        {1, "104", strings({"C2", "C3", "C4", "C5", "C6", "C9", "C10"})},
        {2, "201", strings({"C2", "C4", "C5"})},
        {3, "301", strings({"C1", "C2", "C3", "C4"})},
        {4, "401", strings({"CB", "CC", "C1", "C2", "C3", "C4", "C5", "C6"})},
        {5, "501", strings({"C3", "C4"})},
    };
    for (const auto& c : cases) {
        form->pages()->setCurrentIndex(c.section - 1);
        TOZGrid* grid = form->grid(c.section);
        TDataSetModel* model = grid->dataModel();
        const int row = rowOf(model, QStringLiteral("CA"), QString::fromLatin1(c.row));
        QVERIFY(row >= 0);
        QStringList opened;
        for (int column = 0; column < model->columnCount(); ++column) {
            grid->setFocus();
            grid->setCurrentIndex(model->index(row, column));
            QTest::keyClick(grid, '7');
            if (QWidget* editor = grid->cellEditor()) {
                opened << model->columnField(column)->fieldName();
                QTest::keyClick(editor, Qt::Key_Escape);
            }
            m_dm->sectionTable(c.section).cancel();
        }
        QCOMPARE(opened, c.editable);
    }
    // Column 7 of section 1 is computed: no row takes typing there.
    TOZGrid* grid1 = form->grid(1);
    form->pages()->setCurrentIndex(0);
    for (const char* row : {"102", "104", "109"}) {
        grid1->setFocus();
        grid1->setCurrentIndex(grid1->model()->index(
            rowOf(grid1->dataModel(), QStringLiteral("CA"), QString::fromLatin1(row)), 8));
        QTest::keyClick(grid1, '7');
        QVERIFY2(!grid1->cellEditor(), row);
    }
    QVERIFY(m_recorder->applicationErrors.isEmpty());
}

void TestMain::sectionFourSharesItsTextColumnsAsTheFormSays()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    form->pages()->setCurrentIndex(3);
    for (const int width : {1100, 1101, 901}) {
        form->resize(width, 760);
        QTest::qWait(20);
        TOZGrid* grid = form->grid(4);
        QHeaderView* header = grid->horizontalHeader();
        // R: the text width left to columns 1 and 2 once every column has its
        // line; column 1 is R div 2 - 1 wide, column 2 the rest.
        int others = header->sectionSize(0);
        for (int i = 3; i < header->count(); ++i)
            others += header->sectionSize(i);
        const int r = grid->viewport()->width() - others - 2;
        QCOMPARE(header->sectionSize(1) - 1, r / 2 - 1);
        QCOMPARE(header->sectionSize(2) - 1, r - (r / 2 - 1));
    }
}

int main(int argc, char** argv)
{
    // The program's own application object, whose error display the tests check.
    TF2tpApplication app(argc, argv);
    TestMain test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Main.moc"

void TestMain::damagedDataFileEndsTheStartNamingIt()
{
    m_dm.reset();
    const QByteArray section1 = dataPacket({QStringLiteral("CA:i2"), QStringLiteral("C2:r8")},
                                           {{QStringLiteral("101"), QStringLiteral("3")},
                                            {QStringLiteral("104"), QStringLiteral("3")}});
    const QByteArray card =
        dataPacket({QStringLiteral("KOD:string:20")}, {{QStringLiteral("7701000001001")}});
    // One file at a time, cut short or overwritten as a disk error or an
    // interrupted copy leaves it: the classifiers, the card, the sections.
    const struct
    {
        const char* file;
        std::function<QByteArray(const QByteArray& shipped)> damage;
    } cases[] = {
        {"TEMPLR.xml",
         [](const QByteArray& shipped) {
             return shipped.left(shipped.size() / 2);
         }},
        {"KLZAV.xml",
         [](const QByteArray& shipped) {
             return shipped.left(shipped.size() / 2);
         }},
        {"B0002.xml",
         [&](const QByteArray&) {
             return card.left(card.size() - 30);
         }},
        {"F2TPR1.xml",
         [&](const QByteArray&) {
             return section1.left(section1.size() - 30);
         }},
        {"F2TPR2.xml",
         [](const QByteArray&) {
             return QByteArray(4096, '\0');
         }},
        {"F2TPR5.xml",
         [&](const QByteArray&) {
             return section1.left(60);
         }},
    };
    for (const auto& entry : cases) {
        const QString name = QString::fromLatin1(entry.file);
        const auto folder = ProgramFolder::withProgramData();
        QVERIFY(folder->valid());
        const QByteArray damaged = entry.damage(folder->readData(name));
        folder->writeData(name, damaged);
        const QStringList filesBefore = dataFiles(*folder);
        m_recorder->applicationErrors.clear();
        try {
            TProgramWindows windows(folder->path());
            QFAIL(qPrintable(name + QStringLiteral(": the start went on")));
        } catch (...) {
            ShowApplicationError(std::current_exception());
        }
        // The message names the file; no window is left; the file is as it was.
        QCOMPARE(m_recorder->applicationErrors.size(), 1);
        const QString shown = m_recorder->applicationErrors.constFirst();
        QVERIFY2(shown.contains(QStringLiteral("Ошибка чтения файла \"") +
                                QDir::toNativeSeparators(folder->dataFile(name)) +
                                QStringLiteral("\": ")),
                 qPrintable(shown));
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<TF2tpForm*>(window));
        QCOMPARE(folder->readData(name), damaged);
        QCOMPARE(dataFiles(*folder), filesBefore);
    }
}

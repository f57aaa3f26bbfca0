#include <functional>
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

#include "DataSetModel.h"
#include "Errors.h"
#include "Find.h"
#include "FormatSettings.h"
#include "ManyFind.h"
#include "OZGrid.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "ozField.h"
#include "ozMemoryData.h"

namespace {

// Pollutants in a grid: a column without a field, CODE, NAME, and a hidden
// NOTE column whose texts must never be found.
struct SearchFixture
{
    TozMemoryData table{QStringLiteral("R2Table")};
    TDataSource source;
    TOZGrid grid;

    SearchFixture()
    {
        table.addField<TIntegerField>(QStringLiteral("CODE"));
        table.addField<TStringField>(QStringLiteral("NAME"), 40);
        table.addField<TStringField>(QStringLiteral("NOTE"), 40);
        table.open();
        const std::tuple<int, const char*, const char*> rows[] = {
            {301, "Азота диоксид", ""},
            {304, "Азота оксид", ""},
            {330, "Серы диоксид", ""},
            {337, "Углерода оксид", ""},
            {410, "Метан", "не оксид, не диоксид"},
            {703, "БЕНЗ(А)ПИРЕН", ""}};
        for (const auto& [code, name, note] : rows) {
            table.append();
            table.fieldByName(QStringLiteral("CODE")).setAsInteger(code);
            table.fieldByName(QStringLiteral("NAME")).setAsString(QString::fromUtf8(name));
            table.fieldByName(QStringLiteral("NOTE")).setAsString(QString::fromUtf8(note));
            table.post();
        }
        table.first();
        source.setDataSet(&table);
        grid.addColumn(QString(), QStringLiteral("№"), 30);
        grid.addColumn(QStringLiteral("CODE"), QStringLiteral("Код"), 50);
        grid.addColumn(QStringLiteral("NAME"), QStringLiteral("Наименование"), 200);
        grid.addColumn(QStringLiteral("NOTE"), QStringLiteral("Примечание"), 100);
        grid.setDataSource(&source);
        grid.setColumnHidden(3, true);
        grid.resize(420, 240);
        grid.show();
        grid.activateWindow();
        grid.setFocus();
    }

    int code() const { return table.fieldByName(QStringLiteral("CODE")).asInteger(); }
};

// Types text as a person does, Cyrillic included.
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Runs the step inside the modal loop of the window of class W once it shows;
// a step that failed half way leaves its window open, so it is closed here.
template <class W> void whenModal(std::function<void(W&)> step)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, step] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (!window || !window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        QPointer<W> guard(window);
        if (QTest::qWaitForWindowExposed(window))
            step(*window);
        if (guard && guard->isVisible())
            guard->reject();
    });
    timer->start();
}

// Presses Ctrl+F in the grid and, inside the dialog, replaces the search text
// with the given one, lets Setup set the boxes, then presses Enter.
void search(SearchFixture& f, const QString& text, std::function<void(TFindForm&)> setup = {})
{
    whenModal<TFindForm>([text, setup](TFindForm& form) {
        form.textBox()->clear();
        typeText(form.textBox(), text);
        if (setup)
            setup(form);
        QTest::keyClick(form.textBox(), Qt::Key_Return);
    });
    QTest::keyClick(&f.grid, Qt::Key_F, Qt::ControlModifier);
}

// Steps through the matches one at a time from the current record forwards.
void stepForward(TFindForm& form)
{
    if (form.allRecordsBox()->isChecked())
        QTest::mouseClick(form.allRecordsBox(), Qt::LeftButton);
    QTest::mouseClick(form.forwardButton(), Qt::LeftButton);
    QTest::mouseClick(form.fromCurrentButton(), Qt::LeftButton);
}

// Closes any results window that opens while it lives, counting them.
class ResultsWatch
{
public:
    ResultsWatch()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* w = qobject_cast<TManyFindForm*>(QApplication::activeModalWidget())) {
                ++shown;
                w->reject();
            }
        });
        m_timer.start(5);
    }
    int shown = 0;

private:
    QTimer m_timer;
};

} // namespace

class TestFind : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void allRecordsSearchesFromTheFirstRecordAndOneMatchMovesThere();
    void fromCurrentStepsThroughMatchesUntilNotFound();
    void fromCurrentNeverExaminesTheCurrentRecord();
    void caseFollowsTheCaseBox();
    void withoutAllFieldsOnlyTheOpenedColumnIsSearched();
    void resultsWindowShowsTheVisibleColumnsAndChooses();
    void cancellingTheResultsWindowReturnsSilently();
    void anErrorKeepsTheDialogOpen();

private:
    // What was shown to the user, without the wait cursor's comings and goings.
    QStringList shown() const;

    std::unique_ptr<TScriptedUserInterface> m_ui;
};

void TestFind::init()
{
    m_ui = std::make_unique<TScriptedUserInterface>();
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
}

void TestFind::cleanup()
{
    QCOMPARE(m_ui->busyDepth(), 0);
    m_ui.reset();
    QVERIFY(!QApplication::overrideCursor());
}

QStringList TestFind::shown() const
{
    QStringList result;
    for (const QString& call : std::as_const(m_ui->calls))
        if (call != QStringLiteral("busy") && call != QStringLiteral("not busy"))
            result.append(call);
    return result;
}

void TestFind::allRecordsSearchesFromTheFirstRecordAndOneMatchMovesThere()
{
    {
        TFindForm bare;
        typeText(bare.textBox(), QStringLiteral("а"));
        QVERIFY2(!bare.okButton()->isEnabled(), "no search without a callback");
    }
    SearchFixture f;
    ResultsWatch results;
    TFindForm* first = nullptr;
    // Leave the dialog searching backwards from the current record...
    whenModal<TFindForm>([&](TFindForm& form) {
        first = &form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Поиск"));
        QCOMPARE(form.size(), QSize(276, 198));
        QVERIFY(form.textBox()->hasFocus());
        QVERIFY(form.allRecordsBox()->isChecked());
        QVERIFY(form.allFieldsBox()->isChecked() && form.allFieldsBox()->isVisible());
        QVERIFY(!form.caseSensitiveBox()->isChecked());
        QCOMPARE(form.caseSensitiveBox()->text(), QStringLiteral("Учитывать регистр "));
        QVERIFY(form.forwardButton()->isChecked() && form.fromStartButton()->isChecked());
        QVERIFY(!form.directionGroup()->isEnabled() && !form.originGroup()->isEnabled());
        QVERIFY(!form.okButton()->isEnabled());
        QTest::mouseClick(form.allRecordsBox(), Qt::LeftButton);
        QVERIFY(form.directionGroup()->isEnabled() && form.originGroup()->isEnabled());
        QTest::mouseClick(form.backwardButton(), Qt::LeftButton);
        QTest::mouseClick(form.fromCurrentButton(), Qt::LeftButton);
        QTest::mouseClick(form.closeButton(), Qt::LeftButton);
    });
    QTest::keyClick(&f.grid, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(first && !first->isVisible());

    // ... then tick "Все записи": the search runs forwards from the first record.
    search(f, QStringLiteral("углерода"), [&](TFindForm& form) {
        QVERIFY(&form == first);
        QVERIFY(form.backwardButton()->isChecked() && form.fromCurrentButton()->isChecked());
        QVERIFY(form.okButton()->isEnabled());
        QTest::mouseClick(form.allRecordsBox(), Qt::LeftButton);
        QVERIFY(form.forwardButton()->isChecked() && form.fromStartButton()->isChecked());
        QVERIFY(!form.directionGroup()->isEnabled());
    });
    QCOMPARE(f.code(), 337);
    QCOMPARE(results.shown, 0);
    QVERIFY(shown().isEmpty());

    // The dialog comes back with its text and boxes, still from the first record.
    f.table.last();
    whenModal<TFindForm>([&](TFindForm& form) {
        QCOMPARE(form.textBox()->text(), QStringLiteral("углерода"));
        QVERIFY(form.allRecordsBox()->isChecked() && form.fromStartButton()->isChecked());
        QTest::mouseClick(form.okButton(), Qt::LeftButton);
    });
    QTest::keyClick(&f.grid, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(f.code(), 337);
}

void TestFind::fromCurrentStepsThroughMatchesUntilNotFound()
{
    SearchFixture f;
    search(f, QStringLiteral("оксид"), stepForward);
    QCOMPARE(f.code(), 304);
    for (const int expected : {330, 337}) {
        whenModal<TFindForm>(
            [](TFindForm& form) { QTest::keyClick(form.textBox(), Qt::Key_Return); });
        QTest::keyClick(&f.grid, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(f.code(), expected);
    }
    QVERIFY(shown().isEmpty());
    // Метан's hidden note says "оксид" too; hidden columns are never searched.
    whenModal<TFindForm>([](TFindForm& form) { QTest::keyClick(form.textBox(), Qt::Key_Return); });
    QTest::keyClick(&f.grid, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(shown(),
             QStringList{QStringLiteral("information: Информация: Текст \"оксид\" не найден.")});
    QCOMPARE(f.code(), 337);
    QVERIFY(!f.grid.findForm()->isVisible());

    // Backwards from the current record, the record itself is not examined.
    search(f, QStringLiteral("оксид"),
           [](TFindForm& form) { QTest::mouseClick(form.backwardButton(), Qt::LeftButton); });
    QCOMPARE(f.code(), 330);
}

void TestFind::fromCurrentNeverExaminesTheCurrentRecord()
{
    SearchFixture f;
    const QString notFound = QStringLiteral("information: Информация: Текст \"%1\" не найден.");
    const auto backward = [](TFindForm& form) {
        stepForward(form);
        QTest::mouseClick(form.backwardButton(), Qt::LeftButton);
    };
    // The grid stands on its first record as the section opened it.
    search(f, QStringLiteral("азота диоксид"), backward);
    QCOMPARE(f.code(), 301);
    QCOMPARE(shown(), QStringList{notFound.arg(QStringLiteral("азота диоксид"))});

    // Ctrl+End, then forwards from the current record.
    m_ui->calls.clear();
    QTest::keyClick(&f.grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(f.code(), 703);
    search(f, QStringLiteral("пирен"), stepForward);
    QCOMPARE(f.code(), 703);
    QCOMPARE(shown(), QStringList{notFound.arg(QStringLiteral("пирен"))});

    // A search from the start that stopped on the first record, then backwards from there.
    m_ui->calls.clear();
    search(f, QStringLiteral("азота"), [](TFindForm& form) {
        stepForward(form);
        QTest::mouseClick(form.fromStartButton(), Qt::LeftButton);
    });
    QCOMPARE(f.code(), 301);
    search(f, QStringLiteral("азота"), backward);
    QCOMPARE(f.code(), 301);
    QCOMPARE(shown(), QStringList{notFound.arg(QStringLiteral("азота"))});
}

void TestFind::caseFollowsTheCaseBox()
{
    SearchFixture f;
    search(f, QStringLiteral("пирен"));
    QCOMPARE(f.code(), 703);
    f.table.first();
    search(f, QStringLiteral("пирен"),
           [](TFindForm& form) { QTest::mouseClick(form.caseSensitiveBox(), Qt::LeftButton); });
    QCOMPARE(f.code(), 301);
    QCOMPARE(shown(),
             QStringList{QStringLiteral("information: Информация: Текст \"пирен\" не найден.")});
    search(f, QStringLiteral("ПИРЕН"));
    QCOMPARE(f.code(), 703);
}

void TestFind::withoutAllFieldsOnlyTheOpenedColumnIsSearched()
{
    SearchFixture f;
    const auto onlyThisColumn = [](TFindForm& form) {
        if (form.allFieldsBox()->isChecked())
            QTest::mouseClick(form.allFieldsBox(), Qt::LeftButton);
    };
    f.grid.setSelectedColumn(2);
    search(f, QStringLiteral("330"), onlyThisColumn);
    QCOMPARE(f.code(), 301);
    QCOMPARE(shown().size(), 1);
    // From the column without a field the first column with one is searched.
    f.grid.setSelectedColumn(0);
    search(f, QStringLiteral("330"), onlyThisColumn);
    QCOMPARE(f.code(), 330);
    search(f, QStringLiteral("метан"), onlyThisColumn);
    QCOMPARE(f.code(), 330);
    QCOMPARE(shown().size(), 2);
    search(f, QStringLiteral("метан"),
           [](TFindForm& form) { QTest::mouseClick(form.allFieldsBox(), Qt::LeftButton); });
    QCOMPARE(f.code(), 410);
}

void TestFind::resultsWindowShowsTheVisibleColumnsAndChooses()
{
    SearchFixture f;
    f.grid.setColumnWidth(2, 230);
    f.table.last();
    bool looked = false;
    search(f, QStringLiteral("диоксид"), [&](TFindForm&) {
        whenModal<TManyFindForm>([&](TManyFindForm& results) {
            QCOMPARE(results.windowTitle(), QStringLiteral("Результаты поиска"));
            QCOMPARE(results.size(), QSize(648, 365));
            QVERIFY(results.minimumSize() != results.maximumSize());
            QCOMPARE(m_ui->busyDepth(), 1);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
            TOZGrid* grid = results.grid();
            QVERIFY(grid->isReadOnly() && !grid->LocEnabled());
            QCOMPARE(grid->columnsCount(), 2);
            QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(),
                     QStringLiteral("Наименование"));
            QCOMPARE(grid->gridColumn(0)->fieldName(), QStringLiteral("CODE"));
            QCOMPARE(grid->columnWidth(1), 230);
            QCOMPARE(grid->font(), f.grid.font());
            QCOMPARE(results.resultTable().fieldByName(QStringLiteral("CODE")).dataType(),
                     TFieldType::ftInteger);
            QCOMPARE(grid->model()->rowCount(), 2);
            QCOMPARE(grid->model()->index(1, 1).data().toString(), QStringLiteral("Серы диоксид"));
            QCOMPARE(grid->currentIndex().row(), 0);
            QTest::keyClick(grid, Qt::Key_Down);
            QTest::keyClick(grid, Qt::Key_Return);
            looked = true;
        });
    });
    QVERIFY(looked);
    QCOMPARE(f.code(), 330);
    QVERIFY(shown().isEmpty());

    looked = false;
    search(f, QStringLiteral("диоксид"), [&](TFindForm&) {
        whenModal<TManyFindForm>([&](TManyFindForm& results) {
            TOZGrid* grid = results.grid();
            const QRect cell = grid->visualRect(grid->model()->index(0, 1));
            // A person's double click: a click, then the second press.
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
            looked = true;
        });
    });
    QVERIFY(looked);
    QCOMPARE(f.code(), 301);

    search(f, QStringLiteral("диоксид"), [&](TFindForm&) {
        whenModal<TManyFindForm>([&](TManyFindForm& results) {
            QTest::keyClick(results.grid(), Qt::Key_Down);
            QTest::mouseClick(results.chooseButton(), Qt::LeftButton);
        });
    });
    QCOMPARE(f.code(), 330);
}

void TestFind::cancellingTheResultsWindowReturnsSilently()
{
    SearchFixture f;
    f.table.moveBy(4);
    int afterScroll = 0;
    f.table.AfterScroll = [&](TDataSet&) {
        ++afterScroll;
    };
    search(f, QStringLiteral("азота"), [&](TFindForm&) {
        whenModal<TManyFindForm>([](TManyFindForm& results) {
            QTest::mouseClick(results.cancelButton(), Qt::LeftButton);
        });
    });
    QCOMPARE(f.code(), 410);
    QCOMPARE(afterScroll, 0);
    QVERIFY(shown().isEmpty());
    QVERIFY(!f.grid.findForm()->isVisible());
    QCOMPARE(f.grid.currentIndex().row(), 4);
}

void TestFind::anErrorKeepsTheDialogOpen()
{
    SearchFixture f;
    f.table.BeforeScroll = [](TDataSet&) {
        throw F2tpError(QStringLiteral("Сбой чтения"));
    };
    bool stayed = false;
    search(f, QStringLiteral("метан"), [&](TFindForm& form) {
        QTest::keyClick(form.textBox(), Qt::Key_Return);
        stayed = form.isVisible();
        QCOMPARE(m_ui->calls, (QStringList{QStringLiteral("busy"), QStringLiteral("not busy"),
                                           QStringLiteral("application error: Сбой чтения.")}));
        f.table.BeforeScroll = nullptr;
    });
    QVERIFY(stayed);
    QCOMPARE(shown(), QStringList{QStringLiteral("application error: Сбой чтения.")});
    QCOMPARE(f.code(), 410);
}

QTEST_MAIN(TestFind)
#include "tst_Find.moc"

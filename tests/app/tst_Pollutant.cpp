// The user's own pollutant added from the section 2 pick list as a user does
// it: the dialog refuses a taken code and stays open, "Принять" adds and the
// pick list stands on the new entry, "Отмена" adds nothing.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include "FormatSettings.h"
#include "LookupList.h"
#include "MDM.h"
#include "Main.h"
#include "OZGrid.h"
#include "OwnPollutants.h"
#include "Pollutant.h"
#include "ProgramFolder.h"
#include "ScriptedUserInterface.h"
#include "Vubor.h"
#include "ozField.h"

namespace {

TPollutantForm* shownDialog()
{
    return qobject_cast<TPollutantForm*>(QApplication::activeModalWidget());
}

void fill(TPollutantForm* dialog, const QString& code, const QString& name, bool stat)
{
    dialog->codeEdit()->clear();
    QTest::keyClicks(dialog->codeEdit(), code);
    dialog->nameEdit()->setText(name);
    dialog->statBox()->setChecked(stat);
}

} // namespace

class TestPollutant : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void pickListAddsAPollutantAndChoosesIt();
    void cancelAddsNothing();

private:
    TF2tpForm* openWindow();

    std::unique_ptr<ProgramFolder> m_program;
    std::unique_ptr<TDM> m_dm;
    QPointer<TF2tpForm> m_form;
    std::unique_ptr<TScriptedUserInterface> m_recorder;
};

void TestPollutant::init()
{
    FormatSettings::setDecimalSeparator(QLatin1Char(','));
    m_program = ProgramFolder::withProgramData();
    QVERIFY(m_program->valid());
    m_dm = std::make_unique<TDM>(m_program->path());
    m_recorder = std::make_unique<TScriptedUserInterface>();
}

void TestPollutant::cleanup()
{
    delete m_form;
    m_dm.reset();
    m_program.reset();
    m_recorder.reset();
}

TF2tpForm* TestPollutant::openWindow()
{
    m_form = new TF2tpForm(*m_dm);
    m_form->resize(1100, 760);
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form))
        return nullptr;
    TozMemoryData& card = m_dm->PrTable();
    card.append();
    card.fieldByName(QStringLiteral("KOD")).setAsString(QStringLiteral("7701000001001"));
    card.fieldByName(QStringLiteral("PNAZ")).setAsString(QStringLiteral("ООО \"Заря\""));
    card.post();
    m_form->RefreshContext();
    return m_form;
}

void TestPollutant::pickListAddsAPollutantAndChoosesIt()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QTest::keyClick(form->grid(1), Qt::Key_2, Qt::AltModifier);
    TOZGrid* grid = form->grid(2);
    grid->setFocus();
    grid->setCurrentIndex(grid->model()->index(2, 3));
    QTest::keyClick(grid, Qt::Key_Down);

    bool refusedAndKept = false;
    bool offeredAtOnce = false;
    QTimer::singleShot(100, this, [&] {
        TListForm* picker = ListForm();
        QVERIFY(picker && picker->isVisible());
        QVERIFY(picker->toolBar()->actions().contains(form->AddPollutantAct()));
        QTimer::singleShot(100, this, [&] {
            TPollutantForm* dialog = shownDialog();
            QVERIFY(dialog);
            fill(dialog, QStringLiteral("703"), QStringLiteral("Эмульсол"), false);
            QTest::mouseClick(dialog->acceptButton(), Qt::LeftButton);
            refusedAndKept =
                dialog->isVisible() &&
                m_recorder->errors ==
                    QStringList{QStringLiteral("Вещество с кодом 703 уже есть в классификаторе")};
            fill(dialog, QStringLiteral("2868"), QStringLiteral("Эмульсол"), false);
            QTest::mouseClick(dialog->acceptButton(), Qt::LeftButton);
        });
        form->AddPollutantAct()->trigger();
        offeredAtOnce = picker->isVisible() &&
                        m_dm->SprKlzav().fieldByName(QStringLiteral("KDZV")).asInteger() == 2868;
        QTest::keyClick(picker->lookupList(), Qt::Key_Return);
    });
    QTest::keyClick(grid, Qt::Key_F8);
    QVERIFY(refusedAndKept);
    QVERIFY(offeredAtOnce);

    TozMemoryData& r2 = m_dm->R2Table();
    QTRY_COMPARE(r2.state(), TDataSetState::dsBrowse);
    QVERIFY(r2.locate(QStringLiteral("C1"), 2868));
    QCOMPARE(r2.fieldByName(QStringLiteral("CA")).asInteger(), 204);
    QCOMPARE(r2.fieldByName(QStringLiteral("CB")).asString(), QStringLiteral("Эмульсол"));
    QVERIFY(TOwnPollutants(*m_dm).IsUsed(2868));
    QVERIFY(m_program->hasData(TOwnPollutants::FileName()));
}

void TestPollutant::cancelAddsNothing()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    const int before = m_dm->KLZAV().recordCount();
    bool shown = false;
    QTimer::singleShot(100, this, [&] {
        TPollutantForm* dialog = shownDialog();
        shown = dialog != nullptr;
        if (!dialog)
            return;
        fill(dialog, QStringLiteral("2868"), QStringLiteral("Эмульсол"), true);
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    // The same command under "Сервис".
    form->AddPollutantAct()->trigger();
    QVERIFY(shown);
    QCOMPARE(m_dm->KLZAV().recordCount(), before);
    QVERIFY(m_dm->KLZAV().lookup(QStringLiteral("KDZV"), 2868, QStringLiteral("NAMEK")).isNull());
    QVERIFY(!m_program->hasData(TOwnPollutants::FileName()));
}

QTEST_MAIN(TestPollutant)
#include "tst_Pollutant.moc"

#include <functional>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include "AppErrors.h"
#include "City.h"
#include "Cp1251.h"
#include "FPr.h"
#include "LookupEdit.h"
#include "MDM.h"
#include "Main.h"
#include "OZGrid.h"
#include "ProgramFolder.h"
#include "ReportSections.h"
#include "Rn.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

QString readCp1251(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return Cp1251::decode(file.readAll());
}

// Runs the step on the modal window of the given class once its own event
// loop runs; a window that is not of that class is closed so nothing hangs.
template <class W> void whenModal(std::function<void(W*)> step)
{
    QTimer::singleShot(0, qApp, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* window = qobject_cast<W*>(modal)) {
            QPointer<W> guard(window);
            // The modal window takes the keyboard focus, as on screen.
            QApplication::setActiveWindow(window);
            step(window);
            // A step that failed half way leaves its window open: close it.
            if (guard && guard->isVisible())
                guard->reject();
            return;
        }
        if (modal)
            modal->close();
        else
            QFAIL("no modal window");
    });
}

// Types text as a user would, also Cyrillic.
void typeText(QWidget* widget, const QString& text)
{
    widget->setFocus(Qt::OtherFocusReason);
    QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, text, Qt::NoModifier);
}

void typeDigits(QWidget* widget, const QString& text)
{
    widget->setFocus(Qt::OtherFocusReason);
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestCard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void organisationCommandIsOnTheLowerToolBar();
    void ownDetailsStandInTheirGroup();
    void pickersFilterAndNameTheTerritory();
    void cardSavesCodeAndDistrict();
    void shortInnIsRejectedAndCancelDropsTheCard();
    void cityOfDistrictIsChosen();

private:
    TF2tpForm* openWindow();

    std::unique_ptr<ProgramFolder> m_program;
    std::unique_ptr<TDM> m_dm;
    QPointer<TF2tpForm> m_form;
    std::unique_ptr<TScriptedUserInterface> m_recorder;
};

void TestCard::init()
{
    m_program = ProgramFolder::withProgramData();
    QVERIFY(m_program->valid());
    m_dm = std::make_unique<TDM>(m_program->path());
    m_recorder = std::make_unique<TScriptedUserInterface>();
}

void TestCard::cleanup()
{
    delete m_form;
    m_dm.reset();
    m_program.reset();
    m_recorder.reset();
}

TF2tpForm* TestCard::openWindow()
{
    m_form = new TF2tpForm(*m_dm);
    m_form->resize(1100, 760);
    m_form->show();
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form))
        return nullptr;
    return m_form;
}

void TestCard::organisationCommandIsOnTheLowerToolBar()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QAction* action = form->PrAct();
    QCOMPARE(action->text(), QStringLiteral("Организация"));
    QCOMPARE(action->toolTip(), QStringLiteral("Сведения об организации"));
    QVERIFY(action->shortcut().isEmpty());
    QVERIFY(action->isEnabled());
    QCOMPARE(form->lowerToolBar()->actions().first(), action);
    QCOMPARE(form->lowerToolBar()->actions().at(1), form->VubAct());
}

void TestCard::ownDetailsStandInTheirGroup()
{
    TPrForm card(*m_dm);
    QGroupBox* own = nullptr;
    for (QGroupBox* group : card.findChildren<QGroupBox*>()) {
        if (group->title() == QStringLiteral("Данные отчитывающейся организации"))
            own = group;
    }
    QVERIFY(own);
    QVERIFY(own->isAncestorOf(card.KodEdit()));
    for (const char* field : {"INN", "OKPO", "OKOH1", "OKCM", "KOPF", "KFS", "ADR", "FIOR"})
        QVERIFY2(own->isAncestorOf(card.fieldEdit(QString::fromLatin1(field))), field);
    for (const char* field : {"PNAZ", "NGDU1", "NGDU2"})
        QVERIFY2(!own->isAncestorOf(card.fieldEdit(QString::fromLatin1(field))), field);
}

void TestCard::pickersFilterAndNameTheTerritory()
{
    // The district list of a subject: its districts and its cities, by name.
    QWidget owner;
    owner.setGeometry(10, 10, 200, 200);
    TRnForm picker(m_program->path(), QStringLiteral("03"), &owner);
    // Centred on the desktop, not over the window that opened it.
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(qAbs(picker.geometry().center().x() - desktop.center().x()) <= 1);
    QVERIFY(qAbs(picker.geometry().center().y() - desktop.center().y()) <= 1);
    TozMemoryData& regions = picker.RnDS();
    QVERIFY(!regions.isEmpty());
    QString previous;
    for (regions.first(); !regions.eof(); regions.next()) {
        const QString kod = regions.fieldByName(QStringLiteral("KOD")).asString();
        const int tip = regions.fieldByName(QStringLiteral("TIP")).asInteger();
        QVERIFY(kod.startsWith(QStringLiteral("03")));
        QVERIFY(tip == 4 || (tip == 7 && kod.mid(2, 2) == QStringLiteral("00")));
        const QString name = regions.fieldByName(QStringLiteral("NAME")).asString();
        QVERIFY(previous.compare(name, Qt::CaseInsensitive) <= 0);
        previous = name;
    }
}

void TestCard::cardSavesCodeAndDistrict()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QVERIFY(m_dm->CurrentKodp().isEmpty());
    QStringList done;

    whenModal<TPrForm>([&](TPrForm* card) {
        QCOMPARE(card->windowTitle(), QStringLiteral("Сведения об организации"));
        QCOMPARE(QApplication::activeWindow(), card);
        // No subject yet: no district to choose.
        QVERIFY(!card->VubAct()->isEnabled());
        typeText(card->fieldEdit(QStringLiteral("PNAZ")), QStringLiteral("ООО Заря"));
        typeDigits(card->KodEdit(), QStringLiteral("7701234567"));
        typeDigits(card->PodrEdit(), QStringLiteral("01"));
        // Leaving the INN part fills the empty INN.
        card->fieldEdit(QStringLiteral("ADR"))->setFocus(Qt::OtherFocusReason);
        QCOMPARE(m_dm->PrTable().fieldByName(QStringLiteral("INN")).asString(),
                 QStringLiteral("7701234567"));
        QCOMPARE(card->PodrEdit()->text(), QStringLiteral("01"));

        card->subjectBox()->setCurrentIndex(card->subjectBox()->findData(QStringLiteral("03")));
        QCOMPARE(card->subjectBox()->currentText(), QStringLiteral("Республика Бурятия"));
        QVERIFY(card->VubAct()->isEnabled());
        whenModal<TRnForm>([&](TRnForm* picker) {
            QCOMPARE(picker->windowTitle(), QStringLiteral("Районы"));
            QVERIFY(picker->RnDS().locate(QStringLiteral("KOD"), QStringLiteral("03221")));
            picker->chooseAction()->trigger();
            done.append(QStringLiteral("district"));
        });
        card->VubAct()->trigger();
        QCOMPARE(card->regionEdit()->text(), QStringLiteral("Закаменский район"));
        QCOMPARE(card->fieldEdit(QStringLiteral("OKCM"))->text(), QStringLiteral("81221000000"));
        // Not written before the card is saved.
        QVERIFY(!QFile::exists(m_program->dataFile(QStringLiteral("spisokkr.xml"))));
        card->saveButton()->click();
        done.append(QStringLiteral("saved"));
        if (card->isVisible())
            card->reject();
    });
    form->PrAct()->trigger();
    QCOMPARE(done, QStringList({QStringLiteral("district"), QStringLiteral("saved")}));
    QVERIFY2(m_recorder->errors.isEmpty(), qPrintable(m_recorder->errors.join(u'\n')));
    QVERIFY(m_recorder->applicationErrors.isEmpty());

    const QString cardFile = readCp1251(m_program->dataFile(QStringLiteral("B0002.xml")));
    QVERIFY(cardFile.contains(QStringLiteral("KOD=\"770123456701\"")));
    QVERIFY(cardFile.contains(QStringLiteral("INN=\"7701234567\"")));
    QVERIFY(cardFile.contains(QStringLiteral("OKCM=\"81221000000\"")));
    QVERIFY(cardFile.contains(QStringLiteral("PNAZ=\"ООО Заря\"")));
    const QString region = readCp1251(m_program->dataFile(QStringLiteral("spisokkr.xml")));
    QVERIFY(region.contains(QStringLiteral("NGDU=\"03221\"")));
    QVERIFY(region.contains(QStringLiteral("NAME=\"Закаменский район\"")));
    QVERIFY(region.contains(QStringLiteral("FULLNAME=\"Республика Бурятия Закаменский район\"")));

    // The window took the context over: the section 2 pick list may open.
    QCOMPARE(m_dm->CurrentKodp(), QStringLiteral("770123456701"));
    QCOMPARE(m_dm->CurrentReg(), QStringLiteral("03221"));
    QCOMPARE(form->organisationEdit()->text(), QStringLiteral("ООО Заря"));
    QCOMPARE(form->regionEdit()->text(), QStringLiteral("Республика Бурятия Закаменский район"));
    form->pages()->setCurrentIndex(1);
    QApplication::setActiveWindow(form);
    form->grid(2)->setFocus();
    QVERIFY(form->grid(2)->hasFocus());
    form->updateActions();
    QVERIFY(form->VubAct()->isEnabled());

    // Opened again, the card shows the code split and the subject selected.
    whenModal<TPrForm>([&](TPrForm* card) {
        QCOMPARE(card->KodEdit()->text(), QStringLiteral("7701234567"));
        QCOMPARE(card->PodrEdit()->text(), QStringLiteral("01"));
        QCOMPARE(card->subjectBox()->currentData().toString(), QStringLiteral("03"));
        card->cancelButton()->click();
    });
    form->PrAct()->trigger();
    QCOMPARE(m_dm->CurrentKodp(), QStringLiteral("770123456701"));
}

void TestCard::shortInnIsRejectedAndCancelDropsTheCard()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    bool reached = false;
    whenModal<TPrForm>([&](TPrForm* card) {
        QCOMPARE(QApplication::activeWindow(), card);
        typeText(card->fieldEdit(QStringLiteral("PNAZ")), QStringLiteral("ООО Заря"));
        typeDigits(card->KodEdit(), QStringLiteral("1234567"));
        card->fieldEdit(QStringLiteral("ADR"))->setFocus(Qt::OtherFocusReason);
        QCOMPARE(m_recorder->applicationErrors, QStringList(QStringLiteral("Неверный код.")));
        QVERIFY(m_dm->PrTable().fieldByName(QStringLiteral("INN")).asString().isEmpty());
        // Still changed: checked again when left.
        card->KodEdit()->setFocus(Qt::OtherFocusReason);
        card->fieldEdit(QStringLiteral("ADR"))->setFocus(Qt::OtherFocusReason);
        QCOMPARE(m_recorder->applicationErrors.size(), 2);

        card->saveButton()->click();
        QCOMPARE(m_recorder->errors, QStringList(QStringLiteral("Неверный код предприятия")));
        QVERIFY(card->isVisible());
        QVERIFY(!QFile::exists(m_program->dataFile(QStringLiteral("B0002.xml"))));

        // The code edits take only digits.
        typeDigits(card->fieldEdit(QStringLiteral("OKOH1")), QStringLiteral("01.11"));
        QCOMPARE(card->fieldEdit(QStringLiteral("OKOH1"))->text(), QStringLiteral("0111"));

        // An empty name fails the post; the card stays open.
        m_recorder->errors.clear();
        m_dm->PrTable().fieldByName(QStringLiteral("PNAZ")).setAsString(QString());
        card->KodEdit()->setText(QStringLiteral("7701234567"));
        card->saveButton()->click();
        QCOMPARE(m_recorder->errors, QStringList(QStringLiteral(
                                         "Поле 'Наименование предприятия' должно иметь значение")));
        QVERIFY(card->isVisible());
        reached = true;
        card->cancelButton()->click();
    });
    form->PrAct()->trigger();
    QVERIFY(reached);
    // Cancelled: the new card row is dropped and nothing was written.
    QVERIFY(m_dm->PrTable().isEmpty());
    QVERIFY(m_dm->PrTable().state() == TDataSetState::dsBrowse);
    QVERIFY(!QFile::exists(m_program->dataFile(QStringLiteral("B0002.xml"))));
    QVERIFY(m_dm->CurrentKodp().isEmpty());
}

void TestCard::cityOfDistrictIsChosen()
{
    TF2tpForm* form = openWindow();
    QVERIFY(form);
    QStringList done;
    whenModal<TPrForm>([&](TPrForm* card) {
        card->subjectBox()->setCurrentIndex(card->subjectBox()->findData(QStringLiteral("03")));
        whenModal<TRnForm>([&](TRnForm* picker) {
            QVERIFY(picker->RnDS().locate(QStringLiteral("KOD"), QStringLiteral("03221")));
            // Back from the city list: the district list and its row return.
            whenModal<TCityForm>([&](TCityForm* cities) {
                QCOMPARE(cities->windowTitle(), QStringLiteral("Города"));
                cities->backAction()->trigger();
            });
            picker->citiesAction()->trigger();
            QVERIFY(picker->isVisible());
            QCOMPARE(picker->RnDS().fieldByName(QStringLiteral("KOD")).asString(),
                     QStringLiteral("03221"));
            whenModal<TCityForm>([&](TCityForm* cities) {
                TozMemoryData& regions = picker->RnDS();
                QVERIFY(regions.locate(QStringLiteral("KOD"), QStringLiteral("03221501000")));
                QVERIFY(!regions.locate(QStringLiteral("KOD"), QStringLiteral("03224")));
                QVERIFY(regions.locate(QStringLiteral("KOD"), QStringLiteral("03221501000")));
                cities->chooseAction()->trigger();
                done.append(QStringLiteral("city"));
            });
            picker->citiesAction()->trigger();
        });
        card->VubAct()->trigger();
        QCOMPARE(card->regionEdit()->text(), QStringLiteral("г. Закаменск"));
        card->cancelButton()->click();
    });
    form->PrAct()->trigger();
    QCOMPARE(done, QStringList(QStringLiteral("city")));
    // Cancelled, yet the chosen territory is in force for the rest of the run.
    QCOMPARE(m_dm->CurrentReg(), QStringLiteral("03221501000"));
    QCOMPARE(form->regionEdit()->text(), QStringLiteral("Республика Бурятия г. Закаменск"));
    QVERIFY(!QFile::exists(m_program->dataFile(QStringLiteral("spisokkr.xml"))));
    // The ОКАТО code the card took is dropped with the card.
    QVERIFY(m_dm->PrTable().isEmpty());
}

int main(int argc, char** argv)
{
    TF2tpApplication app(argc, argv);
    TestCard test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Card.moc"

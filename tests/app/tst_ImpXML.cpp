#include <functional>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "AppErrors.h"
#include "Cp1251.h"
#include "ImpXML.h"
#include "MDM.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "QuestMess.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

void writeFile(const QString& path, const QString& text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Cp1251::encode(text));
}

// A set that brings one row of section 5 and the card.
QString writeSet(const QTemporaryDir& dir)
{
    const QString packet = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"windows-1251\" standalone=\"yes\"?><DATAPACKET "
        "Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"CA\" fieldtype=\"i2\"/>"
        "<FIELD attrname=\"C3\" fieldtype=\"r8\"/></FIELDS><PARAMS/></METADATA><ROWDATA>"
        "<ROW CA=\"501\" C3=\"7.25\" /></ROWDATA></DATAPACKET>");
    writeFile(dir.filePath(QStringLiteral("F2TPR5.xml")), packet);
    writeFile(dir.filePath(QStringLiteral("TableList.inf")),
              QStringLiteral("Caption=12345678    ООО Ромашка    Данные за 2024 год Форма 2-тп "
                             "(воздух)\r\nLabel=12345678    ООО Ромашка    Данные за 2024 "
                             "год\r\nCode=35\r\nUPDATE1=2,KODP,YEAR_,REG\r\nTable1=F2TPR5.xml\r\n"
                             "Tables=1\r\n"));
    return dir.filePath(QStringLiteral("TableList.inf"));
}

// Runs the step on the modal window of the given class once its own event
// loop runs; any other modal window is closed so nothing hangs.
template <class W> void whenModal(std::function<void(W*)> step)
{
    QTimer::singleShot(0, qApp, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* window = qobject_cast<W*>(modal)) {
            QPointer<W> guard(window);
            step(window);
            if (guard && guard->isVisible())
                guard->reject();
            return;
        }
        if (modal)
            modal->close();
    });
}

} // namespace

class TestImpXML : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void windowFollowsTheSource();
    void importRunsFromTheWindow();
    void questionAnswersByItsButtons();
    void mainWindowReloadsAfterAnImport();

private:
    std::unique_ptr<ProgramFolder> m_program;
    std::unique_ptr<TDM> m_dm;
    std::unique_ptr<TScriptedUserInterface> m_ui;
    QTemporaryDir m_set;
};

void TestImpXML::init()
{
    m_program = ProgramFolder::withProgramData();
    QVERIFY(m_program->valid());
    m_dm = std::make_unique<TDM>(m_program->path());
    m_ui = std::make_unique<TScriptedUserInterface>();
}

void TestImpXML::cleanup()
{
    m_dm.reset();
    m_program.reset();
    m_ui.reset();
}

void TestImpXML::windowFollowsTheSource()
{
    TImpXMLForm form(*m_dm);
    QCOMPARE(form.windowTitle(), QStringLiteral("Загрузка данных "));
    QCOMPARE(TImpXMLForm::FileFilter(), QStringLiteral("Архив (TableList.inf *.zlb *.zip *.vlt)"));
    QVERIFY(!form.ImportButton()->isEnabled());
    QCOMPARE(form.CloseButton()->text(), QStringLiteral("Закрыть"));

    // Typed and left: a source that is no exchange set is refused.
    form.show();
    form.FolderEdit()->setFocus();
    QTest::keyClicks(form.FolderEdit(), m_set.filePath(QStringLiteral("nothing.vlt")));
    QTest::keyClick(form.FolderEdit(), Qt::Key_Return);
    QCOMPARE(m_ui->applicationErrors, QStringList{QStringLiteral("Неверные данные для импорта.")});
    QVERIFY(!form.ImportButton()->isEnabled());

    form.chooseSource(writeSet(m_set));
    QCOMPARE(form.windowTitle(), QStringLiteral("Импорт - 12345678    ООО Ромашка    Данные за "
                                                "2024 год Форма 2-тп (воздух)"));
    QCOMPARE(form.PredprLabel()->text(),
             QStringLiteral("12345678    ООО Ромашка    Данные за 2024 год"));
    QVERIFY(form.ImportButton()->isEnabled());
    QCOMPARE(m_ui->applicationErrors.size(), 1);
}

void TestImpXML::importRunsFromTheWindow()
{
    TImpXMLForm form(*m_dm);
    form.chooseSource(writeSet(m_set));
    QVERIFY(!form.imported());
    QTest::mouseClick(form.ImportButton(), Qt::LeftButton);
    QVERIFY(form.imported());
    QVERIFY(m_ui->calls.contains(QStringLiteral("information: : Перенос данных закончен")));
    // The table's progress, then back to the start.
    QVERIFY(m_ui->calls.contains(QStringLiteral("progress status: F2TPR5.xml")));
    QVERIFY(m_ui->calls.contains(QStringLiteral("progress position 1")));
    QCOMPARE(
        m_ui->calls.mid(m_ui->calls.size() - 2),
        (QStringList{QStringLiteral("progress position 0"), QStringLiteral("progress status: ")}));
    QVERIFY(m_program->hasData(QStringLiteral("F2TPR5.xml")));
    // The set's own files stay beside its manifest.
    QVERIFY(QFile::exists(m_set.filePath(QStringLiteral("F2TPR5.xml"))));
}

void TestImpXML::questionAnswersByItsButtons()
{
    m_ui.reset();
    const auto answer = [](QPushButton* (TQuestMessForm::*button)() const) {
        whenModal<TQuestMessForm>([button](TQuestMessForm* form) {
            QCOMPARE(form->windowTitle(), QStringLiteral("Ошибка"));
            QVERIFY(form->textLabel()->wordWrap());
            QCOMPARE(form->textLabel()->alignment(), Qt::AlignCenter);
            QTest::mouseClick((form->*button)(), Qt::LeftButton);
        });
        return TQuestMessForm::AskSkip(QStringLiteral("'x' is not a valid integer value"));
    };
    QCOMPARE(answer(&TQuestMessForm::skipButton), TSkipAnswer::Skip);
    QCOMPARE(answer(&TQuestMessForm::skipAllButton), TSkipAnswer::SkipAll);
    QCOMPARE(answer(&TQuestMessForm::abortButton), TSkipAnswer::Abort);
    // Closed without a button: abort.
    whenModal<TQuestMessForm>([](TQuestMessForm* form) { form->close(); });
    QCOMPARE(TQuestMessForm::AskSkip(QStringLiteral("x")), TSkipAnswer::Abort);
}

void TestImpXML::mainWindowReloadsAfterAnImport()
{
    QPointer<TF2tpForm> main = new TF2tpForm(*m_dm);
    main->show();
    QAction* action = main->ImpAct();
    QCOMPARE(action->text(), QStringLiteral("Загрузка данных..."));
    QCOMPARE(action->toolTip(), QStringLiteral("Импорт данных"));
    QVERIFY(main->serviceMenu()->actions().contains(action));
    QVERIFY(action->isEnabled());

    const QString manifest = writeSet(m_set);
    whenModal<TImpXMLForm>([&](TImpXMLForm* form) {
        form->chooseSource(manifest);
        QTest::mouseClick(form->ImportButton(), Qt::LeftButton);
        form->CloseButton()->click();
    });
    action->trigger();
    // The sections were reread: the imported row, and fixed rows where the
    // section's file held none.
    TozMemoryData& r5 = m_dm->R5Table();
    QCOMPARE(r5.recordCount(), 1);
    QCOMPARE(r5.fieldByName(QStringLiteral("C3")).asFloat(), 7.25);
    QCOMPARE(m_dm->R1Table().recordCount(), 9);
    delete main;
}

int main(int argc, char** argv)
{
    TF2tpApplication app(argc, argv);
    TestImpXML test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_ImpXML.moc"

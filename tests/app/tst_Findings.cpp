// The findings pane of the main window: filled by "Контроль" and by a print
// that a failed check stopped, and taking the user to the cell of a finding.
#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "DataControls.h"
#include "FPr.h"
#include "FindingsPane.h"
#include "LookupEdit.h"
#include "MDM.h"
#include "Main.h"
#include "OZGrid.h"
#include "ProgramFolder.h"
#include "RepProcExt.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

class RecordingPresenter final : public IReportPresenter
{
public:
    void present(const TPreparedReport&) override { ++shown; }
    int shown = 0;
};

QTreeWidgetItem* lineWith(QTreeWidget* list, int column, const QString& text)
{
    const QList<QTreeWidgetItem*> found =
        list->findItems(text, Qt::MatchExactly | Qt::MatchRecursive, column);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class FindingsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = ProgramFolder::withProgramData();
        m_folder->copyTemplate(QStringLiteral("Contr2TPV.tvx"));
        QVERIFY(m_folder->valid());
        LoadReportEngine();
        m_ui = std::make_unique<TScriptedUserInterface>();
        m_dm = std::make_unique<TDM>(m_folder->path());
        m_form = new TF2tpForm(*m_dm);
        setReportPresenter(&m_presenter);
        m_form->resize(1000, 700);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        delete m_form;
        m_dm.reset();
        m_ui.reset();
        setReportPresenter(nullptr);
    }

    void controlFillsThePaneAndEnterGoesToTheCell()
    {
        TFindingsPane* pane = m_form->findingsPane();
        QVERIFY(pane);
        QVERIFY(!pane->isVisible());
        type(1, 104, "C2", QStringLiteral("3"));
        type(1, 104, "C3", QStringLiteral("30"));
        m_form->pages()->setCurrentIndex(4);

        m_form->ContrAct()->trigger();
        QCOMPARE(m_presenter.shown, 1);
        QVERIFY(pane->isVisible());
        QCOMPARE(pane->windowTitle(), QStringLiteral("Результаты контроля"));
        QTreeWidget* list = pane->list();
        // Seven missing details, rules 2, 3 and 6, three totals below their "of which".
        QCOMPARE(list->topLevelItemCount(), 13);
        QTreeWidgetItem* rule3 = lineWith(
            list, 1, QStringLiteral("Графа 7 строка 101 раздел 1 <> Графа 4 строка 301 раздел 3"));
        QVERIFY(rule3);
        QCOMPARE(rule3->text(0), QStringLiteral("Ошибка"));
        QCOMPARE(rule3->text(2), QStringLiteral("раздел 1, строка 101, графа 7"));
        QTreeWidgetItem* ratio = lineWith(
            list, 1, QStringLiteral("Графа 3 строка 104 раздел 1 > Графа 2 строка 104 раздел 1"));
        QVERIFY(ratio);
        QCOMPARE(ratio->text(0), QStringLiteral("Предупреждение"));

        // Enter on the ratio: section 1's page, the cursor on row 104, column 3.
        list->setFocus();
        list->setCurrentItem(ratio);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(m_form->pages()->currentIndex(), 0);
        TOZGrid* grid = m_form->grid(1);
        QCOMPARE(m_dm->R1Table().fieldByName(QStringLiteral("CA")).asInteger(), 104);
        QCOMPARE(grid->currentIndex().row(), 3);
        QCOMPARE(grid->gridColumn(grid->selectedColumn())->fieldName(), QStringLiteral("C3"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(grid));

        // The other cell of rule 3, on its own line: section 3, row 301, column 4.
        QTreeWidgetItem* row301 = rule3->child(1);
        QVERIFY(row301);
        QCOMPARE(row301->text(2), QStringLiteral("раздел 3, строка 301, графа 4"));
        list->setFocus();
        list->setCurrentItem(row301);
        QTest::keyClick(list, Qt::Key_Enter);
        QCOMPARE(m_form->pages()->currentIndex(), 2);
        TOZGrid* grid3 = m_form->grid(3);
        QCOMPARE(grid3->currentIndex().row(), 0);
        QCOMPARE(grid3->gridColumn(grid3->selectedColumn())->fieldName(), QStringLiteral("C4"));

        // Closed, it comes back rebuilt at the next check.
        pane->close();
        QVERIFY(!pane->isVisible());
        type(1, 104, "C3", QStringLiteral("3"));
        m_form->ContrAct()->trigger();
        QVERIFY(pane->isVisible());
        QVERIFY(!lineWith(
            list, 1, QStringLiteral("Графа 3 строка 104 раздел 1 > Графа 2 строка 104 раздел 1")));
    }

    void missingDetailOpensTheCardOnItsField()
    {
        m_form->ContrAct()->trigger();
        QTreeWidget* list = m_form->findingsPane()->list();
        QTreeWidgetItem* okpo = lineWith(list, 2, QStringLiteral("организация, поле «ОКПО»"));
        QVERIFY(okpo);
        QWidget* focused = nullptr;
        QTimer::singleShot(0, this, [&focused] {
            if (auto* card = qobject_cast<TPrForm*>(QApplication::activeModalWidget())) {
                focused = card->focusWidget() == card->fieldEdit(QStringLiteral("OKPO"))
                              ? card->focusWidget()
                              : nullptr;
                card->reject();
            }
        });
        list->setFocus();
        list->setCurrentItem(okpo);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(focused);
    }

    void failedPrintFillsThePane()
    {
        m_form->PrintAct()->trigger();
        QVERIFY(m_ui->calls.contains(QStringLiteral("warning: Ошибка заполнения формы: Не "
                                                    "заполнен код О") +
                                     QLatin1Char('K') + QStringLiteral("ПО")));
        QVERIFY(m_form->findingsPane()->isVisible());
        QCOMPARE(m_form->findingsPane()->list()->topLevelItemCount(), 7);
    }

private:
    void type(int section, int row, const char* column, const QString& text)
    {
        TozMemoryData& table = m_dm->sectionTable(section);
        QVERIFY(table.locate(QStringLiteral("CA"), row));
        table.edit();
        table.fieldByName(QString::fromLatin1(column)).setText(text);
        // Section 1's totals post the row themselves.
        if (table.state() != TDataSetState::dsBrowse)
            table.post();
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TScriptedUserInterface> m_ui;
    RecordingPresenter m_presenter;
    std::unique_ptr<TDM> m_dm;
    TF2tpForm* m_form = nullptr;
};

QTEST_MAIN(FindingsTest)
#include "tst_Findings.moc"

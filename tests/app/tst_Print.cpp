// The print menu of the main window and the nitrogen oxide dialog driven as a
// user would: typed amounts capped by the dialog's rules, "Отмена" dropping
// the prefill, "Принять" leading to the saved tables and the printed form.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include "DataSetModel.h"
#include "LookupEdit.h"
#include "MDM.h"
#include "Main.h"
#include "NO.h"
#include "OZGrid.h"
#include "PrintJobs.h"
#include "ProgramFolder.h"
#include "RepProcExt.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

class RecordingPresenter final : public IReportPresenter
{
public:
    void present(const TPreparedReport& report) override { reports.push_back(report); }
    std::vector<TPreparedReport> reports;
};

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

void typeIntoEdit(TOZDBEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

double number(TozMemoryData& table, const char* field)
{
    return table.fieldByName(QString::fromLatin1(field)).asFloat();
}

} // namespace

class PrintTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        // A fresh folder per test: a print saves the sections.
        m_folder = ProgramFolder::withProgramData();
        m_folder->copyTemplate(QStringLiteral("Contr2TPV.tvx"));
        for (const char* name : {"2TPV.TVX", "2TPVst.TVX", "2TP441.TVX"})
            m_folder->copyTemplate(QString::fromLatin1(name), QStringLiteral(F2TP_PRINT_TEST_DATA));
        QVERIFY(m_folder->valid());
        LoadReportEngine();
        m_presenter.reports.clear();
        m_ui = std::make_unique<TScriptedUserInterface>();
        m_dm = std::make_unique<TDM>(m_folder->path());
        m_form = new TF2tpForm(*m_dm);
        setReportPresenter(&m_presenter);
    }

    void cleanup()
    {
        delete m_form;
        m_dm.reset();
        m_ui.reset();
        setReportPresenter(nullptr);
    }

    void printMenuOffersTheThreeForms()
    {
        QToolButton* button = nullptr;
        for (QToolButton* b : m_form->lowerToolBar()->findChildren<QToolButton*>())
            if (b->text() == QStringLiteral("Печать"))
                button = b;
        QVERIFY(button);
        QCOMPARE(button->menu(), m_form->printMenu());
        QCOMPARE(m_form->printMenu()->actions(),
                 (QList<QAction*>{m_form->PrintAct(), m_form->PrintAct2(), m_form->PRAct3()}));
        QCOMPARE(m_form->PrintAct()->text(), QStringLiteral("Форма 2-тп (воздух) "));
        QCOMPARE(m_form->PrintAct2()->text(), QStringLiteral("Форма 2-тп (воздух) для статистики"));
        QCOMPARE(m_form->PRAct3()->text(), QStringLiteral("Форма 2-тп (воздух) приказ №441"));
        QCOMPARE(m_form->PrintAct()->toolTip(), QStringLiteral("Печать формы"));
        QCOMPARE(m_form->PrintAct2()->toolTip(), QStringLiteral("Печать формы"));
        QCOMPARE(m_form->PRAct3()->statusTip(), QString());
        QCOMPARE(m_form->PrintAct2()->data().toInt(), 1);
        QCOMPARE(m_form->PRAct3()->data().toInt(), 2);
    }

    void printWithEmptyCardShowsTheProtocolInstead()
    {
        m_form->PRAct3()->trigger();
        QCOMPARE(m_ui->calls.filter(QStringLiteral("warning: Ошибка заполнения формы: ")).size(),
                 1);
        QCOMPARE(m_presenter.reports.size(), std::size_t(1));
        QVERIFY(m_presenter.reports[0].title != QStringLiteral("Форма 2-тп (воздух) приказ №441"));
    }

    void statisticsPrintLeavesSection2OnItsTable()
    {
        fillCard();
        m_form->PrintAct2()->trigger();
        QVERIFY(m_ui->applicationErrors.isEmpty());
        QCOMPARE(m_presenter.reports.size(), std::size_t(1));
        QCOMPARE(m_presenter.reports[0].title,
                 QStringLiteral("Форма 2-тп (воздух) для статистики"));
        QCOMPARE(m_form->sectionSource(2)->dataSet(), &m_dm->R2Table());
        // The window's source follows the job's.
        m_form->printJobs().setSource(2, m_dm->R2TableStat());
        QCOMPARE(m_form->sectionSource(2)->dataSet(), &m_dm->R2TableStat());
        m_form->printJobs().setSource(2, m_dm->R2Table());
    }

    void dialogCapsTypedAmounts()
    {
        reportNitrogenOxide(10);
        bool shown = false;
        m_ui->nitrogenOxide = [&](const TNitrogenOxideTables& tables) -> bool {
            TNOForm dialog(tables, m_form);
            dialog.show();
            shown = QTest::qWaitForWindowExposed(&dialog);
            [&] {
                QCOMPARE(dialog.windowTitle(),
                         QStringLiteral("Выброс оксида азота для пересчета в диоксид азота"));
            }();
            TozMemoryData& nor1 = tables.section1;
            nor1.edit();
            nor1.fieldByName(QStringLiteral("C5")).setAsFloat(2);
            nor1.post();
            typeIntoCell(dialog.section1Grid(), 0, 0, QStringLiteral("12"));
            [&] {
                QCOMPARE(number(nor1, "C2"), 10.0);
                QCOMPARE(number(nor1, "C4"), 2.0);
            }();
            typeIntoCell(dialog.section1Grid(), 0, 0, QStringLiteral("4"));
            [&] {
                QCOMPARE(number(nor1, "C4"), 8.0);
            }();
            typeIntoCell(dialog.section1Grid(), 0, 1, QStringLiteral("7"));
            [&] {
                QCOMPARE(number(nor1, "C3"), 4.0);
            }();
            // The totals and norms and row 301 of section 3 cannot be typed into.
            dialog.section1Grid()->setCurrentIndex(dialog.section1Grid()->model()->index(0, 5));
            [&] {
                QVERIFY(!dialog.section1Grid()->openCellEditor());
            }();
            dialog.section3Grid()->setCurrentIndex(dialog.section3Grid()->model()->index(0, 2));
            [&] {
                QVERIFY(!dialog.section3Grid()->openCellEditor());
            }();
            typeIntoCell(dialog.section3Grid(), 1, 2, QStringLiteral("5"));
            typeIntoEdit(dialog.fuelEdit(), QStringLiteral("3"));
            [&] {
                QCOMPARE(number(tables.section5, "C4"), 7.0);
            }();
            typeIntoEdit(dialog.processEdit(), QStringLiteral("15"));
            [&] {
                QCOMPARE(number(tables.section5, "C4"), 10.0);
                QCOMPARE(number(tables.section5, "C3"), 0.0);
            }();
            QTest::mouseClick(dialog.acceptButton(), Qt::LeftButton);
            return dialog.result() == QDialog::Accepted;
        };
        m_form->PrintAct2()->trigger();
        QVERIFY(shown);
        QVERIFY(m_ui->applicationErrors.isEmpty());
        QVERIFY(m_form->printJobs().NOxApplied());
        QCOMPARE(m_presenter.reports.size(), std::size_t(1));
        // "Принять": the tables were saved as typed.
        TozMemoryData& saved = m_dm->NOR3Table();
        saved.close();
        saved.open();
        QVERIFY(saved.locate(QStringLiteral("CA"), 302));
        QCOMPARE(number(saved, "C4"), 5.0);
    }

    void cancelDropsThePrefill()
    {
        reportNitrogenOxide(10);
        m_ui->nitrogenOxide = [&](const TNitrogenOxideTables& tables) -> bool {
            TNOForm dialog(tables, m_form);
            dialog.show();
            typeIntoCell(dialog.section1Grid(), 0, 0, QStringLiteral("3"));
            QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
            return dialog.result() == QDialog::Accepted;
        };
        m_form->PrintAct2()->trigger();
        QVERIFY(m_presenter.reports.empty());
        QVERIFY(m_ui->applicationErrors.isEmpty());
        QVERIFY(!m_dm->NOR1Table().active());
        QVERIFY(!QFile::exists(m_folder->dataFile(QStringLiteral("F2TPR1NO.xml"))));

        // The close button cancels too, but the tables stay as they are.
        m_ui->nitrogenOxide = [&](const TNitrogenOxideTables& tables) -> bool {
            TNOForm dialog(tables, m_form);
            dialog.show();
            dialog.close();
            return dialog.result() == QDialog::Accepted;
        };
        m_form->PrintAct2()->trigger();
        QVERIFY(m_presenter.reports.empty());
        QVERIFY(m_dm->NOR1Table().active());
        QCOMPARE(number(m_dm->NOR1Table(), "C7"), 10.0);
    }

private:
    void fillCard()
    {
        TozMemoryData& card = m_dm->PrTable();
        TControlsDisabler quiet(card);
        if (card.isEmpty())
            card.append();
        else
            card.edit();
        for (const char* column : {"KOD", "PNAZ", "OKPO", "OKOH1", "KFS", "KOPF", "OKCM", "ADR"})
            card.fieldByName(QString::fromLatin1(column)).setAsString(QStringLiteral("1"));
        card.post();
    }

    // Section 2 reports the amount of nitrogen oxide; section 1 row 109 and
    // section 3 match it, so the form passes its check.
    void reportNitrogenOxide(double amount)
    {
        fillCard();
        TozMemoryData& r2 = m_dm->R2Table();
        {
            TControlsDisabler quiet(r2);
            r2.append();
            r2.fieldByName(QStringLiteral("CA")).setAsInteger(204);
            r2.fieldByName(QStringLiteral("C1")).setAsInteger(304);
            r2.fieldByName(QStringLiteral("C2")).setAsFloat(amount);
            r2.post();
        }
        const auto set = [&](int section, int row, const char* column, double value) {
            TozMemoryData& table = m_dm->sectionTable(section);
            QVERIFY(table.locate(QStringLiteral("CA"), row));
            table.edit();
            table.fieldByName(QString::fromLatin1(column)).setText(QString::number(value));
            // The row rules may have posted the row already.
            if (table.state() == TDataSetState::dsEdit)
                table.post();
        };
        set(1, 109, "C2", amount);
        set(3, 301, "C1", 1);
        set(3, 301, "C4", amount);
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TScriptedUserInterface> m_ui;
    RecordingPresenter m_presenter;
    std::unique_ptr<TDM> m_dm;
    TF2tpForm* m_form = nullptr;
};

QTEST_MAIN(PrintTest)
#include "tst_Print.moc"

// The export command of the main window and the export window: the command's
// place and enabling, the check that keeps a faulty form from being exported,
// and a run of the window that writes the archive while its progress moves.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "DesktopInterface.h"
#include "ExpV.h"
#include "MDM.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "RepProcExt.h"
#include "ReportPreview.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"
#include "ozField.h"

namespace {

QStringList strings(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

class CountingPresenter final : public IReportPresenter
{
public:
    void present(const TPreparedReport&) override { ++shown; }
    int shown = 0;
};

// Runs action once the next modal window is up; gives up after a few seconds.
void whenModal(QObject* context, std::function<void(QWidget*)> action)
{
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [context, action, tries, poll] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            action(modal);
            return;
        }
        if (++*tries < 100)
            QTimer::singleShot(50, context, *poll);
    };
    QTimer::singleShot(50, context, *poll);
}

} // namespace

class ExportTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = ProgramFolder::withProgramData();
        m_folder->copyTemplate(QStringLiteral("Contr2TPV.tvx"));
        QVERIFY(m_folder->valid());
        LoadReportEngine();
        m_presenter.shown = 0;
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

    void theCommandNeedsAnOrganisationAndAYear()
    {
        QAction* act = m_form->ExpAct();
        QVERIFY(m_form->serviceMenu()->actions().contains(act));
        QCOMPARE(act->text(), QStringLiteral("Выгрузка данных..."));
        QCOMPARE(act->toolTip(), QStringLiteral("Экспорт данных"));
        QVERIFY(!act->isEnabled());
        fillCard(QStringLiteral("12345678"));
        QVERIFY(act->isEnabled());
        m_dm->setCurrentYear(0);
        m_form->updateActions();
        QVERIFY(!act->isEnabled());
    }

    void aFailedCheckShowsTheProtocolAndNoWindow()
    {
        fillCard(QString());
        m_form->ExpAct()->trigger();
        QCOMPARE(m_ui->calls.filter(QStringLiteral("warning")),
                 strings({"warning: Ошибка заполнения формы: Не заполнен код ОKПО"}));
        QCOMPARE(m_presenter.shown, 1);
        QVERIFY(m_form->findChildren<TExpVForm*>().isEmpty());
    }

    void aPassedCheckOpensTheWindowWhichGoesWhenClosed()
    {
        fillCard(QStringLiteral("12345678"));
        QString caption;
        QPointer<QWidget> window;
        whenModal(this, [&](QWidget* modal) {
            caption = modal->windowTitle();
            window = modal;
            modal->close();
        });
        m_form->ExpAct()->trigger();
        QCOMPARE(caption, QStringLiteral("Экспорт - Форма 2-тп (воздух)"));
        QTRY_VERIFY(window.isNull());
        QCOMPARE(m_presenter.shown, 0);
    }

    void theWindowExportsWhileItsProgressMoves()
    {
        fillCard(QStringLiteral("12345678"));
        TDesktopInterface desktop;
        const UserInterfaceGuard installed(desktop);
        QPointer<TExpVForm> window = new TExpVForm(*m_dm, QStringLiteral("Форма 2-тп (воздух)"));
        QVERIFY(window->PackBox()->isHidden() && window->PackBox()->isChecked());
        QVERIFY(window->FormatGroup()->isHidden());
        QCOMPARE(window->FolderEdit()->text(), QString());
        QVERIFY(!window->exportButton()->isEnabled());
        window->FolderEdit()->setText(QStringLiteral("   "));
        QVERIFY(!window->exportButton()->isEnabled());
        QTemporaryDir out;
        window->FolderEdit()->setText(QLatin1Char(' ') + QDir::toNativeSeparators(out.path()));
        QVERIFY(window->exportButton()->isEnabled());
        window->show();

        QString announced;
        int position = -1;
        QString status;
        whenModal(this, [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            announced = box->windowTitle() + QLatin1Char('|') + box->text();
            position = window->progressBar()->value();
            status = window->statusLabel()->text();
            box->button(QMessageBox::Ok)->click();
        });
        QTest::mouseClick(window->exportButton(), Qt::LeftButton);
        QCOMPARE(announced, QStringLiteral("Форма №2-тп (воздух)|Экспорт закончен"));
        QCOMPARE(position, 11);
        QCOMPARE(status, QStringLiteral("SPRDOLJ.xml"));
        QCOMPARE(window->progressBar()->value(), 0);
        QCOMPARE(window->statusLabel()->text(), QString());
        QCOMPARE(QDir(out.path()).entryList(QDir::Files),
                 strings({"Форма 2-тп (воздух) 7701    Завод    Данные за 2000 год.vlt"}));
        window->closeButton()->click();
        QTRY_VERIFY(window.isNull());
    }

    void anUntitledWindowKeepsItsOwnCaption()
    {
        TExpVForm window(*m_dm, QString());
        QCOMPARE(window.windowTitle(), QStringLiteral("Выгрузка данных "));
    }

private:
    // The card with its mandatory details (OKPO as given) and the context taken from it.
    void fillCard(const QString& okpo)
    {
        TozMemoryData& card = m_dm->PrTable();
        card.append();
        const std::pair<const char*, QString> details[] = {
            {"KOD", QStringLiteral("7701")},
            {"PNAZ", QStringLiteral("Завод")},
            {"OKPO", okpo},
            {"OKOH1", QStringLiteral("20.11")},
            {"KFS", QStringLiteral("16")},
            {"KOPF", QStringLiteral("12267")},
            {"OKCM", QStringLiteral("45286")},
            {"ADR", QStringLiteral("Москва")},
        };
        for (const auto& [column, text] : details)
            card.fieldByName(QString::fromLatin1(column)).setAsString(text);
        card.post();
        m_form->RefreshContext();
    }

    std::unique_ptr<ProgramFolder> m_folder;
    CountingPresenter m_presenter;
    std::unique_ptr<TScriptedUserInterface> m_ui;
    std::unique_ptr<TDM> m_dm;
    TF2tpForm* m_form = nullptr;
};

QTEST_MAIN(ExportTest)
#include "tst_Export.moc"

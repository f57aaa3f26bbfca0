// The control command of the main window and the preview window it shows:
// the protocol reaches the preview, which lays it out again on another page
// setup and saves it as PDF.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "MDM.h"
#include "Main.h"
#include "ProgramFolder.h"
#include "RepProcExt.h"
#include "ReportPreview.h"
#include "ScriptedUserInterface.h"
#include "UserInterface.h"

namespace {

class RecordingPresenter final : public IReportPresenter
{
public:
    void present(const TPreparedReport& report) override { reports.push_back(report); }
    std::vector<TPreparedReport> reports;
};

QStringList cellTexts(const TPreparedReport& report, int column)
{
    QStringList texts;
    for (const TvxRow& row : report.sheets.at(0).rows)
        texts.append(row.cells.at(std::size_t(column - 1)).text);
    return texts;
}

} // namespace

class ProtocolTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = ProgramFolder::withProgramData();
        m_folder->copyTemplate(QStringLiteral("Contr2TPV.tvx"));
        QVERIFY(m_folder->valid());
        LoadReportEngine();
        m_presenter.reports.clear();
        m_ui = std::make_unique<TScriptedUserInterface>();
        m_dm = std::make_unique<TDM>(m_folder->path());
        m_form = new TF2tpForm(*m_dm);
        // The window installs the preview; the test stands in for it.
        setReportPresenter(&m_presenter);
    }

    void cleanup()
    {
        delete m_form;
        m_dm.reset();
        m_ui.reset();
        setReportPresenter(nullptr);
    }

    void controlCommandShowsTheProtocol()
    {
        QVERIFY(m_form->lowerToolBar()->actions().contains(m_form->ContrAct()));
        QCOMPARE(m_form->ContrAct()->text(), QStringLiteral("Контроль"));
        QCOMPARE(m_form->ContrAct()->statusTip(),
                 QStringLiteral("Контроль правильности заполнения формы"));
        m_form->ContrAct()->trigger();
        QVERIFY(m_ui->errors.isEmpty());
        QCOMPARE(m_presenter.reports.size(), std::size_t(1));
        const TPreparedReport& report = m_presenter.reports.front();
        // The empty card: seven missing details below the title.
        const QStringList firstColumn = cellTexts(report, 1);
        QCOMPARE(firstColumn.at(2), QStringLiteral("Не заполнено наименование предприятия"));
        QCOMPARE(firstColumn.at(8), QStringLiteral("Не заполнен код ОКПО"));
        QVERIFY(firstColumn.contains(
            QStringLiteral("Графа 7 строка 101 раздел 1 = Графа 4 строка 301 раздел 3")));
        QVERIFY(m_ui->calls.contains(QStringLiteral("wait: Подождите, идет обработка данных...")));
        QVERIFY(!m_ui->waitShown());
    }

    void previewLaysOutAgainAndSavesPdfAndWorkbook()
    {
        m_form->ContrAct()->trigger();
        QCOMPARE(m_presenter.reports.size(), std::size_t(1));
        TReportPreviewForm preview(m_presenter.reports.front());
        QCOMPARE(preview.pageCount(), 1);
        const QList<QAction*> commands = preview.toolBar()->actions();
        QCOMPARE(commands.indexOf(preview.XlsxAct()), commands.indexOf(preview.PdfAct()) + 1);
        QCOMPARE(preview.XlsxAct()->text(), QStringLiteral("Сохранить в Excel…"));
        QCOMPARE(preview.PrintAct()->text(), QStringLiteral("Печать"));
        QCOMPARE(preview.PageSetupAct()->text(), QStringLiteral("Параметры страницы"));
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QCOMPARE(preview.preview()->pageCount(), 1);
        const QSize portrait = preview.report().pages.at(0).size;
        QVERIFY(portrait.height() > portrait.width());

        preview.ApplyPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                            QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        const TLaidPage& page = preview.report().pages.at(0);
        QVERIFY(page.size.width() > page.size.height());
        QCOMPARE(page.rowTops.at(0), 1000);
        // Landscape holds fewer rows per page: the protocol runs onto a second one.
        QCOMPARE(preview.pageCount(), 2);
        QCOMPARE(preview.preview()->pageCount(), 2);

        const QString pdf = m_folder->file(QStringLiteral("protocol.pdf"));
        preview.SaveAsPdf(pdf);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("%PDF"));
        preview.SaveAsPdf(m_folder->file(QStringLiteral("missing/protocol.pdf")));
        QCOMPARE(m_ui->errors.size(), 1);

        const QString xlsx = m_folder->file(QStringLiteral("protocol.xlsx"));
        preview.SaveAsXlsx(xlsx);
        QFile book(xlsx);
        QVERIFY(book.open(QIODevice::ReadOnly));
        QVERIFY(book.readAll().startsWith("PK"));
        const QString missing = m_folder->file(QStringLiteral("missing/protocol.xlsx"));
        preview.SaveAsXlsx(missing);
        QCOMPARE(m_ui->errors.size(), 2);
        QCOMPARE(m_ui->errors.back(), QStringLiteral("Не удается записать файл ") + missing);
    }

private:
    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TScriptedUserInterface> m_ui;
    RecordingPresenter m_presenter;
    std::unique_ptr<TDM> m_dm;
    TF2tpForm* m_form = nullptr;
};

QTEST_MAIN(ProtocolTest)
#include "tst_Protocol.moc"

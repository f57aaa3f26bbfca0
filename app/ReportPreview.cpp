#include "ReportPreview.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "Errors.h"
#include "ObFunc.h"
#include "ReportPaint.h"
#include "ReportXlsx.h"
#include "UserInterface.h"

namespace {

QAction* addCommand(QToolBar* bar, const QIcon& icon, const QString& caption)
{
    QAction* action = bar->addAction(icon, caption);
    action->setToolTip(caption);
    return action;
}

} // namespace

TReportPreviewForm::TReportPreviewForm(const TPreparedReport& report, QWidget* parent)
    : QDialog(parent)
    , m_report(report)
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    setWindowTitle(QStringLiteral("Просмотр: ") + report.title);
    // The pages are laid out with their own margins from the paper's corner.
    m_printer->setFullPage(true);
    m_printer->setDocName(report.title);
    if (!m_report.pages.empty() && !m_report.sheets.empty())
        m_printer->setPageLayout(LayoutPageLayout(m_report.sheets.front().page));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_toolBar = new QToolBar(this);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout->addWidget(m_toolBar);
    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    layout->addWidget(m_preview, 1);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this,
            &TReportPreviewForm::paintRequested);
    createActions();

    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    resize(std::min(1150, screen.width()), std::min(1000, screen.height()));
    m_preview->fitToWidth();
}

TReportPreviewForm::~TReportPreviewForm() = default;

void TReportPreviewForm::createActions()
{
    QStyle* look = style();
    m_printAct = addCommand(m_toolBar, look->standardIcon(QStyle::SP_DialogOkButton),
                            QStringLiteral("Печать"));
    m_pageSetupAct = addCommand(m_toolBar, look->standardIcon(QStyle::SP_FileDialogDetailedView),
                                QStringLiteral("Параметры страницы"));
    m_pdfAct = addCommand(m_toolBar, look->standardIcon(QStyle::SP_DialogSaveButton),
                          QStringLiteral("Сохранить как PDF"));
    m_xlsxAct = addCommand(m_toolBar, look->standardIcon(QStyle::SP_FileIcon),
                           QStringLiteral("Сохранить в Excel…"));
    m_toolBar->addSeparator();
    QAction* zoomIn =
        addCommand(m_toolBar, look->standardIcon(QStyle::SP_ArrowUp), QStringLiteral("Крупнее"));
    QAction* zoomOut =
        addCommand(m_toolBar, look->standardIcon(QStyle::SP_ArrowDown), QStringLiteral("Мельче"));
    QAction* fitWidth = addCommand(m_toolBar, look->standardIcon(QStyle::SP_TitleBarMaxButton),
                                   QStringLiteral("По ширине"));
    QAction* fitPage = addCommand(m_toolBar, look->standardIcon(QStyle::SP_TitleBarNormalButton),
                                  QStringLiteral("Страница целиком"));
    m_toolBar->addSeparator();
    QAction* close = addCommand(m_toolBar, look->standardIcon(QStyle::SP_DialogCloseButton),
                                QStringLiteral("Закрыть"));

    connect(m_printAct, &QAction::triggered, this, &TReportPreviewForm::PrintActExecute);
    connect(m_pageSetupAct, &QAction::triggered, this, &TReportPreviewForm::PageSetupActExecute);
    connect(m_pdfAct, &QAction::triggered, this, &TReportPreviewForm::PdfActExecute);
    connect(m_xlsxAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { XlsxActExecute(); }); });
    connect(zoomIn, &QAction::triggered, m_preview, [this] { m_preview->zoomIn(); });
    connect(zoomOut, &QAction::triggered, m_preview, [this] { m_preview->zoomOut(); });
    connect(fitWidth, &QAction::triggered, m_preview, &QPrintPreviewWidget::fitToWidth);
    connect(fitPage, &QAction::triggered, m_preview, &QPrintPreviewWidget::fitInView);
    connect(close, &QAction::triggered, this, &QDialog::accept);
}

void TReportPreviewForm::paintRequested(QPrinter* printer)
{
    // Qt calls this from its paint machinery: nothing may escape.
    try {
        paintPages(*printer, m_report.pages);
    } catch (const F2tpError& e) {
        ShowErrorBox(e.message());
    }
}

void TReportPreviewForm::PrintActExecute()
{
    QPrintDialog dialog(m_printer.get(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_printer->setFullPage(true);
    paintRequested(m_printer.get());
}

void TReportPreviewForm::PageSetupActExecute()
{
    QPrinter setup(QPrinter::HighResolution);
    if (!m_report.sheets.empty()) {
        const TvxPage& page = m_report.sheets.front().page;
        setup.setPageLayout(QPageLayout(
            QPageSize(page.paper), page.orientation,
            QMarginsF(page.margins[0], page.margins[1], page.margins[2], page.margins[3]),
            QPageLayout::Millimeter));
    }
    QPageSetupDialog dialog(&setup, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ApplyPageLayout(setup.pageLayout());
}

void TReportPreviewForm::ApplyPageLayout(const QPageLayout& layout)
{
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    for (TvxSheet& sheet : m_report.sheets) {
        if (layout.pageSize().id() != QPageSize::Custom)
            sheet.page.paper = layout.pageSize().id();
        sheet.page.orientation = layout.orientation();
        sheet.page.margins = {margins.left(), margins.top(), margins.right(), margins.bottom()};
    }
    m_report.pages = LayoutReport(m_report.sheets, m_report.variables);
    if (!m_report.sheets.empty())
        m_printer->setPageLayout(LayoutPageLayout(m_report.sheets.front().page));
    m_preview->updatePreview();
}

void TReportPreviewForm::SaveAsPdf(const QString& fileName)
{
    try {
        WritePdf(m_report.pages, fileName, m_report.title);
    } catch (const F2tpError& e) {
        ShowErrorBox(e.message());
    }
}

void TReportPreviewForm::PdfActExecute()
{
    const QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить как PDF"),
                                                          m_report.title + QStringLiteral(".pdf"),
                                                          QStringLiteral("Документ PDF (*.pdf)"));
    if (!fileName.isEmpty())
        SaveAsPdf(fileName);
}

void TReportPreviewForm::SaveAsXlsx(const QString& fileName)
{
    try {
        BusyCursorGuard busy;
        SaveReportAsXlsx(m_report, fileName);
    } catch (const F2tpError& e) {
        ShowErrorBox(e.message());
    }
}

void TReportPreviewForm::XlsxActExecute()
{
    QString fileName = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить в Excel"),
                                                    m_report.title + QStringLiteral(".xlsx"),
                                                    QStringLiteral("Книга Excel (*.xlsx)"));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".xlsx");
    SaveAsXlsx(fileName);
}

void TPreviewPresenter::present(const TPreparedReport& report)
{
    TReportPreviewForm form(report, QApplication::activeWindow());
    form.exec();
}

#pragma once

#include <memory>

#include <QDialog>

#include "Report.h"

class QPrinter;
class QPrintPreviewWidget;
class QToolBar;

// The print preview of a report: its pages as the engine laid them out, with
// commands to print, to set the page up (the report is laid out again on the
// new paper, orientation and margins) and to save it as a PDF file or an
// Excel workbook.
class TReportPreviewForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TReportPreviewForm(const TPreparedReport& report, QWidget* parent = nullptr);
    ~TReportPreviewForm() override;

    int pageCount() const { return int(m_report.pages.size()); }
    const TPreparedReport& report() const { return m_report; }
    QPrintPreviewWidget* preview() const { return m_preview; }
    QToolBar* toolBar() const { return m_toolBar; }
    QAction* PrintAct() const { return m_printAct; }
    QAction* PageSetupAct() const { return m_pageSetupAct; }
    QAction* PdfAct() const { return m_pdfAct; }
    QAction* XlsxAct() const { return m_xlsxAct; }

    // Writes the pages as the file; an error goes to the error box.
    void SaveAsPdf(const QString& fileName);
    // Writes the sheets as a workbook with the current page setup; an error
    // goes to the error box.
    void SaveAsXlsx(const QString& fileName);
    // Lays the report out again with the page layout (paper, orientation, margins).
    void ApplyPageLayout(const QPageLayout& layout);

private:
    Q_DISABLE_COPY_MOVE(TReportPreviewForm)
    void createActions();
    void paintRequested(QPrinter* printer);
    void PrintActExecute();
    void PageSetupActExecute();
    void PdfActExecute();
    void XlsxActExecute();

    TPreparedReport m_report;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget* m_preview = nullptr;
    QToolBar* m_toolBar = nullptr;
    QAction* m_printAct = nullptr;
    QAction* m_pageSetupAct = nullptr;
    QAction* m_pdfAct = nullptr;
    QAction* m_xlsxAct = nullptr;
};

// Shows every report in the preview window, modal over the active window.
// Installed by the main window for its lifetime.
class TPreviewPresenter final : public IReportPresenter
{
public:
    TPreviewPresenter() = default;
    Q_DISABLE_COPY_MOVE(TPreviewPresenter)
    void present(const TPreparedReport& report) override;
};

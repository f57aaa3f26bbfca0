#pragma once

#include <QDialog>
#include <QString>

#include "Export.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class TDM;

// The export window over TExport: the destination folder with its picker,
// "Экспорт", "Закрыть", and the progress bar with the file being written
// below it. Packing is always on and the encoding is not offered: both
// controls exist hidden. The window frees itself when it closes.
class TExpVForm final : public QDialog
{
    Q_OBJECT
public:
    TExpVForm(TDM& dm, const QString& formTitle, QWidget* parent = nullptr);
    ~TExpVForm() override;
    Q_DISABLE_COPY_MOVE(TExpVForm)

    TExport& exporter() { return m_export; }

    // The action "Экспорт"; an error reaches the application's error display
    // and the window stays open with the progress where it stopped.
    void ExportData();
    // FolderAct: the folder picker titled "Выбор папки", from the edit's text.
    void FolderActExecute();

    // Controls, for tests.
    QLineEdit* FolderEdit() const { return m_folderEdit; }
    QAction* FolderAct() const { return m_folderAct; }
    QAction* ExpAct() const { return m_expAct; }
    QCheckBox* PackBox() const { return m_packBox; }
    QGroupBox* FormatGroup() const { return m_formatGroup; }
    QPushButton* exportButton() const { return m_exportButton; }
    QPushButton* closeButton() const { return m_closeButton; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* statusLabel() const { return m_statusLabel; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QWidget* createFolderRow();
    QWidget* createHiddenOptions();
    QWidget* createButtons();
    void updateActions();

    TExport m_export;
    bool m_running = false;
    QLineEdit* m_folderEdit = nullptr;
    QAction* m_folderAct = nullptr;
    QAction* m_expAct = nullptr;
    QCheckBox* m_packBox = nullptr;
    QGroupBox* m_formatGroup = nullptr;
    QPushButton* m_exportButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QLabel* m_statusLabel = nullptr;
};

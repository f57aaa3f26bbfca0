#pragma once

#include <QDialog>

#include "XmlImport.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;
class TDM;

// The import window: the source (a manifest "TableList.inf" or an archive)
// typed or chosen in a file dialog, the manifest's label, "Импорт" and
// "Закрыть", and the progress of the tables. The work is TXmlImport's; the
// window only binds its controls to it. Used modally, on the stack.
class TImpXMLForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TImpXMLForm(TDM& dm, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(TImpXMLForm)

    // The filter of the file dialog.
    static QString FileFilter();

    // A source confirmed in the file dialog: into the edit box, read at once.
    void chooseSource(const QString& path);
    // The action "Импорт".
    void ExpActExecute();
    // An import ran to its end while the window was open.
    bool imported() const { return m_imported; }

    TXmlImport& import() { return m_import; }
    QLabel* PredprLabel() const { return m_predprLabel; }
    QLineEdit* FolderEdit() const { return m_folderEdit; }
    QToolButton* FolderButton() const { return m_folderButton; }
    QPushButton* ImportButton() const { return m_importButton; }
    QPushButton* CloseButton() const { return m_closeButton; }
    QProgressBar* progressBar() const { return m_progress; }
    QLabel* statusLabel() const { return m_status; }

    // "Закрыть" and every other way of closing; refused while an import runs.
    void reject() override;

private:
    void FolderActExecute();
    void FolderEditExit();
    void setRunning(bool running);
    void updateControls();

    TXmlImport m_import;
    bool m_imported = false;
    bool m_running = false;
    QLabel* m_predprLabel = nullptr;
    QLineEdit* m_folderEdit = nullptr;
    QToolButton* m_folderButton = nullptr;
    QPushButton* m_importButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
};

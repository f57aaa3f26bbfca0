#include "ImpXML.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "DesktopInterface.h"
#include "UserInterface.h"

TImpXMLForm::TImpXMLForm(TDM& dm, QWidget* parent)
    : QDialog(parent)
    , m_import(dm)
{
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_predprLabel = new QLabel(this);
    m_predprLabel->setWordWrap(true);
    m_folderEdit = new QLineEdit(this);
    m_folderEdit->setMinimumWidth(380);
    m_folderButton = new QToolButton(this);
    m_folderButton->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    m_folderButton->setToolTip(QStringLiteral("Выбор файла"));
    m_importButton = new QPushButton(QStringLiteral("Импорт"), this);
    m_closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    m_importButton->setDefault(true);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_status = new QLabel(this);

    auto* folderLabel = new QLabel(QStringLiteral("Каталог"), this);
    folderLabel->setBuddy(m_folderEdit);
    auto* source = new QHBoxLayout;
    source->addWidget(folderLabel);
    source->addWidget(m_folderEdit, 1);
    source->addWidget(m_folderButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_importButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_predprLabel);
    layout->addLayout(source);
    layout->addLayout(buttons);
    layout->addWidget(m_progress);
    layout->addWidget(m_status);
    // A fixed-size dialog, as large as its contents need.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_folderEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_import.setPath(text); });
    connect(m_folderEdit, &QLineEdit::editingFinished, this,
            [this] { RunAtEdge([this] { FolderEditExit(); }); });
    connect(m_folderButton, &QToolButton::clicked, this,
            [this] { RunAtEdge([this] { FolderActExecute(); }); });
    connect(m_importButton, &QPushButton::clicked, this, [this] { ExpActExecute(); });
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    updateControls();
}

QString TImpXMLForm::FileFilter()
{
    return QStringLiteral("Архив (TableList.inf *.zlb *.zip *.vlt)");
}

void TImpXMLForm::FolderEditExit()
{
    if (!m_import.pathChanged())
        return;
    try {
        m_import.LoadManifest();
    } catch (...) {
        updateControls();
        throw;
    }
    updateControls();
}

void TImpXMLForm::chooseSource(const QString& path)
{
    m_folderEdit->setText(QDir::toNativeSeparators(path));
    m_import.setPath(m_folderEdit->text());
    RunAtEdge([this] { FolderEditExit(); });
}

void TImpXMLForm::FolderActExecute()
{
    // The dialog starts in the folder of the source named, at its manifest.
    const QString typed = m_folderEdit->text().trimmed();
    QString start = QStringLiteral("TableList.inf");
    if (!typed.isEmpty()) {
        const QFileInfo info(typed);
        start = info.isDir()
                    ? QDir(typed).filePath(start)
                    : QDir(info.absolutePath()).filePath(info.isFile() ? info.fileName() : start);
    }
    QFileDialog dialog(this, QString(), start, FileFilter());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.selectFile(QFileInfo(start).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    chooseSource(dialog.selectedFiles().constFirst());
}

void TImpXMLForm::ExpActExecute()
{
    if (m_running || !m_importButton->isEnabled())
        return;
    // The tables' progress shows on this window while it runs.
    auto* desktop = dynamic_cast<TDesktopInterface*>(&userInterface());
    if (desktop)
        desktop->attachProgress(m_progress, m_status);
    setRunning(true);
    bool done = false;
    RunAtEdge([this, &done] { done = m_import.ImportData(); });
    setRunning(false);
    if (desktop)
        desktop->attachProgress(nullptr, nullptr);
    m_imported = m_imported || done;
    updateControls();
}

void TImpXMLForm::setRunning(bool running)
{
    // Window events are handled after each table: nothing may start twice.
    m_running = running;
    m_folderEdit->setEnabled(!running);
    m_folderButton->setEnabled(!running);
    m_closeButton->setEnabled(!running);
    if (running)
        m_importButton->setEnabled(false);
}

void TImpXMLForm::reject()
{
    // The window stays while the tables are being merged.
    if (!m_running)
        QDialog::reject();
}

void TImpXMLForm::updateControls()
{
    setWindowTitle(m_import.caption());
    m_predprLabel->setText(m_import.label());
    m_importButton->setEnabled(m_import.ImportEnabled());
}

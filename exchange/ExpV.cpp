#include "ExpV.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "DesktopInterface.h"
#include "UserInterface.h"

namespace {

constexpr int kWindowWidth = 460;

// The desktop program's interface moves this window's progress bar and
// status label; another interface (a test's) is left as it is.
void attachProgress(QProgressBar* bar, QLabel* status)
{
    if (auto* desktop = dynamic_cast<TDesktopInterface*>(&userInterface()))
        desktop->attachProgress(bar, status);
}

} // namespace

TExpVForm::TExpVForm(TDM& dm, const QString& formTitle, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
    , m_export(dm, formTitle)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(m_export.caption());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(createFolderRow());
    layout->addWidget(createHiddenOptions());
    layout->addWidget(createButtons());
    m_progressBar = new QProgressBar(this);
    m_progressBar->setTextVisible(false);
    layout->addWidget(m_progressBar);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setMinimumHeight(m_statusLabel->fontMetrics().height());
    layout->addWidget(m_statusLabel);

    attachProgress(m_progressBar, m_statusLabel);
    updateActions();
    setFixedSize(kWindowWidth, sizeHint().height());
}

TExpVForm::~TExpVForm()
{
    attachProgress(nullptr, nullptr);
}

QWidget* TExpVForm::createFolderRow()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Каталог"), row);
    m_folderEdit = new QLineEdit(row);
    label->setBuddy(m_folderEdit);
    connect(m_folderEdit, &QLineEdit::textChanged, this, &TExpVForm::updateActions);

    m_folderAct = new QAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                              QStringLiteral("Выбор папки"), this);
    connect(m_folderAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { FolderActExecute(); }); });
    auto* pick = new QToolButton(row);
    pick->setDefaultAction(m_folderAct);

    layout->addWidget(label);
    layout->addWidget(m_folderEdit, 1);
    layout->addWidget(pick);
    return row;
}

QWidget* TExpVForm::createHiddenOptions()
{
    // Kept for the set's layout: packing is always on, and nothing reads the
    // encoding, as the files are always Windows-1251.
    auto* options = new QWidget(this);
    auto* layout = new QHBoxLayout(options);
    layout->setContentsMargins(0, 0, 0, 0);
    m_packBox = new QCheckBox(QStringLiteral("Упаковка"), options);
    m_packBox->setChecked(true);
    m_formatGroup = new QGroupBox(QStringLiteral("Кодировка"), options);
    auto* formats = new QVBoxLayout(m_formatGroup);
    auto* cp1251 = new QRadioButton(QStringLiteral("Windows-1251"), m_formatGroup);
    cp1251->setChecked(true);
    formats->addWidget(cp1251);
    formats->addWidget(new QRadioButton(QStringLiteral("UTF-8"), m_formatGroup));
    layout->addWidget(m_packBox);
    layout->addWidget(m_formatGroup);
    m_packBox->hide();
    m_formatGroup->hide();
    options->hide();
    return options;
}

QWidget* TExpVForm::createButtons()
{
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_expAct = new QAction(QStringLiteral("Экспорт"), this);
    connect(m_expAct, &QAction::triggered, this, &TExpVForm::ExportData);
    m_exportButton = new QPushButton(m_expAct->text(), row);
    m_exportButton->setDefault(true);
    connect(m_exportButton, &QPushButton::clicked, m_expAct, &QAction::trigger);
    connect(m_expAct, &QAction::changed, m_exportButton,
            [this] { m_exportButton->setEnabled(m_expAct->isEnabled()); });
    m_closeButton = new QPushButton(QStringLiteral("Закрыть"), row);
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);
    layout->addStretch(1);
    layout->addWidget(m_exportButton);
    layout->addWidget(m_closeButton);
    return row;
}

void TExpVForm::updateActions()
{
    m_export.setFolder(m_folderEdit->text());
    m_expAct->setEnabled(!m_running && m_export.canExport());
    m_folderAct->setEnabled(!m_running);
    m_closeButton->setEnabled(!m_running);
}

void TExpVForm::FolderActExecute()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Выбор папки"),
                                                             m_folderEdit->text().trimmed());
    if (!chosen.isEmpty())
        m_folderEdit->setText(QDir::toNativeSeparators(chosen));
}

void TExpVForm::ExportData()
{
    updateActions();
    if (!m_expAct->isEnabled())
        return;
    // The export handles window events as it goes: the buttons and the
    // window's closing wait until it has ended.
    m_running = true;
    updateActions();
    m_export.setPack(m_packBox->isChecked());
    RunAtEdge([this] { m_export.ExportData(); });
    m_running = false;
    updateActions();
}

void TExpVForm::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TExpVForm::reject()
{
    if (!m_running)
        QDialog::reject();
}

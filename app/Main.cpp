#include "Main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "AboutNew.h"
#include "DataControls.h"
#include "DataSetModel.h"
#include "DesktopLauncher.h"
#include "Errors.h"
#include "Export.h"
#include "FPr.h"
#include "HeaderCaptions.h"
#include "HelpViewer.h"
#include "LookupEdit.h"
#include "MDM.h"
#include "MenuButton.h"
#include "OZGrid.h"
#include "PrintJobs.h"
#include "ReportSections.h"
#include "UiResources.h"
#include "ozField.h"

TF2tpForm::TF2tpForm(TDM& dm, QWidget* parent)
    : QMainWindow(parent)
    , m_dm(dm)
    , m_sections(std::make_unique<TReportSections>(dm))
    , m_prSource(std::make_unique<TDataSource>())
    , m_regSource(std::make_unique<TDataSource>())
{
    try {
        build();
    } catch (...) {
        // The destructor does not run for a window that failed half built; its
        // controls must still go before the data sources they are bound to.
        releaseControls();
        throw;
    }
}

void TF2tpForm::build()
{
    setReportPresenter(&m_reportPresenter);
    for (int section = 1; section <= 5; ++section) {
        auto& source = m_sectionSources.at(std::size_t(section - 1));
        source = std::make_unique<TDataSource>();
        source->setDataSet(&m_dm.sectionTable(section));
    }
    m_prSource->setDataSet(&m_dm.PrTable());
    m_regSource->setDataSet(&m_dm.spisokkr());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Заполнение данных для формы № 2-тп (воздух)"));
    setWindowIcon(ProgramIcon());
    setMinimumSize(640, 480);
    QFont windowFont = font();
    windowFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("DejaVu Sans")});
    windowFont.setPixelSize(11);
    setFont(windowFont);

    createActions();
    createToolBars();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createContextPanel());
    createPages();
    layout->addWidget(m_pages, 1);
    setCentralWidget(central);
    createFindingsPane();
    bindControls();

    connect(qApp, &QApplication::focusChanged, this, &TF2tpForm::updateActions);
    connect(m_pages, &QTabWidget::currentChanged, this, &TF2tpForm::updateActions);

    // FormCreate: the settings, the first page, the sections.
    m_sections->ReadSettings();
    m_yearEdit->setText(m_sections->yearText());
    m_pages->setCurrentIndex(0);
    LoadSections();
}

TF2tpForm::~TF2tpForm()
{
    releaseControls();
    // Closing saved them; this keeps what a window destroyed unclosed holds.
    saveSections();
}

void TF2tpForm::releaseControls()
{
    disconnect(qApp, nullptr, this, nullptr);
    // The bound controls go before their data sources; the tables stay with
    // the data module.
    m_section2Link.reset();
    delete takeCentralWidget();
    // A build that failed half way may have left controls outside the central widget.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    if (reportPresenter() == &m_reportPresenter)
        setReportPresenter(nullptr);
}

namespace {

QAction* makeAction(QObject* parent, const QString& caption, const QString& hint,
                    const QKeySequence& shortcut = QKeySequence())
{
    auto* action = new QAction(caption, parent);
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

} // namespace

void TF2tpForm::createActions()
{
    QStyle* look = style();
    m_prAct =
        makeAction(this, QStringLiteral("Организация"), QStringLiteral("Сведения об организации"));
    m_prAct->setIcon(look->standardIcon(QStyle::SP_FileDialogInfoView));
    m_vubAct = makeAction(this, QStringLiteral("Выбор ЗВ"),
                          QStringLiteral("Выбор загрязняющего вещества"), QKeySequence(Qt::Key_F8));
    m_vubAct->setIcon(look->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_contrAct = makeAction(this, QStringLiteral("Контроль"),
                            QStringLiteral("Контроль правильности заполнения формы"));
    m_contrAct->setIcon(look->standardIcon(QStyle::SP_DialogApplyButton));
    m_delAct = makeAction(this, QStringLiteral("Удалить"), QStringLiteral("Удалить запись"),
                          QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_delAct->setIcon(look->standardIcon(QStyle::SP_TrashIcon));
    m_helpAct = makeAction(this, QStringLiteral("Руководство пользователя"),
                           QStringLiteral("Помощь"), QKeySequence(Qt::Key_F1));
    m_helpAct->setIcon(look->standardIcon(QStyle::SP_DialogHelpButton));
    m_instrAct = makeAction(this, QStringLiteral("Инструкция по заполнению формы"), QString());
    m_instrAct->setIcon(look->standardIcon(QStyle::SP_FileIcon));
    m_aboutAct = makeAction(this, QStringLiteral("О программе..."), QString());
    m_aboutAct->setIcon(look->standardIcon(QStyle::SP_MessageBoxInformation));
    m_aboutVltAct = makeAction(this, QStringLiteral("О ПК \"Велта\"..."), QString());
    m_closeAct = makeAction(this, QStringLiteral("Выход"), QStringLiteral("Выход"),
                            QKeySequence(Qt::ALT | Qt::Key_F4));
    m_closeAct->setIcon(look->standardIcon(QStyle::SP_DialogCloseButton));
    m_reportFolderAct = makeAction(this, QStringLiteral("Папка отчета"),
                                   QStringLiteral("Открыть папку с файлами отчета"));
    m_reportFolderAct->setIcon(look->standardIcon(QStyle::SP_DirOpenIcon));
    // The shortcuts act from any control of the window, also without a menu.
    addActions({m_vubAct, m_delAct, m_helpAct, m_closeAct});
    for (int section = 1; section <= 5; ++section) {
        QAction* action = makeAction(this, QStringLiteral("Action%1").arg(section), QString(),
                                     QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + section)));
        connect(action, &QAction::triggered, this,
                [this, section] { m_pages->setCurrentIndex(section - 1); });
        addAction(action);
        m_sectionActs.at(std::size_t(section - 1)) = action;
    }

    // Every handler catches at its edge: no exception crosses Qt's signals.
    const auto onTriggered = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, [handler] { RunAtEdge(handler); });
    };
    onTriggered(m_prAct, [this] { PrActExecute(); });
    onTriggered(m_vubAct, [this] { VubActExecute(); });
    onTriggered(m_contrAct, [this] { ContrActExecute(); });
    onTriggered(m_delAct, [this] { DelActExecute(); });
    onTriggered(m_helpAct, [this] { OpenHelp(QStringLiteral("2tp")); });
    onTriggered(m_instrAct, [this] { OpenHelp(QStringLiteral("Instr2tpv")); });
    onTriggered(m_aboutAct, [this] { AboutActExecute(); });
    onTriggered(m_aboutVltAct, [this] { OpenHelp(QStringLiteral("PK_VLT")); });
    onTriggered(m_reportFolderAct, [this] { OpenReportFolder(); });
    connect(m_closeAct, &QAction::triggered, this, &QWidget::close);
    createExportAction();
    createPrintActions();
    createPollutantActions();
}

namespace {

QToolBar* makeToolBar(QMainWindow* window, const QString& name)
{
    auto* bar = new QToolBar(name, window);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    bar->setIconSize(QSize(16, 16));
    bar->toggleViewAction()->setVisible(false);
    window->addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

} // namespace

void TF2tpForm::createToolBars()
{
    QStyle* look = style();
    m_upperBar = makeToolBar(this, QStringLiteral("Меню"));
    m_serviceMenu = new QMenu(this);
    m_serviceMenu->addAction(m_delAct);
    m_serviceMenu->addSeparator();
    m_serviceMenu->addAction(m_expAct);
    m_serviceMenu->addAction(createImportAction());
    m_serviceMenu->addSeparator();
    m_serviceMenu->addAction(m_reportFolderAct);
    m_serviceMenu->addAction(m_addPollutantAct);
    addMenuButton(m_upperBar, QStringLiteral("Сервис"), QString(),
                  look->standardIcon(QStyle::SP_FileDialogListView), m_serviceMenu);

    m_helpMenu = new QMenu(this);
    m_helpMenu->addAction(m_helpAct);
    m_helpMenu->addAction(m_instrAct);
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(m_aboutAct);
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(m_aboutVltAct);
    addMenuButton(m_upperBar, QStringLiteral("Помощь"), QStringLiteral("Помощь"),
                  look->standardIcon(QStyle::SP_DialogHelpButton), m_helpMenu);
    m_upperBar->addAction(m_closeAct);

    addToolBarBreak(Qt::TopToolBarArea);
    m_lowerBar = makeToolBar(this, QStringLiteral("Команды"));
    m_lowerBar->addAction(m_prAct);
    m_lowerBar->addAction(m_vubAct);
    m_lowerBar->addAction(m_contrAct);
    addPrintMenu();
}

QWidget* TF2tpForm::createContextPanel()
{
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedHeight(60);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    m_yearEdit = new QLineEdit(panel);
    m_yearEdit->setMaxLength(4);
    m_yearEdit->setFocusPolicy(Qt::ClickFocus); // skipped by Tab
    m_yearEdit->setFixedWidth(m_yearEdit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                              12);
    m_yearEdit->installEventFilter(this);
    connect(m_yearEdit, &QLineEdit::textEdited, this,
            [this](const QString& text) { m_sections->setYearText(text); });
    m_orgEdit = new TOZDBEdit(panel);
    m_regionEdit = new TOZDBEdit(panel);
    for (TOZDBEdit* edit : {m_orgEdit, m_regionEdit}) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus); // not a tab stop
        edit->Loaded();
    }

    auto* yearLabel = new QLabel(QStringLiteral("Год"), panel);
    yearLabel->setBuddy(m_yearEdit);
    grid->addWidget(yearLabel, 0, 0);
    grid->addWidget(m_yearEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Организация"), panel), 0, 2);
    grid->addWidget(m_orgEdit, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Субъект РФ"), panel), 1, 0, 1, 2);
    grid->addWidget(m_regionEdit, 1, 2, 1, 2);
    grid->setColumnStretch(3, 1);
    return panel;
}

void TF2tpForm::bindControls()
{
    m_orgEdit->setDataSource(m_prSource.get());
    m_orgEdit->setDataField(QStringLiteral("PNAZ"));
    m_regionEdit->setDataSource(m_regSource.get());
    m_regionEdit->setDataField(QStringLiteral("FULLNAME"));
    m_measureText->bind(sectionSource(4), QStringLiteral("CC"));
    m_section2Link = std::make_unique<TFieldLink>([this] { updateActions(); }, [] {});
    m_section2Link->bind(sectionSource(2), QStringLiteral("C1"));
}

void TF2tpForm::RefreshContext()
{
    m_sections->RefreshContext();
    updateActions();
}

void TF2tpForm::LoadSections()
{
    m_sections->LoadSections();
    updateActions();
}

void TF2tpForm::OpenHelp(const QString& name)
{
    ::OpenHelp(m_dm.ResourceDir(), name, this);
}

void TF2tpForm::PrActExecute(const QString& focusField)
{
    try {
        TPrForm card(m_dm, this);
        if (TOZDBEdit* edit = card.fieldEdit(focusField))
            edit->setFocus(Qt::OtherFocusReason);
        card.exec();
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
    // Saved or not: a territory chosen on the card is in force from now on.
    RefreshContext();
}

void TF2tpForm::AboutActExecute()
{
    TFAbout about(this);
    about.setReportFolder(m_dm.ReportDir());
    about.exec();
}

void TF2tpForm::OpenReportFolder()
{
    if (!DesktopLauncher().openUrl(QUrl::fromLocalFile(m_dm.ReportDir())))
        throw F2tpError(QStringLiteral("Не удается открыть папку ") +
                        QDir::toNativeSeparators(m_dm.ReportDir()) + QLatin1Char('.'));
}

void TF2tpForm::updateActions()
{
    if (!m_pages)
        return;
    const bool section2 = m_pages->currentIndex() == 1;
    QWidget* grid2 = grid(2);
    m_vubAct->setEnabled(!m_dm.CurrentKodp().isEmpty() && m_dm.CurrentYear() > 0 && section2 &&
                         grid2 && QApplication::focusWidget() == grid2);
    bool deletable = false;
    if (section2) {
        try {
            deletable = m_sections->Section2DeleteEnabled();
        } catch (...) {
        }
    }
    m_delAct->setEnabled(deletable);
    m_expAct->setEnabled(ExportAllowed(m_dm));
}

void TF2tpForm::YearEditExit()
{
    m_sections->setYearText(m_yearEdit->text());
    if (m_sections->YearFieldExit()) {
        updateActions();
        return;
    }
    // Rejected: the focus goes back to the field, which stays changed.
    QTimer::singleShot(0, m_yearEdit, [edit = QPointer<QLineEdit>(m_yearEdit)] {
        if (edit) {
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
        }
    });
}

void TF2tpForm::DelActExecute()
{
    updateActions();
    if (!m_delAct->isEnabled())
        return;
    // A refused deletion (a row of the table's own rules) ends here, silent or
    // shown, and never reaches Qt.
    RunAtEdge([this] { m_sections->DeleteSection2Row(); });
    updateActions();
}

bool TF2tpForm::postSections()
{
    for (int section = 1; section <= 5; ++section) {
        TozMemoryData& table = m_dm.sectionTable(section);
        if (!table.active())
            continue;
        try {
            table.checkBrowseMode();
        } catch (...) {
            m_pages->setCurrentIndex(section - 1);
            ShowApplicationError(std::current_exception());
            return false;
        }
    }
    return true;
}

void TF2tpForm::closeEvent(QCloseEvent* event)
{
    // A value still being typed or a row not yet posted is stored first, then
    // the sections are saved while the window is still there: when either
    // fails the user sees why and the window stays, so nothing is lost; the
    // cause can be mended and the window closed again.
    if (!postSections() || !saveSections()) {
        event->ignore();
        return;
    }
    try {
        m_sections->WriteSettings();
    } catch (...) {
    }
    QMainWindow::closeEvent(event);
}

bool TF2tpForm::saveSections()
{
    try {
        m_sections->SaveSections();
        return true;
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
}

void TF2tpForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    ArrangeHeaders();
}

void TF2tpForm::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    ArrangeHeaders();
}

bool TF2tpForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_yearEdit && event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or opening a menu does not leave the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            YearEditExit();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        for (int section = 1; section <= 5; ++section) {
            if (watched == grid(section))
                return gridKeyPress(section, static_cast<QKeyEvent*>(event));
        }
    }
    if (event->type() == QEvent::Resize) {
        for (int section = 1; section <= 5; ++section) {
            if (watched == grid(section))
                ArrangeHeaders();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

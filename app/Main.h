#pragma once

#include <array>
#include <memory>

#include <QMainWindow>
#include <QPointer>

#include "ReportPreview.h"
#include "UserInterface.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class TDataSource;
class TOZDBEdit;
class TOZGrid;
class TLookupGrid;
class TLookupList;
class TPrintJobs;
class TDBMemo;
class TDM;
class TFieldLink;
class TFindingsPane;
struct TFindingCell;
class THeaderCaptions;
class TReportSections;

// The main window: the report context (year, organisation, region), the five
// sections of the form as tab pages with one grid each, and the commands on
// two toolbars with drop-down menus. The work itself is done by the data
// module and the section logic (TReportSections); the window binds its controls
// to their tables and calls them from its handlers.
//
// Created after the data module, which must outlive it. Constructing it reads
// "2tp.ini" and opens the sections; a failure there (a damaged section file)
// frees what was built and propagates, nothing saved. Closing it saves the
// changed sections, writes "2tp.ini" and frees it; a save that fails keeps the
// window open.
class TF2tpForm final : public QMainWindow
{
    Q_OBJECT
public:
    explicit TF2tpForm(TDM& dm, QWidget* parent = nullptr);
    ~TF2tpForm() override;

    TDM& dm() const { return m_dm; }
    TReportSections& sections() const { return *m_sections; }

    // The report context from the card, the region row and the year field.
    void RefreshContext();
    // Rereads the five sections from their files (at start and after an import).
    void LoadSections();
    // Stretches the text column of every grid over the width left and puts the
    // header captions over their columns.
    void ArrangeHeaders();
    // Shows the help document of the folder "help" ("2tp", "Instr2tpv", "PK_VLT").
    void OpenHelp(const QString& name);
    // Brings the enabling of the commands up to date with the focus, the page,
    // the current section 2 row and the report context.
    void updateActions();

    // Controls, for the commands built on this window and for tests.
    QAction* PrAct() const { return m_prAct; }
    QAction* VubAct() const { return m_vubAct; }
    QAction* ContrAct() const { return m_contrAct; }
    QAction* DelAct() const { return m_delAct; }
    QAction* ExpAct() const { return m_expAct; }
    QAction* ImpAct() const { return m_impAct; }
    QAction* HelpAct() const { return m_helpAct; }
    QAction* InstrAct() const { return m_instrAct; }
    QAction* AboutAct() const { return m_aboutAct; }
    QAction* AboutVltAct() const { return m_aboutVltAct; }
    QAction* CloseAct() const { return m_closeAct; }
    // "Папка отчета" of "Сервис": the report folder in the file manager.
    QAction* ReportFolderAct() const { return m_reportFolderAct; }
    // The own pollutants' commands of the section 2 pick list ("Добавить
    // вещество…" also under "Сервис").
    QAction* AddPollutantAct() const { return m_addPollutantAct; }
    QAction* ChangePollutantAct() const { return m_changePollutantAct; }
    QAction* RemovePollutantAct() const { return m_removePollutantAct; }
    QAction* PrintAct() const { return m_printAct; }
    QAction* PrintAct2() const { return m_printAct2; }
    QAction* PRAct3() const { return m_prAct3; }
    QMenu* printMenu() const { return m_printMenu; }
    TPrintJobs& printJobs() const { return *m_printJobs; }
    QAction* sectionAct(int section) const { return m_sectionActs.at(std::size_t(section - 1)); }
    QToolBar* upperToolBar() const { return m_upperBar; }
    QToolBar* lowerToolBar() const { return m_lowerBar; }
    QMenu* serviceMenu() const { return m_serviceMenu; }
    QMenu* helpMenu() const { return m_helpMenu; }
    QTabWidget* pages() const { return m_pages; }
    QLineEdit* yearEdit() const { return m_yearEdit; }
    TOZDBEdit* organisationEdit() const { return m_orgEdit; }
    TOZDBEdit* regionEdit() const { return m_regionEdit; }
    TOZGrid* grid(int section) const { return m_grids.at(std::size_t(section - 1)); }
    // R1Source to R5Source: everything on the window that reads section n goes
    // through its source, whatever table the source points to.
    TDataSource* sectionSource(int section) const
    {
        return m_sectionSources.at(std::size_t(section - 1)).get();
    }
    TDataSource* PrSource() const { return m_prSource.get(); }
    TDataSource* RegSource() const { return m_regSource.get(); }
    THeaderCaptions* headerCaptions(int section) const
    {
        return m_captions.at(std::size_t(section - 1));
    }
    QLabel* titleBar(int section) const { return m_titles.at(std::size_t(section - 1)); }
    // The footnote of the section, or null for sections 3 and 5.
    QLabel* footnote(int section) const { return m_footnotes.at(std::size_t(section - 1)); }
    TDBMemo* measureText() const { return m_measureText; }
    // "Результаты контроля": the findings of the last check (MainFindings.cpp).
    TFindingsPane* findingsPane() const { return m_findingsPane; }
    // Rebuilds the findings pane from the form as it is and shows it.
    void showFindings();
    // Shows the cell of a finding: its section's page with the cursor on it,
    // or the organisation card with the focus on the field.
    void goToFinding(const TFindingCell& cell);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Q_DISABLE_COPY_MOVE(TF2tpForm)
    // The constructor's work: the controls, the settings, the sections.
    void build();
    // Unbinds and frees the controls bound to the data sources, which go after them.
    void releaseControls();
    void createActions();
    void createToolBars();
    QWidget* createContextPanel();
    void createPages();
    QWidget* createPage(int section);
    void buildHeader(int section, THeaderCaptions* captions);
    TOZGrid* createGrid(int section, QWidget* parent);
    // The pick list of the section 2 grid (its OnSelectedList).
    void OZGrid2SelectedList(TLookupGrid& sender, TLookupList*& list);
    void bindControls();

    // The year field lost the focus: a changed text is checked.
    void YearEditExit();
    // Shows the organisation card (the focus on the named field, if any), then
    // takes the context over from it.
    void PrActExecute(const QString& focusField = QString());
    void createFindingsPane();
    void VubActExecute();
    // Saves the sections and shows the control protocol in the preview.
    void ContrActExecute();
    void DelActExecute();
    // The export command (MainExport.cpp): the form check, then the export window.
    void createExportAction();
    void ExpActExecute();
    // The import window, then the sections as the import saved them.
    QAction* createImportAction();
    void ImpActExecute();
    void AboutActExecute();
    void OpenReportFolder();
    // The own pollutants (MainPollutants.cpp): adding one, changing or
    // removing the pick list's current one.
    void createPollutantActions();
    QWidget* pollutantDialogParent();
    void AddPollutantActExecute();
    void ChangePollutantActExecute();
    void RemovePollutantActExecute();
    // The print commands (MainPrint.cpp); the variant is the sender's data.
    void createPrintActions();
    void addPrintMenu();
    void PrintActExecute(QAction* sender);
    void PRAct3Execute(QAction* sender);
    // Ctrl+Del in a grid; true when the key was used.
    bool gridKeyPress(int section, QKeyEvent* event);
    // Ends a pending edit of every section; false (the error shown) when one fails.
    bool postSections();
    // Saves the changed sections; false (the error shown) when that fails.
    bool saveSections();

    TDM& m_dm;
    std::unique_ptr<TReportSections> m_sections;
    TPreviewPresenter m_reportPresenter;
    std::array<std::unique_ptr<TDataSource>, 5> m_sectionSources;
    std::unique_ptr<TDataSource> m_prSource;
    std::unique_ptr<TDataSource> m_regSource;

    QAction* m_prAct = nullptr;
    QAction* m_vubAct = nullptr;
    QAction* m_contrAct = nullptr;
    QAction* m_delAct = nullptr;
    QAction* m_expAct = nullptr;
    QAction* m_impAct = nullptr;
    QAction* m_helpAct = nullptr;
    QAction* m_instrAct = nullptr;
    QAction* m_aboutAct = nullptr;
    QAction* m_aboutVltAct = nullptr;
    QAction* m_closeAct = nullptr;
    QAction* m_reportFolderAct = nullptr;
    QAction* m_addPollutantAct = nullptr;
    QAction* m_changePollutantAct = nullptr;
    QAction* m_removePollutantAct = nullptr;
    std::unique_ptr<TPrintJobs> m_printJobs;
    QAction* m_printAct = nullptr;
    QAction* m_printAct2 = nullptr;
    QAction* m_prAct3 = nullptr;
    QMenu* m_printMenu = nullptr;
    std::array<QAction*, 5> m_sectionActs{};
    QToolBar* m_upperBar = nullptr;
    QToolBar* m_lowerBar = nullptr;
    QMenu* m_serviceMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QTabWidget* m_pages = nullptr;
    QLineEdit* m_yearEdit = nullptr;
    TOZDBEdit* m_orgEdit = nullptr;
    TOZDBEdit* m_regionEdit = nullptr;
    std::array<TOZGrid*, 5> m_grids{};
    std::array<THeaderCaptions*, 5> m_captions{};
    std::array<QLabel*, 5> m_titles{};
    std::array<QLabel*, 5> m_footnotes{};
    TDBMemo* m_measureText = nullptr;
    TFindingsPane* m_findingsPane = nullptr;
    // Follows the current section 2 row for the enabling of the delete command.
    std::unique_ptr<TFieldLink> m_section2Link;
};

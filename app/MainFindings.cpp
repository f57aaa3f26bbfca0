// The main window's findings pane: filled by every check, it takes the user to
// the cell a finding concerns.
#include "Main.h"

#include <QTabWidget>

#include "DataSetModel.h"
#include "FindingsPane.h"
#include "FormFindings.h"
#include "OZGrid.h"
#include "UserInterface.h"

void TF2tpForm::createFindingsPane()
{
    m_findingsPane = new TFindingsPane(this);
    addDockWidget(Qt::BottomDockWidgetArea, m_findingsPane);
    m_findingsPane->hide();
    connect(m_findingsPane, &TFindingsPane::cellActivated, this,
            [this](const TFindingCell& cell) { RunAtEdge([this, cell] { goToFinding(cell); }); });
}

void TF2tpForm::showFindings()
{
    try {
        m_findingsPane->setFindings(FindFormFindings(m_dm));
    } catch (...) {
        ShowApplicationError(std::current_exception());
    }
}

void TF2tpForm::goToFinding(const TFindingCell& cell)
{
    if (cell.section == 0) {
        PrActExecute(cell.field);
        return;
    }
    if (cell.section < 1 || cell.section > 5 || !postSections())
        return;
    m_pages->setCurrentIndex(cell.section - 1);
    // The grid follows its table's cursor; every row of the section leaves it where it is.
    if (TDataSet* table = sectionSource(cell.section)->dataSet()) {
        if (cell.pollutant != 0)
            table->locate(QStringLiteral("C1"), cell.pollutant);
        else if (cell.row != 0)
            table->locate(QStringLiteral("CA"), cell.row);
    }
    TOZGrid* sectionGrid = grid(cell.section);
    for (int column = 0; column < sectionGrid->columnsCount(); ++column) {
        if (sectionGrid->gridColumn(column)->fieldName() == cell.field)
            sectionGrid->setSelectedColumn(column);
    }
    sectionGrid->setFocus(Qt::OtherFocusReason);
}

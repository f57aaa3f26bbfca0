// The main window's print commands: the "Печать" menu of the lower toolbar
// over the print jobs of the core.
#include "Main.h"

#include <QAction>
#include <QMenu>
#include <QStyle>
#include <QToolBar>

#include "DataSetModel.h"
#include "MDM.h"
#include "MenuButton.h"
#include "PrintJobs.h"

void TF2tpForm::createPrintActions()
{
    m_printJobs = std::make_unique<TPrintJobs>(m_dm);
    // The statistics print points section 2 at its copy for the job's length.
    m_printJobs->OnSourceChanged = [this](int section, TozMemoryData& table) {
        sectionSource(section)->setDataSet(&table);
    };
    const auto makePrintAction = [this](const QString& caption, const QString& hint,
                                        TPrintVariant variant) {
        auto* action = new QAction(caption, this);
        action->setToolTip(hint.isEmpty() ? caption : hint);
        action->setStatusTip(hint);
        action->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
        action->setData(int(variant)); // the action's Tag
        return action;
    };
    m_printAct = makePrintAction(QStringLiteral("Форма 2-тп (воздух) "),
                                 QStringLiteral("Печать формы"), TPrintVariant::Form);
    m_printAct2 = makePrintAction(QStringLiteral("Форма 2-тп (воздух) для статистики"),
                                  QStringLiteral("Печать формы"), TPrintVariant::Statistics);
    m_prAct3 = makePrintAction(QStringLiteral("Форма 2-тп (воздух) приказ №441"), QString(),
                               TPrintVariant::Order441);
    for (QAction* action : {m_printAct, m_printAct2}) {
        connect(action, &QAction::triggered, this,
                [this, action] { RunAtEdge([this, action] { PrintActExecute(action); }); });
    }
    connect(m_prAct3, &QAction::triggered, this,
            [this] { RunAtEdge([this] { PRAct3Execute(m_prAct3); }); });
}

void TF2tpForm::addPrintMenu()
{
    m_printMenu = new QMenu(this);
    m_printMenu->addActions({m_printAct, m_printAct2, m_prAct3});
    addMenuButton(m_lowerBar, QStringLiteral("Печать"), QString(),
                  style()->standardIcon(QStyle::SP_FileDialogContentsView), m_printMenu);
}

void TF2tpForm::PrintActExecute(QAction* sender)
{
    // The value being typed belongs to the report that is printed.
    if (!postSections())
        return;
    if (m_printJobs->PrintCommand(TPrintVariant(sender->data().toInt())) ==
        TPrintOutcome::FormFailed)
        showFindings();
}

void TF2tpForm::PRAct3Execute(QAction* sender)
{
    PrintActExecute(sender);
}

// The main window's export command: the form is checked first, and only a
// form that passes is offered for export.
#include "Main.h"

#include <QAction>
#include <QStyle>

#include "ControlProtocol.h"
#include "ExpV.h"
#include "UserInterface.h"

namespace {

// The form title the export window and the archive name carry.
const QString kExportFormTitle = QStringLiteral("Форма 2-тп (воздух)");

} // namespace

void TF2tpForm::createExportAction()
{
    m_expAct = new QAction(QStringLiteral("Выгрузка данных..."), this);
    m_expAct->setToolTip(QStringLiteral("Экспорт данных"));
    m_expAct->setStatusTip(QStringLiteral("Экспорт данных"));
    m_expAct->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    connect(m_expAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { ExpActExecute(); }); });
}

void TF2tpForm::ExpActExecute()
{
    updateActions();
    if (!m_expAct->isEnabled())
        return;
    // The value being typed belongs to the report that is checked and exported.
    if (!postSections())
        return;
    if (!CheckFormOrShowProtocol(m_dm)) {
        showFindings();
        return;
    }
    auto* form = new TExpVForm(m_dm, kExportFormTitle, this);
    form->exec(); // frees itself when closed
}

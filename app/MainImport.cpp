// The main window's import command: "Загрузка данных..." in the "Сервис" menu.
#include "Main.h"

#include <QAction>
#include <QStyle>

#include "ImpXML.h"
#include "UserInterface.h"

QAction* TF2tpForm::createImportAction()
{
    m_impAct = new QAction(QStringLiteral("Загрузка данных..."), this);
    m_impAct->setToolTip(QStringLiteral("Импорт данных"));
    m_impAct->setStatusTip(QStringLiteral("Импорт данных"));
    m_impAct->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    connect(m_impAct, &QAction::triggered, this,
            [this] { RunAtEdge([this] { ImpActExecute(); }); });
    return m_impAct;
}

void TF2tpForm::ImpActExecute()
{
    // A value still being typed belongs to the report the import merges into.
    if (!postSections())
        return;
    bool imported = false;
    {
        TImpXMLForm form(m_dm, this);
        form.exec();
        imported = form.imported();
    }
    // Only an import that ran to its end changed the files: otherwise the
    // report stays as it is in memory, unsaved edits included.
    if (imported)
        LoadSections();
}

// The main window's commands for the user's own pollutants: "Добавить
// вещество…" (pick list of section 2 and "Сервис"), and changing or removing
// the pick list's current entry when it is an own one.
#include "Main.h"

#include <QAction>
#include <QStyle>

#include "MDM.h"
#include "OwnPollutants.h"
#include "Pollutant.h"
#include "UserInterface.h"
#include "Vubor.h"
#include "ozField.h"

namespace {

struct PickedPollutant
{
    int code = 0;
    QString name;
    bool stat = false;
};

// The pick list's current row; code 0 when the list is empty.
PickedPollutant pickedPollutant(TDM& dm)
{
    PickedPollutant picked;
    TozMemoryData& list = dm.SprKlzav();
    if (!list.active() || list.isEmpty())
        return picked;
    picked.code = list.fieldByName(QStringLiteral("KDZV")).asInteger();
    picked.name = list.fieldByName(QStringLiteral("NAMEK")).asString();
    picked.stat = list.fieldByName(QStringLiteral("STAT")).asString() == QLatin1String("1");
    return picked;
}

// The pick list's current entry when it is an own one no row uses; code 0,
// with the refusal shown, otherwise.
PickedPollutant changeablePollutant(TDM& dm, const TOwnPollutants& pollutants)
{
    const PickedPollutant picked = pickedPollutant(dm);
    if (picked.code == 0)
        return picked;
    try {
        pollutants.CheckChangeable(picked.code);
    } catch (const TPollutantRefused& refused) {
        userInterface().showError(refused.message());
        return {};
    }
    return picked;
}

} // namespace

void TF2tpForm::createPollutantActions()
{
    QStyle* look = style();
    m_addPollutantAct = new QAction(QStringLiteral("Добавить вещество…"), this);
    m_addPollutantAct->setObjectName(QStringLiteral("AddPollutantAct"));
    // The pick list's tool bar is narrow: its button says "Добавить…", the
    // menus and the hint the whole command.
    m_addPollutantAct->setIconText(QStringLiteral("Добавить…"));
    m_addPollutantAct->setToolTip(QStringLiteral("Добавить вещество… (в классификаторе его нет)"));
    m_addPollutantAct->setIcon(look->standardIcon(QStyle::SP_FileDialogNewFolder));
    m_changePollutantAct = new QAction(QStringLiteral("Изменить вещество…"), this);
    m_changePollutantAct->setObjectName(QStringLiteral("ChangePollutantAct"));
    m_changePollutantAct->setToolTip(QStringLiteral("Изменить своё вещество"));
    m_removePollutantAct = new QAction(QStringLiteral("Удалить вещество"), this);
    m_removePollutantAct->setObjectName(QStringLiteral("RemovePollutantAct"));
    m_removePollutantAct->setToolTip(QStringLiteral("Удалить своё вещество из классификатора"));

    const auto onTriggered = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, [handler] { RunAtEdge(handler); });
    };
    onTriggered(m_addPollutantAct, [this] { AddPollutantActExecute(); });
    onTriggered(m_changePollutantAct, [this] { ChangePollutantActExecute(); });
    onTriggered(m_removePollutantAct, [this] { RemovePollutantActExecute(); });
}

QWidget* TF2tpForm::pollutantDialogParent()
{
    // Over the pick list while it is shown: it stays on top of the window.
    TListForm* picker = ListForm();
    return picker && picker->isVisible() ? static_cast<QWidget*>(picker) : this;
}

void TF2tpForm::AddPollutantActExecute()
{
    TOwnPollutants pollutants(m_dm);
    TPollutantForm dialog(pollutants, pollutantDialogParent());
    dialog.exec();
}

void TF2tpForm::ChangePollutantActExecute()
{
    TOwnPollutants pollutants(m_dm);
    const PickedPollutant picked = changeablePollutant(m_dm, pollutants);
    if (picked.code == 0)
        return;
    TPollutantForm dialog(pollutants, picked.code, picked.name, picked.stat,
                          pollutantDialogParent());
    dialog.exec();
}

void TF2tpForm::RemovePollutantActExecute()
{
    TOwnPollutants pollutants(m_dm);
    const PickedPollutant picked = changeablePollutant(m_dm, pollutants);
    if (picked.code == 0)
        return;
    const QString question = QStringLiteral("Удалить вещество %1 «%2» из классификатора?")
                                 .arg(picked.code)
                                 .arg(picked.name);
    if (userInterface().ask(QString(), question, TQuestionButtons::YesNo) != TAnswer::Yes)
        return;
    try {
        pollutants.Remove(picked.code);
    } catch (const TPollutantRefused& refused) {
        userInterface().showError(refused.message());
    }
}

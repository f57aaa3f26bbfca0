#include "MenuButton.h"

#include <QToolBar>
#include <QToolButton>

QToolButton* addMenuButton(QToolBar* bar, const QString& caption, const QString& hint,
                           const QIcon& icon, QMenu* menu)
{
    auto* button = new QToolButton(bar);
    button->setText(caption);
    button->setToolTip(hint.isEmpty() ? caption : hint);
    button->setIcon(icon);
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    bar->addWidget(button);
    return button;
}

#include "PickerFrame.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>

PickerFrame createPickerFrame(QDialog& dialog)
{
    auto* content = new QWidget(&dialog);
    auto* outer = new QVBoxLayout(&dialog);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(content);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new QToolBar(content);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(bar);
    // A moved dialog keeps its place when shown instead of going over its parent.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    return PickerFrame{content, layout, bar};
}

#pragma once

#include <QIcon>
#include <QString>

class QMenu;
class QToolBar;
class QToolButton;

// A toolbar button with a caption that drops down its menu when clicked; the
// tooltip is the hint, or the caption without one.
QToolButton* addMenuButton(QToolBar* bar, const QString& caption, const QString& hint,
                           const QIcon& icon, QMenu* menu);

#pragma once

class QDialog;
class QToolBar;
class QVBoxLayout;
class QWidget;

// The body the district and city pickers share: a content widget filling the
// dialog with a text-only tool bar on top. The dialog owns all of it; the
// caller adds the bar's actions and the grid below it.
struct PickerFrame
{
    QWidget* content;
    QVBoxLayout* layout;
    QToolBar* bar;
};

// Also centres the dialog, already at its fixed size, on the desktop rather
// than over the window that opened it.
PickerFrame createPickerFrame(QDialog& dialog);

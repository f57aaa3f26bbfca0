#pragma once

#include <exception>

#include <QString>

// What the record store needs to tell the user. The store never shows a window
// itself; the desktop program installs an implementation with message boxes,
// tests install a recorder, the command line keeps the default (stderr).
class IUserInterface
{
public:
    virtual ~IUserInterface() = default;

    // A modal error box captioned "Ошибка"; returns when the user closes it.
    virtual void showError(const QString& text) = 0;

    // The application's error display for an error no code handled: a modal
    // box with the application's title as caption. The text is already
    // completed by ApplicationErrorText.
    virtual void showApplicationError(const QString& text) = 0;
};

// The installed interface; the default writes to stderr.
IUserInterface& userInterface();

// Installs an interface (not owned; must outlive its use); nullptr restores the default.
void setUserInterface(IUserInterface* ui);

// The message as the application's error display shows it: a "." is added
// when the message does not end in a character that sorts at or before ".".
QString ApplicationErrorText(const QString& message);

// Shows the given error through the application's error display; the silent
// abort (EAbort) is ignored. Never throws.
void ShowApplicationError(const std::exception_ptr& error) noexcept;

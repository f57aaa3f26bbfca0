#pragma once

#include <QApplication>
#include <QPointer>
#include <QString>

#include "UserInterface.h"

// The application's title: the caption of the error display and of the program.
QString ApplicationTitle();

// The desktop program's way of telling the user: modal message boxes over the
// active window. Installed by the main window for its lifetime.
class TMessageBoxInterface final : public IUserInterface
{
public:
    TMessageBoxInterface() = default;
    Q_DISABLE_COPY_MOVE(TMessageBoxInterface)

    // The box captioned "Ошибка" with the error icon and OK.
    void showError(const QString& text) override;
    // The box captioned with the application's title, the error icon and OK.
    void showApplicationError(const QString& text) override;
};

// The application object. An error that escapes an event handler ends here
// and goes to the application's error display instead of ending the program;
// the silent abort is dropped.
class TF2tpApplication final : public QApplication
{
    Q_OBJECT
public:
    TF2tpApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Q_DISABLE_COPY_MOVE(TF2tpApplication)
};

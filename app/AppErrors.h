#pragma once

#include <QApplication>

#include "DesktopInterface.h"

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

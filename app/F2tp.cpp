// The desktop program: the splash, the data module, the main window, the list
// picker and the about window, then the message loop until the main window closes.
#include <memory>

#include <QElapsedTimer>
#include <QPointer>
#include <QScreen>
#include <QThread>

#include "AppErrors.h"
#include "Main.h"
#include "NO.h"
#include "ProgramWindows.h"
#include "QtTranslations.h"
#include "RepProcExt.h"
#include "UiResources.h"
#include "UserInterface.h"
#include "splash.h"

namespace {

// The splash stays three seconds after the windows exist: six waits of 500 ms,
// the window events handled after each.
void keepSplashUp()
{
    for (int i = 0; i < 6; ++i) {
        QThread::msleep(500);
        QCoreApplication::processEvents();
    }
}

} // namespace

int main(int argc, char** argv)
{
    TF2tpApplication app(argc, argv);
    InstallRussianQtTexts();
    // The engine is ours and linked in; it is there from the start, as the
    // program folder is.
    LoadReportEngine();
    QCoreApplication::setApplicationName(QStringLiteral("f2tp"));
    QCoreApplication::setApplicationVersion(QStringLiteral(F2TP_VERSION));
    QGuiApplication::setWindowIcon(ProgramIcon());
    TDesktopInterface desktop;
    const UserInterfaceGuard installed(desktop);
    desktop.setNitrogenOxideDialog([](const TNitrogenOxideTables& tables) {
        return TNOForm::Execute(tables, QApplication::activeWindow());
    });

    QPointer<TSplashWindow> splash = new TSplashWindow();
    splash->show();
    splash->repaint();
    QCoreApplication::processEvents();

    std::unique_ptr<TProgramWindows> windows;
    std::exception_ptr startError;
    try {
        windows = std::make_unique<TProgramWindows>(QString());
    } catch (...) {
        startError = std::current_exception();
    }
    keepSplashUp();
    delete splash;

    int result = 1;
    if (startError) {
        ShowApplicationError(startError);
    } else {
        // Without a window manager a maximized window keeps its normal size,
        // so that size is the screen's working area to begin with.
        TF2tpForm* form = windows->form();
        if (const QScreen* screen = form->screen())
            form->setGeometry(screen->availableGeometry());
        form->showMaximized();
        result = QApplication::exec();
    }
    // The window saves the sections when destroyed; the data module outlives it.
    windows.reset();
    return result;
}

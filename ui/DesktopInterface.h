#pragma once

#include <functional>

#include <QPointer>
#include <QString>

#include "UserInterface.h"

class QLabel;
class QProgressBar;

// The application's title: the caption of the error display and of the program.
QString ApplicationTitle();

// The desktop program's way of asking and telling the user: modal message
// boxes over the active window, the wait message window and the wait cursor,
// and the progress bar and status label of the window that runs a long
// operation. The program installs one for its whole run.
class TDesktopInterface final : public IUserInterface
{
public:
    TDesktopInterface() = default;
    Q_DISABLE_COPY_MOVE(TDesktopInterface)

    void showError(const QString& text) override;
    void showApplicationError(const QString& text) override;
    void showWarning(const QString& caption, const QString& text) override;
    void showInformation(const QString& caption, const QString& text) override;
    TAnswer ask(const QString& caption, const QString& text, TQuestionButtons buttons) override;
    TSkipAnswer askSkip(const QString& text) override;
    bool replaceFile(const QString& fileName) override;
    void logProblem(const QString& text) override;
    bool editNitrogenOxide(const TNitrogenOxideTables& tables) override;
    void showWaitMessage(const QString& text) override;
    void hideWaitMessage() override;
    void beginBusy() override;
    void endBusy() override;
    void setProgressMaximum(int maximum) override;
    void setProgressPosition(int position) override;
    void setProgressStatus(const QString& text) override;

    // The window running a long operation names its progress bar and status
    // label; either may be null, and both are forgotten when destroyed.
    void attachProgress(QProgressBar* bar, QLabel* status);

    // The nitrogen oxide dialog is one of the program's own windows, which
    // installs it here; until then the dialog is answered as cancelled.
    using TNitrogenOxideDialog = std::function<bool(const TNitrogenOxideTables&)>;
    void setNitrogenOxideDialog(TNitrogenOxideDialog dialog) { m_nitrogenOxideDialog = dialog; }

private:
    TNitrogenOxideDialog m_nitrogenOxideDialog;
    QPointer<QProgressBar> m_progressBar;
    QPointer<QLabel> m_progressStatus;
};

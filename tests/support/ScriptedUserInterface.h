#pragma once

#include <functional>

#include <QStringList>

#include "UserInterface.h"

// Stands in for the user in tests: installed for its own lifetime (the
// previous interface comes back after), it records every call in order and
// answers the questions as scripted.
class TScriptedUserInterface final : public IUserInterface
{
public:
    TScriptedUserInterface();
    ~TScriptedUserInterface() override;
    Q_DISABLE_COPY_MOVE(TScriptedUserInterface)

    // The answers. A Cancel answer to a Yes/No question counts as No.
    TAnswer answer = TAnswer::Cancel;
    TSkipAnswer skipAnswer = TSkipAnswer::Abort;
    bool replace = false;
    // Plays the user in the nitrogen oxide dialog: may type into the tables,
    // then calls accept() or cancel() on them and returns true for "Принять".
    // Unset, the user presses "Отмена".
    std::function<bool(const TNitrogenOxideTables&)> nitrogenOxide;
    // Runs while a box or question is shown, to act as a modal box does
    // (take the focus, handle window events).
    std::function<void()> whileShown;

    // Every call as one line: "error: T", "application error: T",
    // "warning: C: T", "information: C: T", "ask: C: T", "ask skip: T",
    // "replace? F", "problem: T", "nitrogen oxide dialog", "wait: T", "wait hidden", "busy", "not
    // busy", "progress maximum N", "progress position N", "progress status: T".
    QStringList calls;
    // The texts of the error boxes and of the application's error display alone.
    QStringList errors;
    QStringList applicationErrors;

    // Whether a wait message is shown and how deep the wait cursor is nested now.
    bool waitShown() const { return m_waitShown; }
    int busyDepth() const { return m_busyDepth; }

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

private:
    void shown(const QString& call);

    UserInterfaceGuard m_installed;
    bool m_waitShown = false;
    int m_busyDepth = 0;
};

#pragma once

#include <exception>

#include <QString>
#include <QtGlobal>

class TozMemoryData;

// The buttons of a question box.
enum class TQuestionButtons
{
    YesNo,
    YesNoCancel
};

enum class TAnswer
{
    Yes,
    No,
    Cancel
};

// The answers of the import's question about a value that cannot be stored,
// with the results its window returns.
enum class TSkipAnswer
{
    Skip = 6,
    SkipAll = 10,
    Abort = 2
};

// The three tables the nitrogen oxide dialog edits, and what its two buttons
// do to them.
struct TNitrogenOxideTables
{
    TozMemoryData& section1;
    TozMemoryData& section3;
    TozMemoryData& section5;

    // "Принять": a row still being edited or inserted is posted, section 1
    // first; a rejected value fails here and the dialog stays.
    void accept() const;
    // "Отмена": the tables are closed, which drops every change not saved.
    void cancel() const;
};

// Everything the program asks or tells the user. The core never shows a
// window itself: the desktop program installs message boxes, tests install a
// scripted recorder, f2tp-cli prints to stderr and answers from its options.
// The calls come from the one user-interface thread and may run the window
// system's event loop; implementations must not throw.
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
    // Modal boxes with an OK button and the warning or information icon.
    virtual void showWarning(const QString& caption, const QString& text) = 0;
    virtual void showInformation(const QString& caption, const QString& text) = 0;
    // A modal question with the question icon; closing the box without a
    // button answers No (Yes/No) or Cancel (Yes/No/Cancel).
    virtual TAnswer ask(const QString& caption, const QString& text, TQuestionButtons buttons) = 0;
    // The import's question about a value it cannot store, captioned "Ошибка";
    // closing it without a button answers Abort.
    virtual TSkipAnswer askSkip(const QString& text) = 0;
    // A file about to be written already exists; true replaces it.
    virtual bool replaceFile(const QString& fileName) = 0;
    // A problem that does not stop the operation (a file an archive could not
    // add); the desktop program shows nothing.
    virtual void logProblem(const QString& text) = 0;
    // The nitrogen oxide dialog over the three tables, modal. True when the
    // user confirmed ("Принять", after tables.accept()); false after "Отмена"
    // (tables.cancel()) or when the dialog was closed otherwise, which leaves
    // the tables as they are. Without a dialog to show: false, tables untouched.
    virtual bool editNitrogenOxide(const TNitrogenOxideTables& tables);

    // The wait message window, shown without being modal and painted before
    // this returns, with the wait cursor; a second call replaces the text.
    // Use WaitMessageGuard rather than calling these directly.
    virtual void showWaitMessage(const QString& text) = 0;
    virtual void hideWaitMessage() = 0;
    // The wait cursor alone, nested; use BusyCursorGuard.
    virtual void beginBusy() = 0;
    virtual void endBusy() = 0;

    // The progress of a long operation: a new maximum sets the position to 0
    // and empties the status text. Setting the position handles pending window
    // events, so the progress display repaints and the window stays alive.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void setProgressStatus(const QString& text) = 0;
};

// The base of interfaces without a window (the default and f2tp-cli's): they
// have no wait message, wait cursor or progress display to show.
class TWindowlessInterface : public IUserInterface
{
public:
    void showWaitMessage(const QString&) override {}
    void hideWaitMessage() override {}
    void beginBusy() override {}
    void endBusy() override {}
    void setProgressMaximum(int) override {}
    void setProgressPosition(int) override {}
    void setProgressStatus(const QString&) override {}
};

// The installed interface; the default writes to stderr and answers No,
// Cancel, Abort and "do not replace".
IUserInterface& userInterface();

// Installs an interface for its own lifetime and puts back the one that was
// installed before. The interface is not owned and must outlive the guard.
class UserInterfaceGuard
{
public:
    explicit UserInterfaceGuard(IUserInterface& ui);
    ~UserInterfaceGuard();

private:
    Q_DISABLE_COPY_MOVE(UserInterfaceGuard)
    IUserInterface* m_previous;
};

// The text the program shows while it prepares data for a print or the
// control protocol.
QString WaitMessageText();

// Shows the wait message for its own lifetime: the window and the wait
// cursor go away when the scope is left, by a return or by an exception.
class WaitMessageGuard
{
public:
    explicit WaitMessageGuard(const QString& text = WaitMessageText());
    ~WaitMessageGuard();

private:
    Q_DISABLE_COPY_MOVE(WaitMessageGuard)
};

// The wait cursor for its own lifetime.
class BusyCursorGuard
{
public:
    BusyCursorGuard();
    ~BusyCursorGuard();

private:
    Q_DISABLE_COPY_MOVE(BusyCursorGuard)
};

// The message as the application's error display shows it: a "." is added
// when the message does not end in a character that sorts at or before ".".
QString ApplicationErrorText(const QString& message);

// Shows the given error through the application's error display; the silent
// abort (EAbort) is ignored. Never throws.
void ShowApplicationError(const std::exception_ptr& error) noexcept;

// The text of an error for a message box: the program error's message, or
// the standard exception's text; empty for anything else.
QString ErrorText(const std::exception_ptr& error);

// The edge where a Qt handler (a slot, an action, an event handler) meets the
// program: runs the operation and shows what escapes it in the application's
// error display, so no exception crosses Qt's signal machinery. Returns false
// when the operation failed or was silently aborted.
template <class Operation> bool RunAtEdge(Operation&& operation) noexcept
{
    try {
        operation();
        return true;
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
}

#include "UserInterface.h"

#include <cstdio>

#include "Errors.h"
#include "ozMemoryData.h"

namespace {

// Without an installed interface nothing is asked: every question gets the
// answer that changes nothing, and what would be shown goes to stderr.
class StderrInterface final : public TWindowlessInterface
{
public:
    void showError(const QString& text) override { write(text); }
    void showApplicationError(const QString& text) override { write(text); }
    void showWarning(const QString& caption, const QString& text) override { write(caption, text); }
    void showInformation(const QString& caption, const QString& text) override
    {
        write(caption, text);
    }
    TAnswer ask(const QString& caption, const QString& text, TQuestionButtons buttons) override
    {
        write(caption, text);
        return buttons == TQuestionButtons::YesNo ? TAnswer::No : TAnswer::Cancel;
    }
    TSkipAnswer askSkip(const QString& text) override
    {
        write(text);
        return TSkipAnswer::Abort;
    }
    bool replaceFile(const QString&) override { return false; }
    void logProblem(const QString& text) override { write(text); }

private:
    static void write(const QString& caption, const QString& text)
    {
        write(caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
    }
    static void write(const QString& text)
    {
        const QByteArray bytes = text.toUtf8();
        std::fputs(bytes.constData(), stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
};

StderrInterface g_default;
IUserInterface* g_current = &g_default;

} // namespace

void TNitrogenOxideTables::accept() const
{
    for (TozMemoryData* table : {&section1, &section3, &section5})
        if (table->active())
            table->checkBrowseMode();
}

void TNitrogenOxideTables::cancel() const
{
    for (TozMemoryData* table : {&section1, &section3, &section5})
        table->close();
}

bool IUserInterface::editNitrogenOxide(const TNitrogenOxideTables&)
{
    return false;
}

IUserInterface& userInterface()
{
    return *g_current;
}

UserInterfaceGuard::UserInterfaceGuard(IUserInterface& ui)
    : m_previous(g_current)
{
    g_current = &ui;
}

UserInterfaceGuard::~UserInterfaceGuard()
{
    g_current = m_previous;
}

QString WaitMessageText()
{
    return QStringLiteral("Подождите, идет обработка данных...");
}

WaitMessageGuard::WaitMessageGuard(const QString& text)
{
    userInterface().showWaitMessage(text);
}

WaitMessageGuard::~WaitMessageGuard()
{
    userInterface().hideWaitMessage();
}

BusyCursorGuard::BusyCursorGuard()
{
    userInterface().beginBusy();
}

BusyCursorGuard::~BusyCursorGuard()
{
    userInterface().endBusy();
}

QString ApplicationErrorText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QString ErrorText(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const F2tpError& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QString();
    }
}

void ShowApplicationError(const std::exception_ptr& error) noexcept
{
    try {
        try {
            std::rethrow_exception(error);
        } catch (const EAbort&) {
        } catch (const F2tpError&) {
            userInterface().showApplicationError(ApplicationErrorText(ErrorText(error)));
        } catch (const std::exception&) {
            userInterface().showApplicationError(ApplicationErrorText(ErrorText(error)));
        }
    } catch (...) {
    }
}

#include "UserInterface.h"

#include <cstdio>

#include "Errors.h"

namespace {

class StderrInterface final : public IUserInterface
{
public:
    void showError(const QString& text) override { write(text); }
    void showApplicationError(const QString& text) override { write(text); }

private:
    static void write(const QString& text)
    {
        const QByteArray bytes = text.toUtf8();
        std::fprintf(stderr, "%s\n", bytes.constData());
        std::fflush(stderr);
    }
};

StderrInterface g_default;
IUserInterface* g_current = &g_default;

} // namespace

IUserInterface& userInterface()
{
    return *g_current;
}

void setUserInterface(IUserInterface* ui)
{
    g_current = ui ? ui : &g_default;
}

QString ApplicationErrorText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowApplicationError(const std::exception_ptr& error) noexcept
{
    try {
        try {
            std::rethrow_exception(error);
        } catch (const EAbort&) {
        } catch (const F2tpError& e) {
            userInterface().showApplicationError(ApplicationErrorText(e.message()));
        } catch (const std::exception& e) {
            userInterface().showApplicationError(ApplicationErrorText(QString::fromUtf8(e.what())));
        }
    } catch (...) {
    }
}

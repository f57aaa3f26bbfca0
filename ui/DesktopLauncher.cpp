#include "DesktopLauncher.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <QWidget>

#ifdef Q_OS_WIN
#include <QLibrary>
#endif

namespace {

class PlatformLauncher final : public TDesktopLauncher
{
public:
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    void showCompiledHelp(const QString& file, QWidget* owner) override;
};

#ifdef Q_OS_WIN
// HtmlHelpA of "HHCtrl.ocx": the library is loaded on first use and kept for the
// run. When it or its entry cannot be loaded, no help is shown.
using HtmlHelpAFn = void*(__stdcall*)(void* caller, const char* file, unsigned int command,
                                      quintptr data);
constexpr unsigned int HH_DISPLAY_TOPIC = 0;

HtmlHelpAFn htmlHelpEntry()
{
    static QLibrary library(QStringLiteral("HHCtrl.ocx"));
    static HtmlHelpAFn entry = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        entry = reinterpret_cast<HtmlHelpAFn>(library.resolve("HtmlHelpA"));
    }
    return entry;
}
#endif

void PlatformLauncher::showCompiledHelp(const QString& file, QWidget* owner)
{
#ifdef Q_OS_WIN
    if (HtmlHelpAFn entry = htmlHelpEntry()) {
        void* caller = owner ? reinterpret_cast<void*>(owner->window()->winId()) : nullptr;
        // The ANSI entry takes the path in the system code page.
        const QByteArray path = file.toLocal8Bit();
        entry(caller, path.constData(), HH_DISPLAY_TOPIC, 0);
    }
#else
    // Any viewer the desktop associates with compiled help files stands in.
    Q_UNUSED(owner);
    QDesktopServices::openUrl(QUrl::fromLocalFile(file));
#endif
}

PlatformLauncher g_platformLauncher;
TDesktopLauncher* g_launcher = &g_platformLauncher;

} // namespace

TDesktopLauncher& DesktopLauncher()
{
    return *g_launcher;
}

ScopedDesktopLauncher::ScopedDesktopLauncher(TDesktopLauncher& launcher)
    : m_previous(g_launcher)
{
    g_launcher = &launcher;
}

ScopedDesktopLauncher::~ScopedDesktopLauncher()
{
    g_launcher = m_previous;
}

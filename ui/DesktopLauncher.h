#pragma once

#include <QtGlobal>

class QString;
class QUrl;
class QWidget;

// What the program hands to the desktop: web and mail addresses go to their
// default handlers, compiled help files to the platform's help viewer. Neither
// waits for the handler. Tests put a recorder in place with ScopedDesktopLauncher.
class TDesktopLauncher
{
public:
    virtual ~TDesktopLauncher() = default;

    // Returns false when no handler took the address.
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows a compiled help file owned by the window of `owner` (may be null).
    virtual void showCompiledHelp(const QString& file, QWidget* owner) = 0;
};

// The launcher in force: the platform's one unless a test replaced it.
TDesktopLauncher& DesktopLauncher();

// Puts a launcher in force for its own lifetime and restores the previous one.
class ScopedDesktopLauncher
{
public:
    explicit ScopedDesktopLauncher(TDesktopLauncher& launcher);
    ~ScopedDesktopLauncher();

private:
    Q_DISABLE_COPY_MOVE(ScopedDesktopLauncher)
    TDesktopLauncher* m_previous;
};

#pragma once

#include <QMainWindow>
#include <QUrl>

class QAction;
class QTextBrowser;

// The program's own help window for the HTML help documents: the document's
// title as caption, back, forward and home, and links followed inside the
// document (web and mail links go to the desktop). Kept for the run, one per
// document, as a child window of the window that opened it.
class THelpWindow final : public QMainWindow
{
    Q_OBJECT
public:
    THelpWindow(const QUrl& home, QWidget* parent);

    QTextBrowser* browser() const { return m_browser; }
    const QUrl& home() const { return m_home; }
    QAction* backAction() const { return m_back; }
    QAction* forwardAction() const { return m_forward; }
    QAction* homeAction() const { return m_homeAction; }

private:
    Q_DISABLE_COPY_MOVE(THelpWindow)
    void followLink(const QUrl& link);
    void updateCaption();

    QUrl m_home;
    QTextBrowser* m_browser;
    QAction* m_back;
    QAction* m_forward;
    QAction* m_homeAction;
};

// Shows the help document `name` ("2tp", "Instr2tpv", "PK_VLT") of the folder
// "help" in `programDir`: the compiled file NAME.chm with the platform's help
// viewer when it exists, otherwise NAME.html in the program's help window,
// otherwise nothing. `parent` owns the help window and the viewer.
void OpenHelp(const QString& programDir, const QString& name, QWidget* parent = nullptr);

// The help window kept for an HTML file, or null when none is open.
THelpWindow* FindHelpWindow(const QString& htmlFile);

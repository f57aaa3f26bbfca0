#include "HelpViewer.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTextBrowser>
#include <QToolBar>

#include "DesktopLauncher.h"
#include "UiResources.h"

namespace {

// Help windows by the canonical path of their document; a window goes when its
// parent goes, and the entry then holds null.
QHash<QString, QPointer<THelpWindow>>& helpWindows()
{
    static QHash<QString, QPointer<THelpWindow>> windows;
    return windows;
}

QString helpFile(const QString& programDir, const QString& name, const QString& extension)
{
    // The program folder may come with a trailing backslash, as the program keeps
    // it on Windows; on other systems that backslash is a separator too.
    QString dir = QDir::fromNativeSeparators(programDir);
    if (dir.endsWith(QLatin1Char('\\')))
        dir.chop(1);
    if (!dir.isEmpty() && !dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + QStringLiteral("help/") + name + extension;
}

bool isExternal(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("mailto") || scheme == QLatin1String("ftp");
}

} // namespace

THelpWindow::THelpWindow(const QUrl& home, QWidget* parent)
    : QMainWindow(parent, Qt::Window)
    , m_home(home)
    , m_browser(new QTextBrowser(this))
{
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowIcon(ProgramIcon());
    setCentralWidget(m_browser);
    m_browser->setOpenLinks(false);

    QToolBar* bar = addToolBar(QStringLiteral("Навигация"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Назад"));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward =
        bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Вперед"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setEnabled(false);
    m_homeAction =
        bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("В начало"));
    m_homeAction->setShortcut(Qt::ALT | Qt::Key_Home);

    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_homeAction, &QAction::triggered, this, [this] { m_browser->setSource(m_home); });
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &THelpWindow::followLink);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &THelpWindow::updateCaption);

    m_browser->setSource(m_home);
    updateCaption();

    resize(820, 640);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), size().boundedTo(screen->availableGeometry().size()));
        frame.moveCenter(screen->availableGeometry().center());
        setGeometry(frame);
    }
}

void THelpWindow::followLink(const QUrl& link)
{
    if (isExternal(link)) {
        DesktopLauncher().openUrl(link);
        return;
    }
    m_browser->setSource(m_browser->source().resolved(link));
}

void THelpWindow::updateCaption()
{
    const QString title = m_browser->documentTitle();
    setWindowTitle(title.isEmpty() ? QFileInfo(m_browser->source().toLocalFile()).completeBaseName()
                                   : title);
}

void OpenHelp(const QString& programDir, const QString& name, QWidget* parent)
{
    const QString chm = helpFile(programDir, name, QStringLiteral(".chm"));
    if (QFileInfo(chm).isFile()) {
        DesktopLauncher().showCompiledHelp(QDir::toNativeSeparators(chm), parent);
        return;
    }
    const QFileInfo html(helpFile(programDir, name, QStringLiteral(".html")));
    if (!html.isFile())
        return;

    const QString key = html.canonicalFilePath();
    QPointer<THelpWindow>& window = helpWindows()[key];
    if (!window)
        window = new THelpWindow(QUrl::fromLocalFile(key), parent ? parent->window() : nullptr);
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

THelpWindow* FindHelpWindow(const QString& htmlFile)
{
    const QString key = QFileInfo(htmlFile).canonicalFilePath();
    if (key.isEmpty())
        return nullptr;
    return helpWindows().value(key).data();
}

#pragma once

#include <optional>

#include <QDialog>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QUrl>

// The program's version record: product name and file version, the file
// version being the project version of the build (F2TP_VERSION); a build
// without one has no record.
struct TVersionInfo
{
    QString productName;
    QString fileVersion;
};
std::optional<TVersionInfo> ReadVersionInfo();

// The product name of the version record.
QString ProductName();
// The maker's rights notice with its year, shown at the bottom of the splash.
QString MakerRightsNotice();

// A web or mail address shown in blue with a hand cursor; underlined while the
// mouse is over it; a click hands the address to the desktop without waiting.
class TLinkLabel final : public QLabel
{
    Q_OBJECT
public:
    TLinkLabel(const QString& text, QUrl url, QWidget* parent);

    const QUrl& url() const { return m_url; }

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Q_DISABLE_COPY_MOVE(TLinkLabel)
    void setUnderline(bool on);

    QUrl m_url;
};

// The panel the splash and about windows share: a single-line border, the
// background picture stretched over it and the texts on top. The contents are
// placed for a 663 x 476 panel and move proportionally on other heights.
class TSplashPanel final : public QFrame
{
    Q_OBJECT
public:
    explicit TSplashPanel(QWidget* parent);

    QLabel* versionLabel() const { return m_versionLabel; }
    QLabel* productLabel() const { return m_productLabel; }
    QLabel* bottomLabel() const { return m_bottomLabel; }
    TLinkLabel* webLabel() const { return m_webLabel; }
    TLinkLabel* mailLabel() const { return m_mailLabel; }
    const QImage& background() const { return m_background; }
    // Moves the contents to their places for the panel's present size.
    void placeContents();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    Q_DISABLE_COPY_MOVE(TSplashPanel)
    QLabel* addLabel(const QString& text, const QRect& designRect, const QFont& font,
                     const QColor& color, Qt::Alignment alignment);

    QImage m_background;
    QList<QPair<QWidget*, QRect>> m_placed; // widget and its place on the 663 x 476 panel
    QLabel* m_versionLabel = nullptr;
    QLabel* m_productLabel = nullptr;
    QLabel* m_bottomLabel = nullptr;
    TLinkLabel* m_webLabel = nullptr;
    TLinkLabel* m_mailLabel = nullptr;
};

// The start-up splash: no border or caption, 663 x 476, centred on the screen,
// the wait cursor over it. It frees itself when closed by any means, so its
// creator keeps it in a QPointer.
class TSplashWindow : public QDialog
{
    Q_OBJECT
public:
    explicit TSplashWindow(QWidget* parent = nullptr);

    TSplashPanel* panel() const { return m_panel; }
    QLabel* versionLabel() const { return m_panel->versionLabel(); }
    QLabel* productLabel() const { return m_panel->productLabel(); }
    QLabel* bottomLabel() const { return m_panel->bottomLabel(); }
    TLinkLabel* webLabel() const { return m_panel->webLabel(); }
    TLinkLabel* mailLabel() const { return m_panel->mailLabel(); }

protected:
    // For windows that show the same panel in another frame (the about window);
    // they keep the normal cursor and are not freed on closing.
    TSplashWindow(QWidget* parent, Qt::WindowFlags flags, const QSize& clientSize,
                  const QSize& panelSize);

    bool event(QEvent* event) override;

private:
    Q_DISABLE_COPY_MOVE(TSplashWindow)
    void fillTexts();
    void centreOnScreen();

    TSplashPanel* m_panel;
};

#pragma once

#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

// A small busy animation of the program's own: a magnifier sweeping over a
// page. It runs for as long as it exists.
class TSearchAnimation final : public QWidget
{
    Q_OBJECT
public:
    explicit TSearchAnimation(QWidget* parent = nullptr);

    int frame() const { return m_frame; }
    static constexpr int FrameCount = 24;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Q_DISABLE_COPY_MOVE(TSearchAnimation)
    void advance();

    QTimer* m_timer;
    int m_frame = 0;
};

// The wait message window: no border or caption, 292 x 53, centred on the
// screen, the message as the centred caption of a panel filling it and the
// busy animation at its left. Created and destroyed by ShowWaitMessage and
// HideWaitMessage; one exists at a time.
class TMessageForm final : public QWidget
{
    Q_OBJECT
public:
    explicit TMessageForm(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    TSearchAnimation* animation() const { return m_animation; }

private:
    Q_DISABLE_COPY_MOVE(TMessageForm)

    QFrame* m_panel;
    QLabel* m_label;
    TSearchAnimation* m_animation = nullptr;
};

// The desktop program's wait message (installed through TDesktopInterface;
// the core uses WaitMessageGuard of UserInterface.h).
// Creates the wait window when there is none, sets its text, shows it without
// making it modal, brings it to the front and paints it at once, so that it is
// on screen before the caller's long work starts. The application's cursor is
// the wait cursor while the window exists.
void ShowWaitMessage(const QString& text);
// Destroys the wait window, if any, and restores the cursor.
void HideWaitMessage();
// The wait window now shown, or null.
TMessageForm* CurrentWaitMessage();

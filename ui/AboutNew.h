#pragma once

#include "splash.h"

class QPushButton;

// "О программе": the splash panel in a fixed-size dialog with the system menu
// and an "ОК" button below. Shown modally; a new one for each showing.
class TFAbout final : public TSplashWindow
{
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);

    QPushButton* okButton() const { return m_okButton; }

private:
    Q_DISABLE_COPY_MOVE(TFAbout)

    QPushButton* m_okButton;
};

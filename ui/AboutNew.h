#pragma once

#include "splash.h"

class QHBoxLayout;
class QLabel;
class QPushButton;

// "О программе": the splash panel in a fixed-size dialog with the system menu
// and an "ОК" button below, beside it the folder the report is kept in.
// Shown modally; a new one for each showing.
class TFAbout final : public TSplashWindow
{
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);

    QPushButton* okButton() const { return m_okButton; }
    // Names the report folder below the panel; a click opens it.
    void setReportFolder(const QString& dir);
    QLabel* reportFolderLabel() const { return m_reportFolder; }

private:
    Q_DISABLE_COPY_MOVE(TFAbout)

    QPushButton* m_okButton;
    QLabel* m_reportFolder = nullptr;
    QHBoxLayout* m_bar = nullptr;
};

#pragma once

#include <memory>

#include <QPointer>
#include <QString>

class TDM;
class TF2tpForm;
class TFAbout;

// What the desktop program builds at start, in this order: the data module over
// the program folder (it opens the classifier, the card and the region row),
// the main window (it reads "2tp.ini" and opens the sections), the list picker
// and the about window, both hidden.
//
// Construction fails with the error of the step that failed, whatever was built
// before it freed; a data file that cannot be read fails it before any file is
// written. Destroying it frees the main window (which saves the changed
// sections) before the data module.
class TProgramWindows final
{
public:
    // programDir empty: the program's own folders, installed or portable.
    explicit TProgramWindows(const QString& programDir);
    ~TProgramWindows();
    Q_DISABLE_COPY_MOVE(TProgramWindows)

    TDM& dm() const { return *m_dm; }
    // Null once the window closed, as it frees itself then.
    TF2tpForm* form() const { return m_form; }

private:
    std::unique_ptr<TDM> m_dm;
    QPointer<TF2tpForm> m_form;
};

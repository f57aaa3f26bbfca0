#include "DesktopInterface.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "MessageF.h"
#include "QuestMess.h"

QString ApplicationTitle()
{
    return QStringLiteral("Форма №2-тп (воздух)");
}

namespace {

// A box without a caption of its own shows the application's title; left empty,
// the window system would show the executable's name instead.
QString boxCaption(const QString& caption)
{
    return caption.isEmpty() ? ApplicationTitle() : caption;
}

void showBox(QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    QMessageBox box(icon, boxCaption(caption), text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace

void TDesktopInterface::showError(const QString& text)
{
    showBox(QMessageBox::Critical, QStringLiteral("Ошибка"), text);
}

void TDesktopInterface::showApplicationError(const QString& text)
{
    showBox(QMessageBox::Critical, ApplicationTitle(), text);
}

void TDesktopInterface::showWarning(const QString& caption, const QString& text)
{
    showBox(QMessageBox::Warning, caption, text);
}

void TDesktopInterface::showInformation(const QString& caption, const QString& text)
{
    showBox(QMessageBox::Information, caption, text);
}

TAnswer TDesktopInterface::ask(const QString& caption, const QString& text,
                               TQuestionButtons buttons)
{
    const bool withCancel = buttons == TQuestionButtons::YesNoCancel;
    QMessageBox box(QMessageBox::Question, boxCaption(caption), text,
                    withCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                               : QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return withCancel ? TAnswer::Cancel : TAnswer::No;
    }
}

TSkipAnswer TDesktopInterface::askSkip(const QString& text)
{
    return TQuestMessForm::AskSkip(text, QApplication::activeWindow());
}

bool TDesktopInterface::replaceFile(const QString& fileName)
{
    return ask(QString(), QStringLiteral("Заменить файл %1?").arg(fileName),
               TQuestionButtons::YesNo) == TAnswer::Yes;
}

void TDesktopInterface::logProblem(const QString&)
{
    // The windows keep the archives' problem log to themselves, as the
    // operation goes on regardless.
}

void TDesktopInterface::showWaitMessage(const QString& text)
{
    ShowWaitMessage(text);
}

void TDesktopInterface::hideWaitMessage()
{
    HideWaitMessage();
}

void TDesktopInterface::beginBusy()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TDesktopInterface::endBusy()
{
    QApplication::restoreOverrideCursor();
}

void TDesktopInterface::setProgressMaximum(int maximum)
{
    if (m_progressBar) {
        m_progressBar->setMaximum(maximum);
        m_progressBar->setValue(0);
    }
    setProgressStatus(QString());
}

void TDesktopInterface::setProgressPosition(int position)
{
    if (m_progressBar)
        m_progressBar->setValue(position);
    QCoreApplication::processEvents();
}

void TDesktopInterface::setProgressStatus(const QString& text)
{
    if (m_progressStatus)
        m_progressStatus->setText(text);
}

void TDesktopInterface::attachProgress(QProgressBar* bar, QLabel* status)
{
    m_progressBar = bar;
    m_progressStatus = status;
}

bool TDesktopInterface::editNitrogenOxide(const TNitrogenOxideTables& tables)
{
    if (!m_nitrogenOxideDialog)
        return false;
    bool confirmed = false;
    RunAtEdge([&] { confirmed = m_nitrogenOxideDialog(tables); });
    return confirmed;
}

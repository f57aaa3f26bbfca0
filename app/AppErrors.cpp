#include "AppErrors.h"

#include <QMessageBox>

QString ApplicationTitle()
{
    return QStringLiteral("Форма №2-тп (воздух)");
}

namespace {

void showBox(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void TMessageBoxInterface::showError(const QString& text)
{
    showBox(QStringLiteral("Ошибка"), text);
}

void TMessageBoxInterface::showApplicationError(const QString& text)
{
    showBox(ApplicationTitle(), text);
}

TF2tpApplication::TF2tpApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool TF2tpApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowApplicationError(std::current_exception());
        return false;
    }
}

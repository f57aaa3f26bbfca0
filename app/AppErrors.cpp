#include "AppErrors.h"

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

#include "CursorGuard.h"

#include <QApplication>

TCursorGuard::TCursorGuard(Qt::CursorShape shape)
{
    QApplication::setOverrideCursor(shape);
}

TCursorGuard::~TCursorGuard()
{
    QApplication::restoreOverrideCursor();
}

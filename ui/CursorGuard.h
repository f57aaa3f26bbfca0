#pragma once

#include <Qt>

// Shows the cursor over the application's windows for the guard's lifetime;
// guards nest, each restoring the cursor it covered.
class TCursorGuard
{
public:
    explicit TCursorGuard(Qt::CursorShape shape);
    ~TCursorGuard();
    Q_DISABLE_COPY_MOVE(TCursorGuard)
};

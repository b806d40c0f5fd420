// Qt backend: the move loop of the mascot window (MascotWindow::runMoveLoop).
// Our own loop rather than the window manager's: QWindow::startSystemMove fails without
// a window manager and returns before the move has ended under one.
#pragma once

#include <QPoint>

class QWidget;

namespace ruvia::platform::qt {

// Moves `window` with the pointer, which went down at `pressedAt` (global logical
// pixels), until every mouse button is up; returns with the window at its last place.
// Returns at once when no button is down any more.
void followPointerUntilRelease(QWidget& window, QPoint pressedAt);

}  // namespace ruvia::platform::qt

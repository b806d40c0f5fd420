// Qt backend: the move loop of the mascot window (MascotWindow::runMoveLoop).
// Our own loop rather than the window manager's: QWindow::startSystemMove fails without
// a window manager and returns before the move has ended under one.
#pragma once

#include <QPointF>
#include <QSize>

#include <cstdint>

class QWidget;

namespace ruvia::platform::qt {

class X11ReleaseWatch;

// Moves `window` with the pointer, keeping the window's point `grip` (where the button
// went down, in the window's logical pixels) under it, also across screens of different
// scale, until every mouse button is up; returns with the window at its last place. The
// window keeps `logicalSize` on every screen. Returns at once when no button is down
// any more. The drop is where the release happened: from `releases` (when not null) for
// the press at server time `pressedAt`, else the release event's own place.
void followPointerUntilRelease(QWidget& window, QPointF grip, QSize logicalSize,
                               const X11ReleaseWatch* releases, uint32_t pressedAt);

}  // namespace ruvia::platform::qt

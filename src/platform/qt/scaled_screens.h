// Qt backend: placing a window by device pixels on screens of different scale factors.
// Qt gives each screen logical coordinates of its own: the top-left is the device pixel
// there, the rest is divided by the screen's factor. It maps a window's place through
// the screen that holds the window's centre, and a pointer position through the screen
// under the pointer, so near a seam the two are in different units. Pure arithmetic, but for screensNow().
#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>

#include <optional>
#include <span>
#include <vector>

namespace ruvia::platform::qt {

struct ScaledScreen {
    QRect logical;       // QScreen::geometry()
    qreal factor = 1.0;  // QScreen::devicePixelRatio()
};

// The application's screens now, in QGuiApplication::screens() order.
std::vector<ScaledScreen> screensNow();

// A global logical position (of the screen that holds it, else the nearest) in device
// pixels. Without screens, the position itself.
QPointF toDevicePixels(std::span<const ScaledScreen> screens, QPointF logical);

// The logical top-left that Qt maps, through screen `on`, to `deviceTopLeft` for a window
// of `logicalSize`; none when Qt would map that place through another screen. `current`
// is the index of the window's screen now.
std::optional<QPoint> logicalPlaceOn(std::span<const ScaledScreen> screens, int current, int on,
                                     QPointF deviceTopLeft, QSize logicalSize);

// The top-left, in logical pixels, to give a window of `logicalSize` so that Qt puts its
// point `grip` (in the window's logical pixels) under the pointer at `pointer` (global
// device pixels). `current` is the index of the window's screen now. Without screens,
// pointer - grip.
QPoint placeUnderPointer(std::span<const ScaledScreen> screens, int current, QPointF pointer,
                         QPointF grip, QSize logicalSize);

}  // namespace ruvia::platform::qt

#include "platform/qt/scaled_screens.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace ruvia::platform::qt {
namespace {

QPoint rounded(QPointF p) {
    return {static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))};
}

QRectF deviceArea(const ScaledScreen& s) {
    return {QPointF(s.logical.topLeft()), QSizeF(s.logical.size()) * s.factor};
}

// The screen whose area (logical or device) holds `p`, else the nearest one.
template <typename Area>
int screenAt(std::span<const ScaledScreen> screens, QPointF p, Area areaOf) {
    int nearest = 0;
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        const QRectF area = areaOf(screens[i]);
        if (p.x() >= area.left() && p.x() < area.right() && p.y() >= area.top() &&
            p.y() < area.bottom())
            return i;
        const double dx = std::max({area.left() - p.x(), 0.0, p.x() - area.right()});
        const double dy = std::max({area.top() - p.y(), 0.0, p.y() - area.bottom()});
        const double distance = dx * dx + dy * dy;
        if (distance < best) {
            best = distance;
            nearest = i;
        }
    }
    return nearest;
}

// The screen through which Qt maps a top-level window's logical geometry to device
// pixels (QWindow::setGeometry): the current one while it holds the centre, else the
// one that does, else the last that the window overlaps, else the current one.
int screenQtMapsThrough(std::span<const ScaledScreen> screens, int current, QRect geometry) {
    const QPoint centre = geometry.center();
    if (screens[current].logical.contains(centre)) return current;
    int fallback = current;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i) {
        if (screens[i].logical.contains(centre)) return i;
        if (screens[i].logical.intersects(geometry)) fallback = i;
    }
    return fallback;
}

QPointF toDevice(const ScaledScreen& s, QPointF logical) {
    const QPointF origin = s.logical.topLeft();
    return origin + (logical - origin) * s.factor;
}

QPointF toLogical(const ScaledScreen& s, QPointF device) {
    const QPointF origin = s.logical.topLeft();
    return origin + (device - origin) / s.factor;
}

}  // namespace

std::vector<ScaledScreen> screensNow() {
    std::vector<ScaledScreen> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back({screen->geometry(), screen->devicePixelRatio()});
    return screens;
}

QPointF toDevicePixels(std::span<const ScaledScreen> screens, QPointF logical) {
    if (screens.empty()) return logical;
    const int at = screenAt(screens, logical, [](const ScaledScreen& s) { return QRectF(s.logical); });
    return toDevice(screens[at], logical);
}

std::optional<QPoint> logicalPlaceOn(std::span<const ScaledScreen> screens, int current, int on,
                                     QPointF deviceTopLeft, QSize logicalSize) {
    if (on < 0 || on >= static_cast<int>(screens.size())) return std::nullopt;
    if (current < 0 || current >= static_cast<int>(screens.size())) current = on;
    const QPoint place = rounded(toLogical(screens[on], deviceTopLeft));
    if (screenQtMapsThrough(screens, current, QRect(place, logicalSize)) != on) return std::nullopt;
    return place;
}

QPoint placeUnderPointer(std::span<const ScaledScreen> screens, int current, QPointF pointer,
                         QPointF grip, QSize logicalSize) {
    if (screens.empty()) return rounded(pointer - grip);
    // The window takes the scale of the screen Qt maps it through, and the grip with it;
    // the screen under the pointer first, and any other for which Qt agrees.
    const int under = screenAt(screens, pointer, deviceArea);
    const auto placeOn = [&](int i) {
        return logicalPlaceOn(screens, current, i, pointer - grip * screens[i].factor,
                              logicalSize);
    };
    if (const auto place = placeOn(under)) return *place;
    for (int i = 0; i < static_cast<int>(screens.size()); ++i)
        if (const auto place = placeOn(i); i != under && place) return *place;
    return rounded(toLogical(screens[under], pointer - grip * screens[under].factor));
}

}  // namespace ruvia::platform::qt

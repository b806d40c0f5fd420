// Qt backend (X11): keeps a press that comes while the mascot is hidden for a capture.
// Hidden, she is not there to take it, and the server would give it to the window
// beneath her. A synchronous pointer grab on the root holds the first press of that time
// frozen in the server; once she is back, the server replays it to the window then under
// it, which is her. A press that is not hers goes on where it was meant before she shows.
#pragma once

#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

class QWidget;
struct xcb_connection_t;

namespace ruvia::platform::qt {

class X11PressKeeper {
public:
    // Null when no connection of its own can be opened to Qt's X server.
    static std::unique_ptr<X11PressKeeper> open(xcb_connection_t* qt);
    ~X11PressKeeper();
    X11PressKeeper(const X11PressKeeper&) = delete;
    X11PressKeeper& operator=(const X11PressKeeper&) = delete;

    // Right before the window is hidden: from now on a press waits. Nothing waits when
    // another program holds the pointer (a button held down over its window).
    void keep();

    // Right before the window is shown again: a waiting press outside `mascot`, or on one
    // of the windows it keeps above itself, goes to the window it was meant for now.
    void passOn(const QWidget& mascot, std::span<const QPointer<QWidget>> above);

    // A waiting press goes to the window now under it, and the pointer is free. Done by
    // itself when the program next waits for input: by then the window is back, and what
    // the press sets off runs after the capture, not inside it. At the latest after a
    // time no capture takes.
    void handOver();

private:
    X11PressKeeper(xcb_connection_t* own, xcb_connection_t* qt);
    std::optional<QPoint> takeHeldPress();
    bool pressIsHers(QPoint at, const QWidget& mascot,
                     std::span<const QPointer<QWidget>> above) const;

    xcb_connection_t* own_;
    xcb_connection_t* qt_;
    uint32_t root_ = 0;
    bool holding_ = false;
    QTimer giveUp_;
};

}  // namespace ruvia::platform::qt

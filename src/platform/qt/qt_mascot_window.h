// Qt backend: MascotWindow. Implements geometry/move/resize, show/hide/isVisible,
// adoptPresentation, present, copyScreenBehind, runMoveLoop, setStayOnTop and the
// paint, resize and mouse events. Internal to the backend. Its definitions lie in three
// files: this window's own (qt_mascot_window.cpp), where she is and how large
// (qt_mascot_window_place.cpp), and the capture (qt_mascot_capture.cpp); the frames go
// on screen through QtMascotFramebuffer.
#pragma once

#include "core/expose_gate.h"
#include "core/kept_geometry.h"
#include "platform/mascot_window.h"

#include <QPointF>
#include <QPointer>
#include <QSize>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

class QMouseEvent;
class QWidget;

namespace ruvia::platform::qt {

class DeactivationWatch;
class MascotWidget;
class QtMascotFramebuffer;
class X11Session;

class QtMascotWindow : public MascotWindow {
public:
    explicit QtMascotWindow(DeactivationWatch& activation);
    ~QtMascotWindow() override;

    PixelRect geometry() const override;
    void move(int x, int y) override;
    void resize(int width, int height) override;
    void show() override;
    void hide() override;
    bool isVisible() const override;
    Presentation adoptPresentation() override;
    int pixelFactor() const override;
    void present(const core::Image& deviceFrame) override;
    bool copyScreenBehind(core::Capture& into, int width, int height) override;
    void runMoveLoop() override;
    bool setStayOnTop(bool on) override;

    // How long the window stayed hidden between its last hide() and show(), in
    // milliseconds: the flicker a capture costs the user. 0 before the first pair.
    double lastHiddenMilliseconds() const { return lastHiddenMs_; }

    // The native window, for windows that this one owns.
    QWidget& widget();

    // A window owned by this one (the menu): kept in the same band (always on top or
    // not) and above it, also after this one has been shown again. Forgotten by itself
    // when the owned window's widget is deleted.
    void addOwnedWindow(QWidget& owned);

private:
    using Clock = std::chrono::steady_clock;

    uint32_t nativeId() const;
    void compositorMayHaveChanged();
    void exposed(bool anythingExposed);
    void pressed(const QMouseEvent& event);
    void released(const QMouseEvent& event);
    void keepOwnedAbove();
    void forbidShadow();
    bool canBeSeeThrough() const;
    void waitUntilOffScreen();

    // qt_mascot_window_place.cpp
    void sizeChanged(int width, int height);
    void placeChanged();
    void showingAgain();
    void putBack();
    void keepLogicalSize();
    bool rescaledBetweenScreens(QSize size) const;
    std::optional<QPoint> placeOnServer(QSize logical) const;

    std::unique_ptr<MascotWidget> widget_;
    // Asked once: X11 (with its session), Wayland, or neither (offscreen).
    const bool onWayland_;
    std::unique_ptr<X11Session> x11_;  // null off X11
    std::unique_ptr<QtMascotFramebuffer> framebuffer_;
    std::vector<QPointer<QWidget>> owned_;
    DeactivationWatch& activation_;
    core::ExposeGate exposeGate_;
    bool paintQueued_ = false;
    bool moving_ = false;  // in the move loop
    int reportedWidth_ = -1;
    int reportedHeight_ = -1;
    double reportedRatio_ = 1.0;
    core::KeptSize keptSize_;
    core::KeptPlace keptPlace_;

    struct Press {
        MouseButton button;
        QPointF grip;  // in the window
        uint32_t time;  // the window system's, ms
    };
    std::optional<Press> press_;

    bool offScreenPending_ = false;  // hidden while on screen, not yet known to be gone
    std::optional<Clock::time_point> hiddenSince_;
    double lastHiddenMs_ = 0.0;
};

}  // namespace ruvia::platform::qt

// Qt backend: MascotWindow. Implements geometry/move/resize, show/hide/isVisible,
// choosePresentation, present, copyScreenBehind, runMoveLoop, setStayOnTop and the paint, resize and mouse
// events. Internal to the backend.
#pragma once

#include "core/kept_geometry.h"
#include "platform/mascot_window.h"
#include "core/expose_gate.h"

#include <QImage>
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
class X11AttentionRefusal;
class X11Compositor;
class X11ConfigureWatch;
class X11ExposeBursts;
class X11FramePut;
class X11ReleaseWatch;
class X11PressKeeper;

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
    Presentation choosePresentation() override;
    void present(const core::Image& frame) override;
    bool copyScreenBehind(core::Image& dst, int width, int height) override;
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

    void exposed(bool anythingExposed);
    void pressed(const QMouseEvent& event);
    void released(const QMouseEvent& event);
    void sizeChanged(int width, int height);
    void placeChanged();
    void showingAgain();
    void putBack();
    void keepLogicalSize();
    bool rescaledBetweenScreens(QSize size) const;
    std::optional<QPointF> deviceTopLeft() const;
    std::optional<QPoint> placeOnServer(QSize logical) const;
    void waitUntilOffScreen();
    void keepOwnedAbove();

    bool canBeSeeThrough() const;
    QImage overDeviceBackground(const core::Image& frame) const;
    QImage frameToPaint() const;
    bool putsFramesDirectly() const;
    void forbidShadow();

    std::unique_ptr<MascotWidget> widget_;
    std::unique_ptr<X11Compositor> compositor_;  // on X11 only
    Presentation presentation_ = Presentation::Captured;
    // On a scaled screen, the last capture in device pixels: the frames, kept in logical
    // pixels, are laid over it so that the background stays exact in every device pixel.
    QImage deviceBackground_;
    core::Image shown_;                         // the last presented frame
    std::unique_ptr<X11FramePut> framePut_;     // on X11 only
    std::unique_ptr<X11ReleaseWatch> releases_;  // on X11 only
    std::unique_ptr<X11PressKeeper> pressKeeper_;  // on X11 only
    std::vector<QPointer<QWidget>> owned_;
    DeactivationWatch& activation_;
    core::ExposeGate exposeGate_;
    std::unique_ptr<X11ExposeBursts> exposeBursts_;
    std::unique_ptr<X11ConfigureWatch> configureWatch_;
    std::unique_ptr<X11AttentionRefusal> attentionRefusal_;
    bool paintQueued_ = false;
    bool moving_ = false;  // in the move loop
    int reportedWidth_ = -1;
    int reportedHeight_ = -1;
    double reportedRatio_ = 1.0;
    core::KeptSize keptSize_;
    core::KeptPlace keptPlace_;

    struct Press {
        MouseButton button;
        int globalX;
        int globalY;
        QPointF grip;  // in the window
        uint32_t time;  // the window system's, ms
    };
    std::optional<Press> press_;

    bool offScreenPending_ = false;  // hidden while on screen, not yet known to be gone
    int keptFrames_ = 0;  // withdraw waits in a row that ran out with the window off screen
    std::optional<Clock::time_point> hiddenSince_;
    double lastHiddenMs_ = 0.0;
};

}  // namespace ruvia::platform::qt

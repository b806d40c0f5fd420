// The borderless window that shows the scene. Geometry is in whole logical pixels
// of the virtual desktop; the forms convert to twips with Toolkit::twipsPerPixel().
#pragma once

#include "core/capture.h"
#include "core/image.h"
#include "platform/types.h"

#include <functional>

namespace ruvia::platform {

// How the window shows what lies behind it.
enum class Presentation {
    // The form copies the screen behind the window and paints it as the background.
    Captured,
    // The window system composites windows: transparent pixels of the frame show what
    // lies behind the window, live, and there is nothing to read back.
    SeeThrough,
};

struct MascotWindowEvents {
    // The window system asks the window to repaint its own surface (not after the
    // window's own show at the end of a capture: backends swallow that one).
    std::function<void()> paint;
    // The window's size changed; may be raised from inside resize() itself.
    std::function<void()> resize;
    // A button went down or came up: where in the scene (pixels from the window's
    // top-left corner) and where on the screen. What makes a click is the form's to
    // say. The release that ends a move loop is not reported.
    std::function<void(MouseButton, PixelPoint scene, PixelPoint screen)> mouseDown;
    std::function<void(MouseButton, PixelPoint scene, PixelPoint screen)> mouseUp;
};

class MascotWindow {
public:
    virtual ~MascotWindow() = default;

    virtual PixelRect geometry() const = 0;  // outer == inner: the window has no frame
    virtual void move(int x, int y) = 0;
    virtual void resize(int width, int height) = 0;

    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool isVisible() const = 0;

    // At each capture, puts the window into the presentation the desktop allows now (a
    // compositor may have started or stopped since the last one) and returns it. Changing
    // over may hide the window and make its native window anew.
    virtual Presentation adoptPresentation() { return Presentation::Captured; }

    // Device pixels to a scene pixel each way where the window is now: 1 below 200 %,
    // else the whole number the art is drawn at.
    virtual int pixelFactor() const { return 1; }

    // Puts the finished frame on screen, 1:1 in device pixels (pixelFactor() of them to
    // a scene pixel each way) from the top-left corner; its transparent pixels are
    // see-through in the SeeThrough presentation.
    virtual void present(const core::Image& deviceFrame) = 0;

    // Reads the screen behind the window (width x height scene pixels from its top-left
    // corner) in the screen's own device pixels, into `into` with its factor. Called while
    // the window is hidden; the backend makes sure the window is really gone from the
    // screen before it reads; pixels on no screen are left transparent. Returns false and
    // leaves `into` as it was when the screen cannot be read.
    virtual bool copyScreenBehind(core::Capture& into, int width, int height) = 0;

    // Lets the user move the window with the mouse; returns after the button is
    // released, with the window at its new place.
    virtual void runMoveLoop() = 0;

    // Puts the window into or out of the always-on-top band; false when refused.
    virtual bool setStayOnTop(bool on) = 0;

    MascotWindowEvents events;
};

}  // namespace ruvia::platform

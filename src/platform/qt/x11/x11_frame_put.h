// Qt backend (X11): puts the changed part of a frame straight onto the native window.
// Qt's own repaint of a widget waits for the server on every frame (its shared-memory
// backing store syncs before it paints again); a tick needs no answer from the server.
#pragma once

#include "core/changed_area.h"
#include "core/image.h"

#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace ruvia::platform::qt {

class X11FramePut {
public:
    explicit X11FramePut(xcb_connection_t* connection);
    ~X11FramePut();
    X11FramePut(const X11FramePut&) = delete;
    X11FramePut& operator=(const X11FramePut&) = delete;

    // Sends `area` of `frame` to (area.x, area.y) of `window` and flushes, without
    // waiting for the server. False when this server's pixel layout is not the frame's
    // (then nothing is sent and the caller paints the frame another way).
    bool put(uint32_t window, const core::Image& frame, core::Area area);

private:
    bool useWindow(uint32_t window);

    xcb_connection_t* connection_;
    std::size_t maxRequestBytes_ = 0;
    uint32_t window_ = 0;
    uint32_t gc_ = 0;
    uint8_t depth_ = 0;
    std::vector<uint32_t> rows_;
};

}  // namespace ruvia::platform::qt

// Qt backend (X11): waits until a hidden window is really gone from the screen.
// Unmapping is asynchronous and a reparenting window manager takes the frame down
// later still; a screen read before that copies the window itself.
#pragma once

#include <chrono>
#include <cstdint>

struct xcb_connection_t;

namespace ruvia::platform::qt {

enum class Withdrawal { Done, TimedOut };

// The child of the root that holds `window`: its frame under a reparenting window
// manager, the window itself otherwise. 0 when the window no longer exists.
uint32_t topLevelOf(xcb_connection_t* connection, uint32_t window);

// When a withdrawn window counts as gone.
enum class Gone {
    // Unmapped and handed back to the root by the window manager, which is done with it
    // then (a map request sooner may be lost in its bookkeeping).
    HandedBack,
    // Unmapped with its frame, for window managers that never hand a window back.
    OffScreen,
};

// Whether `window` and the frame around it are both unmapped.
bool isOffScreen(xcb_connection_t* connection, uint32_t window);

// Polls the server until `window` is gone, or until `timeout` has passed. Returns at once
// for a window never mapped.
Withdrawal waitUntilWithdrawn(xcb_connection_t* connection, uint32_t window, Gone gone,
                              std::chrono::milliseconds timeout);

// Polls the server until `window` is on the screen, or until `timeout` has passed. A hide
// that follows a show before the window manager has mapped the window can leave it
// withdrawn for good (openbox acts on the stale unmap after its late map).
Withdrawal waitUntilMapped(xcb_connection_t* connection, uint32_t window,
                           std::chrono::milliseconds timeout);

}  // namespace ruvia::platform::qt

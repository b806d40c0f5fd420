#include "platform/qt/x11/x11_withdraw_wait.h"

#include "platform/qt/x11/x11_reply.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <thread>

namespace ruvia::platform::qt {
namespace {

bool isViewable(xcb_connection_t* c, xcb_window_t window) {
    Reply<xcb_get_window_attributes_reply_t> attrs(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    return attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE;
}

bool stillThere(xcb_connection_t* c, xcb_window_t window, Gone gone) {
    if (isViewable(c, window)) return true;
    const xcb_window_t top = topLevelOf(c, window);
    if (top == 0 || top == window) return false;
    return gone == Gone::HandedBack || isViewable(c, top);
}

template <typename Condition>
Withdrawal pollWhile(Condition condition, std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    while (condition()) {
        if (Clock::now() >= deadline) return Withdrawal::TimedOut;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return Withdrawal::Done;
}

}  // namespace

xcb_window_t topLevelOf(xcb_connection_t* c, xcb_window_t window) {
    for (int depth = 0; depth < 16; ++depth) {
        Reply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
        if (!tree) return 0;
        if (tree->parent == tree->root || tree->parent == XCB_NONE) return window;
        window = tree->parent;
    }
    return window;
}

bool isOffScreen(xcb_connection_t* connection, uint32_t window) {
    return !stillThere(connection, window, Gone::OffScreen);
}

Withdrawal waitUntilWithdrawn(xcb_connection_t* connection, uint32_t window, Gone gone,
                              std::chrono::milliseconds timeout) {
    return pollWhile([&] { return stillThere(connection, window, gone); }, timeout);
}

Withdrawal waitUntilMapped(xcb_connection_t* connection, uint32_t window,
                           std::chrono::milliseconds timeout) {
    return pollWhile([&] { return !isViewable(connection, window); }, timeout);
}

}  // namespace ruvia::platform::qt

#include "platform/qt/x11_window_decorations.h"

#include "platform/qt/x11_connection.h"

#include <QWindow>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ruvia::platform::qt {
namespace {

// The Motif window manager hints, as every X window manager still reads them.
constexpr uint32_t kHintsFunctions = 1u << 0;
constexpr uint32_t kHintsDecorations = 1u << 1;
constexpr uint32_t kFunctionMove = 1u << 2;
constexpr uint32_t kFunctionClose = 1u << 5;
constexpr uint32_t kDecorationBorder = 1u << 1;
constexpr uint32_t kDecorationTitle = 1u << 3;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return result;
}

}  // namespace

void decorateWithTitleAndCloseOnly(QWindow& window) {
    xcb_connection_t* connection = x11Connection();
    if (connection == nullptr) return;
    const auto id = static_cast<uint32_t>(window.winId());
    const xcb_atom_t hints = atom(connection, "_MOTIF_WM_HINTS");
    if (hints != XCB_ATOM_NONE) {
        // flags, functions, decorations, input mode, status
        const std::array<uint32_t, 5> value{kHintsFunctions | kHintsDecorations,
                                            kFunctionMove | kFunctionClose,
                                            kDecorationBorder | kDecorationTitle, 0, 0};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, hints, hints, 32,
                            value.size(), value.data());
    }
    // A toolbar first, for the managers that take only the type's word for it; the
    // utility window Qt makes of a tool window for all the others.
    const std::array<xcb_atom_t, 3> types{atom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                          atom(connection, "_NET_WM_WINDOW_TYPE_UTILITY"),
                                          atom(connection, "_NET_WM_WINDOW_TYPE_NORMAL")};
    const xcb_atom_t type = atom(connection, "_NET_WM_WINDOW_TYPE");
    if (type != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, type, XCB_ATOM_ATOM, 32,
                            types.size(), types.data());
    xcb_flush(connection);
}

}  // namespace ruvia::platform::qt

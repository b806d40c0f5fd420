#include "platform/qt/x11/x11_window_decorations.h"

#include "platform/qt/x11/x11_connection.h"
#include "platform/qt/x11/x11_reply.h"

#include <QWindow>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace ruvia::platform::qt {
namespace {

// The Motif window manager hints, as every X window manager still reads them.
constexpr uint32_t kHintsFunctions = 1u << 0;
constexpr uint32_t kHintsDecorations = 1u << 1;
constexpr uint32_t kFunctionMove = 1u << 2;
constexpr uint32_t kFunctionClose = 1u << 5;
constexpr uint32_t kDecorationBorder = 1u << 1;
constexpr uint32_t kDecorationTitle = 1u << 3;

std::string windowManagerName(xcb_connection_t* connection) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    Reply<xcb_get_property_reply_t> check(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root, atom(connection, "_NET_SUPPORTING_WM_CHECK"),
                         XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!check || xcb_get_property_value_length(check.get()) != 4) return {};
    const xcb_window_t wm = *static_cast<const xcb_window_t*>(xcb_get_property_value(check.get()));
    Reply<xcb_get_property_reply_t> name(xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, wm, atom(connection, "_NET_WM_NAME"),
                         atom(connection, "UTF8_STRING"), 0, 64),
        nullptr));
    if (!name) return {};
    return {static_cast<const char*>(xcb_get_property_value(name.get())),
            static_cast<size_t>(xcb_get_property_value_length(name.get()))};
}

// The window types, most wanted first, that give a framed window a title and a close
// button only under the window manager of that name (its _NET_WM_NAME).
std::vector<const char*> typesFor(std::string_view windowManager) {
    // Mutter (GNOME Shell) and the other Metacity kin frame no toolbar, but give a dialog
    // a title and no minimise or maximise button.
    for (const char* kin : {"GNOME Shell", "Mutter", "Muffin", "Metacity", "Marco"})
        if (windowManager.find(kin) != std::string_view::npos)
            return {"_NET_WM_WINDOW_TYPE_DIALOG", "_NET_WM_WINDOW_TYPE_NORMAL"};
    // KWin frames a toolbar but counts it among its special windows, which get no close
    // button; a utility window gets one, and no minimise.
    if (windowManager == "KWin")
        return {"_NET_WM_WINDOW_TYPE_UTILITY", "_NET_WM_WINDOW_TYPE_NORMAL"};
    // The others frame a toolbar, and openbox offers minimise and maximise for every
    // other type; a manager that knows no toolbar takes the utility window Qt makes of a
    // tool window.
    return {"_NET_WM_WINDOW_TYPE_TOOLBAR", "_NET_WM_WINDOW_TYPE_UTILITY",
            "_NET_WM_WINDOW_TYPE_NORMAL"};
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
    const xcb_atom_t type = atom(connection, "_NET_WM_WINDOW_TYPE");
    if (type != XCB_ATOM_NONE) {
        std::vector<xcb_atom_t> types;
        for (const char* name : typesFor(windowManagerName(connection)))
            types.push_back(atom(connection, name));
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, type, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(types.size()), types.data());
    }
    xcb_flush(connection);
}

}  // namespace ruvia::platform::qt

#include "platform/qt/x11/x11_compositor_watch.h"

#include "platform/qt/x11/x11_reply.h"


#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace ruvia::platform::qt {

X11CompositorWatch::X11CompositorWatch(xcb_connection_t* connection, uint32_t root,
                                       uint32_t managerSelection, std::function<void()> changed)
    : managerSelection_(managerSelection), changed_(std::move(changed)) {
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (managerSelection_ == XCB_ATOM_NONE || xfixes == nullptr || !xfixes->present) return;
    // The extension answers nothing before a client has said which version it speaks.
    Reply<xcb_xfixes_query_version_reply_t> version(xcb_xfixes_query_version_reply(
        connection, xcb_xfixes_query_version(connection, 1, 0), nullptr));
    if (!version) return;
    xcb_xfixes_select_selection_input(
        connection, root, managerSelection_,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
            XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
            XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(connection);
    selectionNotify_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    watching_ = true;
}

void X11CompositorWatch::heard(const xcb_generic_event_t& event, uint8_t type) {
    if (!watching_ || type != selectionNotify_) return;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(&event);
    if (notify->selection == managerSelection_ && changed_) changed_();
}

}  // namespace ruvia::platform::qt

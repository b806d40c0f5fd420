#include "platform/qt/x11/x11_attention_refusal.h"

#include "platform/qt/x11/x11_reply.h"


#include <xcb/xcb.h>

#include <cstring>

namespace ruvia::platform::qt {
namespace {

constexpr uint32_t kStateRemove = 0;   // _NET_WM_STATE_REMOVE
constexpr uint32_t kFromProgram = 1;   // the source indication of an application

}  // namespace

X11AttentionRefusal::X11AttentionRefusal(xcb_connection_t* connection,
                                         std::function<uint32_t()> window)
    : connection_(connection),
      window_(std::move(window)),
      root_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
      wmState_(atom(connection, "_NET_WM_STATE")),
      demandsAttention_(atom(connection, "_NET_WM_STATE_DEMANDS_ATTENTION")) {}

void X11AttentionRefusal::heard(const xcb_generic_event_t& event, uint8_t type) {
    if (wmState_ == XCB_ATOM_NONE || type != XCB_PROPERTY_NOTIFY) return;
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(&event);
    if (notify->atom != wmState_ || notify->state != XCB_PROPERTY_NEW_VALUE) return;
    const uint32_t window = window_();
    if (notify->window == window && demandsAttention(window)) withdraw(window);
}

bool X11AttentionRefusal::demandsAttention(uint32_t window) const {
    Reply<xcb_get_property_reply_t> state(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, wmState_, XCB_ATOM_ATOM, 0, 32),
        nullptr));
    if (!state || state->format != 32) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(state.get()));
    const int count = xcb_get_property_value_length(state.get()) / 4;
    for (int i = 0; i < count; ++i)
        if (atoms[i] == demandsAttention_) return true;
    return false;
}

void X11AttentionRefusal::withdraw(uint32_t window) const {
    // The state of a managed window is the window manager's to change; a client asks.
    xcb_client_message_event_t ask{};
    ask.response_type = XCB_CLIENT_MESSAGE;
    ask.format = 32;
    ask.window = window;
    ask.type = wmState_;
    ask.data.data32[0] = kStateRemove;
    ask.data.data32[1] = demandsAttention_;
    ask.data.data32[3] = kFromProgram;
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&ask));
    xcb_flush(connection_);
}

}  // namespace ruvia::platform::qt

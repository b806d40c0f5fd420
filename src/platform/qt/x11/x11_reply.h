// Qt backend (X11): the small xcb helpers every X11 file shares: a reply that frees
// itself, and an atom by name.
#pragma once

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <string_view>

namespace ruvia::platform::qt {

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

// XCB_ATOM_NONE when the server cannot say.
inline xcb_atom_t atom(xcb_connection_t* c, std::string_view name) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

}  // namespace ruvia::platform::qt

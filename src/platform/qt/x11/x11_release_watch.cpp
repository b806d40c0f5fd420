#include "platform/qt/x11/x11_release_watch.h"

#include "platform/qt/x11/x11_reply.h"


#include <xcb/xcb.h>

#include <cstring>

namespace ruvia::platform::qt {
namespace {

constexpr uint8_t kGenericEvent = 35;
constexpr uint16_t kInputButtonRelease = 5;  // XI_ButtonRelease

// An XInput 2 device event as libxcb hands it over: the wire's first 32 bytes, then the
// sequence number libxcb adds, then the rest of the wire.
constexpr size_t kEventTypeAt = 8;
constexpr size_t kTimeAt = 12;
constexpr size_t kRootXAt = 36;  // 16.16 fixed point
constexpr size_t kRootYAt = 40;

template <typename T>
T field(const uint8_t* event, size_t at) {
    T value;
    std::memcpy(&value, event + at, sizeof value);
    return value;
}

}  // namespace

X11ReleaseWatch::X11ReleaseWatch(xcb_connection_t* connection) {
    static constexpr char kName[] = "XInputExtension";
    Reply<xcb_query_extension_reply_t> input(xcb_query_extension_reply(
        connection, xcb_query_extension(connection, sizeof kName - 1, kName), nullptr));
    if (input && input->present) inputExtension_ = input->major_opcode;
}

void X11ReleaseWatch::heard(const xcb_generic_event_t& event, uint8_t type) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&event);
    if (type == XCB_BUTTON_RELEASE) {
        const auto* release = reinterpret_cast<const xcb_button_release_event_t*>(&event);
        remember(release->time, QPointF(release->root_x, release->root_y));
    } else if (type == kGenericEvent && inputExtension_ != 0 && bytes[1] == inputExtension_ &&
               field<uint16_t>(bytes, kEventTypeAt) == kInputButtonRelease) {
        remember(field<uint32_t>(bytes, kTimeAt),
              QPointF(field<int32_t>(bytes, kRootXAt) / 65536.0,
                      field<int32_t>(bytes, kRootYAt) / 65536.0));
    }
}

void X11ReleaseWatch::remember(uint32_t time, QPointF at) {
    recent_[next_] = {time, at};
    next_ = (next_ + 1) % recent_.size();
    if (count_ < recent_.size()) ++count_;
}

std::optional<QPointF> X11ReleaseWatch::releasedSince(uint32_t since) const {
    std::optional<Release> first;
    for (size_t i = 0; i < count_; ++i) {
        const Release& r = recent_[i];
        // Server time wraps after 49 days: compared as a difference.
        if (static_cast<int32_t>(r.time - since) < 0) continue;
        if (!first || static_cast<int32_t>(r.time - first->time) < 0) first = r;
    }
    if (!first) return std::nullopt;
    return first->at;
}

}  // namespace ruvia::platform::qt

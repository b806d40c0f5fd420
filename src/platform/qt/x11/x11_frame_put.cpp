#include "platform/qt/x11/x11_frame_put.h"

#include "platform/qt/image_convert.h"
#include "platform/qt/x11/x11_reply.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <bit>

namespace ruvia::platform::qt {
namespace {

// The frame's pixels go out as they are: 32 bits each, least significant byte first.
bool pixelLayoutFits(const xcb_setup_t* setup, uint8_t depth) {
    if (std::endian::native != std::endian::little) return false;
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST) return false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem > 0;
         xcb_format_next(&it)) {
        if (it.data->depth == depth)
            return it.data->bits_per_pixel == 32 && it.data->scanline_pad <= 32;
    }
    return false;
}

constexpr std::size_t kPutImageHeaderBytes = 24;

}  // namespace

X11FramePut::X11FramePut(xcb_connection_t* connection) : connection_(connection) {}

X11FramePut::~X11FramePut() {
    if (gc_ != 0) xcb_free_gc(connection_, gc_);
}

bool X11FramePut::useWindow(uint32_t window) {
    if (window == window_) return depth_ != 0;
    if (gc_ != 0) xcb_free_gc(connection_, gc_);
    gc_ = 0;
    depth_ = 0;
    window_ = window;
    // Once for each native window: Qt makes a new one when the visual changes.
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    if (!geometry) return false;
    if (!pixelLayoutFits(xcb_get_setup(connection_), geometry->depth)) return false;
    if (maxRequestBytes_ == 0)
        maxRequestBytes_ = static_cast<std::size_t>(xcb_get_maximum_request_length(connection_)) * 4;
    gc_ = xcb_generate_id(connection_);
    const uint32_t noExposures = 0;
    xcb_create_gc(connection_, gc_, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    depth_ = geometry->depth;
    return true;
}

bool X11FramePut::put(uint32_t window, const core::Image& frame, core::Area area) {
    if (!useWindow(window)) return false;
    area.width = std::min(area.width, frame.width - area.x);
    area.height = std::min(area.height, frame.height - area.y);
    if (area.empty() || area.x < 0 || area.y < 0) return true;
    const std::size_t rowBytes = static_cast<std::size_t>(area.width) * sizeof(uint32_t);
    const int rowsPerRequest = static_cast<int>(
        std::max<std::size_t>(1, (maxRequestBytes_ - kPutImageHeaderBytes) / rowBytes));
    // A window with alpha blends premultiplied colour; an opaque one ignores the top byte.
    const bool withAlpha = depth_ == 32;
    for (int top = area.y; top < area.y + area.height; top += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, area.y + area.height - top);
        rows_.resize(static_cast<std::size_t>(rows) * area.width);
        for (int r = 0; r < rows; ++r) {
            const uint32_t* src =
                frame.pixels.data() + static_cast<std::size_t>(top + r) * frame.width + area.x;
            uint32_t* dst = rows_.data() + static_cast<std::size_t>(r) * area.width;
            if (withAlpha)
                std::transform(src, src + area.width, dst, premultiplied);
            else
                std::copy(src, src + area.width, dst);
        }
        xcb_put_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, gc_,
                      static_cast<uint16_t>(area.width), static_cast<uint16_t>(rows),
                      static_cast<int16_t>(area.x), static_cast<int16_t>(top), 0, depth_,
                      static_cast<uint32_t>(rows * rowBytes),
                      reinterpret_cast<const uint8_t*>(rows_.data()));
    }
    xcb_flush(connection_);
    return true;
}

}  // namespace ruvia::platform::qt

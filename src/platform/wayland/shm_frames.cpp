#include "platform/wayland/shm_frames.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace ruvia::platform::wayland {

struct ShmFrames::Buffer {
    ShmFrames* owner = nullptr;
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr;
    size_t bytes = 0;
    int width = 0;
    int height = 0;
    bool busy = false;  // attached, not yet released by the compositor

    ~Buffer() {
        if (buffer != nullptr) wl_buffer_destroy(buffer);
        if (pixels != nullptr) ::munmap(pixels, bytes);
    }
};

namespace {

// At most this many frames are ever the compositor's at once: the third covers a
// compositor that holds one for its screen and one for a screenshot.
constexpr size_t kMaxBuffers = 3;

void onRelease(void* data, wl_buffer*) {
    auto* b = static_cast<ShmFrames::Buffer*>(data);
    b->owner->release(*b);
}

const wl_buffer_listener kBufferListener{.release = onRelease};

// Premultiplied alpha: a see-through pixel is all zero, whatever colour it carried.
uint32_t premultiplied(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 0xFF) return p;
    if (a == 0) return 0;
    auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) |
           scale(p & 0xFF);
}

}  // namespace

ShmFrames::ShmFrames(wl_shm* shm) : shm_(shm) {}

ShmFrames::~ShmFrames() = default;

std::unique_ptr<ShmFrames::Buffer> ShmFrames::make(int width, int height) {
    auto b = std::make_unique<Buffer>();
    b->owner = this;
    b->width = width;
    b->height = height;
    b->bytes = static_cast<size_t>(width) * height * 4;
    const int fd = ::memfd_create("ruvia-mascot-frame", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::ftruncate(fd, static_cast<off_t>(b->bytes)) != 0) {
        ::close(fd);
        return nullptr;
    }
    void* map = ::mmap(nullptr, b->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    b->pixels = static_cast<uint32_t*>(map);
    wl_shm_pool* pool = wl_shm_create_pool(shm_, fd, static_cast<int32_t>(b->bytes));
    b->buffer = wl_shm_pool_create_buffer(pool, 0, width, height, width * 4,
                                          WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    ::close(fd);
    wl_buffer_add_listener(b->buffer, &kBufferListener, b.get());
    return b;
}

wl_buffer* ShmFrames::bufferFor(const core::Image& frame) {
    if (frame.width <= 0 || frame.height <= 0) return nullptr;
    // Buffers of another size are of no more use once the compositor gives them back.
    std::erase_if(buffers_, [&](const auto& b) {
        return !b->busy && (b->width != frame.width || b->height != frame.height);
    });
    Buffer* free = nullptr;
    for (auto& b : buffers_)
        if (!b->busy && free == nullptr) free = b.get();
    if (free == nullptr) {
        if (buffers_.size() >= kMaxBuffers) return nullptr;
        auto made = make(frame.width, frame.height);
        if (!made) return nullptr;
        free = made.get();
        buffers_.push_back(std::move(made));
    }
    std::transform(frame.pixels.begin(), frame.pixels.end(), free->pixels, premultiplied);
    free->busy = true;
    return free->buffer;
}

void ShmFrames::release(Buffer& buffer) {
    buffer.busy = false;
    if (released) released();
}

}  // namespace ruvia::platform::wayland

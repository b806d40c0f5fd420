// Wayland backend: shared-memory buffers for the mascot's frames (ARGB8888,
// premultiplied: her pixels opaque, the rest see-through). A buffer the compositor still
// reads is never written; another is made, up to a few. Internal to the backend.
#pragma once

#include "core/image.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct wl_buffer;
struct wl_shm;

namespace ruvia::platform::wayland {

class ShmFrames {
public:
    explicit ShmFrames(wl_shm* shm);
    ~ShmFrames();
    ShmFrames(const ShmFrames&) = delete;
    ShmFrames& operator=(const ShmFrames&) = delete;

    // A buffer holding `frame`, for one attach; null when every buffer is still the
    // compositor's (then `released` says when one comes back) or none can be made.
    wl_buffer* bufferFor(const core::Image& frame);

    struct Buffer;  // one buffer and its mapping
    // A buffer came back from the compositor.
    void release(Buffer& buffer);
    std::function<void()> released;

private:
    std::unique_ptr<Buffer> make(int width, int height);

    wl_shm* shm_;
    std::vector<std::unique_ptr<Buffer>> buffers_;
};

}  // namespace ruvia::platform::wayland

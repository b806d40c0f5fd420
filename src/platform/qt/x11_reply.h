// Qt backend (X11): an xcb reply that frees itself.
#pragma once

#include <cstdlib>
#include <memory>

namespace ruvia::platform::qt {

struct FreeReply {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

}  // namespace ruvia::platform::qt

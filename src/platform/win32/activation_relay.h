// Win32 backend: lets the menu windows know that the mascot window was pressed. The
// mascot never takes activation (a capture's hide and show would otherwise take the
// focus from the user's window), so for a menu a press on it stands for the mascot
// becoming the active window. No <windows.h> here.
#pragma once

#include <functional>
#include <utility>
#include <vector>

namespace ruvia::platform::win32 {

class ActivationRelay {
public:
    void watch(const void* menu, std::function<void()> mascotPressed) {
        watchers_.emplace_back(menu, std::move(mascotPressed));
    }
    void unwatch(const void* menu) {
        std::erase_if(watchers_, [menu](const auto& w) { return w.first == menu; });
    }
    void mascotPressed() const {
        // A copy: a watcher may end its watch from inside its callback.
        const auto watchers = watchers_;
        for (const auto& w : watchers) w.second();
    }

private:
    std::vector<std::pair<const void*, std::function<void()>>> watchers_;
};

}  // namespace ruvia::platform::win32

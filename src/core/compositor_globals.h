// What a Wayland compositor's globals say of it. Pure.
#pragma once

#include <string_view>

namespace ruvia::core {

// A global of KWin's own: org_kde_*, less the two that wlroots compositors offer as well
// (idle and server-side decorations).
constexpr bool isKwinGlobal(std::string_view interface) {
    return interface.starts_with("org_kde_") && interface != "org_kde_kwin_idle" &&
           interface != "org_kde_kwin_server_decoration_manager";
}

}  // namespace ruvia::core

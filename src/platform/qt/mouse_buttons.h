// Qt backend: Qt's mouse buttons in the toolkit's numbering (internal).
#pragma once

#include "platform/types.h"

#include <Qt>

#include <optional>

namespace ruvia::platform::qt {

// Left, right and middle; other buttons (back, forward) the forms never see.
inline std::optional<MouseButton> toMouseButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton: return MouseButton::Left;
        case Qt::RightButton: return MouseButton::Right;
        case Qt::MiddleButton: return MouseButton::Middle;
        default: return std::nullopt;
    }
}

}  // namespace ruvia::platform::qt

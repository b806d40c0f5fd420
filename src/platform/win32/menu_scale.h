// Win32 backend: the menu's pixels on the monitor it is on. The form lays the menu out in
// the scene pixels of the mascot's monitor (the toolkit's twips per pixel when it made
// the menu); on the menu's own monitor every length follows the rule the mascot's do:
// twips to scene pixels at that monitor's scale, a scene pixel factor x factor device
// pixels, and pictures blown up block by block, never smoothed. No <windows.h> here.
#pragma once

#include "core/display_scale.h"
#include "core/image.h"
#include "core/rounding.h"
#include "platform/types.h"

namespace ruvia::platform::win32 {

struct MenuScale {
    double designTwipsPerPixel = 15.0;  // of the pixels the form gives
    core::DisplayScale display;         // of the menu's monitor

    int scenePixels(int design) const {
        return core::roundHalfEven(design * designTwipsPerPixel / display.twipsPerScenePixel());
    }
    int devicePixels(int design) const { return scenePixels(design) * display.factor; }
    PixelRect deviceRect(PixelRect design) const {
        return {devicePixels(design.x), devicePixels(design.y), devicePixels(design.width),
                devicePixels(design.height)};
    }
};

// Every pixel of `art` a factor x factor block.
inline core::Image blownUp(const core::Image& art, int factor) {
    core::Image out(art.width * factor, art.height * factor);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.at(x, y) = art.at(x / factor, y / factor);
    return out;
}

}  // namespace ruvia::platform::win32

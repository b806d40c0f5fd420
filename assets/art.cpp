#include "assets/art.h"

#include "core/xpm.h"

#include <array>
#include <stdexcept>
#include <string>

namespace ruvia::assets {

namespace {

#include "assets/icon.xpm"
#include "assets/pin.xpm"
#include "assets/pose_hanging.xpm"
#include "assets/pose_left.xpm"
#include "assets/pose_right.xpm"

// Each drawing is one picture with a "None" background; sprite and mask are cut from it
// so that the mask rule holds by construction.
struct MaskedSprite {
    core::Image sprite;
    core::Image mask;
};

MaskedSprite cut(const core::XpmPicture& picture) {
    const int w = picture.image.width;
    const int h = picture.image.height;
    MaskedSprite out{core::Image(w, h, core::kTransparent), core::Image(w, h, core::kMaskSolid)};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (picture.isTransparent(x, y))
                out.mask.at(x, y) = core::kMaskSeeThrough;
            else
                out.sprite.at(x, y) = picture.image.at(x, y);
        }
    return out;
}

struct Art {
    std::array<core::Image, 8> frames;
    core::Image icon;
    core::Image portrait;
    core::Image portraitMask;
};

Art load() {
    Art art;
    const std::array poses = {cut(core::parseXpm(pose_hanging_xpm)),
                              cut(core::parseXpm(pose_right_xpm)),
                              cut(core::parseXpm(pose_left_xpm)),
                              cut(core::parseXpm(pin_xpm))};
    for (size_t i = 0; i < poses.size(); ++i) {
        art.frames[2 * i] = poses[i].sprite;
        art.frames[2 * i + 1] = poses[i].mask;
    }
    art.portrait = poses[0].sprite;
    art.portraitMask = poses[0].mask;

    art.icon = core::parseXpm(icon_xpm).image;
    return art;
}

const Art& art() {
    static const Art loaded = load();
    return loaded;
}

}  // namespace

const core::Image& imageListFrame(int index) {
    if (index < 1 || index > 8)
        throw std::out_of_range("image list has pictures 1 to 8, not " + std::to_string(index));
    return art().frames[static_cast<size_t>(index - 1)];
}

const core::Image& icon() { return art().icon; }
const core::Image& portrait() { return art().portrait; }
const core::Image& portraitMask() { return art().portraitMask; }

}  // namespace ruvia::assets

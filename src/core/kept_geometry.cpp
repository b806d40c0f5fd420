#include "core/kept_geometry.h"

namespace ruvia::core {

void KeptSize::asked(int width, int height) {
    width_ = width;
    height_ = height;
    putBacks_ = 0;
}

SizeReport KeptSize::reported(int width, int height) {
    if (width_ < 0 || (width == width_ && height == height_)) return SizeReport::AsAsked;
    if (putBacks_ >= kMaxPutBacks) return SizeReport::LetBe;
    ++putBacks_;
    return SizeReport::PutBack;
}

void KeptPlace::placed(int x, int y) {
    known_ = true;
    x_ = x;
    y_ = y;
}

void KeptPlace::shown(Clock::time_point now) {
    guardUntil_ = now + guardTime_;
    putBacks_ = 0;
}

PlaceReport KeptPlace::reported(int x, int y, Clock::time_point now) {
    if (known_ && x == x_ && y == y_) return PlaceReport::AsPlaced;
    if (known_ && now < guardUntil_ && putBacks_ < kMaxPutBacks) {
        ++putBacks_;
        return PlaceReport::PutBack;
    }
    placed(x, y);
    return PlaceReport::Adopted;
}

}  // namespace ruvia::core

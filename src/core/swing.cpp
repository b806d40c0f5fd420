#include "core/swing.h"

#include "core/rounding.h"

#include <cmath>
#include <stdexcept>

namespace ruvia::core {

namespace {
// The mascot's degree factor is 3.1415 / 180, not pi / 180; positions depend on it.
constexpr double kPiApprox = 3.1415;
constexpr double kStep = 5.0;
constexpr int32_t kDecrement = 2;
constexpr int32_t kStopBelow = 2;
constexpr int32_t kSpriteOffsetX = 8;
}  // namespace

Pose poseForAngle(double angle) {
    if (angle > 5.0) return Pose::Right;
    if (angle >= -5.0) return Pose::Straight;
    return Pose::Left;
}

SwingFrame stepSwing(SwingState& s, double ropeLen, int32_t pinX, int32_t pinY) {
    SwingFrame f;
    f.angleRad = s.Angle * kPiApprox / 180.0;
    f.charX = roundHalfEven(std::sin(f.angleRad) * ropeLen + pinX - kSpriteOffsetX);
    f.charY = roundHalfEven(std::cos(f.angleRad) * ropeLen + pinY);

    const int32_t a = s.Amplitude;
    if (a != 0) s.Angle += (s.SwingPlus == kTrue) ? kStep : -kStep;
    if (s.Angle >= a) {
        s.SwingPlus = kFalse;
    } else if (s.Angle <= -a) {
        if (a < INT32_MIN + kDecrement)
            throw std::overflow_error("amplitude underflow");
        s.Amplitude = a - kDecrement;
        s.SwingPlus = kTrue;
        if (s.Amplitude < kStopBelow) {
            s.Angle = 0.0;
            s.Amplitude = 0;
            f.stopTimer = true;
        }
    }
    f.pose = poseForAngle(s.Angle);
    return f;
}

}  // namespace ruvia::core

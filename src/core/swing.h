// One step of the damped swing: a fixed 5 degrees a tick between turning points whose
// limit shrinks by 2 degrees at every left-hand turn.
#pragma once

#include <cstdint>

namespace ruvia::core {

// The toolkit's Boolean: True is -1.
using VbBool = int16_t;
constexpr VbBool kTrue = -1;
constexpr VbBool kFalse = 0;

enum class Pose : int32_t { Straight = 0, Right = 1, Left = 2 };

struct SwingState {
    double Angle = 0.0;     // degrees, positive to the right
    int32_t Amplitude = 0;  // current turning-point limit in degrees
    VbBool SwingPlus = kFalse;
    friend bool operator==(const SwingState&, const SwingState&) = default;
};

constexpr int32_t kRestartAmplitude = 20;

struct SwingFrame {
    double angleRad = 0.0;  // the angle the position was computed from
    int32_t charX = 0;
    int32_t charY = 0;
    Pose pose = Pose::Straight;  // chosen from the angle after the step
    bool stopTimer = false;      // the swing has come to rest on this tick
};

// Advances `state` by one tick and says where and how to draw the character.
SwingFrame stepSwing(SwingState& state, double ropeLen, int32_t pinX, int32_t pinY);

Pose poseForAngle(double angle);

}  // namespace ruvia::core

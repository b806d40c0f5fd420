#include "core/swing.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ruvia::core;

namespace {

struct Trace {
    std::vector<int> anglesDrawn;  // the angle each frame's position comes from
    std::vector<int> poses;
    std::vector<int> changeTicks;  // ticks on which Amplitude or SwingPlus changed
    SwingState end;
};

Trace runUntilRest(SwingState s, int limit = 500) {
    Trace t;
    for (int tick = 1; tick <= limit; ++tick) {
        const int before = static_cast<int>(s.Angle);
        const SwingState old = s;
        const SwingFrame f = stepSwing(s, 94.0, 54, 0);
        t.anglesDrawn.push_back(before);
        t.poses.push_back(static_cast<int>(f.pose));
        if (s.Amplitude != old.Amplitude || s.SwingPlus != old.SwingPlus) t.changeTicks.push_back(tick);
        if (f.stopTimer) break;
    }
    t.end = s;
    return t;
}

}  // namespace

TEST(Swing, FullSwingFromRestTakes79TicksWithTheTracedAnglesAndPoses) {
    const Trace t = runUntilRest({0.0, 20, kTrue});
    const std::vector<int> wide = {0, 5, 10, 15, 20, 15, 10, 5, 0, -5, -10, -15, -20, -15, -10, -5};
    const std::vector<int> widePoses = {0, 1, 1, 1, 1, 1, 0, 0, 0, 2, 2, 2, 2, 2, 0, 0};
    std::vector<int> angles, poses;
    for (int i = 0; i < 3; ++i) {
        angles.insert(angles.end(), wide.begin(), wide.end());
        poses.insert(poses.end(), widePoses.begin(), widePoses.end());
    }
    const std::vector<std::pair<std::vector<int>, std::vector<int>>> rest = {
        {{0, 5, 10, 15, 10, 5, 0, -5, -10, -15, -10, -5}, {0, 1, 1, 1, 0, 0, 0, 2, 2, 2, 0, 0}},
        {{0, 5, 10, 5, 0, -5, -10, -5}, {0, 1, 0, 0, 0, 2, 0, 0}},
        {{0, 5, 10, 5, 0, -5, -10, -5}, {0, 1, 0, 0, 0, 2, 0, 0}},
        {{0, 5, 0}, {0, 0, 0}},
    };
    for (const auto& [a, p] : rest) {
        angles.insert(angles.end(), a.begin(), a.end());
        poses.insert(poses.end(), p.begin(), p.end());
    }
    EXPECT_EQ(t.anglesDrawn, angles);
    EXPECT_EQ(t.poses, poses);
    EXPECT_EQ(t.anglesDrawn.size(), 79u);
    EXPECT_EQ(t.changeTicks,
              (std::vector<int>{4, 12, 20, 28, 36, 44, 45, 51, 57, 58, 62, 66, 70, 74, 75, 77, 79}));
    EXPECT_EQ(t.end, (SwingState{0.0, 0, kTrue}));
}

TEST(Swing, AmplitudeFallsAtTheLeftTurnsAsTraced) {
    SwingState s{0.0, 20, kTrue};
    std::vector<std::pair<int, int>> amplitudeAt;  // tick, new amplitude
    for (int tick = 1; tick <= 79; ++tick) {
        const int before = s.Amplitude;
        stepSwing(s, 94.0, 54, 0);
        if (s.Amplitude != before) amplitudeAt.emplace_back(tick, s.Amplitude);
    }
    EXPECT_EQ(amplitudeAt, (std::vector<std::pair<int, int>>{
                               {12, 18}, {28, 16}, {44, 14}, {45, 12}, {57, 10}, {58, 8},
                               {66, 6}, {74, 4}, {75, 2}, {79, 0}}));
}

TEST(Swing, SwingLengthDependsOnWhereTheRestartFinds) {
    struct Case {
        const char* name;
        SwingState start;
        size_t ticks;
    };
    const Case cases[] = {
        {"from rest", {0.0, 20, kTrue}, 79},
        {"click at -15 moving right", {-15.0, 20, kTrue}, 82},
        {"click while idle ticking (moving left)", {0.0, 20, kFalse}, 71},
    };
    for (const Case& c : cases) {
        const Trace t = runUntilRest(c.start);
        EXPECT_EQ(t.anglesDrawn.size(), c.ticks) << c.name;
        EXPECT_EQ(t.end, (SwingState{0.0, 0, kTrue})) << c.name;
    }
}

TEST(Swing, IdleTickingKeepsTheAngleAndNeverStops) {
    SwingState s{0.0, 0, kTrue};
    for (int i = 0; i < 5; ++i) {
        const SwingFrame f = stepSwing(s, 94.0, 54, 0);
        EXPECT_FALSE(f.stopTimer);
        EXPECT_EQ(f.pose, Pose::Straight);
        EXPECT_EQ(f.charX, 46);
        EXPECT_EQ(f.charY, 94);
    }
    EXPECT_EQ(s, (SwingState{0.0, 0, kFalse}));
}

TEST(Swing, PositionsFollowTheAngleBeforeTheStep) {
    const std::pair<double, std::pair<int, int>> cases[] = {
        {0, {46, 94}},   {5, {54, 94}},   {-5, {38, 94}},  {10, {62, 93}}, {-10, {30, 93}},
        {15, {70, 91}},  {-15, {22, 91}}, {20, {78, 88}},  {-20, {14, 88}},
    };
    for (const auto& [angle, pos] : cases) {
        SwingState s{angle, 20, kTrue};
        const SwingFrame f = stepSwing(s, 94.0, 54, 0);
        EXPECT_EQ(std::make_pair(f.charX, f.charY), pos) << "angle " << angle;
    }
}

TEST(Swing, PoseThresholdsAreExclusiveAtFive) {
    const std::pair<double, Pose> cases[] = {{5, Pose::Straight},  {-5, Pose::Straight},
                                             {10, Pose::Right},    {-10, Pose::Left},
                                             {0, Pose::Straight},  {20, Pose::Right}};
    for (const auto& [angle, pose] : cases) EXPECT_EQ(poseForAngle(angle), pose) << angle;
}

TEST(Swing, TurningPointsCountEquality) {
    SwingState right{15.0, 20, kTrue};
    stepSwing(right, 94.0, 54, 0);
    EXPECT_EQ(right, (SwingState{20.0, 20, kFalse}));

    SwingState left{-15.0, 20, kFalse};
    stepSwing(left, 94.0, 54, 0);
    EXPECT_EQ(left, (SwingState{-20.0, 18, kTrue}));
}

TEST(Swing, RestPositionRoundsTiesToEven) {
    for (const auto& [rope, y] : {std::pair{94.5, 94}, std::pair{95.5, 96}}) {
        SwingState s{0.0, 0, kTrue};
        EXPECT_EQ(stepSwing(s, rope, 54, 0).charY, y) << rope;
    }
}

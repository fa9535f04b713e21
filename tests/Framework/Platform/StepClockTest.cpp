// How many game steps a drawn frame runs, fed with made-up frame times.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Framework/Platform/FrameTiming.h"

using Platform::StepClock;

namespace {

// Runs frames of the given length from time 0 and returns the steps taken;
// the most any one frame ran goes to most.
long RunFrames(StepClock& clock, int frames, double frameMs, int& most) {
    long steps = 0;
    most = 0;
    for (int i = 0; i <= frames; ++i) {
        const int n = clock.StepsFor(i * frameMs);
        most = std::max(most, n);
        steps += n;
    }
    return steps;
}

}  // namespace

TEST(StepClockTest, QuickFramesRunOneStepEachAndBankNothing) {
    // The frame cap's 16 ms, a faster machine, and a clock that stands still.
    for (double frameMs : {16.0, 16.6, 5.0, 0.0}) {
        StepClock clock;
        int most = 0;
        EXPECT_EQ(RunFrames(clock, 600, frameMs, most), 601) << frameMs;
        EXPECT_EQ(most, 1) << frameMs;
        EXPECT_EQ(clock.BehindMs(), 0.0) << frameMs;
    }
    // Time a quick frame was early by is not held against a slow one: after
    // a run of 10 ms frames, a frame of two and a half steps runs two.
    StepClock clock;
    for (int i = 0; i <= 100; ++i) ASSERT_EQ(clock.StepsFor(i * 10.0), 1);
    EXPECT_EQ(clock.StepsFor(1000.0 + 2.5 * StepClock::kStepMs), 2);
}

TEST(StepClockTest, SlowFramesCatchUpWithRealTime) {
    // 20 to 100 ms frames: real time calls for 60 steps a second, and
    // the frames run just the steps they fell behind by.
    const struct {
        double frameMs;
        int most;
    } cases[] = {{20.0, 2}, {33.0, 2}, {50.0, 3}, {66.0, 4}, {100.0, 6}};
    for (const auto& c : cases) {
        StepClock clock;
        int most = 0;
        const int frames = static_cast<int>(std::lround(10000.0 / c.frameMs));  // 10 s
        const long steps = RunFrames(clock, frames, c.frameMs, most);
        const long expected = std::lround(frames * c.frameMs / StepClock::kStepMs);
        EXPECT_NEAR(steps, expected, 1) << c.frameMs;
        EXPECT_EQ(most, c.most) << c.frameMs;
        EXPECT_EQ(clock.DroppedMs(), 0.0) << c.frameMs;
        EXPECT_LT(clock.BehindMs(), StepClock::kStepMs);
    }
}

TEST(StepClockTest, BeyondSixStepsAFrameTimeIsDroppedNotOwed) {
    // 100 ms frames: six steps each, real time exactly (ten pictures a
    // second still carry 60 steps).
    StepClock clock;
    int most = 0;
    EXPECT_EQ(RunFrames(clock, 100, 100.0, most), 1 + 100 * 6);
    EXPECT_EQ(most, 6);
    EXPECT_LT(clock.DroppedMs(), 1e-3);

    // 150 ms frames: six steps each (100 ms of game), the rest dropped;
    // the debt never grows, so frames never get longer.
    StepClock slow;
    EXPECT_EQ(RunFrames(slow, 100, 150.0, most), 1 + 100 * 6);
    EXPECT_EQ(most, StepClock::kMaxStepsPerFrame);
    EXPECT_NEAR(slow.DroppedMs(), 100 * (150.0 - 6 * StepClock::kStepMs), 1e-6);
    EXPECT_LT(slow.BehindMs(), StepClock::kStepMs) << "the debt is let go, not carried";

    // A stall of two seconds: one frame of six steps, then quick frames
    // run one step each again instead of working off the stall.
    StepClock stalled;
    EXPECT_EQ(stalled.StepsFor(0.0), 1);
    EXPECT_EQ(stalled.StepsFor(2000.0), 6);
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(stalled.StepsFor(2000.0 + i * 16.0), 1) << i;

    // A clock that jumps back, or reads nothing sensible, runs one step.
    StepClock odd;
    EXPECT_EQ(odd.StepsFor(5000.0), 1);
    EXPECT_EQ(odd.StepsFor(100.0), 1);
    EXPECT_EQ(odd.StepsFor(std::numeric_limits<double>::quiet_NaN()), 1);
    EXPECT_EQ(odd.StepsFor(std::numeric_limits<double>::infinity()), 1);
    EXPECT_EQ(odd.BehindMs(), 0.0);
    EXPECT_EQ(odd.StepsFor(100.0 + 50.0), 3) << "measured on from the last sensible reading";
}

TEST(StepClockTest, RestartForgetsTheTimeBehind) {
    StepClock clock;
    EXPECT_EQ(clock.StepsFor(0.0), 1);
    EXPECT_EQ(clock.StepsFor(45.0), 2);  // 11.7 ms still owed
    clock.Restart();
    // A level that took half a second to load is not caught up with.
    EXPECT_EQ(clock.StepsFor(545.0), 1);
    EXPECT_EQ(clock.BehindMs(), 0.0);
    EXPECT_EQ(clock.StepsFor(545.0 + 16.0), 1);
}

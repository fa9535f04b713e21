#include <gtest/gtest.h>

#include <cstdint>

#include "Application/App.h"

TEST(SleepTime, SixtyFramesGiveAnIntegerBudgetOfSixteenMilliseconds) {
    EXPECT_EQ(App::SleepTime(5000, 5000, 60), 16u);
    EXPECT_EQ(App::SleepTime(5000, 5005, 60), 11u);
    EXPECT_EQ(App::SleepTime(5000, 5015, 60), 1u);
    EXPECT_EQ(App::SleepTime(5000, 5016, 60), 0u);
    EXPECT_EQ(App::SleepTime(0, 0, 30), 33u);
}

TEST(SleepTime, NoSleepAfterALongFrame) {
    EXPECT_EQ(App::SleepTime(5000, 5017, 60), 0u);
    EXPECT_EQ(App::SleepTime(5000, 9000, 60), 0u);
}

TEST(SleepTime, ClockWrapAroundIsMeasuredUnsigned) {
    const uint32_t nearEnd = 0xFFFFFFFAu;  // 6 ms before the clock wraps
    EXPECT_EQ(App::SleepTime(nearEnd, 2u, 60), 8u);    // 8 ms elapsed
    EXPECT_EQ(App::SleepTime(nearEnd, 20u, 60), 0u);   // 26 ms elapsed
    EXPECT_EQ(App::SleepTime(nearEnd, nearEnd, 60), 16u);
}

TEST(SleepTime, NonPositiveRateNeverSleeps) {
    EXPECT_EQ(App::SleepTime(0, 0, 0), 0u);
    EXPECT_EQ(App::SleepTime(0, 0, -5), 0u);
}

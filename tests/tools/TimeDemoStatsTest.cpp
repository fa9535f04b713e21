#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tools/timedemo/Stats.h"

using timedemo::Summarise;

TEST(TimeDemoStatsTest, MedianOfOddAndEvenCountsInAnyOrder) {
    EXPECT_DOUBLE_EQ(Summarise({5.0, 1.0, 3.0}).median, 3.0);
    EXPECT_DOUBLE_EQ(Summarise({4.0, 1.0, 3.0, 2.0}).median, 2.5);
    EXPECT_DOUBLE_EQ(Summarise({7.0}).median, 7.0);
    const timedemo::Summary empty = Summarise({});
    EXPECT_EQ(empty.count, 0u);
    EXPECT_DOUBLE_EQ(empty.median + empty.p99 + empty.max + empty.mean, 0.0);
}

TEST(TimeDemoStatsTest, NinetyNinthPercentileByNearestRank) {
    // 1..n in falling order: the 99th percentile is the ceil(0.99 n)-th
    // smallest sample.
    const std::pair<size_t, double> cases[] = {{1, 1}, {2, 2}, {99, 99}, {100, 99}, {101, 100},
                                               {200, 198}, {600, 594}, {8599, 8514}};
    for (const auto& [n, expected] : cases) {
        std::vector<double> v;
        for (size_t i = n; i >= 1; --i) v.push_back(static_cast<double>(i));
        const timedemo::Summary s = Summarise(v);
        EXPECT_DOUBLE_EQ(s.p99, expected) << n;
        EXPECT_DOUBLE_EQ(s.max, static_cast<double>(n)) << n;
        EXPECT_DOUBLE_EQ(s.mean, (static_cast<double>(n) + 1.0) / 2.0) << n;
    }
    // One slow frame in a hundred does not move the 99th percentile; two do.
    std::vector<double> frames(100, 1.0);
    frames[10] = 50.0;
    EXPECT_DOUBLE_EQ(Summarise(frames).p99, 1.0);
    frames[20] = 40.0;
    EXPECT_DOUBLE_EQ(Summarise(frames).p99, 40.0);
}

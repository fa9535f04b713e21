// The render scale: fixed scales as set, the automatic one following frame
// times on a CPU renderer in steps that do not pump, full size on a GPU.
#include "Framework/Graphics/RenderScale.h"

#include <gtest/gtest.h>

#include <cmath>

#include "Framework/Settings/Settings.h"

namespace {

class RenderScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        scale().SetAdaptive(true);
        scale().SetSetting(0.7f);  // a different value first, so auto restarts
        scale().SetSetting(RenderScale::kAuto);
    }
    void TearDown() override {
        scale().SetAdaptive(false);
        scale().SetSetting(RenderScale::kAuto);
    }
    static RenderScale& scale() { return RenderScale::GetInstance(); }

    // Runs frames for the given real time, each costing what the renderer
    // model says at the current scale; returns the changes seen.
    template <typename Cost>
    int Run(double seconds, Cost cost) {
        int changes = 0;
        const double end = now_ + seconds * 1000.0;
        while (now_ < end) {
            const float before = scale().Current();
            const double ms = cost(before);
            now_ += ms;
            scale().OnFrame(ms, now_);
            if (scale().Current() != before) {
                ++changes;
                if (scale().Current() > before)
                    EXPECT_NEAR(scale().Current() - before, RenderScale::kStep, 1e-4f) << "up a step at a time";
                else
                    EXPECT_GT(cost(scale().Current() + RenderScale::kStep), RenderScale::kBudgetMs)
                        << "down no further than the frames ask: a step above would not have held";
                EXPECT_GE(now_ - lastChange_, RenderScale::kHoldMs) << "at most one change a second";
                lastChange_ = now_;
            }
        }
        return changes;
    }
    double now_ = 1000.0;
    double lastChange_ = 0.0;
};

TEST_F(RenderScaleTest, FixedScalesAreKeptAndClampedAndIgnoreFrameTimes) {
    EXPECT_EQ(RenderScale::kAuto, Settings::kAutoRenderScale) << "the settings store's auto";
    scale().SetSetting(0.75f);
    EXPECT_FALSE(scale().IsAutomatic());
    EXPECT_FLOAT_EQ(scale().Current(), 0.75f);
    Run(5.0, [](float) { return 100.0; });
    EXPECT_FLOAT_EQ(scale().Current(), 0.75f);
    int w = 0, h = 0;
    scale().ScaledSize(1280, 720, w, h);
    EXPECT_EQ(w, 960);
    EXPECT_EQ(h, 540);

    scale().SetSetting(0.2f);
    EXPECT_FLOAT_EQ(scale().Current(), 0.5f);
    scale().SetSetting(3.0f);
    EXPECT_FLOAT_EQ(scale().Current(), 1.0f);
    scale().SetSetting(std::nanf(""));
    EXPECT_TRUE(scale().IsAutomatic());
}

TEST_F(RenderScaleTest, AutomaticStaysFullSizeOnAGraphicsCard) {
    scale().SetAdaptive(false);
    EXPECT_EQ(Run(10.0, [](float) { return 80.0; }), 0);
    EXPECT_FLOAT_EQ(scale().Current(), 1.0f);
}

TEST_F(RenderScaleTest, SlowFramesStepDownToHalfAndFastOnesBackUp) {
    // Far too slow at any scale: 40 ms at full size asks for 0.6 at once
    // (16.7 ms if all of it were pixels), then the floor, no lower.
    EXPECT_EQ(Run(1.1, [](float) { return 40.0; }), 1);
    EXPECT_FLOAT_EQ(scale().Current(), 0.6f);
    EXPECT_EQ(Run(8.0, [](float) { return 40.0; }), 1);
    EXPECT_FLOAT_EQ(scale().Current(), 0.5f);
    // Very fast: back up to the full size.
    EXPECT_EQ(Run(8.0, [](float) { return 4.0; }), 5);
    EXPECT_FLOAT_EQ(scale().Current(), 1.0f);
    // One slow frame among fast ones does not move the median.
    Run(3.0, [n = 0](float) mutable { return ++n % 20 == 0 ? 200.0 : 5.0; });
    EXPECT_FLOAT_EQ(scale().Current(), 1.0f);
}

TEST_F(RenderScaleTest, SettlesWithoutPumpingWhereTheBudgetIsMet) {
    // A renderer whose pixels cost 30 ms at full size plus 4 ms a frame:
    // 0.6 (14.8 ms) holds 60 frames a second, 0.7 (18.7 ms) does not.
    auto cost = [](float s) { return 4.0 + 30.0 * s * s; };
    // From 34 ms at full size straight to 0.7 after the first four frames,
    // then a second later to 0.6.
    EXPECT_EQ(Run(0.15, cost), 1);
    EXPECT_FLOAT_EQ(scale().Current(), 0.7f);
    EXPECT_EQ(Run(1.8, cost), 1);
    EXPECT_FLOAT_EQ(scale().Current(), 0.6f);
    Run(8.0, cost);
    EXPECT_FLOAT_EQ(scale().Current(), 0.6f);
    EXPECT_EQ(Run(60.0, cost), 0) << "no pumping once settled";
    // Frames just under the budget at 0.6 do not go up (0.7 would not hold).
    EXPECT_FLOAT_EQ(scale().Current(), 0.6f);

    // The settings re-applied unchanged (another setting changed) keep it;
    // a new setting takes effect at once.
    scale().SetSetting(RenderScale::kAuto);
    EXPECT_FLOAT_EQ(scale().Current(), 0.6f);
    scale().SetSetting(1.0f);
    EXPECT_FLOAT_EQ(scale().Current(), 1.0f);
}

}  // namespace

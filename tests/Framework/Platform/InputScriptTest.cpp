#include <gtest/gtest.h>

#include <vector>

#include "Framework/Platform/Input.h"

using Platform::FrameListScript;
using Platform::Input;
using Platform::InputFrame;
using Platform::InputScript;
using Platform::Key;
using Platform::Point;

namespace {

class InputScriptTest : public ::testing::Test {
protected:
    void SetUp() override { input.Reset(); }
    void TearDown() override { input.Reset(); }
    Input& input = Input::GetInstance();
};

InputFrame Keys(std::initializer_list<Key> keys) {
    InputFrame f;
    for (Key k : keys) f.Set(k);
    return f;
}

InputFrame Cursor(int x, int y, bool relative) {
    InputFrame f;
    f.cursor = Point{x, y};
    f.relativeCursor = relative;
    return f;
}

// Ends after a given number of frames.
class CountdownScript : public InputScript {
public:
    explicit CountdownScript(int frames) : left_(frames) {}
    bool Next(InputFrame& frame) override {
        if (left_-- <= 0) return false;
        frame = Keys({Key::W});
        return true;
    }
private:
    int left_;
};

TEST_F(InputScriptTest, FramesPlayInOrderAndTheLastIsHeld) {
    FrameListScript script({Keys({Key::W}), Keys({Key::A, Key::LeftButton}), Keys({Key::D, Key::RightButton})});
    input.SetScript(&script);
    EXPECT_TRUE(input.HasScript());

    ASSERT_TRUE(input.Advance());
    EXPECT_TRUE(input.IsKeyDown(Key::W));
    EXPECT_FALSE(input.IsKeyDown(Key::A));
    EXPECT_FALSE(input.IsKeyDown(Key::LeftButton));

    ASSERT_TRUE(input.Advance());
    EXPECT_FALSE(input.IsKeyDown(Key::W));
    EXPECT_TRUE(input.IsKeyDown(Key::A));
    EXPECT_TRUE(input.IsKeyDown(Key::LeftButton));
    EXPECT_FALSE(input.IsKeyDown(Key::RightButton));

    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(input.Advance());
        EXPECT_TRUE(input.IsKeyDown(Key::D));
        EXPECT_TRUE(input.IsKeyDown(Key::RightButton));
        EXPECT_FALSE(input.IsKeyDown(Key::A));
    }
    EXPECT_EQ(script.Position(), 3u);
    EXPECT_FALSE(input.IsKeyDown(Key::Count));
}

TEST_F(InputScriptTest, EmptyOrFinishedScriptsEndAndKeepTheLastState) {
    FrameListScript empty({});
    input.SetScript(&empty);
    EXPECT_FALSE(input.Advance());

    CountdownScript two(2);
    input.SetScript(&two);
    EXPECT_TRUE(input.Advance());
    EXPECT_TRUE(input.Advance());
    EXPECT_FALSE(input.Advance());
    EXPECT_TRUE(input.IsKeyDown(Key::W));

    // Back to the real devices: nothing is scripted any more.
    input.SetScript(nullptr);
    EXPECT_FALSE(input.HasScript());
    EXPECT_TRUE(input.Advance());
}

TEST_F(InputScriptTest, AbsoluteCursorIsClientPositionPlusWindowOrigin) {
    input.SetWindowOrigin(Point{100, 50});
    FrameListScript script({Cursor(10, 20, false), Cursor(1279, 719, false)});
    input.SetScript(&script);
    input.Advance();
    EXPECT_EQ(input.GetCursorPos(), (Point{110, 70}));
    EXPECT_EQ(input.ScreenToClient(input.GetCursorPos()), (Point{10, 20}));
    input.Advance();
    EXPECT_EQ(input.GetCursorPos(), (Point{1379, 769}));
}

TEST_F(InputScriptTest, RelativeCursorIsAnOffsetFromWhereTheGameLastPutIt) {
    input.SetWindowOrigin(Point{100, 50});
    FrameListScript script({Cursor(5, -3, true), Cursor(5, -3, true), Cursor(-2, 0, true)});
    input.SetScript(&script);
    const Point centre = input.ClientToScreen(Point{640, 360});
    input.SetCursorPos(centre);
    EXPECT_EQ(input.GetCursorPos(), centre);

    // Each frame the view reads cursor - centre and puts the cursor back.
    input.Advance();
    EXPECT_EQ(input.GetCursorPos(), (Point{centre.x + 5, centre.y - 3}));
    input.SetCursorPos(centre);
    input.Advance();
    EXPECT_EQ(input.GetCursorPos(), (Point{centre.x + 5, centre.y - 3}));

    // Without the reset the offset is taken from the last placed point.
    input.SetCursorPos(Point{200, 200});
    input.Advance();
    EXPECT_EQ(input.GetCursorPos(), (Point{198, 200}));
    // The last frame is held: the same offset again from the same base.
    input.Advance();
    EXPECT_EQ(input.GetCursorPos(), (Point{198, 200}));
}

TEST_F(InputScriptTest, SetCursorPosOnlyMovesTheScriptedCursor) {
    FrameListScript script({Cursor(0, 0, false)});
    input.SetScript(&script);
    input.Advance();
    input.SetCursorPos(Point{321, 123});
    EXPECT_EQ(input.GetCursorPos(), (Point{321, 123}));
}

TEST_F(InputScriptTest, ClientAndScreenConversionUseTheWindowOrigin) {
    EXPECT_EQ(input.ClientToScreen(Point{7, 9}), (Point{7, 9}));
    input.SetWindowOrigin(Point{320, -40});
    EXPECT_EQ(input.ClientToScreen(Point{7, 9}), (Point{327, -31}));
    EXPECT_EQ(input.ScreenToClient(Point{327, -31}), (Point{7, 9}));
    EXPECT_EQ(input.ScreenToClient(Point{0, 0}), (Point{-320, 40}));
    for (int x : {-1000, 0, 640, 5000}) {
        Point p{x, x / 2};
        EXPECT_EQ(input.ScreenToClient(input.ClientToScreen(p)), p);
    }
}

TEST_F(InputScriptTest, CursorIsVisibleWhileTheDisplayCounterIsNotNegative) {
    EXPECT_EQ(input.CursorCounter(), 0);
    EXPECT_EQ(input.ShowCursor(false), -1);
    EXPECT_EQ(input.ShowCursor(false), -2);
    EXPECT_EQ(input.ShowCursor(true), -1);
    EXPECT_EQ(input.ShowCursor(true), 0);
    EXPECT_EQ(input.ShowCursor(true), 1);
    EXPECT_EQ(input.CursorCounter(), 1);
    input.Reset();
    EXPECT_EQ(input.CursorCounter(), 0);
}

TEST_F(InputScriptTest, RelativeMotionGivesTheSameOffsetsAsWarping) {
    // Motion reported while warping works is not counted.
    input.AddRelativeMotion(50, 50);
    input.UseRelativeMotion(true);
    EXPECT_TRUE(input.UsesRelativeMotion());
    input.SetCursorPos(Point{640, 360});
    EXPECT_EQ(input.GetCursorPos(), (Point{640, 360}));
    input.AddRelativeMotion(3, 4);
    input.AddRelativeMotion(2, -1);
    EXPECT_EQ(input.GetCursorPos(), (Point{645, 363}));
    // Putting the cursor back starts the next frame's offset from zero.
    input.SetCursorPos(Point{640, 360});
    EXPECT_EQ(input.GetCursorPos(), (Point{640, 360}));
    input.AddRelativeMotion(-7, 0);
    EXPECT_EQ(input.GetCursorPos(), (Point{633, 360}));
    input.UseRelativeMotion(false);
    EXPECT_FALSE(input.UsesRelativeMotion());
}

TEST_F(InputScriptTest, SetFrameDrivesSingleFramesWithoutAScript) {
    EXPECT_FALSE(input.IsInjected());
    InputFrame f = Keys({Key::R});
    f.cursor = Point{30, 40};
    input.SetWindowOrigin(Point{1, 2});
    input.SetFrame(f);
    EXPECT_TRUE(input.IsInjected());
    EXPECT_FALSE(input.HasScript());
    EXPECT_TRUE(input.IsKeyDown(Key::R));
    EXPECT_FALSE(input.IsKeyDown(Key::W));
    EXPECT_EQ(input.GetCursorPos(), (Point{31, 42}));
    input.SetScript(nullptr);
    EXPECT_FALSE(input.IsInjected());
    EXPECT_FALSE(input.IsKeyDown(Key::R));  // no SDL video here or no key held
}

}  // namespace

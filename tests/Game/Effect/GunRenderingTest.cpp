// The player firing at a wall of the real level, drawn by the real renderer
// (under Xvfb with Mesa's software rasteriser): the muzzle flash and tracer
// of a shot, and the holes the shots leave on the wall. Screenshots go to
// test_screenshots/ in the build folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../Framework/Graphics/GlTestWindow.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/Bullet.h"
#include "Game/Effect/EffectList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"

namespace {

GlTestWindow* g_window = nullptr;
std::string g_whyNot;

using Platform::Input;
using Platform::InputFrame;

InputFrame Mouse(int dx, int dy, bool fire = false) {
    InputFrame f;
    f.relativeCursor = true;
    f.cursor = Platform::Point{dx, dy};
    if (fire) f.Set(Platform::Key::LeftButton);
    return f;
}

std::vector<unsigned char> Grab() {
    std::vector<unsigned char> rgba(GlTestWindow::kWidth * GlTestWindow::kHeight * 4);
    GraphicsDevice::GetInstance().ReadPixels(0, 0, GlTestWindow::kWidth, GlTestWindow::kHeight, rgba.data());
    return rgba;
}

int Luma(const std::vector<unsigned char>& rgba, int x, int y) {
    const unsigned char* p = &rgba[(y * GlTestWindow::kWidth + x) * 4];
    return (p[0] * 3 + p[1] * 6 + p[2]) / 10;
}

}  // namespace

class GunRendering : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        g_window = new GlTestWindow();
        if (!g_window->Open(g_whyNot)) {
            g_window->Close();
            delete g_window;
            g_window = nullptr;
        }
        // Models and textures cached by headless tests have no GPU side.
        ResourceCache::GetInstance().Clear();
    }
    static void TearDownTestSuite() {
        ResourceCache::GetInstance().Clear();
        if (g_window != nullptr) {
            g_window->Close();
            delete g_window;
            g_window = nullptr;
        }
    }
    void SetUp() override {
        if (g_window == nullptr) {
            if (g_whyNot == "no DISPLAY") GTEST_SKIP() << "no display";
            FAIL() << "graphics could not start: " << g_whyNot;
        }
        Input::GetInstance().Reset();
        SceneManager::GetInstance().SetClickLatched(false);
    }
    void TearDown() override {
        scene_.reset();
        Input::GetInstance().Reset();
    }
    // Software rendering of the level is slow: only the frames that are
    // looked at are drawn; the others run the game and set the camera.
    void Frame(const InputFrame& input, int frames = 1, bool draw = false) {
        for (int i = 0; i < frames; ++i) {
            Input::GetInstance().SetFrame(input);
            if (draw) {
                scene_->Frame();
            } else {
                scene_->Update();
                scene_->SetCamera();
            }
        }
    }
    void Drawn(const InputFrame& input) { Frame(input, 1, true); }
    int Bullets() {
        int n = 0;
        for (const auto& e : scene_->GetEffectList()->GetEffects())
            if (dynamic_cast<Bullet*>(e.get())) ++n;
        return n;
    }
    static void Shot(const std::string& name) {
        EXPECT_TRUE(GraphicsDevice::GetInstance().SaveScreenshot(GlTestWindow::ShotPath(name)));
    }
    std::unique_ptr<GameScene> scene_;
};

TEST_F(GunRendering, FiringAtTheHallWallShowsFlashTracerAndHoles) {
    scene_ = std::make_unique<GameScene>();
    // The start: eye (20, 6, 0) facing the south hall's north wall (z = 20)
    // just beside door A. Let the picture fade in.
    Frame(InputFrame{}, 24);
    Drawn(InputFrame{});
    const std::vector<unsigned char> before = Grab();
    Shot("gun_before.png");

    // One shot: its first frame shows the small flash; the next shows it
    // grown, with the tracer on its way.
    Drawn(Mouse(0, 0, true));
    ASSERT_EQ(scene_->GetGun()->GetMagazine(), 19);
    EXPECT_NE(scene_->GetGun()->GetHitObject(), nullptr) << "the wall is in range";
    Shot("gun_fire_frame1.png");
    const std::vector<unsigned char> tracer = Grab();
    Drawn(Mouse(0, 0, true));
    Shot("gun_fire_frame2.png");
    const std::vector<unsigned char> flash = Grab();
    Frame(Mouse(0, 0, true), 6);

    // Four more shots, turning two degrees right between them.
    for (int i = 0; i < 4; ++i) {
        Frame(Mouse(0, 0, false));
        Frame(Mouse(20, 0, true));
        Frame(Mouse(0, 0, true), 7);
    }
    EXPECT_EQ(scene_->GetGun()->GetMagazine(), 15);
    // Undo the turns and the five recoil kicks, then let the bullets end.
    Frame(Mouse(-80, 50));
    Frame(InputFrame{}, 9);
    Drawn(InputFrame{});
    EXPECT_EQ(Bullets(), 0);
    EXPECT_EQ(scene_->GetEffectList()->GetDecals().size(), 5u);
    const std::vector<unsigned char> after = Grab();
    Shot("gun_holes.png");

    // The view is back where it started: the holes are the dark spots that
    // were not there before, in the middle of the picture where the shots
    // landed. The flash brightened the lower half, where the gun is.
    int darker = 0;
    for (int y = 260; y < 460; ++y)
        for (int x = 540; x < 840; ++x)
            if (Luma(after, x, y) + 20 < Luma(before, x, y)) ++darker;
    EXPECT_GT(darker, 15);
    int brighter = 0;
    for (int y = 360; y < 720; ++y)
        for (int x = 0; x < 1280; ++x)
            if (Luma(flash, x, y) > Luma(before, x, y) + 40) ++brighter;
    EXPECT_GT(brighter, 500);
    // The first frame of the shot: the tracer runs from the muzzle towards
    // the middle of the picture (the gun itself has not moved yet).
    int streak = 0;
    for (int y = 380; y < 500; ++y)
        for (int x = 660; x < 840; ++x)
            if (Luma(tracer, x, y) > Luma(before, x, y) + 30) ++streak;
    EXPECT_GT(streak, 30);
}

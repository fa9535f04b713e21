// The player firing at a wall of the real level, drawn by the real renderer
// (under Xvfb with Mesa's software rasteriser): the muzzle flash and tracer
// of a shot, and the holes the shots leave on the wall. Screenshots go to
// test_screenshots/ in the build folder.
#include <gtest/gtest.h>

#include <memory>

#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/Bullet.h"
#include "Game/Effect/EffectList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"
#include "tests/Framework/Graphics/GlFixture.h"
#include "tests/Framework/Platform/InputFrames.h"

using Platform::Input;
using Platform::InputFrame;
using testinput::MouseMove;

class GunRendering : public GlSuite {
protected:
    void TearDown() override {
        scene_.reset();
        GlSuite::TearDown();
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
    std::unique_ptr<GameScene> scene_;
};

TEST_F(GunRendering, FiringAtTheHallWallShowsFlashTracerAndHoles) {
    scene_ = std::make_unique<GameScene>();
    // The start: eye (20, 6, 0) facing the south hall's north wall (z = 20)
    // just beside door A. Let the picture fade in.
    Frame(InputFrame{}, 24);
    Drawn(InputFrame{});
    const GlPicture before = GlPicture::Grab();
    Shot("gun_before.png");

    // One shot: its first frame shows the small flash; the next shows it
    // grown, with the tracer on its way.
    Drawn(MouseMove(0, 0, true));
    ASSERT_EQ(scene_->GetGun()->GetMagazine(), 19);
    EXPECT_NE(scene_->GetGun()->GetHitObject(), nullptr) << "the wall is in range";
    Shot("gun_fire_frame1.png");
    const GlPicture tracer = GlPicture::Grab();
    Drawn(MouseMove(0, 0, true));
    Shot("gun_fire_frame2.png");
    const GlPicture flash = GlPicture::Grab();
    Frame(MouseMove(0, 0, true), 6);

    // Four more shots, turning two degrees right between them.
    for (int i = 0; i < 4; ++i) {
        Frame(MouseMove(0, 0, false));
        Frame(MouseMove(20, 0, true));
        Frame(MouseMove(0, 0, true), 7);
    }
    EXPECT_EQ(scene_->GetGun()->GetMagazine(), 15);
    // Undo the turns and the five recoil kicks, then let the bullets end.
    Frame(MouseMove(-80, 50));
    Frame(InputFrame{}, 9);
    Drawn(InputFrame{});
    EXPECT_EQ(Bullets(), 0);
    EXPECT_EQ(scene_->GetEffectList()->GetDecals().size(), 5u);
    const GlPicture after = GlPicture::Grab();
    Shot("gun_holes.png");

    // The view is back where it started: the holes are the dark spots that
    // were not there before, in the middle of the picture where the shots
    // landed. The flash brightened the lower half, where the gun is.
    int darker = 0;
    for (int y = 260; y < 460; ++y)
        for (int x = 540; x < 840; ++x)
            if (after.Luma(x, y) + 20 < before.Luma(x, y)) ++darker;
    EXPECT_GT(darker, 15);
    int brighter = 0;
    for (int y = 360; y < 720; ++y)
        for (int x = 0; x < 1280; ++x)
            if (flash.Luma(x, y) > before.Luma(x, y) + 40) ++brighter;
    EXPECT_GT(brighter, 500);
    // The first frame of the shot: the tracer runs from the muzzle towards
    // the middle of the picture (the gun itself has not moved yet).
    int streak = 0;
    for (int y = 380; y < 500; ++y)
        for (int x = 660; x < 840; ++x)
            if (tracer.Luma(x, y) > before.Luma(x, y) + 30) ++streak;
    EXPECT_GT(streak, 30);
}

// The title scene run headless through its real frame routine, driven by
// injected input frames: the start button's hover and click, the click
// latch, the bullet hole, the fade and the request for a new game.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Framework/Audio/Audio.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/Input.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Stage.h"
#include "Scene/FirstScene.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"
#include "tests/Scene/SceneDriver.h"

using Platform::Input;
using Platform::InputFrame;

using testinput::At;

namespace {

// Client position of the start button's centre.
constexpr Platform::Point kButton{640, 610};

}  // namespace

class TitleSceneTest : public HeadlessSceneTest<TitleScene> {
protected:
    void SetUp() override {
        HeadlessSceneTest::SetUp();
        scene_ = std::make_unique<TitleScene>();
    }
};

TEST_F(TitleSceneTest, BuildsTheRoomAndCameraAndPutsTheCursorOnTheButton) {
    Input& input = Input::GetInstance();
    EXPECT_EQ(input.ScreenToClient(input.GetCursorPos()), kButton);
    EXPECT_EQ(input.CursorCounter(), -1) << "system cursor hidden";

    const Vector3 dir = scene_->GetViewDirection();
    EXPECT_NEAR(dir.x, -0.6645f, 1e-3f);
    EXPECT_NEAR(dir.y, 0.3420f, 1e-3f);
    EXPECT_NEAR(dir.z, 0.6645f, 1e-3f);

    const auto& objects = scene_->GetStage()->GetObjects();
    ASSERT_EQ(objects.size(), 3u);
    for (const Object* o : objects) {
        ASSERT_EQ(o->GetParts().size(), 1u);
        EXPECT_NE(o->GetParts()[0]->model, nullptr);
        EXPECT_EQ(o->GetParts()[0]->rayModel, nullptr);
        EXPECT_EQ(o->GetKind(), 0);
        EXPECT_EQ(o->GetFloor(), 0);
    }
    // The figure stands at (33, 0, 20), turned 145 degrees: its local +z
    // faces (sin 145, 0, cos 145).
    const Matrix& figure = objects[2]->GetParts()[0]->world;
    EXPECT_NEAR(figure._41, 33.0f, 1e-5f);
    EXPECT_NEAR(figure._43, 20.0f, 1e-5f);
    EXPECT_NEAR(figure._31, 0.5735764f, 1e-5f);
    EXPECT_NEAR(figure._33, -0.8191520f, 1e-5f);
    EXPECT_EQ(scene_->GetHud()->GetMode(), Hud::Mode::Title);

    scene_.reset();
    EXPECT_EQ(input.CursorCounter(), 0) << "shown again when the title goes";
}

TEST_F(TitleSceneTest, CameraAndLights) {
    Step(InputFrame{});
    const Render::Camera& camera = scene_->GetCamera();
    EXPECT_NEAR(camera.eye.x, 35.0f, 1e-5f);
    EXPECT_NEAR(camera.eye.y, 1.0f, 1e-5f);
    EXPECT_NEAR(camera.projection._22, 1.0f / std::tan(25.0f * Math::kDegToRad), 1e-4f) << "50 degrees vertically";
    const Vector3 ahead = scene_->GetEye() + scene_->GetViewDirection() * 5.0f;
    const Vector3 v = Vector3::Transform(ahead, camera.view);
    EXPECT_NEAR(v.x, 0.0f, 1e-4f);
    EXPECT_NEAR(v.z, 5.0f, 1e-4f);
    const Render::Lighting& light = scene_->GetLighting();
    EXPECT_FLOAT_EQ(light.colour.x, 2.0f);
    EXPECT_FLOAT_EQ(light.ambient.y, 0.8f);
}

TEST_F(TitleSceneTest, HoverIsTrackedAndTheButtonGrowsUnderTheMouse) {
    Step(At(kButton, false));
    EXPECT_EQ(scene_->GetCursorX(), 0);
    EXPECT_EQ(scene_->GetCursorY(), -250);
    EXPECT_TRUE(scene_->IsOverButton());
    const auto& drawn = scene_->GetHud()->GetLastDrawn();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_FLOAT_EQ(drawn[0].transform._11, 0.2f) << "logo at a fifth";
    EXPECT_FLOAT_EQ(drawn[0].transform._42, 150.0f);
    EXPECT_FLOAT_EQ(drawn[1].transform._11, 1.2f);
    EXPECT_FLOAT_EQ(drawn[1].transform._42, -250.0f);

    // Just past the button's right edge.
    const int w = scene_->GetHud()->GetTextures()[Hud::kTexStartButton]->GetWidth();
    ASSERT_GT(w, 0);
    Step(At({640 + (w + 1) / 2, 610}, false));
    EXPECT_FALSE(scene_->IsOverButton());
    EXPECT_FLOAT_EQ(scene_->GetHud()->GetLastDrawn()[1].transform._11, 1.0f);
}

TEST_F(TitleSceneTest, AClickOutsideTheButtonDoesNothing) {
    Step(At({100, 100}, false));
    Step(At({100, 100}, true), 5);
    EXPECT_FALSE(scene_->IsClicked());
    EXPECT_FLOAT_EQ(scene_->GetFade(), 0.0f);
    EXPECT_TRUE(SceneManager::GetInstance().IsClickLatched());
    Step(At({100, 100}, false));
    EXPECT_FALSE(SceneManager::GetInstance().IsClickLatched());
}

TEST_F(TitleSceneTest, HoldingTheButtonWhileMovingOntoItDoesNotStart) {
    Step(At({100, 100}, true), 3);
    Step(At(kButton, true), 10);
    EXPECT_TRUE(scene_->IsOverButton());
    EXPECT_FALSE(scene_->IsClicked()) << "the held button is latched";
    Step(At(kButton, false));
    Step(At(kButton, true));
    EXPECT_TRUE(scene_->IsClicked());
}

TEST_F(TitleSceneTest, AClickThatWasHeldWhenTheSceneStartedWaitsForARelease) {
    SceneManager::GetInstance().SetClickLatched(true);
    Step(At(kButton, true), 5);
    EXPECT_FALSE(scene_->IsClicked());
}

TEST_F(TitleSceneTest, TheClickLeavesAHoleAndASecondClickChangesNothing) {
    Step(At(kButton, false));
    Step(At({650, 600}, true));
    ASSERT_TRUE(scene_->IsClicked());
    EXPECT_FLOAT_EQ(scene_->GetHoleMatrix()._41, 10.0f);
    EXPECT_FLOAT_EQ(scene_->GetHoleMatrix()._42, -240.0f);
    EXPECT_NEAR(scene_->GetFade(), 0.01f, 1e-6f);
    if (scene_->GetClickSound()) EXPECT_NEAR(scene_->GetClickSound()->GetVolume(), 0.2f, 1e-6f);

    Step(At({630, 620}, false));
    Step(At({630, 620}, true));
    EXPECT_FLOAT_EQ(scene_->GetHoleMatrix()._41, 10.0f);
    EXPECT_FLOAT_EQ(scene_->GetHoleMatrix()._42, -240.0f);
    EXPECT_NEAR(scene_->GetFade(), 0.03f, 1e-6f) << "the fade keeps its pace";
}

TEST_F(TitleSceneTest, TheGameIsRequestedOnTheHundredAndFirstFrameAfterTheClick) {
    SceneManager& manager = SceneManager::GetInstance();
    Step(At(kButton, false));
    Step(At(kButton, true));  // frame 1 of the click
    ASSERT_TRUE(scene_->IsClicked());
    for (int frame = 2; frame <= 100; ++frame) {
        Step(At(kButton, false));
        ASSERT_EQ(manager.GetNextScene(), nullptr) << "frame " << frame;
    }
    EXPECT_LE(scene_->GetFade(), 1.0f);
    Step(At(kButton, false));
    EXPECT_TRUE(scene_->IsGameRequested());
    SceneBase* next = manager.GetNextScene();
    ASSERT_NE(dynamic_cast<GameScene*>(next), nullptr);
    // Stepped again before the switch: the fade rises on, no second game.
    Step(At(kButton, false));
    EXPECT_EQ(manager.GetNextScene(), next);
    EXPECT_GT(scene_->GetFade(), 1.01f);
}

TEST(FirstSceneTest, TheProgramStartsOnTheTitle) {
    Input::GetInstance().Reset();
    std::unique_ptr<SceneBase> first(CreateFirstScene());
    EXPECT_NE(dynamic_cast<TitleScene*>(first.get()), nullptr);
    first.reset();
    Input::GetInstance().Reset();
}

// The result scene run headless through its real frame routine, driven by
// injected input frames: the death and cleared screens, when the button
// appears, the white flash, and the way back to the title.
#include <gtest/gtest.h>

#include <memory>

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/Input.h"
#include "Game/Object/Object.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/ResultScene.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"
#include "tests/Game/Stage/ShootOutCore.h"
#include "tests/Scene/SceneDriver.h"

using Platform::Input;
using Platform::InputFrame;

using testinput::At;

class ResultSceneTest : public HeadlessSceneTest<ResultScene> {
protected:
    // Made the way the game scene makes it.
    void Make(bool cleared) { scene_.reset(static_cast<ResultScene*>(CreateResultScene(cleared).release())); }
    bool ButtonDrawn() const {
        const VeTexture* button = scene_->GetHud()->GetTextures()[Hud::kTexTitleButton];
        for (const auto& s : scene_->GetHud()->GetLastDrawn())
            if (s.texture == button) return true;
        return false;
    }
};

TEST_F(ResultSceneTest, DeathScreenIsBlackWithTheBannerFadingInAndTheButtonFromFrame201) {
    Make(false);
    EXPECT_FALSE(scene_->IsCleared());
    EXPECT_TRUE(scene_->GetStage()->GetObjects().empty()) << "no room after death";
    EXPECT_FALSE(scene_->GetHud()->IsCleared());
    EXPECT_NE(scene_->GetHud()->GetTextures()[Hud::kTexBanner]->GetPath().find("YOUAREDEAD"), std::string::npos);
    Input& input = Input::GetInstance();
    EXPECT_EQ(input.ScreenToClient(input.GetCursorPos()), (Platform::Point{640, 610}));

    // The mouse rests away from the button, the button up.
    for (int frame = 1; frame <= 200; ++frame) {
        Step(At({100, 100}, false));
        ASSERT_FALSE(ButtonDrawn()) << "frame " << frame;
        const auto& drawn = scene_->GetHud()->GetLastDrawn();
        ASSERT_EQ(drawn.size(), 2u);
        ASSERT_EQ(drawn[0].colour, Vector4(0, 0, 0, 1)) << "black screen first";
        ASSERT_NEAR(drawn[1].colour.w, 0.005f * frame, 1e-4f) << "banner fading in, frame " << frame;
        ASSERT_FLOAT_EQ(drawn[1].transform._42, 100.0f);
    }
    EXPECT_TRUE(scene_->IsOverButton()) << "keeps its starting value until the button is drawn";
    Step(At({100, 100}, false));
    EXPECT_TRUE(ButtonDrawn()) << "frame 201";
    EXPECT_FALSE(scene_->IsOverButton()) << "follows the pointer once drawn";
    EXPECT_FLOAT_EQ(scene_->GetHud()->GetFade(), 1.0f);
    EXPECT_FALSE(scene_->IsTitleRequested());
}

// The real hand-over: a game scene run by the scene manager ends, asks for
// its result screen, and the manager switches to it; the input is whatever
// the test holds through all of it.
class ResultHandOverTest : public ResultSceneTest {
protected:
    void Run(const InputFrame& f, int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            Input::GetInstance().SetFrame(f);
            SceneManager::GetInstance().Update();
        }
    }
    // Plays a game from its first frame to the result screen, holding the
    // input throughout; the game is won (core destroyed) or lost (player
    // killed) in its first frame. Null if no result screen came.
    ResultScene* PlayToResult(bool cleared, const InputFrame& held) {
        SceneManager& manager = SceneManager::GetInstance();
        auto scene = std::make_unique<GameScene>();
        GameScene* game = scene.get();
        manager.SetNextScene(std::move(scene));
        Run(held);
        if (cleared)
            testgame::ShootOutTheCore(*game->GetStage());
        else
            game->GetPlayer()->Damage(10, Vector3());
        for (int frame = 0; frame < 1000; ++frame) {
            Run(held);
            if (auto* result = dynamic_cast<ResultScene*>(manager.GetCurrentScene())) return result;
        }
        return nullptr;
    }
    static bool TitleNext() { return dynamic_cast<TitleScene*>(SceneManager::GetInstance().GetNextScene()); }
};

TEST_F(ResultHandOverTest, AFireButtonHeldThroughAWonEndingIsNoClickOnTheResultScreen) {
    // The cursor rests where the button is drawn at once after a clear.
    const InputFrame held = At({640, 610}, true);
    ResultScene* result = PlayToResult(true, held);
    ASSERT_NE(result, nullptr);
    ASSERT_TRUE(result->IsCleared());
    Run(held, 60);
    ASSERT_EQ(SceneManager::GetInstance().GetCurrentScene(), result) << "the held button is not a click";
    EXPECT_FALSE(result->IsTitleRequested());
    EXPECT_FALSE(TitleNext());

    // Released and pressed again on the button: back to the title, once.
    Run(At({640, 610}, false));
    Run(held);
    EXPECT_TRUE(result->IsTitleRequested());
    SceneBase* title = SceneManager::GetInstance().GetNextScene();
    EXPECT_NE(dynamic_cast<TitleScene*>(title), nullptr);
    EXPECT_TRUE(SceneManager::GetInstance().IsClickLatched()) << "the click does not act again in the title";
}

TEST_F(ResultHandOverTest, AfterDeathAFreshClickAnywhereBeforeTheButtonIsDrawnLeadsToTheTitle) {
    // Killed with the fire button held on the button's place: held on, it
    // is no click, however long.
    ResultScene* result = PlayToResult(false, At({640, 610}, true));
    ASSERT_NE(result, nullptr);
    ASSERT_FALSE(result->IsCleared());
    Run(At({640, 610}, true), 40);
    Run(At({100, 100}, true), 40);
    ASSERT_EQ(SceneManager::GetInstance().GetCurrentScene(), result) << "the button held from the game never counts";
    EXPECT_FALSE(result->IsTitleRequested());

    // Released, then pressed again far from where the button will be, while
    // the banner is still fading in: back to the title, once.
    Run(At({100, 100}, false));
    Run(At({100, 100}, true));
    ASSERT_LT(result->GetHud()->GetFade(), 1.0f);
    EXPECT_TRUE(result->IsTitleRequested());
    EXPECT_NE(dynamic_cast<TitleScene*>(SceneManager::GetInstance().GetNextScene()), nullptr);
    Run(At({100, 100}, true));
    EXPECT_NE(dynamic_cast<TitleScene*>(SceneManager::GetInstance().GetCurrentScene()), nullptr);
    EXPECT_TRUE(SceneManager::GetInstance().IsClickLatched()) << "the click does not act again in the title";
}

TEST_F(ResultHandOverTest, AfterDeathOnceTheButtonIsDrawnOnlyAClickOnItLeads) {
    ResultScene* result = PlayToResult(false, At({100, 100}, false));
    ASSERT_NE(result, nullptr);
    Run(At({100, 100}, false), 201);
    ASSERT_FLOAT_EQ(result->GetHud()->GetFade(), 1.0f);
    // The button is shown; a click beside it does nothing.
    Run(At({100, 100}, true));
    Run(At({100, 100}, false));
    EXPECT_FALSE(result->IsTitleRequested());
    Run(At({640, 610}, false));
    Run(At({640, 610}, true));
    EXPECT_TRUE(result->IsTitleRequested());
}

TEST_F(ResultSceneTest, ClearedScreenShowsRoomBannerAndButtonAtOnceUnderATwentyFrameFlash) {
    Make(true);
    EXPECT_TRUE(scene_->IsCleared());
    ASSERT_EQ(scene_->GetStage()->GetObjects().size(), 1u) << "the result room";
    EXPECT_NE(scene_->GetStage()->GetObjects()[0]->GetParts()[0]->model, nullptr);
    EXPECT_NE(scene_->GetHud()->GetTextures()[Hud::kTexBanner]->GetPath().find("clear.png"), std::string::npos);

    Step(At({100, 100}, false));
    const auto& drawn = scene_->GetHud()->GetLastDrawn();
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].texture, scene_->GetHud()->GetTextures()[Hud::kTexBanner]) << "no black screen";
    EXPECT_FLOAT_EQ(drawn[0].colour.w, 1.0f);
    EXPECT_FLOAT_EQ(drawn[0].transform._42, 250.0f);
    EXPECT_TRUE(ButtonDrawn());
    EXPECT_FALSE(scene_->IsOverButton());

    EXPECT_NEAR(scene_->GetFlash(), 0.95f, 1e-6f);
    Step(At({100, 100}, false), 18);
    EXPECT_GT(scene_->GetFlash(), 0.0f) << "still flashing on frame 19";
    Step(At({100, 100}, false));
    EXPECT_FLOAT_EQ(scene_->GetFlash(), 0.0f) << "gone on frame 20";

    // Hovering the button grows it; clicking it goes to the title.
    Step(At({640, 610}, false));
    EXPECT_TRUE(scene_->IsOverButton());
    Step(At({640, 610}, true));
    EXPECT_NE(dynamic_cast<TitleScene*>(SceneManager::GetInstance().GetNextScene()), nullptr);
}

TEST_F(ResultSceneTest, CameraLooksAtTheRoomCentre) {
    Make(true);
    Step(At({100, 100}, false));
    const Render::Camera& camera = scene_->GetCamera();
    const Vector3 v = Vector3::Transform(Vector3(0.0f, 6.0f, 0.0f), camera.view);
    EXPECT_NEAR(v.x, 0.0f, 1e-4f);
    EXPECT_NEAR(v.y, 0.0f, 1e-4f);
    EXPECT_GT(v.z, 0.0f);
    EXPECT_NEAR(camera.projection._22, 1.7320508f, 1e-5f);
}

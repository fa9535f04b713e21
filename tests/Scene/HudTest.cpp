// The game overlay run headless inside a real game scene: the ammunition
// digits, the health bar and its low-health pulse, the damage flash, the
// pick-up prompts, the reload sign, the held key cards, and the fade that
// hands the game over to the result screen. What the HUD drew is read from
// its record of the sprites it handed to the sprite drawer.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Platform/Input.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Key.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/ResultScene.h"
#include "Scene/SceneManager.h"
#include "tests/Game/Stage/ShootOutCore.h"

using Platform::Input;

namespace {

// Sprites of the last draw that used a texture whose path ends in name.
std::vector<Hud::DrawnSprite> SpritesOf(const Hud& hud, const std::string& name) {
    std::vector<Hud::DrawnSprite> out;
    for (const auto& s : hud.GetLastDrawn()) {
        if (!s.texture) continue;
        const std::string& path = s.texture->GetPath();
        if (path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0)
            out.push_back(s);
    }
    return out;
}

}  // namespace

TEST(HudAmmoCells, MagazineShowsTwoDigitsAndReserveIsClampedTo999) {
    Hud::AmmoCells c = Hud::ComputeAmmoCells(7, 1234);
    EXPECT_EQ(c.cell[0], 0);
    EXPECT_EQ(c.cell[1], 7);
    EXPECT_EQ(c.cell[2], Hud::kSlashCell);
    EXPECT_EQ(c.cell[3], 9);
    EXPECT_EQ(c.cell[4], 9);
    EXPECT_EQ(c.cell[5], 9);

    c = Hud::ComputeAmmoCells(20, 305);
    EXPECT_EQ(c.cell[0], 2);
    EXPECT_EQ(c.cell[1], 0);
    EXPECT_EQ(c.cell[3], 3);
    EXPECT_EQ(c.cell[4], 0);
    EXPECT_EQ(c.cell[5], 5);

    // Out-of-range counts never index past the strip's digit cells.
    c = Hud::ComputeAmmoCells(-3, -40);
    for (int i : {0, 1, 3, 4, 5}) EXPECT_EQ(c.cell[i], 0) << "cell " << i;
    c = Hud::ComputeAmmoCells(250, 999);
    EXPECT_EQ(c.cell[0], 9);
    EXPECT_EQ(c.cell[1], 9);
}

TEST(HudButton, HoverTestIsStrictOnEveryEdge) {
    // A 200 x 60 button at (0, -250): x in (-100, 100), y in (-280, -220).
    EXPECT_TRUE(Hud::IsOverButton(0, -250, 200, 60));
    EXPECT_TRUE(Hud::IsOverButton(99, -221, 200, 60));
    EXPECT_TRUE(Hud::IsOverButton(-99, -279, 200, 60));
    EXPECT_FALSE(Hud::IsOverButton(100, -250, 200, 60));
    EXPECT_FALSE(Hud::IsOverButton(-100, -250, 200, 60));
    EXPECT_FALSE(Hud::IsOverButton(0, -220, 200, 60));
    EXPECT_FALSE(Hud::IsOverButton(0, -280, 200, 60));
    // Odd sizes: half a texel counts.
    EXPECT_TRUE(Hud::IsOverButton(100, -250, 201, 61));
    EXPECT_FALSE(Hud::IsOverButton(0, 0, 0, 0)) << "an empty texture is never hovered";
}

class HudGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        Input::GetInstance().Reset();
        Input::GetInstance().SetFrame(Platform::InputFrame{});
        SceneManager::GetInstance().SetClickLatched(false);
        scene_ = std::make_unique<GameScene>();
        hud_ = scene_->GetHud();
    }
    void TearDown() override {
        scene_.reset();
        SceneManager::GetInstance().Clear();
        Input::GetInstance().Reset();
    }
    // One step's animation of the overlay, then its picture.
    void Draw() {
        hud_->AnimateGame(scene_->GetWorld());
        scene_->SetCamera();
        hud_->DrawGame(scene_->GetWorld());
    }
    std::unique_ptr<GameScene> scene_;
    Hud* hud_ = nullptr;
};

TEST_F(HudGameTest, AmmunitionCounterDrawsTheDigitCellsOfMagazineAndReserve) {
    scene_->GetGun()->SetMagazine(7);
    scene_->GetPlayer()->AddReserveAmmo(1234 - scene_->GetPlayer()->GetReserveAmmo());
    Draw();
    const auto cells = SpritesOf(*hud_, "number.png");
    ASSERT_EQ(cells.size(), 6u);
    const float lefts[6] = {0, 105, 150, 135, 135, 135};  // "07/999"
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(cells[i].source.left, lefts[i]) << "cell " << i;
        EXPECT_FLOAT_EQ(cells[i].source.width, 15.0f);
        EXPECT_FLOAT_EQ(cells[i].source.height, 26.0f);
        EXPECT_FLOAT_EQ(cells[i].transform._41, Hud::kAmmoCellX[i]);
        EXPECT_FLOAT_EQ(cells[i].transform._42, -332.0f);
        EXPECT_FLOAT_EQ(cells[i].colour.w, 0.8f);
    }
    // A full magazine after start: "20/300", no reload sign.
    scene_->GetGun()->SetMagazine(20);
    scene_->GetPlayer()->AddReserveAmmo(300 - scene_->GetPlayer()->GetReserveAmmo());
    Draw();
    const auto full = SpritesOf(*hud_, "number.png");
    ASSERT_EQ(full.size(), 6u);
    EXPECT_FLOAT_EQ(full[0].source.left, 30.0f);
    EXPECT_FLOAT_EQ(full[1].source.left, 0.0f);
    EXPECT_FLOAT_EQ(full[3].source.left, 45.0f);
    EXPECT_TRUE(SpritesOf(*hud_, "reload.png").empty());
}

TEST_F(HudGameTest, ReloadSignPulsesOnlyWhileTheMagazineIsEmpty) {
    scene_->GetGun()->SetMagazine(0);
    Draw();
    auto sign = SpritesOf(*hud_, "reload.png");
    ASSERT_EQ(sign.size(), 1u);
    EXPECT_NEAR(sign[0].colour.w, 0.8f, 1e-6f);  // sin 0: (0 + 1) * 0.5 + 0.3
    EXPECT_FLOAT_EQ(sign[0].transform._11, 0.5f);
    EXPECT_FLOAT_EQ(sign[0].transform._42, -40.0f);
    float lowest = 1.0f;
    for (int i = 0; i < 72; ++i) {
        Draw();
        sign = SpritesOf(*hud_, "reload.png");
        ASSERT_EQ(sign.size(), 1u);
        EXPECT_LE(sign[0].colour.w, 1.0f);
        lowest = std::min(lowest, sign[0].colour.w);
    }
    EXPECT_NEAR(lowest, 0.3f, 1e-3f);
    EXPECT_EQ(hud_->GetReloadAngle(), 5) << "wraps at 360";
    scene_->GetGun()->SetMagazine(1);
    Draw();
    EXPECT_TRUE(SpritesOf(*hud_, "reload.png").empty());
}

TEST_F(HudGameTest, HealthBarDrainsToTheRealRatioAndThePulseStartsBelowThirtyPercent) {
    scene_->GetPlayer()->Damage(8, Vector3());
    ASSERT_EQ(scene_->GetPlayer()->GetHp(), 2);
    int firstPulse = -1;
    for (int frame = 1; frame <= 80; ++frame) {
        const float before = hud_->GetHpShown();
        Draw();
        const bool pulse = SpritesOf(*hud_, "bloodFrame.png").size() == (hud_->GetDamageFlash() > 0.0f ? 2u : 1u);
        EXPECT_EQ(pulse, before < 0.3f) << "frame " << frame << " hp shown " << before;
        if (pulse && firstPulse < 0) firstPulse = frame;
        EXPECT_NEAR(hud_->GetHpShown(), 1.0f - 0.01f * frame, 1e-4f) << "frame " << frame;
    }
    EXPECT_NEAR(hud_->GetHpShown(), 0.2f, 1e-4f);
    EXPECT_GE(firstPulse, 71);
    EXPECT_LE(firstPulse, 72);

    // The bar stops at the real ratio, at 60 of its 300 pixels, red-green.
    for (int i = 0; i < 10; ++i) Draw();
    EXPECT_NEAR(hud_->GetHpShown(), 0.2f, 1e-6f);
    const auto bars = SpritesOf(*hud_, "white.png");
    ASSERT_GE(bars.size(), 2u);
    EXPECT_FLOAT_EQ(bars[0].source.width, 300.0f);
    EXPECT_EQ(bars[0].colour, Vector4(0, 0, 0, 1));
    EXPECT_FLOAT_EQ(bars[1].source.width, 60.0f);
    EXPECT_FLOAT_EQ(bars[1].pivot.x, 0.0f);
    EXPECT_FLOAT_EQ(bars[1].transform._41, -580.0f);
    EXPECT_NEAR(bars[1].colour.x, 0.8f, 1e-5f);
    EXPECT_NEAR(bars[1].colour.y, 0.2f, 1e-5f);
}

TEST_F(HudGameTest, AHitRestartsTheDamageFlashWhichFadesOverTwentyFrames) {
    // The HUD's update of the frame sees the frame's hits: the flash is full
    // at the hit and has faded one step by the time the frame is drawn.
    Player& player = *scene_->GetPlayer();
    EXPECT_FLOAT_EQ(hud_->GetDamageFlash(), 0.0f);
    player.Damage(1, Vector3());
    hud_->UpdateGame(scene_->GetWorld());
    EXPECT_FLOAT_EQ(hud_->GetDamageFlash(), 0.95f);
    for (int i = 0; i < 13; ++i) hud_->UpdateGame(scene_->GetWorld());
    ASSERT_NEAR(hud_->GetDamageFlash(), 0.3f, 1e-5f);
    player.Damage(1, Vector3());
    hud_->UpdateGame(scene_->GetWorld());
    EXPECT_FLOAT_EQ(hud_->GetDamageFlash(), 0.95f) << "back to full, then one step";
    Draw();
    auto blood = SpritesOf(*hud_, "bloodFrame.png");
    ASSERT_EQ(blood.size(), 1u);
    EXPECT_FLOAT_EQ(blood[0].colour.w, 0.95f);
    for (int i = 0; i < 18; ++i) hud_->UpdateGame(scene_->GetWorld());
    EXPECT_GT(hud_->GetDamageFlash(), 0.0f);
    hud_->UpdateGame(scene_->GetWorld());
    EXPECT_FLOAT_EQ(hud_->GetDamageFlash(), 0.0f) << "twenty updates after the hit";
    Draw();
    EXPECT_TRUE(SpritesOf(*hud_, "bloodFrame.png").empty());
}

TEST_F(HudGameTest, PromptsDependOnTheHighlightedKindAndOnlyInFrontOfTheCamera) {
    Stage& stage = *scene_->GetStage();
    for (Object* o : stage.GetObjects()) o->SetHighlighted(false);
    // Four objects 10 units ahead of a camera at the origin looking along +z.
    auto make = [&stage](ObjectKind kind) {
        Object* o = stage.Add(std::make_unique<Object>());
        o->SetKind(kind);
        o->SetMatrix(Matrix::CreateTranslation(0.0f, 0.0f, 10.0f));
        return o;
    };
    Object* door = make(kKindDoor);
    Object* card = make(kKindKey);
    Object* box = make(kKindBulletBox);
    Object* reader = make(kKindKeyReader);
    Render::Camera camera;
    const Matrix projection = Matrix::CreatePerspectiveFieldOfView(1.0471976f, 16.0f / 9.0f, 0.01f, 1000.0f);
    auto prompts = [&]() {
        scene_->GetWorld().SetCamera(camera);
        hud_->DrawGame(scene_->GetWorld());
        std::vector<const VeTexture*> out;
        for (const auto& s : hud_->GetLastDrawn())
            if (s.texture == hud_->GetPickUpPrompt() || s.texture == hud_->GetUsePrompt()) {
                EXPECT_FLOAT_EQ(s.transform._41, 0.0f);
                EXPECT_FLOAT_EQ(s.transform._42, 100.0f);
                EXPECT_FLOAT_EQ(s.source.width, 128.0f);
                EXPECT_FLOAT_EQ(s.colour.w, 0.8f);
                out.push_back(s.texture);
            }
        return out;
    };
    camera.view = Matrix::CreateLookTo(Vector3(), Vector3(0, 0, 1), Vector3(0, 1, 0));
    camera.projection = projection;

    EXPECT_TRUE(prompts().empty()) << "nothing highlighted";
    door->SetHighlighted(true);
    EXPECT_TRUE(prompts().empty()) << "a door has no prompt";
    door->SetHighlighted(false);
    for (Object* o : {card, box}) {
        o->SetHighlighted(true);
        auto shown = prompts();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], hud_->GetPickUpPrompt());
        EXPECT_NE(shown[0]->GetPath().find("info2.png"), std::string::npos);
        o->SetHighlighted(false);
    }
    reader->SetHighlighted(true);
    auto shown = prompts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], hud_->GetUsePrompt());
    EXPECT_NE(shown[0]->GetPath().find("info.png"), std::string::npos);

    // Turned away: the reader is behind the eye and shows nothing.
    camera.view = Matrix::CreateLookTo(Vector3(), Vector3(0, 0, -1), Vector3(0, 1, 0));
    EXPECT_TRUE(prompts().empty());
    // Beyond the far plane counts as not in front either.
    reader->SetMatrix(Matrix::CreateTranslation(0.0f, 0.0f, -2000.0f));
    EXPECT_TRUE(prompts().empty());
}

TEST_F(HudGameTest, HeldCardsWobbleWhileInsertedAndSettleAfterwards) {
    Key* blue = scene_->GetStage()->Add(std::make_unique<Key>(&scene_->GetWorld()));
    blue->SetColour(1);
    scene_->GetPlayer()->AddKey(blue);
    Draw();
    auto cards = SpritesOf(*hud_, "keycard.png");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_FLOAT_EQ(cards[0].source.left, 640.0f);
    EXPECT_FLOAT_EQ(cards[0].source.width, 640.0f);
    EXPECT_FLOAT_EQ(cards[0].source.height, 1080.0f);
    EXPECT_FLOAT_EQ(cards[0].transform._41, 530.0f);
    EXPECT_FLOAT_EQ(cards[0].transform._42, 315.0f);
    EXPECT_NEAR(cards[0].transform._11, 0.1f, 1e-6f) << "no wobble while not inserted";
    EXPECT_NEAR(cards[0].transform._12, 0.0f, 1e-6f);

    blue->SetInserting(true);
    for (int i = 0; i < 3; ++i) Draw();
    EXPECT_FLOAT_EQ(hud_->GetCardWobble(1), 1.5f);
    cards = SpritesOf(*hud_, "keycard.png");
    // Rotated by sin(1.5) * 10 degrees, scaled by 0.1.
    const float angle = std::sin(1.5f) * 10.0f * Math::kDegToRad;
    EXPECT_NEAR(cards[0].transform._11, 0.1f * std::cos(angle), 1e-5f);
    EXPECT_NEAR(cards[0].transform._12, 0.1f * std::sin(angle), 1e-5f);

    blue->SetInserting(false);
    for (int i = 0; i < 3; ++i) Draw();
    EXPECT_FLOAT_EQ(hud_->GetCardWobble(1), 0.0f);
    Draw();
    EXPECT_FLOAT_EQ(hud_->GetCardWobble(1), 0.0f);
}

TEST_F(HudGameTest, GameFadesInThenWaits240FramesAndFadesOver100BeforeTheResult) {
    Draw();
    auto fade = SpritesOf(*hud_, "white.png");
    ASSERT_FALSE(fade.empty());
    EXPECT_EQ(fade.back().colour, Vector4(0, 0, 0, 1)) << "starts black";
    for (int i = 0; i < 20; ++i) scene_->Update();
    EXPECT_NEAR(hud_->GetFade(), 0.0f, 1e-5f);

    scene_->GetPlayer()->Damage(10, Vector3());
    scene_->Update();  // the death is noticed at the end of this frame
    ASSERT_EQ(scene_->GetState(), GameState::Ending);
    for (int i = 1; i <= 239; ++i) {
        scene_->Update();
        ASSERT_FLOAT_EQ(hud_->GetFade(), 0.0f) << "ending frame " << i;
    }
    int requestedAt = -1;
    for (int i = 240; i <= 400 && requestedAt < 0; ++i) {
        scene_->Update();
        if (scene_->GetRequestedResult() != GameResult::None) requestedAt = i;
    }
    // 101 fade steps take it past 1.0; the next frame asks for the result.
    EXPECT_EQ(requestedAt, 341);
    EXPECT_EQ(scene_->GetRequestedResult(), GameResult::Dead);
    auto* result = dynamic_cast<ResultScene*>(SceneManager::GetInstance().GetNextScene());
    ASSERT_NE(result, nullptr) << "the death result is requested";
    EXPECT_FALSE(result->IsCleared());
    Draw();
    fade = SpritesOf(*hud_, "white.png");
    EXPECT_EQ(fade.back().colour.x, 0.0f) << "black after death";
    EXPECT_GE(fade.back().colour.w, 1.0f);
}

TEST_F(HudGameTest, ClearedGameFadesToWhiteAndAsksForTheClearedResult) {
    for (int i = 0; i < 20; ++i) scene_->Update();  // the fade-in is over
    testgame::ShootOutTheCore(*scene_->GetStage());
    int frames = 0;
    while (scene_->GetRequestedResult() == GameResult::None && frames < 400) {
        scene_->Update();
        ++frames;
    }
    // The frame that notices, 239 frames of delay, 101 fade steps, then the
    // frame that asks: 1 + 239 + 101 + 1.
    EXPECT_EQ(frames, 342);
    EXPECT_FLOAT_EQ(hud_->GetFadeColour(), 1.0f);
    auto* result = dynamic_cast<ResultScene*>(SceneManager::GetInstance().GetNextScene());
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(result->IsCleared());
    EXPECT_TRUE(result->GetHud()->IsCleared());
    EXPECT_EQ(result->GetStage()->GetObjects().size(), 1u) << "the result room";
}

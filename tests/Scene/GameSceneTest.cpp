// The game scene run headless: fade-in, the end check and its ending, the
// camera, the ending's shake, and teardown.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>

#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Model/VeModel.h"
#include "Framework/Platform/Input.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "tests/Game/Stage/ShootOutCore.h"

using Platform::Input;

namespace {

// The corners of the model's triangles drawn with the named material (three
// a triangle), through their node's matrix and then `world`.
std::vector<Vector3> MaterialPoints(const VeModel& model, const std::string& material, const Matrix& world) {
    std::vector<Vector3> points;
    for (const VeModelNode& node : model.nodes) {
        if (!node.mesh) continue;
        const auto& triangles = node.mesh->GetTriangles();
        const auto& positions = node.mesh->GetPositions();
        for (const VeSubset& s : node.mesh->GetSubsets()) {
            if (s.materialIndex < 0 || size_t(s.materialIndex) >= model.materials.size() ||
                model.materials[s.materialIndex].name != material)
                continue;
            for (uint32_t t = s.firstTriangle; t < s.firstTriangle + s.triangleCount && t < triangles.size(); ++t)
                for (uint32_t i : {triangles[t].i0, triangles[t].i1, triangles[t].i2})
                    points.push_back(Vector3::Transform(Vector3::Transform(positions[i], node.matrix), world));
        }
    }
    return points;
}

}  // namespace

class GameSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        Input::GetInstance().Reset();
        Input::GetInstance().SetFrame(Platform::InputFrame{});
        scene_ = std::make_unique<GameScene>();
    }
    void TearDown() override {
        scene_.reset();
        Input::GetInstance().Reset();
    }
    // Frames until the scene asks for a result (or the limit).
    int RunUntilResult(int limit) {
        for (int i = 1; i <= limit; ++i) {
            scene_->Update();
            if (scene_->GetRequestedResult() != GameResult::None) return i;
        }
        return -1;
    }
    std::unique_ptr<GameScene> scene_;
};

TEST_F(GameSceneTest, OwnsEveryPartOfTheGame) {
    EXPECT_EQ(scene_->GetState(), GameState::Playing);
    ASSERT_NE(scene_->GetEnemyList(), nullptr);
    ASSERT_NE(scene_->GetStage(), nullptr);
    ASSERT_NE(scene_->GetHud(), nullptr);
    ASSERT_NE(scene_->GetEffectList(), nullptr);
    ASSERT_NE(scene_->GetPlayer(), nullptr);
    ASSERT_NE(scene_->GetGun(), nullptr);
    EXPECT_EQ(scene_->GetEffectList()->GetWorld(), &scene_->GetWorld());
    EXPECT_EQ(scene_->GetEnemyList()->GetWorld(), &scene_->GetWorld());
    EXPECT_EQ(scene_->GetStage()->GetWorld(), &scene_->GetWorld());
    EXPECT_EQ(scene_->GetHud()->GetMode(), Hud::Mode::Game);
    EXPECT_EQ(scene_->GetSceneTexture().GetWidth(), 1280);
    EXPECT_EQ(scene_->GetSceneTexture().GetHeight(), 720);
    EXPECT_TRUE(scene_->GetSceneTexture().IsRenderTarget());
    EXPECT_FALSE(scene_->GetStage()->GetObjects().empty());
}

TEST_F(GameSceneTest, HidesTheCursorWhileItLives) {
    const int during = Input::GetInstance().CursorCounter();
    scene_.reset();
    EXPECT_EQ(Input::GetInstance().CursorCounter(), during + 1);
}

TEST_F(GameSceneTest, FirstFramesFadeInFromBlack) {
    Hud& hud = *scene_->GetHud();
    EXPECT_FLOAT_EQ(hud.GetFade(), 1.0f);
    scene_->Update();
    EXPECT_NEAR(hud.GetFade(), 0.95f, 1e-5f);
    EXPECT_FLOAT_EQ(hud.GetFadeColour(), 0.0f);
    for (int i = 1; i < 20; ++i) scene_->Update();
    EXPECT_NEAR(hud.GetFade(), 0.0f, 1e-5f);
    scene_->Update();
    EXPECT_FLOAT_EQ(hud.GetFade(), 0.0f);
    EXPECT_EQ(scene_->GetState(), GameState::Playing);
}

TEST_F(GameSceneTest, DeathEndsTheGameAfterTheDelayAndTheFade) {
    for (int i = 0; i < 20; ++i) scene_->Update();  // the fade-in is over
    ASSERT_FLOAT_EQ(scene_->GetHud()->GetFade(), 0.0f);
    scene_->GetPlayer()->Damage(10, Vector3());
    EXPECT_EQ(scene_->GetState(), GameState::Playing) << "noticed at the end of the frame";
    scene_->Update();
    EXPECT_EQ(scene_->GetState(), GameState::Ending);
    EXPECT_FLOAT_EQ(scene_->GetHud()->GetFadeColour(), 0.0f);
    // 239 frames of delay, then +0.01 a frame: 1.0 is reached on about the
    // 100th fade step; the request comes in the update after that.
    const int frames = RunUntilResult(600);
    EXPECT_GE(frames, 330);
    EXPECT_LE(frames, 345);
    EXPECT_EQ(scene_->GetRequestedResult(), GameResult::Dead);
    EXPECT_GE(scene_->GetHud()->GetFade(), 1.0f);
}

TEST_F(GameSceneTest, DestroyedCoreWinsWithAWhiteFade) {
    testgame::ShootOutTheCore(*scene_->GetStage());
    scene_->Update();
    EXPECT_EQ(scene_->GetState(), GameState::Ending);
    EXPECT_FLOAT_EQ(scene_->GetHud()->GetFadeColour(), 1.0f);
    EXPECT_GT(RunUntilResult(600), 0);
    EXPECT_EQ(scene_->GetRequestedResult(), GameResult::Cleared);
}

TEST_F(GameSceneTest, ClearWinsWhenThePlayerDiesInTheSameFrameAsTheCore) {
    testgame::ShootOutTheCore(*scene_->GetStage());
    scene_->GetPlayer()->Damage(10, Vector3());
    EXPECT_GT(RunUntilResult(600), 0);
    EXPECT_EQ(scene_->GetRequestedResult(), GameResult::Cleared);
}

TEST_F(GameSceneTest, DeadPlayerSinksAndLooksUpDuringTheEnding) {
    Player& player = *scene_->GetPlayer();
    player.Damage(10, Vector3());
    for (int i = 0; i < 120; ++i) scene_->Update();
    EXPECT_FLOAT_EQ(player.GetPitch(), -80.0f);
    EXPECT_FLOAT_EQ(player.GetArmAngles().x, -270.0f);
    EXPECT_NEAR(player.GetEyeHeight(), 6.0f - 0.01f * 119, 1e-3f);
    // Further hits are ignored while ending.
    player.Damage(1, Vector3());
    EXPECT_EQ(player.GetHp(), 0);
}

TEST_F(GameSceneTest, CameraLooksAlongThePlayerWithTheGameProjection) {
    scene_->SetCamera();
    const Render::Camera& camera = scene_->GetCamera();
    const Vector3 eye = scene_->GetPlayer()->GetPosition();
    EXPECT_NEAR(camera.eye.x, eye.x, 1e-4f);
    EXPECT_NEAR(camera.eye.y, eye.y, 1e-4f);
    EXPECT_NEAR(camera.eye.z, eye.z, 1e-4f);
    const Matrix& p = camera.projection;
    EXPECT_NEAR(p._11, 0.9742786f, 1e-6f);
    EXPECT_NEAR(p._22, 1.7320508f, 1e-6f);
    EXPECT_NEAR(p._33, 1.00001f, 1e-6f);
    EXPECT_NEAR(p._34, 1.0f, 1e-6f);
    EXPECT_NEAR(p._43, -0.0100001f, 1e-7f);
    EXPECT_NEAR(p._44, 0.0f, 1e-7f);
    // The forward direction maps to view +z.
    const Vector3 ahead = eye + scene_->GetPlayer()->GetForward() * 10.0f;
    const Vector3 v = Vector3::Transform(ahead, camera.view);
    EXPECT_NEAR(v.x, 0.0f, 1e-4f);
    EXPECT_NEAR(v.y, 0.0f, 1e-4f);
    EXPECT_NEAR(v.z, 10.0f, 1e-4f);
}

TEST_F(GameSceneTest, EndingShakesThePictureByUpToFivePixels) {
    scene_->Step();
    EXPECT_EQ(scene_->GetLastShakeX(), 0.0f);
    EXPECT_EQ(scene_->GetLastShakeY(), 0.0f);
    scene_->GetPlayer()->Damage(10, Vector3());
    bool moved = false;
    for (int i = 0; i < 60; ++i) {
        scene_->Step();
        EXPECT_LE(std::fabs(scene_->GetLastShakeX()), 5.0f);
        EXPECT_LE(std::fabs(scene_->GetLastShakeY()), 5.0f);
        moved = moved || scene_->GetLastShakeX() != 0.0f || scene_->GetLastShakeY() != 0.0f;
    }
    EXPECT_TRUE(moved);
}

TEST_F(GameSceneTest, TheEndingsShakeDrawsNoneOfTheGamesRandomNumbers) {
    // Two games from one seed, both lost at once: one run by its scene, which
    // shakes the picture every step of the ending, the other's world
    // updated alone. The game's own numbers stay in step.
    GameWorld::SetSeedOfNewGames(31);
    GameScene scene;
    GameWorld alone;
    GameWorld::SetSeedOfNewGames(0);
    scene.GetPlayer()->Damage(10, Vector3());
    alone.GetPlayer()->Damage(10, Vector3());
    bool shook = false;
    for (int i = 0; i < 120; ++i) {
        scene.Step();
        alone.Update();
        shook = shook || scene.GetLastShakeX() != 0.0f || scene.GetLastShakeY() != 0.0f;
    }
    ASSERT_TRUE(scene.GetWorld().IsEnding());
    EXPECT_TRUE(shook);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(scene.GetWorld().GetRandom().Next(), alone.GetRandom().Next()) << i;
}

TEST_F(GameSceneTest, GunSitsInTheArmsHand) {
    scene_->GetGun()->Update();
    const ModelPart& arm = *scene_->GetPlayer()->GetParts()[0];
    const Vector3 hand = Vector3::Transform(Vector3(0, -2.2f, 0), arm.world);
    const Vector3 gun = scene_->GetGun()->GetPosition();
    EXPECT_NEAR((gun - hand).Length(), 0.0f, 1e-4f);
    // Its forward axis is the view direction.
    const Matrix& m = scene_->GetGun()->GetMatrixRef();
    const Vector3 forward = scene_->GetPlayer()->GetForward();
    EXPECT_NEAR(m._31, forward.x, 1e-5f);
    EXPECT_NEAR(m._32, forward.y, 1e-5f);
    EXPECT_NEAR(m._33, forward.z, 1e-5f);
    const Vector3 muzzle = Vector3::Transform(Vector3(0, 0.24f, 1.75f), m);
    EXPECT_NEAR((scene_->GetGun()->GetMuzzle() - muzzle).Length(), 0.0f, 1e-5f);
}

// The arm and the gun are separate models placed separately (the arm by
// its own angles, the gun by the view): at rest the arm's hand must close
// round the gun's grip, keep clear of the sight line, and show at the
// bottom of the picture, right of the middle, below the muzzle.
TEST_F(GameSceneTest, TheArmsHandHoldsTheGunsGripInView) {
    scene_->GetGun()->Update();
    scene_->SetCamera();
    const ModelPart& arm = *scene_->GetPlayer()->GetParts()[0];
    const ModelPart& gun = *scene_->GetGun()->GetParts()[0];
    ASSERT_NE(arm.model, nullptr);
    ASSERT_NE(gun.model, nullptr);
    const Matrix toGun = gun.world.Invert();
    const std::vector<Vector3> hand = MaterialPoints(*arm.model, "player_hand", arm.world * toGun);
    const std::vector<Vector3> polymer = MaterialPoints(*gun.model, "gun_polymer", Matrix::Identity());
    ASSERT_FALSE(hand.empty());
    ASSERT_FALSE(polymer.empty());

    // In the gun's space, level with the middle finger: where the grip's
    // triangles cross that height, and the hand's points near it. The hand
    // reaches past the grip on both sides, in front and behind.
    const float level = -0.55f;
    Vector3 gripMin(1e9f, 1e9f, 1e9f), gripMax = -gripMin, handMin = gripMin, handMax = gripMax;
    auto grow = [](Vector3& mn, Vector3& mx, const Vector3& p) {
        mn = Vector3(std::min(mn.x, p.x), std::min(mn.y, p.y), std::min(mn.z, p.z));
        mx = Vector3(std::max(mx.x, p.x), std::max(mx.y, p.y), std::max(mx.z, p.z));
    };
    for (size_t t = 0; t + 2 < polymer.size(); t += 3)
        for (int e = 0; e < 3; ++e) {
            const Vector3 a = polymer[t + e], b = polymer[t + (e + 1) % 3];
            if ((a.y - level) * (b.y - level) < 0) grow(gripMin, gripMax, a + (b - a) * ((level - a.y) / (b.y - a.y)));
        }
    for (const Vector3& p : hand)
        if (std::fabs(p.y - level) < 0.1f) grow(handMin, handMax, p);
    ASSERT_LT(gripMin.x, gripMax.x);
    ASSERT_LT(handMin.x, handMax.x);
    EXPECT_LT(handMin.x, gripMin.x);
    EXPECT_GT(handMax.x, gripMax.x);
    EXPECT_LT(handMin.z, gripMin.z);
    EXPECT_GT(handMax.z, gripMax.z);
    // Above the grip only the thumb, lying along the frame and the slide
    // (0.1 and 0.115 to each side), below the bore and the sight line.
    for (const Vector3& p : hand) {
        ASSERT_LT(p.y, 0.24f) << "the hand rises into the sight line";
        if (p.y < 0.01f) continue;
        ASSERT_GT(std::fabs(p.x), 0.1f) << "the hand cuts into the frame at " << p.y << ", " << p.z;
        ASSERT_LT(std::fabs(p.x), 0.28f) << "the thumb stands off the frame at " << p.y << ", " << p.z;
    }

    // Through the camera: part of the hand is on screen, low and right.
    const Render::Camera& camera = scene_->GetCamera();
    const Matrix viewProjection = camera.view * camera.projection;
    auto project = [&](const Vector3& p) {
        const Vector4 c = Vector4::Transform(Vector4(p.x, p.y, p.z, 1.0f), viewProjection);
        return Vector3(c.x / c.w, c.y / c.w, c.z / c.w);
    };
    int shown = 0;
    float highest = -1.0f;
    for (const Vector3& p : MaterialPoints(*arm.model, "player_hand", arm.world)) {
        const Vector3 s = project(p);
        if (s.z < 0 || s.z > 1 || std::fabs(s.x) > 1 || std::fabs(s.y) > 1) continue;
        ++shown;
        EXPECT_GT(s.x, 0.2f);
        highest = std::max(highest, s.y);
    }
    EXPECT_GE(shown, 20);
    EXPECT_LT(highest, -0.6f);
    const Vector3 muzzle = project(scene_->GetGun()->GetMuzzle());
    EXPECT_GT(muzzle.x, 0.0f);
    EXPECT_GT(muzzle.y, highest);
}

// A scripted walk through the real south hall of the generated level.
class GameSceneLevelWalkTest : public GameSceneTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists("Data/MAP/map1/map1_ray.gltf"))
            << "the generated Data/ tree is not here (run from the build folder)";
        GameSceneTest::SetUp();
        // The walk checks the building, not the fight: the zombies go.
        for (EnemyBase* enemy : scene_->GetEnemyList()->GetEnemies()) enemy->SetFinished(true);
        scene_->GetEnemyList()->RemoveFinished();
        ASSERT_EQ(scene_->GetEnemyList()->Count(), 0);
    }
    // Walks with W for a number of frames, checking the eye height each frame.
    void Walk(int frames) {
        Platform::InputFrame f;
        f.Set(Platform::Key::W);
        for (int i = 0; i < frames; ++i) {
            Input::GetInstance().SetFrame(f);
            scene_->Update();
            const Vector3 eye = scene_->GetPlayer()->GetPosition();
            ASSERT_NEAR(eye.y, 6.0f, 0.05f) << "frame " << i << " at (" << eye.x << ", " << eye.z << ")";
        }
    }
    void Turn(int dx) {
        Platform::InputFrame f;
        f.relativeCursor = true;
        f.cursor = Platform::Point{dx, 0};
        Input::GetInstance().SetFrame(f);
        scene_->Update();
    }
    Vector3 Eye() { return scene_->GetPlayer()->GetPosition(); }
};

TEST_F(GameSceneLevelWalkTest, SouthHallWallsFloorAndFurniture) {
    // North from the start: the hall's north wall (centred on z 20, its face
    // at 19.75) beside door A stops the player one unit short of its face.
    Walk(150);
    EXPECT_NEAR(Eye().z, 18.75f, 0.1f);
    EXPECT_NEAR(Eye().x, 20.0f, 1e-3f);

    // West along the wall to the opening of door E (x -8..-2).
    Turn(-900);
    Walk(125);
    EXPECT_NEAR(Eye().x, -5.0f, 0.05f);
    EXPECT_NEAR(Eye().z, 18.75f, 0.1f);

    // South onto desk4 (x -15..5, z -14..-9 with its yaw): its box holds the
    // player two units away from its north face.
    Turn(-900);
    Walk(200);
    EXPECT_GE(Eye().z, -7.25f);
    EXPECT_LE(Eye().z, -6.9f);
    EXPECT_NEAR(Eye().x, -5.0f, 0.1f);

    // Back north to door E: the closed door stops the player like a wall.
    Turn(1800);
    Walk(180);
    EXPECT_NEAR(Eye().z, 18.75f, 0.15f);
    EXPECT_NEAR(Eye().x, -5.0f, 0.1f);
    EXPECT_EQ(scene_->GetPlayer()->GetCurrentFloor(), 0);
}

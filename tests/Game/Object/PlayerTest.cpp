// The player driven through injected input frames, on hand-made floors and
// walls inside a real (headless) game scene.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "../Stage/TestGeometry.h"
#include "Framework/Audio/Audio.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "tests/Framework/Audio/LoopbackAudio.h"
#include "tests/Framework/Platform/InputFrames.h"

using Platform::Input;
using Platform::InputFrame;
using PKey = Platform::Key;
using testinput::Keys;
using testinput::MouseMove;

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Input::GetInstance().Reset();
        scene_ = std::make_unique<GameScene>();
        // Replace the level by a plain floor at height 0, without the
        // level's zombies (they would push the walking player).
        stage().Clear();
        scene_->GetEnemyList()->Clear();
        floor_ = testgeo::MakeFloor(0.0f, -200, 200, -200, 200);
        testgeo::AddStructure(stage(), floor_.get(), 0);
    }
    void TearDown() override {
        scene_.reset();
        Input::GetInstance().Reset();
    }
    Stage& stage() { return *scene_->GetStage(); }
    Player& player() { return *scene_->GetPlayer(); }
    Vector3 Eye() { return player().GetPosition(); }
    void Step(const InputFrame& frame, int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            Input::GetInstance().SetFrame(frame);
            player().Update();
        }
    }
    void PlaceEye(float x, float y, float z) {
        Matrix m = *player().GetMatrix();
        m._41 = x;
        m._42 = y;
        m._43 = z;
        player().SetMatrix(m);
    }

    std::unique_ptr<GameScene> scene_;
    std::unique_ptr<VeModel> floor_;
};

TEST_F(PlayerTest, StartsAtTheEntranceWithFullHealth) {
    EXPECT_NEAR(Eye().x, 20.0f, 1e-6f);
    EXPECT_NEAR(Eye().y, 6.0f, 1e-6f);
    EXPECT_NEAR(Eye().z, 0.0f, 1e-6f);
    EXPECT_EQ(player().GetHp(), 10);
    EXPECT_TRUE(player().IsAlive());
    EXPECT_EQ(player().GetReserveAmmo(), 300);
    EXPECT_EQ(player().GetCursorCentre(), Input::GetInstance().ClientToScreen(Platform::Point{640, 360}));
    EXPECT_TRUE(player().IsPushCircle());
    EXPECT_FLOAT_EQ(player().GetPushRadius(), 2.0f);
}

TEST_F(PlayerTest, OpposingKeysMoveNothingAndResetTheBob) {
    Step(Keys({PKey::W}), 10);
    EXPECT_EQ(player().GetBobAngle(), 50);
    const Vector3 before = Eye();
    Step(Keys({PKey::W, PKey::S}));
    EXPECT_EQ(player().GetBobAngle(), 0);
    EXPECT_NEAR((Eye() - before).Length(), 0.0f, 1e-6f);
    Step(Keys({PKey::A, PKey::D}));
    EXPECT_NEAR((Eye() - before).Length(), 0.0f, 1e-6f);
}

TEST_F(PlayerTest, DiagonalMovementIsAsFastAsStraight) {
    Vector3 start = Eye();
    Step(Keys({PKey::W}));
    Vector3 straight = Eye() - start;
    EXPECT_NEAR(straight.z, 0.2f, 1e-5f);
    EXPECT_NEAR(straight.x, 0.0f, 1e-5f);

    start = Eye();
    Step(Keys({PKey::W, PKey::D}));
    Vector3 diagonal = Eye() - start;
    EXPECT_NEAR(diagonal.Length(), 0.2f, 1e-5f);
    EXPECT_NEAR(diagonal.x, diagonal.z, 1e-5f);
    EXPECT_GT(diagonal.x, 0.0f);
}

TEST_F(PlayerTest, MovementFollowsTheYaw) {
    Step(MouseMove(900, 0));  // +90 degrees: forward is +x
    EXPECT_NEAR(player().GetYaw(), 90.0f, 1e-4f);
    const Vector3 start = Eye();
    Step(Keys({PKey::W}));
    EXPECT_NEAR(Eye().x - start.x, 0.2f, 1e-5f);
    EXPECT_NEAR(Eye().z - start.z, 0.0f, 1e-5f);
    const Vector3 forward = player().GetForward();
    EXPECT_NEAR(forward.x, 1.0f, 1e-5f);
}

TEST_F(PlayerTest, PitchStopsAtEightyAndTheCursorGoesBack) {
    Step(MouseMove(0, 2000));
    EXPECT_FLOAT_EQ(player().GetPitch(), 80.0f);
    EXPECT_LT(player().GetForward().y, -0.98f) << "positive pitch looks down";
    EXPECT_EQ(Input::GetInstance().GetCursorPos(), player().GetCursorCentre());
    Step(MouseMove(0, -5000));
    EXPECT_FLOAT_EQ(player().GetPitch(), -80.0f);

    // A recoil kick passes the limit until the next mouse step.
    player().AddPitch(-1.0f);
    EXPECT_FLOAT_EQ(player().GetPitch(), -81.0f);
    Step(InputFrame{});
    EXPECT_FLOAT_EQ(player().GetPitch(), -80.0f);

    // Small motions are not lost: 3 pixels turn by 0.3 degrees.
    Step(MouseMove(3, 0));
    EXPECT_NEAR(player().GetYaw(), 0.3f, 1e-5f);
}

TEST_F(PlayerTest, GroundRaySettlesTheEyeOnlyWhileMoving) {
    PlaceEye(0, 9, 0);
    Step(InputFrame{}, 5);
    EXPECT_NEAR(Eye().y, 9.0f, 1e-5f) << "standing still never snaps to the ground";
    Step(Keys({PKey::W}));
    EXPECT_NEAR(Eye().y, 6.0f, 1e-4f);

    // A raised floor lifts the eye to 6 above it.
    auto platform = testgeo::MakeFloor(1.5f, -10, 10, 5, 20);
    testgeo::AddStructure(stage(), platform.get(), 0);
    PlaceEye(0, 6, 5.5f);
    Step(Keys({PKey::W}));
    EXPECT_NEAR(Eye().y, 7.5f, 1e-4f);
    stage().Clear();
}

TEST_F(PlayerTest, OverAGapTheEyeHeightIsKept) {
    stage().Clear();  // nothing under the player at all
    PlaceEye(0, 7.3f, 0);
    Step(Keys({PKey::W}), 10);
    EXPECT_NEAR(Eye().y, 7.3f, 1e-5f);
    EXPECT_NEAR(Eye().z, 2.0f, 1e-4f);
}

TEST_F(PlayerTest, WallsKeepAClearanceOfOne) {
    auto wall = testgeo::MakeWallZ(10.0f, -50, 50, -10, 20);
    testgeo::AddStructure(stage(), wall.get(), 0);
    PlaceEye(0, 6, 0);
    Step(Keys({PKey::W}), 100);
    EXPECT_NEAR(Eye().z, 9.0f, 1e-3f);
    // Sliding along the wall at 45 degrees keeps the same clearance.
    Step(MouseMove(450, 0));
    Step(Keys({PKey::W}), 50);
    EXPECT_NEAR(Eye().z, 9.0f, 0.05f);
    EXPECT_GT(Eye().x, 3.0f);
    stage().Clear();
}

TEST_F(PlayerTest, FurniturePushesEvenWhenStandingStill) {
    Object* chair = stage().Add(std::make_unique<Object>());
    chair->SetMatrix(Matrix::CreateTranslation(20.5f, 0, 0));
    chair->SetPushShape(PushShape::Circle(2.0f));
    Step(InputFrame{});
    EXPECT_NEAR(std::fabs(Eye().x - 20.5f), 2.0f, 1e-4f);
}

TEST_F(PlayerTest, LivingZombiesPushOnlyAMovingPlayer) {
    auto zombie = std::make_unique<EnemyBase>();
    zombie->SetPushShape(PushShape::Circle(1.5f));
    zombie->SetGroundOffset(5.0f);
    zombie->SetMatrix(Matrix::CreateTranslation(22.0f, 5.0f, 0.2f));
    EnemyBase* enemy = scene_->GetEnemyList()->Add(std::move(zombie));

    Step(InputFrame{});
    EXPECT_NEAR(Eye().x, 20.0f, 1e-5f) << "standing still is never pushed by zombies";
    Step(Keys({PKey::W}));
    // Feet at (20, 0, 0.2), the zombie's base at (22, 0, 0.2): overlap 1.5.
    EXPECT_NEAR(Eye().x, 18.5f, 1e-4f);
    EXPECT_NEAR(Eye().y, 6.0f, 1e-4f);

    enemy->SetAlive(false);
    enemy->SetMatrix(Matrix::CreateTranslation(Eye().x + 1.0f, 5.0f, Eye().z + 0.2f));
    const float x = Eye().x;
    Step(Keys({PKey::W}));
    EXPECT_NEAR(Eye().x, x, 1e-5f) << "a dead zombie does not push";
}

TEST_F(PlayerTest, DamageStopsAtZeroAndIsIgnoredOnceDead) {
    player().Damage(8, Vector3());
    EXPECT_EQ(player().GetHp(), 2);
    EXPECT_EQ(player().GetHitCount(), 1) << "the hit the HUD flashes";
    player().Damage(3, Vector3());
    EXPECT_EQ(player().GetHp(), 0);
    EXPECT_FALSE(player().IsAlive());
    EXPECT_EQ(player().GetHitCount(), 2);
    player().Damage(5, Vector3());
    EXPECT_EQ(player().GetHp(), 0);
    EXPECT_EQ(player().GetHitCount(), 2) << "a dead player is not flashed again";
}

TEST_F(PlayerTest, FloorTracksTheEyeHeight) {
    stage().Clear();
    PlaceEye(0, -30, 0);
    Step(Keys({PKey::W}));
    EXPECT_EQ(player().GetCurrentFloor(), 1);
    PlaceEye(0, -60, 0);
    Step(InputFrame{});
    EXPECT_EQ(player().GetCurrentFloor(), 2);
}

TEST_F(PlayerTest, FootstepsEveryThirtySixMovingFrames) {
    Step(Keys({PKey::W}), 35);
    EXPECT_EQ(player().GetFootstepCount(), 0);
    Step(Keys({PKey::W}));
    EXPECT_EQ(player().GetFootstepCount(), 1);
    Step(InputFrame{});  // standing resets the phase
    Step(Keys({PKey::W}), 35);
    EXPECT_EQ(player().GetFootstepCount(), 1);
    Step(Keys({PKey::W}), 37);
    EXPECT_EQ(player().GetFootstepCount(), 3);
}

// Where points of the arm model land, worked out by hand. The arm is pitched
// -90 degrees and turned 60 (a model point (x, y, z) goes to (x, z, -y), then
// turned: (1, 0, 0) to (0.5, 0, -0.866)), held at (-0.5, -1.3, 0.9) from the
// eye, 0.04 higher at the top of the bob; the view turned right by 90
// degrees takes an offset (x, y, z) from the eye to (z, y, -x).
TEST_F(PlayerTest, ArmFollowsTheViewWithTheBob) {
    Step(MouseMove(900, 0));    // a tenth of a degree a pixel: 90 degrees right
    Step(Keys({PKey::W}), 18);  // bob angle 90: the arm is 0.04 higher
    const ModelPart& arm = *player().GetParts()[0];
    const Vector3 eye = Eye();
    struct {
        Vector3 model, offset;
    } const cases[] = {
        // The arm's origin: (-0.5, -1.26, 0.9) from the eye, turned.
        {Vector3(0, 0, 0), Vector3(0.9f, -1.26f, 0.5f)},
        // Up the arm: (0, 1, 0) + (-0.5, -1.26, 0.9), turned.
        {Vector3(0, 0, 1), Vector3(0.9f, -0.26f, 0.5f)},
        // Across it: (0.5, 0, -0.866) + (-0.5, -1.26, 0.9) = (0, -1.26, 0.034), turned.
        {Vector3(1, 0, 0), Vector3(0.034f, -1.26f, 0.0f)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "model point (" << c.model.x << ", " << c.model.y << ", " << c.model.z << ")");
        const Vector3 at = Vector3::Transform(c.model, arm.world) - eye;
        EXPECT_NEAR(at.x, c.offset.x, 1e-3f);
        EXPECT_NEAR(at.y, c.offset.y, 1e-3f);
        EXPECT_NEAR(at.z, c.offset.z, 1e-3f);
    }
}

// Sounds: a loopback audio device renders nothing audible but plays for real.
class PlayerSoundTest : public PlayerTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(testaudio::StartLoopback());
        PlayerTest::SetUp();
    }
    void TearDown() override {
        PlayerTest::TearDown();
        testaudio::StopLoopback();
    }
};

TEST_F(PlayerSoundTest, HeartBeatLoopsAtTwoOfTenAndIsSilentAtThree) {
    ASSERT_TRUE(testaudio::GameSoundLoads("Data/Sound/heart.wav"));
    const auto& heart = player().GetHeartSound();
    ASSERT_TRUE(heart && heart->HasVoice());
    player().Damage(7, Vector3());
    Step(InputFrame{});
    EXPECT_FALSE(heart->IsPlaying()) << "3 of 10";
    player().Damage(1, Vector3());
    Step(InputFrame{});
    EXPECT_TRUE(heart->IsPlaying()) << "2 of 10";
    EXPECT_NEAR(heart->GetVolume(), 0.8f, 1e-6f);
}

TEST_F(PlayerSoundTest, FirstFootstepSoundsAfterThirtySixMovingFrames) {
    ASSERT_TRUE(testaudio::GameSoundLoads("Data/Sound/walkSound.wav"));
    AudioManager& audio = AudioManager::GetInstance();
    const size_t before = audio.KeepAliveCount();
    Step(Keys({PKey::W}), 35);
    EXPECT_EQ(player().GetFootstepCount(), 0);
    EXPECT_EQ(audio.KeepAliveCount(), before);
    Step(Keys({PKey::W}));
    EXPECT_EQ(player().GetFootstepCount(), 1);
    EXPECT_EQ(audio.KeepAliveCount(), before + 1) << "one footstep voice is playing";
}

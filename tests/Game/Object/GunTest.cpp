// The gun driven through injected input frames inside a real (headless) game
// scene whose level is replaced by a floor and a wall 50 units ahead of the
// player: automatic fire, the empty click, reloading, the click latch, the
// two ray queries, and what the bullet does at the far end.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "../Stage/TestGeometry.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Platform/Input.h"
#include "Game/Effect/Bullet.h"
#include "Game/Effect/EffectList.h"
#include "Game/Effect/MuzzleFlash.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"
#include "tests/Framework/Platform/InputFrames.h"

using Platform::Input;
using Platform::InputFrame;
using PKey = Platform::Key;
using testinput::Keys;

namespace {

const InputFrame kNothing{};
const InputFrame kFire = Keys({PKey::LeftButton});

// Hits taken by probe zombies, kept outside them so that a hit on a deleted
// one would still show up.
int g_probeHits = 0;
int g_probeLastAmount = 0;

// A zombie with one hit-test part (a square facing the player) that counts
// the hits it takes.
class ProbeEnemy : public EnemyBase {
public:
    ProbeEnemy(VeModel* rayModel, int partDamage) { AddModelPart(Matrix(), Matrix(), partDamage, nullptr, rayModel); }
    void Damage(int amount, const Vector3& hitPosition) override {
        (void)hitPosition;
        ++g_probeHits;
        g_probeLastAmount = amount;
    }
};

}  // namespace

class GunTest : public ::testing::Test {
protected:
    void SetUp() override {
        Input::GetInstance().Reset();
        Input::GetInstance().SetFrame(kNothing);
        SceneManager::GetInstance().SetClickLatched(false);
        g_probeHits = 0;
        scene_ = std::make_unique<GameScene>();
        stage().Clear();
        // No zombies of the level either.
        for (EnemyBase* enemy : scene_->GetEnemyList()->GetEnemies()) enemy->SetFinished(true);
        scene_->GetEnemyList()->RemoveFinished();
        floor_ = testgeo::MakeFloor(0.0f, -200, 200, -200, 200);
        testgeo::AddStructure(stage(), floor_.get(), 0);
    }
    void TearDown() override {
        scene_.reset();
        Input::GetInstance().Reset();
        SceneManager::GetInstance().SetClickLatched(false);
    }
    Stage& stage() { return *scene_->GetStage(); }
    Player& player() { return *scene_->GetPlayer(); }
    Gun& gun() { return *scene_->GetGun(); }
    EffectList& effects() { return *scene_->GetEffectList(); }

    // The wall the player faces from the start (eye (20, 6, 0), looking +z).
    Object* AddWall(float z = 50.0f) {
        wall_ = testgeo::MakeWallZ(z, -200, 200, -10, 60);
        return testgeo::AddStructure(stage(), wall_.get(), 0);
    }
    void Step(const InputFrame& frame, int frames = 1) {
        for (int i = 0; i < frames; ++i) {
            Input::GetInstance().SetFrame(frame);
            scene_->Update();
        }
    }
    int BulletCount() {
        int n = 0;
        for (const auto& e : effects().GetEffects())
            if (dynamic_cast<Bullet*>(e.get())) ++n;
        return n;
    }
    Bullet* LastBullet() {
        Bullet* last = nullptr;
        for (const auto& e : effects().GetEffects())
            if (auto* b = dynamic_cast<Bullet*>(e.get())) last = b;
        return last;
    }

    std::unique_ptr<GameScene> scene_;
    std::unique_ptr<VeModel> floor_, wall_;
};

TEST_F(GunTest, HeldButtonFiresAtOnceThenEveryEighthFrame) {
    AddWall();
    std::vector<int> shotFrames;
    for (int frame = 1; frame <= 17; ++frame) {
        const int before = gun().GetMagazine();
        Step(kFire);
        if (gun().GetMagazine() < before) shotFrames.push_back(frame);
    }
    EXPECT_EQ(shotFrames, (std::vector<int>{1, 9, 17}));
    EXPECT_EQ(gun().GetMagazine(), 17);

    // A short release does not reset the wait: the next shot still comes
    // eight frames after the last one.
    Step(kNothing, 3);
    shotFrames.clear();
    for (int frame = 1; frame <= 8; ++frame) {
        const int before = gun().GetMagazine();
        Step(kFire);
        if (gun().GetMagazine() < before) shotFrames.push_back(frame);
    }
    EXPECT_EQ(shotFrames, (std::vector<int>{5}));
}

TEST_F(GunTest, AShotSpawnsFlashBulletLightAndRecoil) {
    AddWall();
    Step(kNothing);
    const float pitch = player().GetPitch();
    Step(kFire);
    int flashes = 0;
    for (const auto& e : effects().GetEffects())
        if (dynamic_cast<MuzzleFlash*>(e.get())) ++flashes;
    EXPECT_EQ(flashes, 1);
    EXPECT_EQ(BulletCount(), 1);
    EXPECT_NEAR(player().GetPitch(), pitch - 1.0f, 1e-5f) << "the view kicks up by one degree";
    // The muzzle light of the shot is among this step's point lights, and
    // gone again the step after.
    auto muzzleLit = [&] {
        for (const Render::PointLight& light : scene_->GetWorld().GetPointLights())
            if (light.colour == Vector3(8, 5, 5) && light.radius == 5.0f && light.position == gun().GetMuzzle())
                return true;
        return false;
    };
    EXPECT_TRUE(muzzleLit());
    // The shot reached the wall 50 units ahead (from the muzzle, slightly
    // upwards to the aim point on the wall).
    EXPECT_EQ(gun().GetHitObject(), stage().GetObjects().back());
    const Vector3 hit = gun().GetMuzzle() + gun().GetShotDirection() * gun().GetShotDistance();
    EXPECT_NEAR(hit.z, 50.0f, 1e-3f);
    EXPECT_NEAR(hit.y, 6.0f, 1e-3f) << "the shot ends where the view meets the wall";
    Step(kNothing);
    EXPECT_FALSE(muzzleLit()) << "the light lasts the step of the shot";
}

TEST_F(GunTest, EmptyMagazineClicksOncePerPress) {
    AddWall();
    gun().SetMagazine(0);
    Step(kFire, 20);
    EXPECT_EQ(gun().GetDryFireCount(), 1);
    EXPECT_EQ(BulletCount(), 0);
    EXPECT_EQ(gun().GetMagazine(), 0);
    // Released long enough for the cooldown to run out, then pressed again.
    Step(kNothing, 8);
    Step(kFire, 3);
    EXPECT_EQ(gun().GetDryFireCount(), 2);
}

TEST_F(GunTest, ReloadTakesAHundredAndOneFramesAndMovesOnlyWhatFits) {
    AddWall();
    gun().SetMagazine(15);
    player().AddReserveAmmo(3 - player().GetReserveAmmo());
    const float armStart = player().GetArmAngles().x;
    Step(Keys({PKey::R}));
    EXPECT_TRUE(gun().IsReloading());
    Step(kNothing, 49);
    EXPECT_NEAR(player().GetArmAngles().x, armStart + 90.0f, 1e-3f) << "the arm swings down for 50 frames";
    Step(kNothing, 50);
    EXPECT_NEAR(player().GetArmAngles().x, armStart, 1e-3f) << "and back up for 50";
    EXPECT_TRUE(gun().IsReloading());
    EXPECT_EQ(gun().GetMagazine(), 15);
    Step(kNothing);
    EXPECT_FALSE(gun().IsReloading());
    EXPECT_EQ(gun().GetMagazine(), 18);
    EXPECT_EQ(player().GetReserveAmmo(), 0);

    // A full reserve tops the magazine up.
    gun().SetMagazine(15);
    player().AddReserveAmmo(300);
    Step(Keys({PKey::R}));
    Step(kNothing, 100);
    EXPECT_EQ(gun().GetMagazine(), 20);
    EXPECT_EQ(player().GetReserveAmmo(), 295);
}

TEST_F(GunTest, ReloadCannotBeCancelledRestartedOrShotThrough) {
    AddWall();
    gun().SetMagazine(15);
    Step(Keys({PKey::R}));
    // Holding R and the button through the reload changes nothing.
    Step(Keys({PKey::R, PKey::LeftButton}), 99);
    EXPECT_TRUE(gun().IsReloading());
    EXPECT_EQ(gun().GetMagazine(), 15);
    EXPECT_EQ(BulletCount(), 0);
    Step(kNothing);
    EXPECT_FALSE(gun().IsReloading());
    EXPECT_EQ(gun().GetMagazine(), 20);
    EXPECT_EQ(player().GetReserveAmmo(), 295);
    // Once it is over, the held button fires at once.
    Step(kFire);
    EXPECT_EQ(gun().GetMagazine(), 19);
}

TEST_F(GunTest, TheClickThatStartedTheGameFiresNothingUntilReleased) {
    AddWall();
    SceneManager::GetInstance().SetClickLatched(true);
    Step(kFire, 20);
    EXPECT_EQ(gun().GetMagazine(), 20);
    EXPECT_EQ(BulletCount(), 0);
    EXPECT_TRUE(SceneManager::GetInstance().IsClickLatched());
    Step(kNothing);
    EXPECT_FALSE(SceneManager::GetInstance().IsClickLatched());
    Step(kNothing, 7);  // the held button kept the cooldown running
    Step(kFire);
    EXPECT_EQ(gun().GetMagazine(), 19);
}

TEST_F(GunTest, AnObstacleBetweenMuzzleAndAimPointTakesTheShot) {
    Object* wall = AddWall();
    Step(kNothing);
    const Vector3 eye = player().GetPosition();
    const Vector3 muzzle = gun().GetMuzzle();
    const Vector3 aimPoint = eye + player().GetForward() * (50.0f - eye.z);
    const Vector3 direction = (aimPoint - muzzle).Normalized();
    // A small plate across the shot line 10 units out; the line of sight
    // from the eye passes it by.
    const Vector3 centre = muzzle + direction * 10.0f;
    ASSERT_GT((Vector3(centre.x, centre.y, 0) - Vector3(eye.x, eye.y, 0)).Length(), 0.5f);
    auto plate = testgeo::MakeRectangle(centre - Vector3(0.2f, 0.2f, 0), Vector3(0.4f, 0, 0), Vector3(0, 0.4f, 0),
                                        Vector3(0, 0, -1));
    Object* obstacle = testgeo::AddStructure(stage(), plate.get(), 0);
    obstacle->SetKind(kKindShelf);

    Step(kFire);
    EXPECT_EQ(gun().GetHitObject(), obstacle);
    EXPECT_NE(gun().GetHitObject(), wall);
    EXPECT_NEAR(gun().GetShotDistance(), (centre.z - muzzle.z) / direction.z, 1e-3f);
    EXPECT_NEAR(gun().GetHitNormal().z, -1.0f, 1e-5f);
    Step(kNothing, 2);
    ASSERT_EQ(effects().GetDecals().size(), 1u);
    EXPECT_NEAR(effects().GetDecals().front()->GetMatrix()->_43, centre.z - 0.02f, 1e-3f);
}

TEST_F(GunTest, AShotAtNothingEndsWithoutHitOrHole) {
    // Only the floor: the level view along +z meets nothing.
    Step(kFire);
    EXPECT_EQ(gun().GetHitObject(), nullptr);
    const Vector3 direction = gun().GetShotDirection();
    EXPECT_TRUE(std::isfinite(direction.x) && std::isfinite(direction.y) && std::isfinite(direction.z));
    EXPECT_NEAR(direction.Length(), 1.0f, 1e-5f);
    ASSERT_EQ(BulletCount(), 1);
    int frames = 1;
    while (BulletCount() > 0 && frames < 1000) {
        Step(kNothing);
        ++frames;
    }
    EXPECT_LT(frames, 1000) << "the bullet must not fly forever";
    EXPECT_TRUE(effects().GetDecals().empty());
}

TEST_F(GunTest, BulletDamagesALivingZombieByThePartsDamage) {
    auto square = testgeo::MakeWallZ(25.0f, 10, 30, -5, 20);
    ProbeEnemy* enemy = scene_->GetEnemyList()->Add(std::make_unique<ProbeEnemy>(square.get(), 7));
    Step(kFire);
    EXPECT_EQ(gun().GetHitObject(), enemy);
    EXPECT_EQ(gun().GetHitDamage(), 7);
    Step(kNothing, 2);
    EXPECT_EQ(g_probeHits, 1);
    EXPECT_EQ(g_probeLastAmount, 7);
    EXPECT_TRUE(effects().GetDecals().empty()) << "zombies keep no bullet holes";
}

TEST_F(GunTest, BulletNeverTouchesAZombieRemovedDuringItsFlight) {
    auto square = testgeo::MakeWallZ(25.0f, 10, 30, -5, 20);
    ProbeEnemy* enemy = scene_->GetEnemyList()->Add(std::make_unique<ProbeEnemy>(square.get(), 7));
    Step(kFire);
    ASSERT_EQ(gun().GetHitObject(), enemy);
    Bullet* bullet = LastBullet();
    ASSERT_NE(bullet, nullptr);
    EXPECT_EQ(bullet->GetTarget(), enemy);
    // The zombie finishes dying and the list deletes it before the bullet
    // arrives.
    enemy->SetFinished(true);
    Step(kNothing);
    EXPECT_EQ(scene_->GetEnemyList()->Count(), 0);
    EXPECT_EQ(bullet->GetTarget(), nullptr);
    Step(kNothing, 6);
    EXPECT_EQ(BulletCount(), 0);
    EXPECT_EQ(g_probeHits, 0);
    EXPECT_TRUE(effects().GetDecals().empty());
}

TEST_F(GunTest, FreezesOnceTheGeneratorCoreIsDestroyed) {
    AddWall();
    Portal* portal = stage().Add(std::make_unique<Portal>(&scene_->GetWorld()));
    portal->SetMatrix(Matrix::CreateTranslation(0, -84, 0));
    stage().SetPortal(portal);
    Step(kFire);
    EXPECT_EQ(gun().GetMagazine(), 19) << "a living core does not stop the gun";

    portal->Damage(1, Vector3(0, -84, 0));  // a core without lights dies at once
    ASSERT_FALSE(portal->IsAlive());
    const Matrix held = *gun().GetMatrix();
    InputFrame turnAndFire = kFire;
    turnAndFire.relativeCursor = true;
    turnAndFire.cursor = Platform::Point{50, 0};
    Step(turnAndFire, 20);
    Step(Keys({PKey::R}), 5);
    EXPECT_EQ(gun().GetMagazine(), 19);
    EXPECT_FALSE(gun().IsReloading());
    EXPECT_EQ(*gun().GetMatrix(), held) << "the gun no longer follows the view";
}

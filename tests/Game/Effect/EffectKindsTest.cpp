// The effect kinds, each spawned through the effect list and stepped frame
// by frame: the bullet's flight and arrival, bullet holes, muzzle flashes,
// smoke and hit sparks, bubbles, sparks, blob shadows and the vomit.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/Bubble.h"
#include "Game/Effect/Bullet.h"
#include "Game/Effect/BulletHole.h"
#include "Game/Effect/CircleShadow.h"
#include "Game/Effect/EffectList.h"
#include "Game/Effect/Electronic.h"
#include "Game/Effect/MuzzleFlash.h"
#include "Game/Effect/Smoke.h"
#include "Game/Effect/Vomiting.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

namespace {

// An object that records the hits it takes.
class Target : public Object {
public:
    explicit Target(ObjectKind kind) { kind_ = kind; }
    void Damage(int amount, const Vector3& hitPosition) override {
        ++hits;
        lastAmount = amount;
        lastPosition = hitPosition;
    }
    int hits = 0;
    int lastAmount = 0;
    Vector3 lastPosition;
};


template <class Kind>
std::shared_ptr<Kind> Last(const EffectList& list) {
    for (auto it = list.GetEffects().rbegin(); it != list.GetEffects().rend(); ++it)
        if (auto kind = std::dynamic_pointer_cast<Kind>(*it)) return kind;
    return nullptr;
}

float RowLength(const Matrix& m, int row) { return m.Row(row).Length(); }

}  // namespace

class EffectKindsTest : public ::testing::Test {
protected:
    // A list without a game: its effects face a camera at the origin
    // looking along +z.
    EffectList list_{nullptr};
};

TEST_F(EffectKindsTest, BulletReachesAWallOnItsThirdUpdateAndEndsFourLater) {
    Target wall(kKindStage);
    list_.AddBullet(Vector3(0, 0, 0), Vector3(0, 0, 1), 25.0f, Vector3(0, 0, -1), &wall, 3);
    auto bullet = Last<Bullet>(list_);
    ASSERT_NE(bullet, nullptr);

    list_.Update();
    EXPECT_NEAR(bullet->GetHead().z, 10.0f, 1e-5f);
    list_.Update();
    EXPECT_NEAR(bullet->GetHead().z, 20.0f, 1e-5f);
    EXPECT_EQ(wall.hits, 0);
    EXPECT_TRUE(list_.GetDecals().empty());
    list_.Update();
    EXPECT_NEAR(bullet->GetHead().z, 25.0f, 1e-5f);
    EXPECT_TRUE(bullet->HasArrived());
    EXPECT_EQ(wall.hits, 1);
    EXPECT_EQ(wall.lastAmount, 3);
    EXPECT_NEAR(wall.lastPosition.z, 25.0f, 1e-5f);
    ASSERT_EQ(list_.GetDecals().size(), 1u);

    for (int i = 0; i < 3; ++i) {
        list_.Update();
        EXPECT_TRUE(bullet->IsAlive()) << "update " << 4 + i;
    }
    list_.Update();
    EXPECT_FALSE(bullet->IsAlive());
    EXPECT_EQ(Last<Bullet>(list_), nullptr);
    EXPECT_EQ(wall.hits, 1) << "a bullet hits once";
    EXPECT_EQ(list_.GetDecals().size(), 1u);
}

TEST_F(EffectKindsTest, BulletRibbonFacesTheCameraFromHeadToTail) {
    // Shots from a muzzle below and to either side of the eye, up to the
    // middle of the view.
    for (float x : {1.0f, -1.0f}) {
        Target wall(kKindStage);
        const Vector3 start(x, -1, 2);
        const Vector3 direction = (Vector3(0, 0, 40) - start).Normalized();
        list_.AddBullet(start, direction, 100.0f, Vector3(0, 0, -1), &wall, 1);
        auto bullet = Last<Bullet>(list_);
        list_.Update();
        list_.Update();
        const EffectVertex* v = bullet->GetVertices();
        const Vector3 head = bullet->GetHead(), tail = bullet->GetTail();
        EXPECT_NEAR(((v[0].position + v[1].position) * 0.5f - head).Length(), 0.0f, 1e-5f);
        EXPECT_NEAR(((v[2].position + v[3].position) * 0.5f - tail).Length(), 0.0f, 1e-5f);
        const Vector3 side = v[0].position - v[1].position;
        EXPECT_NEAR(side.Length(), 0.2f, 1e-5f);
        EXPECT_NEAR(side.Dot(direction), 0.0f, 1e-5f);
        EXPECT_NEAR(side.Dot(Vector3(0, 0, 1)), 0.0f, 1e-5f) << "across the view";
        EXPECT_FLOAT_EQ(v[0].uv.y, 0.0f);
        EXPECT_FLOAT_EQ(v[2].uv.y, 1.0f);
        // Front faces wind so that (v1 - v0) x (v2 - v0) points at the
        // viewer; back faces are culled.
        const Vector3 facing = (v[1].position - v[0].position).Cross(v[2].position - v[0].position);
        EXPECT_GT(facing.Dot(Vector3(0, 0, 0) - v[0].position), 0.0f) << "muzzle at x " << x;
        EXPECT_EQ(*bullet->GetMatrix(), Matrix());
    }
}

TEST_F(EffectKindsTest, ZombiesAndTheCoreTakeTheHitButKeepNoHole) {
    for (ObjectKind kind : {kKindEnemy, kKindPortal}) {
        EffectList list(nullptr);
        Target target(kind);
        list.AddBullet(Vector3(0, 0, 0), Vector3(0, 0, 1), 5.0f, Vector3(0, 0, -1), &target, 4);
        list.Update();
        EXPECT_EQ(target.hits, 1) << "kind " << kind;
        EXPECT_EQ(target.lastAmount, 4);
        EXPECT_TRUE(list.GetDecals().empty()) << "kind " << kind;
    }
    Target desk(kKindDesk);
    list_.AddBullet(Vector3(0, 0, 0), Vector3(0, 0, 1), 5.0f, Vector3(0, 0, -1), &desk, 0);
    list_.Update();
    EXPECT_EQ(desk.hits, 1);
    EXPECT_EQ(list_.GetDecals().size(), 1u);
}

TEST_F(EffectKindsTest, BulletOfAMissEndsWithoutHitOrHole) {
    list_.AddBullet(Vector3(0, 0, 0), Vector3(0, 0, 1), 3.4028235e38f, Vector3(0, 0, 0), nullptr, 0);
    auto bullet = Last<Bullet>(list_);
    int updates = 0;
    while (bullet->IsAlive() && updates < 1000) {
        list_.Update();
        ++updates;
    }
    EXPECT_FALSE(bullet->IsAlive());
    EXPECT_LE(bullet->GetHead().z, Bullet::kMissRange + 1e-3f);
    EXPECT_TRUE(list_.GetDecals().empty());
}

TEST_F(EffectKindsTest, BulletIgnoresATargetDeletedInFlight) {
    auto zombie = std::make_unique<Target>(kKindStage);
    list_.AddBullet(Vector3(0, 0, 0), Vector3(0, 0, 1), 25.0f, Vector3(0, 0, -1), zombie.get(), 1);
    auto bullet = Last<Bullet>(list_);
    list_.Update();
    zombie.reset();
    for (int i = 0; i < 6; ++i) list_.Update();
    EXPECT_FALSE(bullet->IsAlive());
    EXPECT_TRUE(bullet->HasArrived());
    EXPECT_TRUE(list_.GetDecals().empty()) << "no hole on a surface that is gone";
}

TEST_F(EffectKindsTest, HoleLiesOnTheSurfaceFacingAlongTheNormal) {
    const Vector3 normals[] = {Vector3(0, 0, -1), Vector3(0, 0, 1), Vector3(1, 0, 0), Vector3(0, 1, 0),
                               Vector3(-0.6f, 0, 0.8f), Vector3(0.3f, -0.4f, -0.866f).Normalized()};
    for (const Vector3& n : normals) {
        const Matrix r = BulletHole::FacingRotation(n);
        const Vector3 facing = Vector3::TransformNormal(Vector3(0, 0, -1), r);
        EXPECT_NEAR((facing - n).Length(), 0.0f, 1e-5f) << n.x << " " << n.y << " " << n.z;
        EXPECT_NEAR(RowLength(r, 0), 1.0f, 1e-5f);
        EXPECT_NEAR(r.Row(0).Dot(r.Row(1)), 0.0f, 1e-5f);
    }

    Target wall(kKindStage);
    list_.AddBullet(Vector3(0, 0, 0), Vector3(1, 0, 0), 8.0f, Vector3(-1, 0, 0), &wall, 0);
    list_.Update();
    ASSERT_EQ(list_.GetDecals().size(), 1u);
    auto hole = std::dynamic_pointer_cast<BulletHole>(list_.GetDecals().front());
    ASSERT_NE(hole, nullptr);
    EXPECT_NEAR((hole->GetMatrix()->Translation() - Vector3(7.98f, 0, 0)).Length(), 0.0f, 1e-5f);
    const EffectVertex* v = hole->GetVertices();
    EXPECT_FLOAT_EQ(v[3].uv.x, 0.5f) << "the top-left quarter of the texture";
    EXPECT_FLOAT_EQ(v[3].uv.y, 0.5f);
    EXPECT_FLOAT_EQ(v[3].position.x, 0.25f);
}

TEST_F(EffectKindsTest, HoleOnADoorEndsWhenTheDoorMovesOrIsDeleted) {
    Target door(kKindDoor);
    door.SetMatrix(Matrix::CreateTranslation(0, 0, 5));
    list_.AddBullet(Vector3(0, 0, 0), Vector3(0, 0, 1), 5.0f, Vector3(0, 0, -1), &door, 0);
    list_.Update();
    ASSERT_EQ(list_.GetDecals().size(), 1u);
    auto hole = list_.GetDecals().front();
    list_.Update();
    EXPECT_TRUE(hole->IsAlive());
    door.SetMatrix(Matrix::CreateTranslation(0.01f, 0, 5));
    list_.Update();
    EXPECT_FALSE(hole->IsAlive());
    EXPECT_EQ(list_.GetDecals().size(), 1u) << "dead holes wait to be pushed out";

    auto shelf = std::make_unique<Target>(kKindShelf);
    EffectList list(nullptr);
    list.AddBullet(Vector3(0, 0, 0), Vector3(0, 0, 1), 5.0f, Vector3(0, 0, -1), shelf.get(), 0);
    list.Update();
    ASSERT_EQ(list.GetDecals().size(), 1u);
    shelf.reset();
    list.Update();
    EXPECT_FALSE(list.GetDecals().front()->IsAlive());
}

TEST_F(EffectKindsTest, HoleEndsAfterItsLifeAndTheFiftyFirstPushesOutTheOldest) {
    Target wall(kKindStage);
    for (int i = 0; i < 51; ++i)
        list_.AddBullet(Vector3(float(i), 0, 0), Vector3(0, 0, 1), 5.0f, Vector3(0, 0, -1), &wall, 0);
    list_.Update();
    ASSERT_EQ(list_.GetDecals().size(), 50u);
    EXPECT_NEAR(list_.GetDecals().front()->GetMatrix()->_41, 1.0f, 1e-6f) << "the first hole was pushed out";

    // Spawned and updated in the same frame, a hole is seen for 3600 frames.
    auto hole = std::dynamic_pointer_cast<BulletHole>(list_.GetDecals().back());
    for (int i = 1; i < 3600; ++i) list_.Update();
    EXPECT_TRUE(hole->IsAlive());
    list_.Update();
    EXPECT_FALSE(hole->IsAlive());
}

TEST_F(EffectKindsTest, SmokeGrowsFadesAndDriftsEvenlyOverItsLife) {
    VeTexture texture;
    SmokeDesc desc;
    desc.texture = &texture;
    desc.position = Vector3(0, 0, 10);
    desc.direction = Vector3(2, 0, 0);
    desc.life = 10;
    desc.uvBottomRight = Vector2(0.5f, 0.5f);
    desc.alpha = {1.0f, 0.0f};
    desc.speed = {0.1f, 0.3f};
    desc.size = {0.1f, 10.0f};
    auto smoke = list_.AddSmoke(desc);
    ASSERT_NE(smoke, nullptr);
    EXPECT_NEAR(RowLength(*smoke->GetMatrix(), 0), 0.1f, 1e-6f);
    list_.Update();
    EXPECT_NEAR(smoke->GetSize(), 1.09f, 1e-5f);
    EXPECT_NEAR(smoke->GetAlpha(), 0.9f, 1e-5f);
    EXPECT_NEAR(smoke->GetSpeed(), 0.12f, 1e-5f);
    EXPECT_NEAR(smoke->GetDirection().Length(), 0.12f, 1e-5f);
    EXPECT_NEAR(smoke->GetPosition().x, 0.12f, 1e-5f);
    const EffectVertex* v = smoke->GetVertices();
    EXPECT_NEAR(v[1].position.x - v[0].position.x, 1.09f, 1e-5f);
    EXPECT_FLOAT_EQ(v[3].uv.x, 0.5f);
    EXPECT_NEAR(v[0].colour.w, 0.9f, 1e-5f);
    // Facing the camera at the origin: the quad's z axis points away from it.
    EXPECT_NEAR(smoke->GetMatrix()->Row(2).Dot(smoke->GetPosition().Normalized()), 1.0f, 1e-5f);
    for (int i = 1; i < 9; ++i) list_.Update();
    EXPECT_TRUE(smoke->IsAlive());
    list_.Update();
    EXPECT_NEAR(smoke->GetSize(), 10.0f, 1e-4f);
    EXPECT_FALSE(smoke->IsAlive());
    EXPECT_TRUE(list_.GetEffects().empty());
}

TEST_F(EffectKindsTest, HitSparksAreFiveSmokesThrownAroundTheShot) {
    list_.GetRandom().Seed(7);
    list_.AddHit(Vector3(3, 4, 5));
    ASSERT_EQ(list_.GetEffects().size(), 5u);
    VeTexture* bright = ResourceCache::GetInstance().GetTexture("Data/Hit.png");
    VeTexture* dim = ResourceCache::GetInstance().GetTexture("Data/Hit2.png");
    for (const auto& e : list_.GetEffects()) {
        auto spark = std::dynamic_pointer_cast<Smoke>(e);
        ASSERT_NE(spark, nullptr);
        EXPECT_EQ(spark->GetLife(), 15);
        EXPECT_FALSE(spark->IsAdditive());
        const float speed = spark->GetTexture() == bright ? 0.2f : 0.1f;
        EXPECT_TRUE(spark->GetTexture() == bright || spark->GetTexture() == dim);
        EXPECT_FLOAT_EQ(spark->GetSpeed(), speed);
        const Vector3 d = spark->GetDirection();
        EXPECT_FLOAT_EQ(d.y, 0.0f);
        EXPECT_GE(d.z, std::cos(80.0f * Math::kDegToRad) - 1e-5f) << "within 80 degrees of the shot";
        EXPECT_EQ(spark->GetPosition(), Vector3(3, 4, 5));
    }
}

TEST_F(EffectKindsTest, SparkAndFlashAreAdditiveInTheirPasses) {
    list_.AddElectronic(Vector3(0, 0, 5), nullptr, Vector3(0.2f, 0.9f, 0.1f));
    list_.AddMuzzleFlash(Vector3(0, 0, 5));
    std::vector<Render::EffectQuad> first, last;
    list_.SubmitFirstPass(first);
    ASSERT_EQ(first.size(), 1u) << "the spark";
    EXPECT_EQ(first[0].blend, Render::Blend::Additive);
    list_.SubmitSecondPass(last);
    ASSERT_EQ(last.size(), 1u) << "the flash, drawn last";
    EXPECT_EQ(last[0].blend, Render::Blend::Additive);
}

TEST_F(EffectKindsTest, SparkTakesItsOwnersColourAndEndsOnItsSecondUpdate) {
    Object owner;
    list_.AddElectronic(Vector3(1, 2, 3), &owner, Vector3(0.2f, 0.9f, 0.1f));
    auto spark = Last<Electronic>(list_);
    ASSERT_NE(spark, nullptr);
    EXPECT_TRUE(spark->IsAdditive());
    EXPECT_EQ(spark->GetOwner(), &owner);
    EXPECT_EQ(spark->GetVertices()[2].colour, Vector4(0.2f, 0.9f, 0.1f, 1.0f));
    EXPECT_EQ(spark->GetMatrix()->Translation(), Vector3(1, 2, 3));
    EXPECT_NEAR(RowLength(*spark->GetMatrix(), 1), 1.0f, 1e-5f);
    list_.Update();
    EXPECT_TRUE(spark->IsAlive());
    list_.Update();
    EXPECT_FALSE(spark->IsAlive());
}

TEST_F(EffectKindsTest, BubbleRisesItsHeightAndEnds) {
    list_.AddBubble(Vector3(0, 0, 10), 1.0f);
    auto bubble = Last<Bubble>(list_);
    ASSERT_NE(bubble, nullptr);
    const float size = bubble->GetVertices()[1].position.x * 2.0f;
    EXPECT_GE(size, 0.05f - 1e-6f);
    EXPECT_LE(size, 0.54f + 1e-6f);
    EXPECT_FLOAT_EQ(bubble->GetVertices()[0].colour.w, 0.5f);
    // A bubble rises a tenth of its size each frame, as its drawn size says,
    // until it has risen one unit.
    const float speed = size * 0.1f;
    const int frames = static_cast<int>(std::floor(1.0f / speed));
    for (int i = 0; i < frames; ++i) {
        list_.Update();
        if (i == 0) EXPECT_NEAR(bubble->GetMatrix()->_42, speed, 1e-5f) << "one frame's rise";
    }
    EXPECT_NEAR(bubble->GetMatrix()->_42, frames * speed, 1e-3f);
    for (int i = 0; i < 2 && bubble->IsAlive(); ++i) list_.Update();
    EXPECT_FALSE(bubble->IsAlive());
}

TEST_F(EffectKindsTest, ShadowLiesFlatUnderItsOwnerUntilTheOwnerIsGone) {
    auto owner = std::make_unique<Object>();
    owner->SetMatrix(Matrix::CreateTranslation(4, 1, 6));
    bool alive = true;
    list_.AddCircleShadow(owner.get(), Vector3(0, -1, 0), &alive);
    auto shadow = Last<CircleShadow>(list_);
    ASSERT_NE(shadow, nullptr);
    const Matrix& m = *shadow->GetMatrix();
    EXPECT_NEAR((Vector3::TransformNormal(Vector3(0, 0, -1), m) - Vector3(0, 1, 0)).Length(), 0.0f, 1e-6f);
    EXPECT_NEAR((m.Translation() - Vector3(4, 0.05f, 6)).Length(), 0.0f, 1e-6f);

    owner->SetMatrix(Matrix::CreateTranslation(5, 1, 6));
    list_.Update();
    EXPECT_NEAR(shadow->GetMatrix()->_41, 5.0f, 1e-6f);
    EXPECT_TRUE(shadow->IsAlive());
    alive = false;
    list_.Update();
    EXPECT_FALSE(shadow->IsAlive());

    // An owner deleted while its flag still says alive.
    auto zombie = std::make_unique<Object>();
    auto flag = std::make_unique<bool>(true);
    list_.AddCircleShadow(zombie.get(), Vector3(0, 0, 0), flag.get());
    auto second = Last<CircleShadow>(list_);
    zombie.reset();
    list_.Update();
    EXPECT_FALSE(second->IsAlive());
}

// Kinds that reach into the game: the flash follows the gun, the vomit
// aims at the player.
class SceneEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Input::GetInstance().Reset();
        Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
        scene_ = std::make_unique<GameScene>();
        scene_->GetStage()->Clear();
        for (EnemyBase* enemy : scene_->GetEnemyList()->GetEnemies()) enemy->SetFinished(true);
        scene_->GetEnemyList()->RemoveFinished();
    }
    void TearDown() override {
        scene_.reset();
        Platform::Input::GetInstance().Reset();
    }
    void Frame() {
        scene_->Update();
        scene_->SetCamera();
    }
    EffectList& effects() { return *scene_->GetEffectList(); }
    std::unique_ptr<GameScene> scene_;
};

TEST_F(SceneEffectsTest, MuzzleFlashIsDrawnFiveTimesGrowingAtTheCurrentMuzzle) {
    Frame();
    effects().AddMuzzleFlash(scene_->GetGun()->GetMuzzle());
    auto flash = Last<MuzzleFlash>(effects());
    ASSERT_NE(flash, nullptr);
    EXPECT_TRUE(flash->IsDrawLast());
    EXPECT_TRUE(flash->IsAdditive());
    const float expected[] = {0.1f, 1.1f, 2.1f, 3.1f, 4.1f};
    int draws = 0;
    for (int frame = 0; frame < 7; ++frame) {
        // The player turns a little every frame; the flash keeps up.
        Platform::InputFrame turn;
        turn.relativeCursor = true;
        turn.cursor = Platform::Point{15, 5};
        Platform::Input::GetInstance().SetFrame(turn);
        Frame();
        std::vector<Render::EffectQuad> first, last;
        effects().SubmitFirstPass(first);
        EXPECT_TRUE(first.empty()) << "not in the first pass";
        effects().SubmitSecondPass(last);
        if (last.empty()) continue;
        ASSERT_LT(draws, 5);
        const Matrix& m = *flash->GetMatrix();
        EXPECT_NEAR(RowLength(m, 0), expected[draws], 1e-4f);
        EXPECT_NEAR(RowLength(m, 1), expected[draws], 1e-4f);
        EXPECT_NEAR((m.Translation() - scene_->GetGun()->GetMuzzle()).Length(), 0.0f, 1e-5f);
        ++draws;
    }
    EXPECT_EQ(draws, 5);
    EXPECT_FALSE(flash->IsAlive());
}

TEST_F(SceneEffectsTest, VomitFliesAnArcWithItsBlobsAndEndsBelowTheFeet) {
    // Far from the player (eye (20, 6, 0), feet at 0).
    const Vector3 start(100, 10, 100);
    effects().AddVomiting(start, start + Vector3(30, 0, 0), 0.5f, 1.0f, 2);
    auto vomit = Last<Vomiting>(effects());
    ASSERT_NE(vomit, nullptr);
    EXPECT_EQ(vomit->GetFramesToTarget(), 60);
    EXPECT_FLOAT_EQ(vomit->GetVerticalSpeed(), 0.15f);
    ASSERT_EQ(vomit->GetBlobs().size(), 6u);
    EXPECT_EQ(vomit->GetBlobs()[0]->GetLife(), 60);
    EXPECT_FLOAT_EQ(vomit->GetBlobs()[0]->GetSpeed(), 0.5f);

    effects().Update();
    EXPECT_NEAR((vomit->GetPosition() - (start + Vector3(0.5f, 0.15f, 0))).Length(), 0.0f, 1e-5f);
    EXPECT_NEAR(vomit->GetVerticalSpeed(), 0.145f, 1e-6f);
    effects().Update();
    EXPECT_EQ(vomit->GetBlobs().size(), 16u) << "a burst of ten every second frame";
    for (int i = 2; i < 18; ++i) effects().Update();
    EXPECT_EQ(vomit->GetBlobs().size(), 96u) << "nine bursts";
    effects().Update();
    effects().Update();
    EXPECT_EQ(vomit->GetBlobs().size(), 96u);

    int frames = 20;
    while (vomit->IsAlive() && frames < 1000) {
        effects().Update();
        ++frames;
    }
    EXPECT_LT(vomit->GetPosition().y, 0.0f);
    EXPECT_GT(frames, 60);
    EXPECT_LT(frames, 1000);
    for (const auto& blob : vomit->GetBlobs()) EXPECT_FALSE(blob->IsAlive());
    EXPECT_EQ(scene_->GetPlayer()->GetHp(), 10);
}

TEST_F(SceneEffectsTest, VomitThatReachesThePlayerHurtsAndEnds) {
    const Vector3 eye = scene_->GetPlayer()->GetPosition();
    effects().AddVomiting(eye + Vector3(0, 0, 12), eye, 0.5f, 1.0f, 3);
    auto vomit = Last<Vomiting>(effects());
    int frames = 0;
    while (vomit->IsAlive() && frames < 100) {
        effects().Update();
        ++frames;
    }
    EXPECT_FALSE(vomit->IsAlive());
    EXPECT_EQ(scene_->GetPlayer()->GetHp(), 7);
    for (const auto& blob : vomit->GetBlobs()) EXPECT_FALSE(blob->IsAlive());
}

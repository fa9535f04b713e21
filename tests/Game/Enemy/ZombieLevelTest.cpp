// Zombies in the real level (the game scene with its built stage), driven by
// the whole game update with the player standing still.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Framework/Math/Random.h"
#include "Framework/Platform/Input.h"
#include "Game/Effect/EffectList.h"
#include "Game/Effect/Vomiting.h"
#include "Game/Enemy/Attack.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Enemy/Track.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

namespace {
constexpr float kDegToRad = 0.017453292f;
}

class ZombieLevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Input::GetInstance().Reset();
        Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
        Math::SeedRand(2024);
        scene_ = std::make_unique<GameScene>();
    }
    void TearDown() override {
        scene_.reset();
        Platform::Input::GetInstance().Reset();
    }
    // Leaves one zombie of the kind in the south hall, west of the player and
    // facing it, dropped in from a little above the floor.
    EnemyBase* Only(bool strong) {
        EnemyList& list = *scene_->GetEnemyList();
        list.Clear();
        Matrix m = Matrix::CreateRotationY(90.0f * kDegToRad);
        m.Translation(Vector3(-5.0f, strong ? 6.5f : 5.0f, 0.0f));
        return strong ? list.AddStrong(m) : list.AddNormal(m);
    }
    float Distance(const EnemyBase& z) {
        return Vector3::Distance(z.GetPosition(), scene_->GetPlayer()->GetPosition());
    }
    static int VomitCount(const EffectList& effects) {
        int n = 0;
        for (const auto& e : effects.GetEffects())
            if (dynamic_cast<const Vomiting*>(e.get())) ++n;
        return n;
    }
    std::unique_ptr<GameScene> scene_;
};

TEST_F(ZombieLevelTest, TheLevelPlacesTwentySevenNormalZombiesThatSettleOnTheirFloors) {
    EnemyList& list = *scene_->GetEnemyList();
    ASSERT_EQ(list.Count(), 27);
    int upper = 0;
    for (EnemyBase* z : list.GetEnemies()) {
        EXPECT_EQ(z->GetScene(), scene_.get());
        if (z->GetFloor() == 0) ++upper;
    }
    EXPECT_EQ(upper, 14);
    for (int i = 0; i < 30; ++i) scene_->Update();
    // Those on the player's floor have landed 4 above it; the others wait.
    for (EnemyBase* z : list.GetEnemies()) {
        if (z->GetFloor() != 0) continue;
        if (Distance(*z) > EnemyBase::kActiveDistance) continue;
        EXPECT_NEAR(z->GetPosition().y, 4.0f, 1e-4f);
    }
}

TEST_F(ZombieLevelTest, ANormalZombieThatSeesThePlayerWalksUpAndStrikesForTwo) {
    EnemyBase* z = Only(false);
    Player& player = *scene_->GetPlayer();
    const float start = Distance(*z);
    std::vector<int> losses;
    int hp = player.GetHp();
    float attackDistance = -1.0f;
    bool chased = false;
    for (int frame = 0; frame < 3000 && losses.size() < 2 && player.IsAlive(); ++frame) {
        scene_->Update();
        if (dynamic_cast<Track*>(z->GetState())) chased = true;
        if (attackDistance < 0.0f && dynamic_cast<Attack*>(z->GetState())) attackDistance = Distance(*z);
        if (player.GetHp() != hp) {
            losses.push_back(hp - player.GetHp());
            hp = player.GetHp();
        }
    }
    EXPECT_TRUE(chased);
    ASSERT_GT(attackDistance, 0.0f) << "it reached the player and attacked";
    EXPECT_LT(attackDistance, 7.0f);
    EXPECT_LT(attackDistance, start);
    ASSERT_EQ(losses.size(), 2u);
    EXPECT_EQ(losses[0], 2);
    EXPECT_EQ(losses[1], 2);
}

TEST_F(ZombieLevelTest, AStrongZombieVomitsAtThePlayerFromRange) {
    EnemyBase* z = Only(true);
    Player& player = *scene_->GetPlayer();
    float launchDistance = -1.0f;
    int frame = 0;
    for (; frame < 3000 && launchDistance < 0.0f; ++frame) {
        scene_->Update();
        if (VomitCount(*scene_->GetEffectList()) > 0) launchDistance = Distance(*z);
    }
    ASSERT_GT(launchDistance, 0.0f) << "a vomit was launched";
    EXPECT_GT(launchDistance, 7.0f) << "from farther than a claw reaches";
    EXPECT_LT(launchDistance, 15.0f + 1.0f);
    const int hp = player.GetHp();
    for (int i = 0; i < 300 && player.GetHp() == hp; ++i) scene_->Update();
    EXPECT_EQ(player.GetHp(), hp - 2) << "the vomit lands on the standing player";
}

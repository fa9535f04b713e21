// Zombies in the real level (the game scene with its built stage), driven by
// the whole game update with the player standing still: how they settle,
// strike and vomit, and that they keep to their own floor, off the stairs
// and on their side of the walls.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "Framework/Platform/Input.h"
#include "Game/Effect/EffectList.h"
#include "Game/Effect/Vomiting.h"
#include "Game/Enemy/Attack.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Track.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Furniture.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

using Math::kDegToRad;

class ZombieLevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Input::GetInstance().Reset();
        Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
        GameWorld::SetSeedOfNewGames(2024);
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
    // The player's eye at the point, the floors following its height.
    void PlacePlayer(const Vector3& eye) {
        Player& player = *scene_->GetPlayer();
        Matrix m = player.GetMatrixRef();
        m.Translation(eye);
        player.SetMatrix(m);
        const int floor = scene_->GetStage()->GetFloor(eye);
        player.SetCurrentFloor(floor);
        scene_->GetStage()->RefreshActivity(floor);
    }
    // A normal zombie standing on the floor at p (4 above it), turned to the
    // heading; it starts chasing at once when asked.
    EnemyBase* Stand(const Vector3& p, float headingDeg, bool chasing) {
        Matrix m = Matrix::CreateRotationY(headingDeg * kDegToRad);
        m.Translation(p);
        auto* z = static_cast<Enemy_Normal*>(scene_->GetEnemyList()->AddNormal(m));
        if (chasing) z->SetState(std::make_unique<Track>(*z));
        return z;
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
        EXPECT_EQ(z->GetWorld(), &scene_->GetWorld());
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

// Each of the four stair flights, from the floor at one of its ends: the
// player stands on the flight (still on that floor's index) and a zombie of
// that floor chases. Flights 1 and 3 go down from their floor, 2 and 4 up.
struct FlightEnd {
    const char* name;
    Vector3 zombie;  // 4 above the floor, facing the flight
    float heading;
    Vector3 eye;     // 6 above the flight's slope
    float edgeZ;     // where the floor ends and the flight begins
    float towards;   // +1: the flight lies towards +z
};

TEST_F(ZombieLevelTest, AChasingZombieStopsWhereItsFloorMeetsEachStairFlight) {
    const FlightEnd ends[] = {
        {"flight 1, from the top (ground floor)", {25, 4, 106}, 0.0f, {25, 0.4f, 119.5f}, 112.0f, 1.0f},
        {"flight 2, from the bottom (first basement)", {45, -38, 106}, 0.0f, {45, -27, 124}, 112.0f, 1.0f},
        {"flight 3, from the top (first basement)", {45, -38, -44}, 180.0f, {45, -41.6f, -57.5f}, -50.0f, -1.0f},
        {"flight 4, from the bottom (second basement)", {65, -80, -44}, 180.0f, {65, -69, -62}, -50.0f, -1.0f},
    };
    for (const FlightEnd& end : ends) {
        SCOPED_TRACE(end.name);
        scene_->GetEnemyList()->Clear();
        PlacePlayer(end.eye);
        const int floor = scene_->GetPlayer()->GetCurrentFloor();
        EnemyBase* z = Stand(end.zombie, end.heading, true);
        ASSERT_EQ(z->GetFloor(), floor) << "the player is still on the zombie's floor";
        float nearest = -1e9f;  // how far the zombie got past the edge (negative: short of it)
        for (int frame = 0; frame < 700; ++frame) {
            scene_->Update();
            const Vector3 p = z->GetPosition();
            const float past = (p.z - end.edgeZ) * end.towards;
            nearest = std::max(nearest, past);
            const bool onFloor = std::fabs(p.y - (scene_->GetStage()->GroundHeight(floor) + 4.0f)) < 1e-3f;
            if (past > 0.7f || !onFloor) {
                ADD_FAILURE() << "frame " << frame << ": off its floor at (" << p.x << ", " << p.y << ", " << p.z
                              << ")";
                break;
            }
        }
        EXPECT_GT(nearest, -1.5f) << "it did come up to the flight";
    }
}

TEST_F(ZombieLevelTest, SeparationLeavesZombiesOfOtherFloorsToTheirOwnFurniture) {
    scene_->GetEnemyList()->Clear();
    ASSERT_EQ(scene_->GetPlayer()->GetCurrentFloor(), 0);
    // A zombie of the first basement at the foot of the flight up from it:
    // the stairwell belongs to every floor, so even while the player is on
    // the ground floor the zombie has its own floor under it and no wall
    // beside it, and a push there would be made. Straight above it stands a
    // chair of the ground floor (active, the player's floor), overlapping it
    // by half a unit: only the floor the zombie belongs to keeps the chair
    // from pushing it.
    Stage& stage = *scene_->GetStage();
    Object* chair = BuildChair(&stage, PlaceAt(42.5f, 0.0f, 112.0f, 0.0f));
    ASSERT_EQ(chair->GetFloor(), 0);
    stage.RefreshActivity(0);
    ASSERT_TRUE(chair->IsActive());
    EnemyBase* below = Stand({44, -38, 112}, 0.0f, false);
    ASSERT_EQ(below->GetFloor(), 1);
    ASSERT_TRUE(below->CanBePushedTo(Vector3(44.5f, -38.0f, 112.0f))) << "nothing else would stop the push";
    for (int frame = 0; frame < 60; ++frame) scene_->Update();
    EXPECT_FLOAT_EQ(below->GetPosition().x, 44.0f) << "the chair of the floor above does not push it";
    EXPECT_FLOAT_EQ(below->GetPosition().z, 112.0f);
}

TEST_F(ZombieLevelTest, SeparationNeverPushesAZombieThroughAWall) {
    scene_->GetEnemyList()->Clear();
    // Two zombies of the south hall overlapping at its north wall (face at
    // z 19.75, the storage room beyond): the first would be pushed 3.25
    // north, through the wall.
    EnemyBase* first = Stand({10, 4, 18.75f}, 0.0f, false);
    EnemyBase* second = Stand({10, 4, 18.0f}, 0.0f, false);
    for (int frame = 0; frame < 120; ++frame) {
        scene_->Update();
        for (EnemyBase* z : {first, second})
            ASSERT_LT(z->GetPosition().z, 19.75f) << "frame " << frame << ": beyond the hall's north wall";
    }
}

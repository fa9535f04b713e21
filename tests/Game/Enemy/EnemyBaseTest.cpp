// Zombie base rules in a headless scene: the damage rule and the kill counts
// of both kinds, the sight test, the sensing frames, the ground and wall
// tests, separation, the 100-unit limit and the ending.
#include <cmath>
#include <iterator>

#include "EnemyFixture.h"
#include "Framework/ResourceCache.h"
#include "Game/Effect/Smoke.h"
#include "Game/Enemy/Drop.h"
#include "Game/Enemy/Track.h"

using Math::kDegToRad;

using EnemyBaseTest = EnemyFixture;

TEST_F(EnemyBaseTest, AddingAZombieGivesItSceneFloorFirstPoseStepAndShadow) {
    const size_t before = effects().GetEffects().size();
    Enemy_Normal* z = Add(Vector3(3.0f, -30.0f, 4.0f));
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->GetWorld(), &scene_->GetWorld());
    EXPECT_EQ(z->GetFloor(), 1) << "height -30 lies on the middle floor";
    EXPECT_EQ(z->GetKind(), kKindEnemy);
    EXPECT_NE(StateAs<Drop>(*z), nullptr);
    EXPECT_NEAR(z->GetPose().T(), 0.06f, 1e-7f) << "one step of the falling-in motion";
    EXPECT_EQ(effects().GetEffects().size(), before + 1) << "the blob shadow";
    // Every part is placed on the matrix: the body (identity keys) sits at
    // the origin, the legs 1.43 below.
    EXPECT_NEAR(z->GetParts()[1]->world.Translation().y, -30.0f, 1e-5f);
    EXPECT_NEAR(z->GetParts()[4]->world.Translation().y, -31.43f, 1e-5f);
    EXPECT_EQ(enemies().Count(), 1);
}

TEST_F(EnemyBaseTest, BothKindsCarryTheirNumbersAndParts) {
    Enemy_Normal* n = Add(Vector3(0, 4, 30));
    Enemy_Strong* s = Add<Enemy_Strong>(Vector3(0, 5.5f, 40));
    const int normalDamage[] = {2, 1, 1, 1, 1, 1, 10};
    const int strongDamage[] = {7, 2, 1, 1, 1, 1};
    ASSERT_EQ(n->GetParts().size(), std::size(normalDamage));
    ASSERT_EQ(s->GetParts().size(), std::size(strongDamage));
    for (size_t i = 0; i < std::size(normalDamage); ++i) {
        EXPECT_EQ(n->GetParts()[i]->damage, normalDamage[i]) << i;
        EXPECT_FALSE(n->GetParts()[i]->model->nodes.empty()) << "normal part " << i << " model loaded";
        EXPECT_FALSE(n->GetParts()[i]->rayModel->nodes.empty()) << "normal part " << i << " hit model loaded";
    }
    for (size_t i = 0; i < std::size(strongDamage); ++i) {
        EXPECT_EQ(s->GetParts()[i]->damage, strongDamage[i]) << i;
        EXPECT_FALSE(s->GetParts()[i]->model->nodes.empty()) << "strong part " << i << " model loaded";
    }
    EXPECT_EQ(n->GetHp(), 10);
    EXPECT_EQ(s->GetHp(), 30);
    EXPECT_FLOAT_EQ(n->GetAttackRange(), 7.0f);
    EXPECT_FLOAT_EQ(s->GetAttackRange(), 15.0f);
    EXPECT_FLOAT_EQ(n->GetGroundOffset(), 4.0f);
    EXPECT_FLOAT_EQ(s->GetGroundOffset(), 5.5f);
    for (EnemyBase* z : {static_cast<EnemyBase*>(n), static_cast<EnemyBase*>(s)}) {
        EXPECT_EQ(z->GetAttackPower(), 2);
        EXPECT_EQ(z->GetViewAngle(), 170);
        EXPECT_TRUE(z->IsPushCircle());
        EXPECT_FLOAT_EQ(z->GetPushRadius(), 2.0f);
        EXPECT_TRUE(z->IsAlive());
        EXPECT_FALSE(z->IsFinished());
    }
}

TEST_F(EnemyBaseTest, OnlyHitsAboveFiveShowTheFourFlashes) {
    Enemy_Normal* z = Add(Vector3(0, 4, 30));
    z->SetHp(1000);
    ResourceCache& cache = ResourceCache::GetInstance();
    const VeTexture* flashes[] = {cache.GetTexture("Data/light.png"), cache.GetTexture("Data/HS3.jpg"),
                                  cache.GetTexture("Data/HS.png"), cache.GetTexture("Data/HS2.png")};
    for (int amount : {1, 2, 5, 7, 10}) {
        const size_t before = effects().GetEffects().size();
        z->Damage(amount, Vector3(1, 2, 3));
        const auto& list = effects().GetEffects();
        const size_t added = list.size() - before;
        if (amount <= 5) {
            EXPECT_EQ(added, 5u) << "sparks only for " << amount;
            continue;
        }
        ASSERT_EQ(added, 9u) << "sparks and four flashes for " << amount;
        auto it = std::next(list.begin(), static_cast<long>(before + 5));
        for (int k = 0; k < 4; ++k, ++it) {
            EXPECT_EQ((*it)->GetTexture(), flashes[k]) << "flash " << k;
            EXPECT_EQ((*it)->IsAdditive(), k < 2) << "flash " << k;
            EXPECT_NEAR((*it)->GetMatrix()->Translation().z, 3.0f, 1e-5f);
        }
    }
    EXPECT_EQ(z->GetHp(), 1000 - 25);
}

TEST_F(EnemyBaseTest, NormalZombieDiesAtTheFifthHeadShotOrOneWeakSpotShot) {
    Enemy_Normal* body = Add(Vector3(0, 4, 30));
    const int bodyDamage = body->GetParts()[1]->damage;
    for (int i = 0; i < 5; ++i) body->Damage(bodyDamage, Vector3());
    EXPECT_TRUE(body->IsAlive()) << "five body shots";
    EXPECT_EQ(body->GetHp(), 5);

    Enemy_Normal* head = Add(Vector3(10, 4, 30));
    const int headDamage = head->GetParts()[0]->damage;
    for (int i = 0; i < 4; ++i) head->Damage(headDamage, Vector3());
    EXPECT_TRUE(head->IsAlive());
    head->Damage(headDamage, Vector3());
    EXPECT_FALSE(head->IsAlive()) << "the fifth head shot brings hp to exactly 0";
    EXPECT_EQ(head->GetHp(), 0);
    head->Damage(headDamage, Vector3());
    EXPECT_EQ(head->GetHp(), -2) << "a dead zombie keeps taking hits";

    Enemy_Normal* weak = Add(Vector3(20, 4, 30));
    weak->Damage(weak->GetParts()[6]->damage, Vector3());
    EXPECT_FALSE(weak->IsAlive());
}

TEST_F(EnemyBaseTest, StrongZombieTakesFifteenBodyShotsOrFiveHeadShots) {
    Enemy_Strong* body = Add<Enemy_Strong>(Vector3(0, 5.5f, 30));
    const int bodyDamage = body->GetParts()[1]->damage;
    for (int i = 0; i < 14; ++i) body->Damage(bodyDamage, Vector3());
    EXPECT_TRUE(body->IsAlive());
    body->Damage(bodyDamage, Vector3());
    EXPECT_FALSE(body->IsAlive());

    Enemy_Strong* head = Add<Enemy_Strong>(Vector3(10, 5.5f, 30));
    const int headDamage = head->GetParts()[0]->damage;
    for (int i = 0; i < 4; ++i) head->Damage(headDamage, Vector3());
    EXPECT_TRUE(head->IsAlive());
    EXPECT_EQ(head->GetHp(), 2);
    head->Damage(headDamage, Vector3());
    EXPECT_FALSE(head->IsAlive());
    EXPECT_EQ(head->GetHp(), -5);
}

TEST_F(EnemyBaseTest, SeesThePlayerUpToFiftyAndWithinHalfTheViewAngle) {
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    PlacePlayer(Vector3(0, 4, 50.0f));
    EXPECT_TRUE(z->CanSeePlayer()) << "exactly 50 away";
    PlacePlayer(Vector3(0, 4, 50.01f));
    EXPECT_FALSE(z->CanSeePlayer()) << "50.01 away";
    PlacePlayer(Vector3(0, 4, -50.01f));
    EXPECT_FALSE(z->CanSeePlayer()) << "50.01 away behind";

    auto at = [](float degrees) {
        return Vector3(10.0f * std::sin(degrees * kDegToRad), 4.0f, 10.0f * std::cos(degrees * kDegToRad));
    };
    PlacePlayer(at(85.0f));
    EXPECT_TRUE(z->CanSeePlayer()) << "85 degrees to the side";
    PlacePlayer(at(-85.0f));
    EXPECT_TRUE(z->CanSeePlayer()) << "85 degrees to the other side";
    PlacePlayer(at(86.0f));
    EXPECT_FALSE(z->CanSeePlayer()) << "86 degrees";
    PlacePlayer(at(-86.0f));
    EXPECT_FALSE(z->CanSeePlayer()) << "-86 degrees";
}

TEST_F(EnemyBaseTest, StageObjectsInTheWayBlockTheSight) {
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    PlacePlayer(Vector3(0, 4, 20));
    auto wall = testgeo::MakeWallZ(10.0f, -5, 5, 0, 10);
    testgeo::AddStructure(stage(), wall.get(), 0);
    EXPECT_FALSE(z->CanSeePlayer()) << "a wall between";
    PlacePlayer(Vector3(0, 4, 9.9f));
    EXPECT_TRUE(z->CanSeePlayer()) << "the wall behind the player";
    stage().Clear();
}

TEST_F(EnemyBaseTest, OddFramesSenseNothing) {
    Enemy_Normal* z = Add(Vector3(0, 7, 0));
    PlacePlayer(Vector3(0, 4, 10));
    auto wall = testgeo::MakeWallZ(1.0f, -5, 5, 0, 10);
    testgeo::AddStructure(stage(), wall.get(), 0);
    PlacePlayer(Vector3(0, 4, 0.5f));

    z->SetSenseCounter(1);
    EXPECT_FALSE(z->CanSeePlayer());
    z->FollowGround(z->GetGroundOffset(), 0);
    EXPECT_FLOAT_EQ(z->GetPosition().y, 7.0f) << "no ground test";
    z->PushFromWall();
    EXPECT_FLOAT_EQ(z->GetPosition().z, 0.0f) << "no wall test";
    EXPECT_EQ(z->GetSenseCounter(), 1);

    z->SetSenseCounter(2);
    EXPECT_TRUE(z->CanSeePlayer());
    EXPECT_EQ(z->GetSenseCounter(), 0) << "a sensing test restarts the counter";
    stage().Clear();
}

TEST_F(EnemyBaseTest, GroundAndWallTestsPlaceTheOriginExactly) {
    Enemy_Normal* z = Add(Vector3(0, 9.5f, 0));
    z->FollowGround(4.0f, 1);
    EXPECT_NEAR(z->GetPosition().y, -38.0f, 1e-4f) << "4 above the middle floor (-42)";
    z->FollowGround(4.0f, 0);
    EXPECT_NEAR(z->GetPosition().y, 4.0f, 1e-4f);

    // Facing +z, 1.2 in front of a wall facing back at it: pushed back to 2.
    auto wall = testgeo::MakeWallZ(1.2f, -5, 5, 0, 10);
    testgeo::AddStructure(stage(), wall.get(), 0);
    z->PushFromWall();
    EXPECT_NEAR(z->GetPosition().z, 1.2f - 2.0f, 1e-4f);
    EXPECT_NEAR(z->GetPosition().x, 0.0f, 1e-5f);
    // At the push radius already: stays.
    z->PushFromWall();
    EXPECT_NEAR(z->GetPosition().z, -0.8f, 1e-4f);

    // Walking obliquely (45 degrees) into the wall: the origin ends exactly 2
    // from its plane.
    Matrix m = Matrix::CreateRotationY(45.0f * kDegToRad);
    m.Translation(Vector3(0, 4, 0.5f));
    z->SetMatrix(m);
    z->PushFromWall();
    EXPECT_NEAR(z->GetPosition().z, -0.8f, 1e-4f);
    stage().Clear();
}

TEST_F(EnemyBaseTest, OfTwoOverlappingZombiesOnlyTheEarlierMoves) {
    PlacePlayer(Vector3(0, 4, 60));
    Enemy_Normal* a = Add(Vector3(0, 4, 0));
    Enemy_Normal* b = Add(Vector3(3, 4, 0));
    for (EnemyBase* z : {static_cast<EnemyBase*>(a), static_cast<EnemyBase*>(b)})
        z->SetState(nullptr);  // stand still: only separation moves them
    enemies().Update();
    EXPECT_NEAR(a->GetPosition().x, -1.0f, 1e-5f) << "moved away by the overlap 4 - 3";
    EXPECT_NEAR(a->GetPosition().z, 0.0f, 1e-5f);
    EXPECT_NEAR(b->GetPosition().x, 3.0f, 1e-6f) << "the later one stays";

    // A dead zombie is not separated from.
    b->SetMatrix(Matrix::CreateTranslation(0, 4, 0.5f));
    const Vector3 before = a->GetPosition();
    b->SetAlive(false);
    enemies().Update();
    EXPECT_NEAR(Vector3::Distance(a->GetPosition(), before), 0.0f, 1e-6f);
}

TEST_F(EnemyBaseTest, ZombiesStepAsideFromThePlayerWhoIsNeverMoved) {
    PlacePlayer(Vector3(0, 4, 1.0f));
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    z->SetState(nullptr);
    const Vector3 eye = player().GetPosition();
    const float reach = z->GetPushRadius() + player().GetPushRadius();
    enemies().Update();
    EXPECT_NEAR(z->GetPosition().z, 1.0f - reach, 1e-5f);
    EXPECT_EQ(player().GetPosition(), eye);
}

TEST_F(EnemyBaseTest, ZombiesFartherThanOneHundredDoNothing) {
    PlacePlayer(Vector3(0, 4, 100.01f));
    Enemy_Normal* z = Add(Vector3(0, 20, 0));
    Enemy_Normal* landed = Add(Vector3(0, 4, 0));
    const float t = z->GetPose().T();
    for (int i = 0; i < 5; ++i) enemies().Update();
    EXPECT_FLOAT_EQ(z->GetPosition().y, 20.0f) << "no fall";
    EXPECT_FLOAT_EQ(z->GetPose().T(), t) << "no animation";
    EXPECT_NE(StateAs<Drop>(*landed), nullptr) << "no state step";

    PlacePlayer(Vector3(0, 4, 100.0f));
    enemies().Update();
    EXPECT_EQ(StateAs<Drop>(*landed), nullptr) << "exactly 100 away it runs (and lands)";
    EXPECT_FLOAT_EQ(z->GetPosition().y, 20.0f) << "still out of range";
}

TEST_F(EnemyBaseTest, OnlyZombiesOnThePlayersFloorAreActiveAndRun) {
    Enemy_Normal* upper = Add(Vector3(0, 20, 0));
    Enemy_Normal* lower = Add(Vector3(0, -30, 0));
    PlacePlayer(Vector3(0, 4, 10));
    player().SetCurrentFloor(0);
    enemies().Update();
    EXPECT_TRUE(upper->IsActive());
    EXPECT_FALSE(lower->IsActive());
    EXPECT_LT(upper->GetPosition().y, 20.0f);
    EXPECT_FLOAT_EQ(lower->GetPosition().y, -30.0f);
    EXPECT_EQ(upper->GetSenseCounter(), 1) << "counted once by the list";
    EXPECT_EQ(lower->GetSenseCounter(), 1) << "inactive zombies count frames too";
}

TEST_F(EnemyBaseTest, FinishedZombiesAreRemovedKeepingTheOrder) {
    PlacePlayer(Vector3(0, 4, 90));
    Enemy_Normal* a = Add(Vector3(-20, 4, 0));
    Enemy_Normal* b = Add(Vector3(0, 4, 0));
    Enemy_Normal* c = Add(Vector3(20, 4, 0));
    b->SetFinished(true);
    enemies().RemoveFinished();
    ASSERT_EQ(enemies().Count(), 2);
    EXPECT_EQ(enemies().GetEnemies()[0], a);
    EXPECT_EQ(enemies().GetEnemies()[1], c);
    a->SetFinished(true);
    enemies().Update();
    ASSERT_EQ(enemies().Count(), 1);
    EXPECT_EQ(enemies().GetEnemies()[0], c);
}

TEST_F(EnemyBaseTest, TheEndingShortensEveryAttackRange) {
    Enemy_Normal* n = Add(Vector3(0, 4, 30));
    Enemy_Strong* s = Add<Enemy_Strong>(Vector3(10, 5.5f, 30));
    scene_->GetPlayer()->Damage(10, Vector3());  // the game ends
    scene_->Update();
    ASSERT_EQ(scene_->GetState(), GameState::Ending);
    enemies().Update();
    EXPECT_FLOAT_EQ(n->GetAttackRange(), 1.0f);
    EXPECT_FLOAT_EQ(s->GetAttackRange(), 1.0f);
}

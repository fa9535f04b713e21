// The zombie states in a headless scene: falling in, wandering, chasing,
// both attacks and dying, with the transitions between them.
#include <cmath>

#include "EnemyFixture.h"
#include "Game/Effect/Vomiting.h"
#include "Game/Enemy/Attack.h"
#include "Game/Enemy/Dead.h"
#include "Game/Enemy/Drop.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/Track.h"
#include "Game/Enemy/WalkAround.h"

namespace {

int VomitCount(const EffectList& effects) {
    int n = 0;
    for (const auto& e : effects.GetEffects())
        if (dynamic_cast<const Vomiting*>(e.get())) ++n;
    return n;
}

}  // namespace

using StateTest = EnemyFixture;

TEST_F(StateTest, DroppedZombiesFallFasterAndLandExactlyTheirOffsetAboveTheFloor) {
    PlacePlayer(Vector3(0, 4, -30));  // behind them: not seen
    Enemy_Normal* n = Add(Vector3(0, 30, 0));
    Tick(*n);
    EXPECT_NEAR(n->GetPosition().y, 29.8f, 1e-5f);
    Tick(*n);
    EXPECT_NEAR(n->GetPosition().y, 29.5f, 1e-5f);
    int frames = 2;
    while (StateAs<Drop>(*n) && frames < 200) {
        Tick(*n);
        ++frames;
    }
    ASSERT_NE(StateAs<WalkAround>(*n), nullptr);
    EXPECT_EQ(n->GetPosition().y, 4.0f);

    Enemy_Strong* s = Add<Enemy_Strong>(Vector3(10, -25, 0));
    ASSERT_EQ(s->GetFloor(), 1);
    player().SetCurrentFloor(1);
    for (frames = 0; StateAs<Drop>(*s) && frames < 200; ++frames) Tick(*s);
    ASSERT_NE(StateAs<WalkAround>(*s), nullptr);
    EXPECT_EQ(s->GetPosition().y, -42.0f + 5.5f);
}

TEST_F(StateTest, AZombieKilledInTheAirLandsFirstThenDies) {
    PlacePlayer(Vector3(0, 4, -30));
    Enemy_Normal* z = Add(Vector3(0, 6, 0));
    z->SetAlive(false);
    int frames = 0;
    while (StateAs<Drop>(*z) && frames < 100) Tick(*z), ++frames;
    EXPECT_GT(frames, 1) << "it fell for a while";
    ASSERT_NE(StateAs<WalkAround>(*z), nullptr) << "lands before anything else";
    EXPECT_EQ(z->GetPosition().y, 4.0f);
    Tick(*z);
    EXPECT_NE(StateAs<Dead>(*z), nullptr);
}

TEST_F(StateTest, WanderingDrawsTimerThenHeading) {
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    Math::Random& random = scene_->GetWorld().GetRandom();
    random.Seed(99);
    const int first = random.Next();
    const int second = random.Next();
    random.Seed(99);
    WalkAround* w = Enter<WalkAround>(*z);
    EXPECT_EQ(w->GetTimer(), (first % 5 + 1) * 60);
    EXPECT_EQ(w->GetHeading(), static_cast<float>(second % 360));
    EXPECT_FLOAT_EQ(z->GetMoveSpeed(), 0.02f);
}

TEST_F(StateTest, WanderingTurnsFiveDegreesAFrameAndPicksANewHeadingWhenTheTimerEnds) {
    PlacePlayer(Vector3(0, 4, -80));  // too far to be seen
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    WalkAround* w = Enter<WalkAround>(*z);
    const int timer = w->GetTimer();
    Tick(*z);
    ASSERT_EQ(z->GetState(), w);
    const float heading = HeadingOf(Vector3(z->GetMatrixRef()._31, 0, z->GetMatrixRef()._33));
    const float target = w->GetHeading() > 180.0f ? w->GetHeading() - 360.0f : w->GetHeading();
    EXPECT_NEAR(heading, std::fmax(-5.0f, std::fmin(5.0f, target)), 1e-3f);
    for (int i = 1; i < timer - 1; ++i) Tick(*z);
    EXPECT_EQ(z->GetState(), w) << "still the same wander one frame before the end";
    Tick(*z);
    EXPECT_NE(z->GetState(), w);
    EXPECT_NE(StateAs<WalkAround>(*z), nullptr) << "a new wander";
}

TEST_F(StateTest, WanderingZombieChasesWhenItSeesThePlayerOrIsShotUnseen) {
    PlacePlayer(Vector3(0, 4, 10));
    Enemy_Normal* seeing = Add(Vector3(0, 4, 0));
    Enter<WalkAround>(*seeing);
    seeing->SetSenseCounter(1);  // the tick makes it 2: a sensing frame
    Tick(*seeing);
    EXPECT_NE(StateAs<Track>(*seeing), nullptr);

    PlacePlayer(Vector3(0, 4, -30));
    Enemy_Normal* shot = Add(Vector3(20, 4, 0));
    Enter<WalkAround>(*shot);
    shot->Damage(1, Vector3());
    shot->SetSenseCounter(1);
    Tick(*shot);
    EXPECT_NE(StateAs<Track>(*shot), nullptr) << "hurt since entry";
}

TEST_F(StateTest, KilledWhileWanderingItChasesThenDies) {
    PlacePlayer(Vector3(0, 4, -30));
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    Enter<WalkAround>(*z);
    z->Damage(10, Vector3());
    Tick(*z);
    EXPECT_NE(StateAs<Track>(*z), nullptr);
    Tick(*z);
    EXPECT_NE(StateAs<Dead>(*z), nullptr);
}

TEST_F(StateTest, ChasingAttacksOnlyInsideTheAttackRange) {
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    Enter<Track>(*z);
    z->SetMoveSpeed(0.0f);  // keep the distance fixed
    PlacePlayer(Vector3(0, 4, 7.0f));
    Tick(*z);
    EXPECT_NE(StateAs<Track>(*z), nullptr) << "7.0 is not inside 7.0";
    PlacePlayer(Vector3(0, 4, 6.99f));
    Tick(*z);
    EXPECT_NE(StateAs<Attack>(*z), nullptr) << "6.99";
}

TEST_F(StateTest, ChasingGivesUpAfter181FramesWithoutSight) {
    PlacePlayer(Vector3(0, 4, -40));
    auto wall = testgeo::MakeWallZ(-10.0f, -20, 20, 0, 20);
    testgeo::AddStructure(stage(), wall.get(), 0);
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    Track* track = Enter<Track>(*z);
    for (int i = 0; i < 180; ++i) {
        Tick(*z);
        ASSERT_EQ(z->GetState(), track) << "frame " << i + 1;
    }
    EXPECT_EQ(track->GetLostTimer(), 0);
    Tick(*z);
    EXPECT_NE(StateAs<WalkAround>(*z), nullptr);
    EXPECT_GT(z->GetPosition().z, -10.0f + 1.99f) << "kept off the wall";
    stage().Clear();
}

TEST_F(StateTest, ANormalStrikeHitsHalfWayOnlyAPlayerStillInReach) {
    // In reach: one landed strike of 2, then back to chasing.
    PlacePlayer(Vector3(0, 4, 5));
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    Attack* attack = Enter<Attack>(*z);
    int frames = 0;
    while (attack->GetPhase() == Attack::kWindUp && frames < 100) {
        Tick(*z);
        ++frames;
    }
    EXPECT_GE(frames, 50);
    EXPECT_LE(frames, 51);
    EXPECT_EQ(player().GetHp(), 10);
    while (!attack->IsHitDone() && frames < 200) {
        Tick(*z);
        ++frames;
    }
    EXPECT_EQ(player().GetHp(), 8);
    EXPECT_GE(z->GetPose().T(), 0.5f);
    EXPECT_LT(z->GetPose().T(), 0.55f);
    while (StateAs<Attack>(*z) && frames < 300) Tick(*z), ++frames;
    EXPECT_NE(StateAs<Track>(*z), nullptr);
    EXPECT_EQ(player().GetHp(), 8);

    // Out of reach before half-way: no damage, still ends in chasing.
    Enemy_Normal* y = Add(Vector3(30, 4, 0));
    PlacePlayer(Vector3(30, 4, 5));
    attack = Enter<Attack>(*y);
    for (frames = 0; attack->GetPhase() == Attack::kWindUp && frames < 100; ++frames) Tick(*y);
    PlacePlayer(Vector3(30, 4, 7.5f));
    while (StateAs<Attack>(*y) && frames < 300) Tick(*y), ++frames;
    EXPECT_NE(StateAs<Track>(*y), nullptr);
    EXPECT_EQ(player().GetHp(), 8) << "the strike missed";
}

TEST_F(StateTest, AZombieKilledDuringChaseOrAttackDiesAtTheEndOfThatStep) {
    PlacePlayer(Vector3(0, 4, 5));
    Enemy_Normal* chasing = Add(Vector3(-20, 4, 0));
    Enter<Track>(*chasing);
    chasing->Damage(10, Vector3());
    Tick(*chasing);
    EXPECT_NE(StateAs<Dead>(*chasing), nullptr);

    Enemy_Normal* attacking = Add(Vector3(0, 4, 0));
    Enter<Attack>(*attacking);
    Tick(*attacking);
    attacking->Damage(10, Vector3());
    Tick(*attacking);
    EXPECT_NE(StateAs<Dead>(*attacking), nullptr);
}

TEST_F(StateTest, StrongVomitLeavesAtTheEndOfTheWindUpEvenOutOfRange) {
    PlacePlayer(Vector3(0, 4, 40));  // far beyond the range of 15
    Enemy_Strong* z = Add<Enemy_Strong>(Vector3(0, 5.5f, 0));
    Attack* attack = Enter<Attack>(*z);
    int frames = 0;
    while (attack->GetPhase() == Attack::kWindUp && frames < 100) {
        EXPECT_EQ(VomitCount(effects()), 0);
        Tick(*z);
        ++frames;
    }
    ASSERT_EQ(attack->GetPhase(), Attack::kStrike);
    EXPECT_EQ(VomitCount(effects()), 1) << "in the frame the strike begins";
    EXPECT_TRUE(attack->IsHitDone());
    while (StateAs<Attack>(*z) && frames < 300) Tick(*z), ++frames;
    EXPECT_NE(StateAs<Track>(*z), nullptr);
    EXPECT_LE(VomitCount(effects()), 1) << "one vomit per attack";
}

TEST_F(StateTest, ADeadZombieLiesThreeSecondsFadesInTwoAndIsRemoved) {
    PlacePlayer(Vector3(0, 4, 30));
    Enemy_Normal* z = Add(Vector3(0, 4, 0));
    z->Damage(10, Vector3());
    Dead* dead = Enter<Dead>(*z);
    EXPECT_FLOAT_EQ(dead->GetGroundY(), 1.0f) << "half the push radius above the floor";

    Tick(*z);
    EXPECT_NEAR(z->GetPosition().y, 4.2f, 1e-5f) << "hops up first";
    int lying = 0, fading = 0, frames = 1;
    while (!z->IsFinished() && frames < 1000) {
        Tick(*z);
        ++frames;
        if (z->GetPosition().y == 1.0f && z->GetAlphaValue() == 1.0f) ++lying;
        if (z->GetAlphaValue() < 1.0f) ++fading;
    }
    ASSERT_TRUE(z->IsFinished());
    EXPECT_EQ(lying, Dead::kLieFrames - 1) << "the 180th frame on the ground already fades";
    EXPECT_GE(fading, 120);
    EXPECT_LE(fading, 121);
    EXPECT_NE(StateAs<Dead>(*z), nullptr);
    enemies().Update();
    EXPECT_EQ(enemies().Count(), 0);
}

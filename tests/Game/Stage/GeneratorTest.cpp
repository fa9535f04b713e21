// The generator in the built level: waves, the enemy limit, spawn kinds,
// lights shot out, holes destroyed, the core's death and the won game.
#include <AL/al.h>

#include <set>

#include "Framework/Audio/Audio.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Stage/Generator.h"
#include "Game/Stage/PlantZombie.h"
#include "Game/Stage/Portal.h"
#include "Scene/Hud.h"
#include "tests/Game/Stage/InteractiveStage.h"

class GeneratorTest : public InteractiveStageTest {
protected:
    void SetUp() override {
        InteractiveStageTest::SetUp();
        portal_ = stage_->GetPortal();
        ASSERT_NE(portal_, nullptr);
        ASSERT_EQ(portal_->GetLights().size(), 8u);
        ASSERT_EQ(portal_->GetHoles().size(), 8u);
        PlaceEye(Vector3(65, -78, -10));  // in the generator hall, floor 2
    }
    int AwakeHoles() const {
        int n = 0;
        for (PortalHole* h : portal_->GetHoles())
            if (h->IsAwake()) ++n;
        return n;
    }
    // Frames until the next wave has been sent (the wave's own frame).
    void RunToWave() {
        const int before = portal_->GetSpawnTimer();
        Step(before + 1);
        ASSERT_EQ(portal_->GetSpawnTimer(), 420);
    }
    // Eleven 1-point hits at the light's smoke centre.
    void ShootOut(int light) {
        for (int i = 0; i < 11; ++i) portal_->Damage(1, portal_->GetLights()[light]->GetEffectPosition());
    }
    // Zombies let out by the holes are removed so the waves never reach the
    // enemy limit.
    void ClearEnemies() { scene_->GetEnemyList()->Clear(); }
    Portal* portal_ = nullptr;
};

TEST_F(GeneratorTest, BuilderMakesTheAssemblyOnTheLowestFloor) {
    const auto& objects = stage_->GetObjects();
    size_t at = 0;
    while (at < objects.size() && objects[at] != portal_) ++at;
    ASSERT_LE(at + 26, objects.size());
    EXPECT_EQ(portal_->GetKind(), kKindPortal);
    EXPECT_TRUE(portal_->IsPushCircle());
    EXPECT_FLOAT_EQ(portal_->GetPushRadius(), 10.0f);
    EXPECT_FLOAT_EQ(portal_->GetAlphaValue(), 3.0f);
    EXPECT_EQ(portal_->GetParts()[0]->damage, 1);
    auto* sphere = dynamic_cast<PortalSphere*>(objects[at + 1]);
    ASSERT_NE(sphere, nullptr);
    EXPECT_TRUE(sphere->IsTranslucent());
    for (int i = 0; i < 8; ++i) {
        auto* light = dynamic_cast<PortalLight*>(objects[at + 2 + 3 * i]);
        auto* pipe = dynamic_cast<Pipe*>(objects[at + 3 + 3 * i]);
        auto* hole = dynamic_cast<PortalHole*>(objects[at + 4 + 3 * i]);
        ASSERT_TRUE(light && pipe && hole) << i;
        EXPECT_EQ(light, portal_->GetLights()[i]);
        EXPECT_EQ(hole, portal_->GetHoles()[i]);
        EXPECT_EQ(hole->GetKind(), kKindPortalHole);
        EXPECT_EQ(light->GetFloor(), 2);
        EXPECT_EQ(light->GetParts()[0]->rayModel, nullptr) << "lights are never hit";
        // Light i's smoke centre: 9 up and 8 out along its direction; hole i
        // 36 out and 18 up.
        const Vector3 e = light->GetEffectPosition() - portal_->GetPosition();
        EXPECT_NEAR(e.y, 9.0f, 1e-4f);
        EXPECT_NEAR(std::sqrt(e.x * e.x + e.z * e.z), 8.0f, 1e-4f);
        const Vector3 h = hole->GetPosition() - portal_->GetPosition();
        EXPECT_NEAR(h.y, 18.0f, 1e-4f);
        EXPECT_NEAR(std::sqrt(h.x * h.x + h.z * h.z), 36.0f, 1e-3f);
        // Hole and light point the same way from the centre.
        EXPECT_GT(e.x * h.x + e.z * h.z, 0.0f);
    }
    EXPECT_EQ(CountOf<PlantZombie>(), 6);
}

TEST_F(GeneratorTest, EachWaveWakesFourDifferentLitHoles) {
    for (int wave = 0; wave < 5; ++wave) {
        RunToWave();
        EXPECT_EQ(AwakeHoles(), 4) << "wave " << wave;
        int warning = 0;
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(portal_->GetHoles()[i]->IsAwake(), portal_->GetLights()[i]->IsWarning());
            if (portal_->GetLights()[i]->IsWarning()) ++warning;
        }
        EXPECT_EQ(warning, 4);
        Step(310);  // a hole's whole cycle: open, wait, spawn, close
        EXPECT_EQ(AwakeHoles(), 0);
        ClearEnemies();
    }
    // Only lit holes are woken: with two lights left, two holes a wave.
    for (int i = 0; i < 6; ++i) ShootOut(i);
    RunToWave();
    EXPECT_EQ(AwakeHoles(), 2);
    EXPECT_TRUE(portal_->GetHoles()[6]->IsAwake());
    EXPECT_TRUE(portal_->GetHoles()[7]->IsAwake());
}

TEST_F(GeneratorTest, NoHoleWakesWhileMoreThanEightyEnemiesLive) {
    EnemyList* enemies = scene_->GetEnemyList();
    while (enemies->Count() < 81) enemies->Add(std::make_unique<EnemyBase>());
    RunToWave();
    EXPECT_EQ(AwakeHoles(), 0);
    // At exactly 80 the wave goes out.
    enemies->GetEnemies().back()->SetFinished(true);
    enemies->RemoveFinished();
    ASSERT_EQ(enemies->Count(), 80);
    RunToWave();
    EXPECT_EQ(AwakeHoles(), 4);
}

TEST_F(GeneratorTest, SpawnKindFollowsTheLitLights) {
    PortalHole* hole = portal_->GetHoles()[7];
    auto runCycles = [&](int cycles) {
        for (int c = 0; c < cycles; ++c) {
            hole->Wake();
            for (int f = 0; f < 310; ++f) hole->Update();
            ClearEnemies();
        }
    };
    // Five lights burn: every zombie is a normal one.
    for (int i = 0; i < 3; ++i) ShootOut(i);
    ASSERT_EQ(portal_->CountLitLights(), 5);
    runCycles(100);
    EXPECT_EQ(hole->GetNormalSpawns(), 100);
    EXPECT_EQ(hole->GetStrongSpawns(), 0);

    // Four or fewer: about 60% strong.
    ShootOut(3);
    ASSERT_EQ(portal_->CountLitLights(), 4);
    runCycles(400);
    const int strong = hole->GetStrongSpawns();
    EXPECT_EQ(hole->GetNormalSpawns() - 100 + strong, 400);
    EXPECT_GT(strong, 400 * 50 / 100);
    EXPECT_LT(strong, 400 * 70 / 100);
}

TEST_F(GeneratorTest, HoleCycleOpensWaitsSpawnsAndClosesWithThePipeGlowing) {
    PortalHole* hole = portal_->GetHoles()[0];
    Pipe* pipe = nullptr;
    for (Object* o : stage_->GetObjects())
        if ((pipe = dynamic_cast<Pipe*>(o))) break;
    ASSERT_NE(pipe, nullptr);
    hole->Wake();
    int openFrames = 0, waitFrames = 0, closeFrames = 0;
    for (int f = 0; f < 400 && (hole->IsAwake() || f == 0); ++f) {
        const bool opening = hole->IsOpening(), waiting = hole->IsWaiting(), closing = hole->IsClosing();
        hole->Update();
        pipe->Update();
        if (opening && !waiting) ++openFrames;
        if (waiting) ++waitFrames;
        if (closing) ++closeFrames;
        if (f == 33) EXPECT_FLOAT_EQ(pipe->GetColour().x, 1.0f) << "lit in 34 frames";
        if (opening) EXPECT_GE(hole->GetUVOffset().y, -0.5f);
    }
    // 0.005 a frame over half the texture, 0.1 a frame up to 10 (float
    // steps may shift an end by a frame).
    EXPECT_NEAR(openFrames, 101, 1);
    EXPECT_NEAR(waitFrames, 100, 1);
    EXPECT_NEAR(closeFrames, 101, 1);
    EXPECT_EQ(hole->GetNormalSpawns(), 1);
    EXPECT_FLOAT_EQ(hole->GetUVOffset().y, 0.0f);
    EXPECT_FALSE(hole->IsSpawned());
    for (int f = 0; f < 60; ++f) pipe->Update();
    EXPECT_FLOAT_EQ(pipe->GetColour().x, 0.0f) << "the pipe has faded";
}

TEST_F(GeneratorTest, EleventhHitKillsTheNearestLightAndItsHoleForGood) {
    PortalLight* light = portal_->GetLights()[3];
    PortalHole* hole = portal_->GetHoles()[3];
    hole->Wake();
    for (int f = 0; f < 50; ++f) hole->Update();  // mid-cycle, opening
    // A hit a little off the light's centre still finds it.
    const Vector3 near = light->GetEffectPosition() + Vector3(0.5f, -1.0f, 0.3f);
    for (int i = 0; i < 10; ++i) portal_->Damage(1, near);
    EXPECT_TRUE(light->IsAlive());
    EXPECT_EQ(light->GetHealth(), 0);
    EXPECT_FALSE(hole->IsDestroyed());
    const size_t effectsBefore = scene_->GetEffectList()->GetEffects().size();
    portal_->Damage(1, near);
    EXPECT_FALSE(light->IsAlive());
    EXPECT_TRUE(hole->IsDestroyed());
    // The burst (ten pairs) and the hit's own puff.
    EXPECT_EQ(scene_->GetEffectList()->GetEffects().size(), effectsBefore + 21);
    for (size_t i = 0; i < 8; ++i)
        if (i != 3) EXPECT_EQ(portal_->GetLights()[i]->GetHealth(), 10) << "only the nearest light is hit";

    const size_t beforeSmoke = scene_->GetEffectList()->GetEffects().size();
    hole->Update();
    EXPECT_EQ(scene_->GetEffectList()->GetEffects().size(), beforeSmoke + 1) << "the hole smokes at once";
    for (int f = 0; f < 400; ++f) hole->Update();
    hole->Wake();
    for (int f = 0; f < 400; ++f) hole->Update();
    EXPECT_EQ(hole->GetNormalSpawns() + hole->GetStrongSpawns(), 0) << "never spawns again";
    light->Update();
    EXPECT_FLOAT_EQ(light->GetColour().x, 0.1f) << "dead lights stay dim";
    EXPECT_EQ(portal_->CountLitLights(), 7);
}

TEST_F(GeneratorTest, SphereTurnsFromGreenToRedWithTheLights) {
    PortalSphere* sphere = nullptr;
    for (Object* o : stage_->GetObjects())
        if ((sphere = dynamic_cast<PortalSphere*>(o))) break;
    ASSERT_NE(sphere, nullptr);
    Step();
    EXPECT_FLOAT_EQ(sphere->GetColour().y, 1.0f);
    EXPECT_FLOAT_EQ(sphere->GetColour().x, 0.0f);
    for (int i = 0; i < 6; ++i) ShootOut(i);
    Step();
    EXPECT_EQ(portal_->GetHealthSum(), 20);
    EXPECT_EQ(portal_->GetHealthMaxSum(), 80);
    EXPECT_FLOAT_EQ(sphere->GetColour().x, 0.75f);
    EXPECT_FLOAT_EQ(sphere->GetColour().y, 0.25f);
}

TEST_F(GeneratorTest, LastLightKillsTheCoreAndWinsTheGame) {
    for (int i = 0; i < 7; ++i) ShootOut(i);
    Step();
    EXPECT_TRUE(portal_->IsAlive());
    EXPECT_EQ(scene_->GetState(), GameState::Playing);
    ShootOut(7);
    EXPECT_FALSE(portal_->IsAlive());
    for (PortalHole* h : portal_->GetHoles()) EXPECT_TRUE(h->IsDestroyed());

    // The wreck smokes every frame and the explosion fades over 400 frames.
    const size_t before = scene_->GetEffectList()->GetEffects().size();
    portal_->Update();
    EXPECT_EQ(scene_->GetEffectList()->GetEffects().size(), before + 1);
    // 2.0 down by 0.005 a frame: silent after about 400 frames.
    for (int f = 1; f < 390; ++f) portal_->Update();
    EXPECT_GT(portal_->GetExplosionVolume(), 0.0f);
    for (int f = 390; f < 410; ++f) portal_->Update();
    EXPECT_LE(portal_->GetExplosionVolume(), 0.0f);

    scene_->Update();
    EXPECT_EQ(scene_->GetState(), GameState::Ending);
    int frames = 0;
    while (scene_->GetRequestedResult() == GameResult::None && frames < 1000) {
        scene_->Update();
        ++frames;
    }
    EXPECT_EQ(scene_->GetRequestedResult(), GameResult::Cleared) << "the clear result";
    EXPECT_GE(scene_->GetHud()->GetFade(), 1.0f);
}

TEST_F(GeneratorTest, PlantZombieBobsAroundItsRestHeight) {
    PlantZombie* zombie = nullptr;
    for (Object* o : stage_->GetObjects())
        if ((zombie = dynamic_cast<PlantZombie*>(o))) break;
    ASSERT_NE(zombie, nullptr);
    EXPECT_EQ(zombie->GetFloor(), 1);
    EXPECT_FLOAT_EQ(zombie->GetRestPosition().y, -42.0f);
    // It bobs half a unit either way on a sine whose angle grows by 0.01 a
    // frame from a random start between 0 and 1: the first height gives
    // the start (the angle is still below a quarter turn), and every later
    // height follows from it.
    zombie->Update();
    const float start = std::asin((zombie->GetPosition().y + 42.0f) / 0.5f);
    ASSERT_GE(start, 0.01f - 1e-3f);
    ASSERT_LE(start, 1.01f + 1e-3f);
    float low = 1e9f, high = -1e9f;
    for (int f = 1; f < 700; ++f) {
        zombie->Update();
        low = std::min(low, zombie->GetPosition().y);
        high = std::max(high, zombie->GetPosition().y);
        EXPECT_NEAR(zombie->GetPosition().y, -42.0f + 0.5f * std::sin(start + 0.01f * f), 2e-3f) << "frame " << f;
    }
    EXPECT_NEAR(high, -41.5f, 0.01f);
    EXPECT_NEAR(low, -42.5f, 0.01f);
}

// With a sound engine: the hum of a hole stops when its light dies.
class GeneratorSoundTest : public GeneratorTest {
protected:
    void SetUp() override {
        withAudio_ = true;
        GeneratorTest::SetUp();
    }
};

TEST_F(GeneratorSoundTest, LightDyingWhileItsHoleIsOpenStopsTheHum) {
    PortalHole* hole = portal_->GetHoles()[5];
    ASSERT_NE(hole->GetGeneratorSound(), nullptr);
    hole->Wake();
    for (int f = 0; f < 60; ++f) hole->Update();
    ASSERT_TRUE(hole->IsOpening());
    EXPECT_TRUE(hole->GetGeneratorSound()->IsPlaying());
    ShootOut(5);
    hole->Update();
    EXPECT_FALSE(hole->GetGeneratorSound()->IsPlaying());
    for (int f = 0; f < 300; ++f) hole->Update();
    EXPECT_FALSE(hole->GetGeneratorSound()->IsPlaying());
}

TEST_F(GeneratorSoundTest, ExplosionPlaysOnceAndStopsWhenFaded) {
    for (int i = 0; i < 8; ++i) ShootOut(i);
    ASSERT_NE(portal_->GetExplosionSound(), nullptr);
    EXPECT_TRUE(portal_->GetExplosionSound()->IsPlaying());
    for (int f = 0; f < 390; ++f) portal_->Update();
    EXPECT_TRUE(portal_->GetExplosionSound()->IsPlaying()) << "fading";
    for (int f = 390; f < 410; ++f) portal_->Update();
    EXPECT_FALSE(portal_->GetExplosionSound()->IsPlaying());
    // A bullet still in flight when the core died lands afterwards: the
    // explosion does not start again.
    portal_->Damage(1, portal_->GetPosition() + Vector3(0, 9, 0));
    EXPECT_FALSE(portal_->GetExplosionSound()->IsPlaying());
}

TEST_F(GeneratorSoundTest, TheExplosionStartsAtTwiceTheRecordedVolumeAndIsLetThrough) {
    for (int i = 0; i < 8; ++i) ShootOut(i);
    const auto& sound = portal_->GetExplosionSound();
    ASSERT_NE(sound, nullptr);
    ASSERT_TRUE(sound->HasVoice());
    ASSERT_TRUE(sound->IsPlaying());
    // What OpenAL holds for the voice: its gain, and the ceiling the mixer
    // clamps that gain to.
    auto gain = [&](ALenum which) {
        ALfloat value = -1.0f;
        alGetSourcef(sound->GetSource(), which, &value);
        return value;
    };
    EXPECT_FLOAT_EQ(gain(AL_GAIN), 2.0f) << "from the first frame of the explosion";
    EXPECT_GE(gain(AL_MAX_GAIN), 2.0f);
    portal_->Update();
    EXPECT_FLOAT_EQ(gain(AL_GAIN), 1.995f) << "then fading";
}

// Zombie sounds on a loopback audio device: the groan while hunting, its
// fade during the ending, and the footsteps at the walk's turning points.
#include "EnemyFixture.h"
#include "Game/AssetPaths.h"
#include "Game/Enemy/Track.h"
#include "Game/Enemy/WalkAround.h"
#include "tests/Framework/Audio/LoopbackAudio.h"

class EnemySoundTest : public EnemyFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(testaudio::StartLoopback());
        EnemyFixture::SetUp();
    }
    void TearDown() override {
        EnemyFixture::TearDown();
        testaudio::StopLoopback();
    }
    // A zombie at p, with its groan and footstep sounds loaded.
    Enemy_Normal* AddWithSounds(const Vector3& p) {
        EXPECT_TRUE(testaudio::GameSoundLoads(asset::sound::kZombieGroan));
        EXPECT_TRUE(testaudio::GameSoundLoads(asset::sound::kZombieStep));
        Enemy_Normal* z = Add(p);
        const bool voiced = z->GetGrowl() && z->GetGrowl()->HasVoice() && z->GetFootstep();
        EXPECT_TRUE(voiced) << "the zombie made no sound instances";
        return voiced ? z : nullptr;
    }
};

TEST_F(EnemySoundTest, TheGroanPlaysWhileHuntingOnly) {
    Enemy_Normal* z = AddWithSounds(Vector3(0, 4, 0));
    ASSERT_NE(z, nullptr);
    EXPECT_FALSE(z->GetGrowl()->IsPlaying());
    Enter<Track>(*z);
    EXPECT_TRUE(z->GetGrowl()->IsPlaying());
    EXPECT_FLOAT_EQ(z->GetGrowl()->GetVolume(), 1.0f);
    EXPECT_FLOAT_EQ(z->GetGrowl()->GetEmitter().curveDistanceScaler, 1.0f);
    Enter<WalkAround>(*z);
    EXPECT_FALSE(z->GetGrowl()->IsPlaying());
}

TEST_F(EnemySoundTest, DuringTheEndingAPlayingGroanFadesOutInOneHundredFrames) {
    PlacePlayer(Vector3(0, 4, 60));  // near enough to update, out of sight and reach
    Enemy_Normal* z = AddWithSounds(Vector3(0, 4, 0));
    ASSERT_NE(z, nullptr);
    Enter<Track>(*z);
    ASSERT_TRUE(z->GetGrowl()->IsPlaying());
    scene_->GetPlayer()->Damage(10, Vector3());  // the game ends
    scene_->Update();
    ASSERT_EQ(scene_->GetState(), GameState::Ending);
    const float start = z->GetGrowlVolume();
    int frames = 0;
    while (z->GetGrowl()->IsPlaying() && frames < 200) {
        enemies().Update();
        ++frames;
        if (frames == 50) EXPECT_NEAR(z->GetGrowl()->GetVolume(), start - 0.49f, 1e-4f) << "fading";
    }
    EXPECT_GE(frames, 100 - static_cast<int>((1.0f - start) * 100.0f + 0.5f));
    EXPECT_LE(frames, 101);
    EXPECT_LE(z->GetGrowlVolume(), 0.0f + 1e-5f);
}

TEST_F(EnemySoundTest, FootstepsSoundAtTheTurningPointsOfTheWalk) {
    PlacePlayer(Vector3(0, 4, -80));
    Enemy_Normal* z = AddWithSounds(Vector3(0, 4, 0));
    ASSERT_NE(z, nullptr);
    // A wander that lasts longer than one swing of the walk.
    Math::Random& random = scene_->GetWorld().GetRandom();
    uint64_t seed = 1;
    for (random.Seed(seed); random.Next() % 5 == 0; random.Seed(++seed)) {}
    random.Seed(seed);
    ASSERT_GE(Enter<WalkAround>(*z)->GetTimer(), 120);
    for (int i = 0; i < 66; ++i) {
        Tick(*z);
        ASSERT_FALSE(z->GetFootstep()->IsPlaying()) << "frame " << i + 1;
    }
    Tick(*z);  // t touches 1
    EXPECT_TRUE(z->GetFootstep()->IsPlaying());
    EXPECT_FLOAT_EQ(z->GetFootstep()->GetEmitter().curveDistanceScaler, 0.1f);
}

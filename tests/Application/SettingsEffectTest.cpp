// The player's settings reach the game: a change in the settings store goes
// through the application to the real player's mouse look and to the mix
// OpenAL renders (loopback device).
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "Application/App.h"
#include "Framework/Audio/Audio.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Framework/Settings/Settings.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Player.h"
#include "Scene/GameScene.h"
#include "tests/Framework/Audio/LoopbackAudio.h"
#include "tests/Framework/Audio/WavWriter.h"

namespace {

constexpr int kRate = 44100;
// OpenAL ramps a new gain in over the first samples; measure after them.
constexpr int kSettle = 2048;

double RenderRms(int frames) {
    std::vector<short> samples(static_cast<size_t>(frames) * 2);
    EXPECT_TRUE(AudioManager::GetInstance().RenderSamples(samples.data(), frames));
    double sum = 0;
    for (size_t i = kSettle * 2; i < samples.size(); ++i) sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(samples.size() - kSettle * 2));
}

class SettingsEffectTest : public ::testing::Test {
protected:
    void SetUp() override {
        Platform::Input::GetInstance().Reset();
        SettingsStore::GetInstance().Reset();
        App::GetInstance().ConnectSettings();
    }
    void TearDown() override {
        SettingsStore::GetInstance().Reset();
        Platform::Input::GetInstance().Reset();
    }
    void Change(void (*edit)(Settings&)) {
        Settings s = SettingsStore::GetInstance().Current();
        edit(s);
        SettingsStore::GetInstance().Change(s);
    }
};

}  // namespace

TEST_F(SettingsEffectTest, SensitivityAndInvertYTurnThePlayersView) {
    GameScene scene;
    scene.GetEnemyList()->Clear();
    Player& player = *scene.GetPlayer();
    Platform::Input& input = Platform::Input::GetInstance();
    const auto move = [&](int dx, int dy) {
        Platform::InputFrame frame;
        frame.relativeCursor = true;
        frame.cursor = Platform::Point{dx, dy};
        input.SetFrame(frame);
        const float yaw = player.GetYaw(), pitch = player.GetPitch();
        player.Update();
        return std::make_pair(player.GetYaw() - yaw, player.GetPitch() - pitch);
    };

    // The defaults are the game's own tenth of a degree per pixel.
    auto turn = move(70, 30);
    EXPECT_FLOAT_EQ(turn.first, 7.0f);
    EXPECT_FLOAT_EQ(turn.second, 3.0f);

    Change([](Settings& s) { s.mouseSensitivity = 2.5f; });
    turn = move(70, 30);
    EXPECT_FLOAT_EQ(turn.first, 17.5f);
    EXPECT_FLOAT_EQ(turn.second, 7.5f);

    // Inverted, moving the mouse down looks up; the pitch limit still holds.
    Change([](Settings& s) { s.invertY = true; });
    turn = move(-70, 30);
    EXPECT_FLOAT_EQ(turn.first, -17.5f);
    EXPECT_FLOAT_EQ(turn.second, -7.5f);
    move(0, 1000);
    EXPECT_FLOAT_EQ(player.GetPitch(), -80.0f);

    // A run-only override (the command line) acts the same way.
    SettingsOverrides overrides;
    overrides.mouseSensitivity = 0.5f;
    SettingsStore::GetInstance().SetOverrides(overrides);
    turn = move(70, 0);
    EXPECT_FLOAT_EQ(turn.first, 3.5f);
}

TEST_F(SettingsEffectTest, VolumesAndMuteReachTheMix) {
    AudioManager& audio = AudioManager::GetInstance();
    audio.Release();
    // Set before the engine starts: the new engine must take it over.
    Change([](Settings& s) { s.masterVolume = 0.5f; });
    ASSERT_TRUE(audio.InitLoopback(kRate));
    ResourceCache::GetInstance().Clear();

    auto effect = std::make_shared<VeSoundEffect>();
    const std::string wav = wavtest::WavBytes(wavtest::Tone(440, 2.0f, kRate, 0.25f), 1, kRate, wavtest::Encoding::Pcm16);
    ASSERT_TRUE(effect->LoadFromMemory(wav.data(), wav.size(), "tone.wav"));
    auto tone = effect->CreateInstance(false);
    tone->Play(true, false);
    const double half = RenderRms(8192);
    ASSERT_GT(half, 500.0);

    // Changes reach a voice that is already playing.
    Change([](Settings& s) { s.masterVolume = 1.0f; });
    const double full = RenderRms(8192);
    EXPECT_NEAR(half / full, 0.5, 0.02);
    Change([](Settings& s) { s.effectsVolume = 0.25f; });
    EXPECT_NEAR(RenderRms(8192) / full, 0.25, 0.02);
    Change([](Settings& s) { s.masterVolume = 0.5f; });
    EXPECT_NEAR(RenderRms(8192) / full, 0.125, 0.02);
    Change([](Settings& s) { s.mute = true; });
    EXPECT_LT(RenderRms(8192), 4.0);
    Change([](Settings& s) { s.mute = false; });
    EXPECT_NEAR(RenderRms(8192) / full, 0.125, 0.02);
    // The voice's own volume is kept underneath.
    EXPECT_FLOAT_EQ(tone->GetVolume(), 1.0f);
    tone->Stop();

    // A sound of the game itself, the player's heart-beat loop.
    Change([](Settings& s) { s = Settings(); });
    GameScene scene;
    scene.GetEnemyList()->Clear();
    Player& player = *scene.GetPlayer();
    ASSERT_TRUE(testaudio::GameSoundLoads("Data/Sound/heart.wav"));
    const auto& heart = player.GetHeartSound();
    ASSERT_TRUE(heart && heart->HasVoice());
    player.Damage(8, Vector3());
    Platform::Input::GetInstance().SetFrame(Platform::InputFrame{});
    player.Update();
    ASSERT_TRUE(heart->IsPlaying());
    const auto heartRms = [&] {
        heart->Play(true, false);  // from the start, so every take hears the same samples
        return RenderRms(16384);
    };
    const double heartFull = heartRms();
    ASSERT_GT(heartFull, 50.0);
    Change([](Settings& s) { s.effectsVolume = 0.5f; });
    EXPECT_NEAR(heartRms() / heartFull, 0.5, 0.03);
    Change([](Settings& s) { s.mute = true; });
    EXPECT_LT(heartRms(), 4.0);

    heart->Stop();
    audio.Release();
    ResourceCache::GetInstance().Clear();
}

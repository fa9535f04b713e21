// Audio services against real OpenAL Soft: the loopback device renders the
// actual mix into memory, so every check below listens to the output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "Framework/Audio/Audio.h"
#include "tests/Framework/Audio/WavWriter.h"

using namespace wavtest;
namespace fs = std::filesystem;

namespace {

constexpr int kRate = 44100;

struct Mix {
    std::vector<short> samples;  // interleaved stereo
    size_t Frames() const { return samples.size() / 2; }
    // RMS of one channel (0 left, 1 right) over [from, to) frames.
    double Rms(int channel, size_t from = 0, size_t to = SIZE_MAX) const {
        to = std::min(to, Frames());
        if (from >= to) return 0.0;
        double sum = 0;
        for (size_t i = from; i < to; ++i) {
            double v = samples[i * 2 + channel];
            sum += v * v;
        }
        return std::sqrt(sum / static_cast<double>(to - from));
    }
    double Both(size_t from = 0, size_t to = SIZE_MAX) const {
        return std::sqrt((Rms(0, from, to) * Rms(0, from, to) + Rms(1, from, to) * Rms(1, from, to)) / 2);
    }
    int ZeroCrossings(int channel) const {
        int n = 0;
        for (size_t i = 1; i < Frames(); ++i)
            if ((samples[(i - 1) * 2 + channel] < 0) != (samples[i * 2 + channel] < 0)) ++n;
        return n;
    }
};

Mix Render(double seconds) {
    Mix m;
    int frames = static_cast<int>(seconds * kRate);
    m.samples.assign(static_cast<size_t>(frames) * 2, 0);
    EXPECT_TRUE(AudioManager::GetInstance().RenderSamples(m.samples.data(), frames));
    return m;
}

class AudioTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(AudioManager::GetInstance().InitLoopback(kRate));
        dir_ = fs::temp_directory_path() / ("morvane_audio_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override {
        AudioManager::GetInstance().Release();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    // A loaded sound made from the samples; fails the test if it does not load.
    std::shared_ptr<VeSoundEffect> Sound(const std::string& name, const std::vector<float>& samples,
                                         int channels = 1, int rate = kRate, Encoding enc = Encoding::Pcm16) {
        WriteWav(Path(name), samples, channels, rate, enc);
        auto effect = std::make_shared<VeSoundEffect>();
        EXPECT_TRUE(effect->Load(Path(name))) << name;
        return effect;
    }
    std::shared_ptr<VeSoundEffect> ToneSound(float seconds = 1.0f, float amplitude = 0.25f) {
        return Sound("tone.wav", Tone(440, seconds, kRate, amplitude));
    }

    fs::path dir_;
};

// Skips the first frames of a render, where OpenAL ramps gains in.
constexpr size_t kSettle = 2048;
// 16-bit output is dithered, so silence measures about half a step RMS;
// the test tones measure thousands.
constexpr double kSilence = 4.0;

}  // namespace

TEST_F(AudioTest, EveryEncodingPlaysTheSameToneAtTheRightPitch) {
    struct Case { const char* name; Encoding enc; int channels; int rate; int loadedChannels; };
    const Case cases[] = {
        {"pcm16_mono_44100.wav", Encoding::Pcm16, 1, 44100, 1},
        {"pcm8_mono_22050.wav", Encoding::Pcm8, 1, 22050, 1},
        {"float_mono_48000.wav", Encoding::Float32, 1, 48000, 1},
        {"pcm16_stereo_11025.wav", Encoding::Pcm16, 2, 11025, 2},
        {"ima_mono_32000.wav", Encoding::ImaAdpcm, 1, 32000, 1},
        {"pcm16_quad_44100.wav", Encoding::Pcm16, 4, 44100, 2},  // mixed down to stereo
    };
    double reference = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto effect = Sound(c.name, Tone(500, 1.0f, c.rate, 0.25f, c.channels), c.channels, c.rate, c.enc);
        ASSERT_TRUE(effect->IsLoaded());
        EXPECT_EQ(effect->GetChannels(), c.loadedChannels);
        EXPECT_EQ(effect->GetSampleRate(), c.rate);
        EXPECT_NEAR(effect->GetDurationSeconds(), 1.0f, 0.02f);
        auto inst = effect->CreateInstance(false);
        ASSERT_TRUE(inst && inst->HasVoice());
        inst->Play(false, false);
        Mix m = Render(0.5);
        inst->Stop();
        // 500 Hz over half a second crosses zero about 500 times.
        EXPECT_NEAR(m.ZeroCrossings(0), 500, 10);
        double level = m.Both(kSettle);
        EXPECT_GT(level, 1000.0);
        if (reference == 0) reference = level;
        // Mono and stereo files differ in panning; within each the level
        // must match whatever the sample format.
        if (c.channels == 1) {
            EXPECT_NEAR(level / reference, 1.0, 0.05);
        }
        EXPECT_NEAR(m.Rms(0, kSettle), m.Rms(1, kSettle), m.Rms(0, kSettle) * 0.05);
    }
}

TEST_F(AudioTest, PlayStopRestartAndLoop) {
    // 0.2 s of tone, then 0.8 s of silence: the start differs from the middle.
    std::vector<float> samples = Tone(440, 0.2f, kRate, 0.25f);
    samples.resize(kRate, 0.0f);
    auto effect = Sound("burst.wav", samples);
    auto inst = effect->CreateInstance(false);
    ASSERT_TRUE(inst);
    EXPECT_FALSE(inst->IsPlaying());

    inst->Play(false, false);
    EXPECT_TRUE(inst->IsPlaying());
    EXPECT_GT(Render(0.1).Both(), 1000.0);
    Render(0.15);
    EXPECT_LT(Render(0.3).Both(), kSilence);  // now in the silent middle

    // Playing again while playing starts over: the tone is heard again.
    inst->Play(false, false);
    EXPECT_GT(Render(0.1).Both(), 1000.0);

    // Stop silences at once and the voice reports stopped.
    inst->Stop();
    EXPECT_FALSE(inst->IsPlaying());
    Mix after = Render(0.1);
    EXPECT_LT(after.Both(64), kSilence);

    // A one-shot sound ends by itself; a looped one goes on past twice its length.
    inst->Play(false, false);
    Render(1.1);
    EXPECT_FALSE(inst->IsPlaying());
    EXPECT_LT(Render(0.1).Both(), kSilence);
    auto shortTone = Sound("short.wav", Tone(440, 0.2f, kRate, 0.25f))->CreateInstance(false);
    shortTone->Play(true, false);
    Render(0.45);
    EXPECT_TRUE(shortTone->IsPlaying());
    EXPECT_GT(Render(0.1).Both(), 1000.0);
}

TEST_F(AudioTest, VolumeKeptByPlayAndResetByPlay3D) {
    auto effect = ToneSound();
    auto plain = effect->CreateInstance(false);
    plain->Play(true, false);
    const double full = Render(0.3).Both(kSettle);
    plain->SetVolume(0.25f);
    plain->Play(true, false);
    EXPECT_FLOAT_EQ(plain->GetVolume(), 0.25f);
    EXPECT_NEAR(Render(0.3).Both(kSettle) / full, 0.25, 0.02);
    plain->Stop();

    auto spatial = effect->CreateInstance(true);
    const Vector3 ahead(0, 0, 0.5f);
    spatial->SetVolume(0.25f);
    spatial->SetPosition(ahead);
    spatial->Play(true, false);
    const double quiet = Render(0.3).Both(kSettle);
    spatial->Play3D(ahead, true, false);
    EXPECT_FLOAT_EQ(spatial->GetVolume(), 1.0f);
    EXPECT_NEAR(Render(0.3).Both(kSettle) / quiet, 4.0, 0.2);
}

TEST_F(AudioTest, VolumesAboveOneAreHeardLouder) {
    // A quiet tone, so that twice its level still fits the 16-bit output.
    auto effect = ToneSound(1.0f, 0.1f);
    auto plain = effect->CreateInstance(false);
    auto spatial = effect->CreateInstance(true);
    const Vector3 ahead(0, 0, 0.5f);
    for (const auto& voice : {plain, spatial}) {
        voice->SetVolume(1.0f);
        voice->Play(true, false);
        if (voice->Is3D()) voice->SetPosition(ahead);
        const double full = Render(0.3).Both(kSettle);
        voice->SetVolume(2.0f);
        EXPECT_NEAR(Render(0.3).Both(kSettle) / full, 2.0, 0.1) << (voice->Is3D() ? "3D" : "plain");
        voice->Stop();
    }
}

TEST_F(AudioTest, KeepAliveHoldsOneShotsUntilTheyEnd) {
    auto& audio = AudioManager::GetInstance();
    auto effect = Sound("shot.wav", Tone(440, 0.3f, kRate, 0.25f));
    std::weak_ptr<VeSoundInstance> watch;
    {
        auto inst = effect->CreateInstance(false);
        watch = inst;
        inst->Play(false, true);
        inst->Play(false, true);  // stored once
    }
    EXPECT_EQ(audio.KeepAliveCount(), 1u);
    ASSERT_FALSE(watch.expired());
    Mix first = Render(0.2);
    audio.Update();
    EXPECT_EQ(audio.KeepAliveCount(), 1u);
    EXPECT_GT(first.Both(kSettle), 1000.0);
    Mix rest = Render(0.2);
    EXPECT_GT(rest.Both(0, 0.05 * kRate), 1000.0);  // played on to its end
    audio.Update();
    EXPECT_EQ(audio.KeepAliveCount(), 0u);
    EXPECT_TRUE(watch.expired());

    // Put in the set without being started: gone at the next Update.
    auto idle = effect->CreateInstance(false);
    audio.KeepAlive(idle);
    EXPECT_EQ(audio.KeepAliveCount(), 1u);
    audio.Update();
    EXPECT_EQ(audio.KeepAliveCount(), 0u);
    EXPECT_EQ(idle.use_count(), 1);
}

TEST_F(AudioTest, SpatialSoundsFollowTheListenerInLeftHandedSpace) {
    auto& listener = AudioManager::GetInstance().listener;
    EXPECT_EQ(listener.front, Vector3(0, 0, 1));
    EXPECT_EQ(listener.top, Vector3(0, 1, 0));
    auto effect = ToneSound();
    auto inst = effect->CreateInstance(true);
    inst->SetCurveDistanceScaler(100.0f);  // no attenuation in this test

    auto measure = [&](const Vector3& at) {
        inst->Play3D(at, true, false);
        Mix m = Render(0.3);
        inst->Stop();
        return std::make_pair(m.Rms(0, kSettle), m.Rms(1, kSettle));
    };
    // Facing +z with y up, +x is to the right.
    auto [l1, r1] = measure(Vector3(5, 0, 0));
    EXPECT_GT(r1, 2 * l1);
    auto [l2, r2] = measure(Vector3(-5, 0, 0));
    EXPECT_GT(l2, 2 * r2);
    // Facing +x, the right hand points to -z.
    listener.front = Vector3(1, 0, 0);
    auto [l3, r3] = measure(Vector3(0, 0, -5));
    EXPECT_GT(r3, 2 * l3);
    // The listener's position counts: a source just to its right.
    listener.front = Vector3(0, 0, 1);
    listener.position = Vector3(20, 0, 20);
    auto [l4, r4] = measure(Vector3(25, 0, 20));
    EXPECT_GT(r4, 2 * l4);

    // Plain voices stay at the listener wherever it is and however it faces.
    auto plain = effect->CreateInstance(false);
    plain->Play(true, false);
    Mix here = Render(0.3);
    listener.position = Vector3(500, 0, -300);
    listener.front = Vector3(-1, 0, 0);
    plain->Play(true, false);
    plain->Apply3D();
    Mix there = Render(0.3);
    EXPECT_NEAR(there.Rms(0, kSettle) / here.Rms(0, kSettle), 1.0, 0.01);
    EXPECT_NEAR(there.Rms(1, kSettle) / here.Rms(1, kSettle), 1.0, 0.01);
    EXPECT_NEAR(here.Rms(0, kSettle) / here.Rms(1, kSettle), 1.0, 0.01);
}

TEST_F(AudioTest, StereoSoundsArePlacedWhenPlayedIn3D) {
    // A stereo file is made mono for 3D voices, so it can be placed at all.
    auto effect = Sound("stereo.wav", Tone(440, 1.0f, kRate, 0.25f, 2), 2);
    ASSERT_EQ(effect->GetChannels(), 2);
    auto inst = effect->CreateInstance(true);
    ASSERT_TRUE(inst && inst->HasVoice());
    inst->SetCurveDistanceScaler(100.0f);
    inst->Play3D(Vector3(5, 0, 0), true, false);
    Mix m = Render(0.3);
    EXPECT_GT(m.Rms(1, kSettle), 2 * m.Rms(0, kSettle));
}

TEST_F(AudioTest, LoudnessFallsWithDistanceAsTheScaledInverseCurve) {
    auto effect = ToneSound();
    auto inst = effect->CreateInstance(true);
    auto level = [&](float scale, float distance) {
        inst->SetCurveDistanceScaler(scale);
        inst->Play3D(Vector3(0, 0, distance), true, false);
        double v = Render(0.3).Both(kSettle);
        inst->Stop();
        return v;
    };
    // Full volume up to the scale, then scale / distance. The voice is
    // straight ahead each time, so panning cancels out of the ratios, and
    // the gain is applied exactly; the 1 % allowance covers the dither of
    // the 16-bit output (about half a step RMS against hundreds).
    const double near = level(2.0f, 1.0f);
    EXPECT_NEAR(level(2.0f, 2.0f) / near, 1.0, 0.01);
    EXPECT_NEAR(level(2.0f, 4.0f) / near, 0.5, 0.01 * 0.5);
    EXPECT_NEAR(level(2.0f, 8.0f) / near, 0.25, 0.01 * 0.25);
    EXPECT_NEAR(level(8.0f, 8.0f) / near, 1.0, 0.01);
    EXPECT_NEAR(level(1.0f, 10.0f) / near, 0.1, 0.01 * 0.1);
}

TEST_F(AudioTest, InstancesPlayIndependentlyAndManyAtOnce) {
    auto effect = ToneSound();
    auto a = effect->CreateInstance(false);
    auto b = effect->CreateInstance(false);
    a->Play(true, false);
    const double one = Render(0.3).Both(kSettle);
    a->Play(true, false);
    b->Play(true, false);
    // Started together, the two copies add in phase.
    EXPECT_NEAR(Render(0.3).Both(kSettle) / one, 2.0, 0.1);
    a->Stop();
    EXPECT_FALSE(a->IsPlaying());
    EXPECT_TRUE(b->IsPlaying());
    EXPECT_NEAR(Render(0.3).Both(kSettle) / one, 1.0, 0.05);
    b->Stop();

    EXPECT_GE(AudioManager::GetInstance().MaxVoices(), 1024);
    auto quiet = Sound("quiet.wav", Tone(440, 1.0f, kRate, 0.001f));
    std::vector<std::shared_ptr<VeSoundInstance>> voices;
    for (int i = 0; i < 1000; ++i) {
        voices.push_back(quiet->CreateInstance(i % 2 == 0));
        ASSERT_TRUE(voices.back()->HasVoice()) << i;
    }
    for (int i = 0; i < 300; ++i) voices[i]->Play3D(Vector3(0, 0, 0.5f), true, false);
    Mix m = Render(0.2);
    int playing = 0;
    for (auto& v : voices) playing += v->IsPlaying() ? 1 : 0;
    EXPECT_EQ(playing, 300);
    // 300 in-phase copies at 0.001 sum to about 0.3 of full scale.
    EXPECT_GT(m.Both(kSettle), 0.15 * 32767 * 0.5);
}

TEST_F(AudioTest, BadFilesGiveFalseAndSilence) {
    const std::string good = WavBytes(Tone(440, 0.5f, kRate, 0.25f), 1, kRate, Encoding::Pcm16);
    WriteFile(Path("empty.wav"), "");
    WriteFile(Path("garbage.wav"), std::string(4096, '\x5a'));
    WriteFile(Path("truncated.wav"), good.substr(0, good.size() / 2));
    WriteFile(Path("header_only.wav"), good.substr(0, 44));
    std::string badFormat = good;
    badFormat[20] = 0x55;  // an encoding tag nobody decodes
    WriteFile(Path("bad_format.wav"), badFormat);
    for (const char* name : {"missing.wav", "empty.wav", "garbage.wav", "truncated.wav", "header_only.wav",
                             "bad_format.wav"}) {
        SCOPED_TRACE(name);
        auto effect = std::make_shared<VeSoundEffect>();
        EXPECT_FALSE(effect->Load(Path(name)));
        EXPECT_FALSE(effect->IsLoaded());
        EXPECT_EQ(effect->CreateInstance(false), nullptr);
        EXPECT_EQ(effect->CreateInstance(true), nullptr);
    }
    EXPECT_LT(Render(0.1).Both(), kSilence);

    // Every cut of a short file, and damaged bytes anywhere in it, give a
    // clean false or a sane sound, never a crash.
    for (Encoding enc : {Encoding::Pcm16, Encoding::ImaAdpcm}) {
        const std::string bytes = WavBytes(Tone(440, 0.03f, 8000, 0.25f), 1, 8000, enc);
        for (size_t cut = 0; cut < bytes.size(); cut += 3) {
            WriteFile(Path("cut.wav"), bytes.substr(0, cut));
            auto effect = std::make_shared<VeSoundEffect>();
            EXPECT_FALSE(effect->Load(Path("cut.wav"))) << "cut at " << cut;
        }
        for (size_t at = 0; at < std::min<size_t>(bytes.size(), 120); ++at) {
            std::string damaged = bytes;
            damaged[at] = static_cast<char>(damaged[at] ^ 0xA5);
            WriteFile(Path("damaged.wav"), damaged);
            auto effect = std::make_shared<VeSoundEffect>();
            if (effect->Load(Path("damaged.wav"))) {
                EXPECT_TRUE(effect->GetChannels() == 1 || effect->GetChannels() == 2) << at;
                EXPECT_GT(effect->GetDurationSeconds(), 0.0f) << at;
                auto inst = effect->CreateInstance(true);
                ASSERT_TRUE(inst);
                inst->Play3D(Vector3(1, 0, 1), false, false);
                Render(0.01);
            }
        }
    }
}

TEST_F(AudioTest, WithoutAnEngineEverythingIsSilent) {
    auto& audio = AudioManager::GetInstance();
    auto effect = ToneSound();
    auto old = effect->CreateInstance(true);
    old->Play(true, true);
    audio.Release();
    EXPECT_FALSE(audio.IsRunning());
    EXPECT_EQ(audio.KeepAliveCount(), 0u);

    auto fresh = std::make_shared<VeSoundEffect>();
    EXPECT_FALSE(fresh->Load(Path("tone.wav")));
    EXPECT_EQ(effect->CreateInstance(false), nullptr);
    EXPECT_FALSE(old->IsPlaying());
    old->Play3D(Vector3(1, 0, 0), true, true);
    old->SetVolume(0.5f);
    old->Stop();
    audio.KeepAlive(nullptr);
    audio.Update();
    short buf[64];
    EXPECT_FALSE(audio.RenderSamples(buf, 32));

    // Handles from the old engine never reach a new one: dropping them
    // must not stop the new engine's voices.
    ASSERT_TRUE(audio.InitLoopback(kRate));
    EXPECT_FALSE(old->IsPlaying());
    auto now = Sound("tone2.wav", Tone(440, 1.0f, kRate, 0.25f))->CreateInstance(false);
    now->Play(true, false);
    old.reset();
    EXPECT_TRUE(now->IsPlaying());
    EXPECT_GT(Render(0.2).Both(kSettle), 1000.0);
    now->Stop();

    // A sound loaded under the old engine is read again for the new one.
    auto again = effect->CreateInstance(true);
    ASSERT_TRUE(again && again->HasVoice());
    again->Play3D(Vector3(0, 0, 0.5f), true, false);
    EXPECT_GT(Render(0.2).Both(kSettle), 1000.0);
}

// Init on the default device must start whatever the machine has. Each case
// runs in a fresh process, where OpenAL reads its driver choice once.
namespace {
int RunSilentDeviceCheck(const char* drivers) {
    setenv("ALSOFT_DRIVERS", drivers, 1);
    auto& audio = AudioManager::GetInstance();
    if (!audio.Init() || !audio.IsRunning()) return 1;
    const std::string path = (fs::temp_directory_path() / ("morvane_init_" + std::to_string(getpid()) + ".wav")).string();
    WriteWav(path, Tone(440, 0.1f, kRate, 0.25f), 1, kRate);
    auto effect = std::make_shared<VeSoundEffect>();
    bool loaded = effect->Load(path);
    fs::remove(path);
    if (!loaded) return 2;
    effect->CreateInstance(true)->Play3D(Vector3(1, 0, 1), false, true);
    if (audio.KeepAliveCount() != 1) return 3;
    // The sound runs its course in real time and is then let go.
    for (int i = 0; i < 100 && audio.KeepAliveCount() > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        audio.Update();
    }
    if (audio.KeepAliveCount() != 0) return 4;
    audio.Release();
    return 0;
}
}  // namespace

TEST(AudioInitTest, StartsOnTheNullDriver) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(RunSilentDeviceCheck("null")), ::testing::ExitedWithCode(0), "");
}

TEST(AudioInitTest, StartsWithNoOutputDeviceAtAll) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::_Exit(RunSilentDeviceCheck("no-such-driver")), ::testing::ExitedWithCode(0), "");
}

// The resource cache: one entry per path string, failures cached as empty.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "Framework/Audio/Audio.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"
#include "Framework/ResourceCache.h"
#include "tests/Framework/Audio/WavWriter.h"
#include "tests/Framework/Model/GltfTestFiles.h"

TEST(ResourceCache, ModelsByExactPath) {
    gltftest::Builder b;
    b.AddNode("quad", b.AddMesh({gltftest::Quad(0)}));
    const std::string dir = gltftest::ScratchDir();
    ASSERT_TRUE(b.Write(dir + "/cached.gltf", false));

    ResourceCache& cache = ResourceCache::GetInstance();
    const size_t before = cache.ModelCount();
    testing::internal::CaptureStdout();
    VeModel* a = cache.GetModel(dir + "/cached.gltf");
    VeModel* again = cache.GetModel(dir + "/cached.gltf");
    VeModel* otherSpelling = cache.GetModel(dir + "//cached.gltf");
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, again);
    EXPECT_NE(a, otherSpelling);
    EXPECT_EQ(cache.ModelCount(), before + 2);
    EXPECT_EQ(a->nodes.size(), 1u);
    EXPECT_EQ(otherSpelling->nodes.size(), 1u);
    // The file was read twice (two spellings), not three times.
    size_t reads = 0;
    for (size_t p = out.find("Reading ASCII glTF"); p != std::string::npos; p = out.find("Reading ASCII glTF", p + 1))
        ++reads;
    EXPECT_EQ(reads, 2u);

    // A missing file: an empty model, kept and not retried.
    testing::internal::CaptureStdout();
    VeModel* missing = cache.GetModel(dir + "/missing.gltf");
    const std::string first = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    VeModel* missingAgain = cache.GetModel(dir + "/missing.gltf");
    const std::string second = testing::internal::GetCapturedStdout();
    ASSERT_NE(missing, nullptr);
    EXPECT_TRUE(missing->nodes.empty());
    EXPECT_EQ(missing, missingAgain);
    EXPECT_NE(first.find("Failed to parse glTF"), std::string::npos);
    EXPECT_TRUE(second.empty());
}

TEST(ResourceCache, TexturesSoundsAndRayCaster) {
    ResourceCache& cache = ResourceCache::GetInstance();
    const size_t textures = cache.TextureCount();
    VeTexture* t = cache.GetTexture("Data/no_such_texture.png");
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->IsValid());
    EXPECT_EQ(cache.GetTexture("Data/no_such_texture.png"), t);
    EXPECT_NE(cache.GetTexture("Data//no_such_texture.png"), t);
    EXPECT_EQ(cache.TextureCount(), textures + 2);

    // A sound that cannot load: no instance, but the entry stays.
    const size_t sounds = cache.SoundCount();
    EXPECT_FALSE(cache.CreateSoundInstance("Data/Sound/no_such_sound.wav", false));
    EXPECT_FALSE(cache.CreateSoundInstance("Data/Sound/no_such_sound.wav", true));
    EXPECT_EQ(cache.SoundCount(), sounds + 1);

    ASSERT_NE(cache.GetRayCaster(), nullptr);
    EXPECT_EQ(cache.GetRayCaster(), cache.GetRayCaster());
}


// A picture's size is read from its header before it is decoded: more than
// 4096 x 4096 pixels in all is refused with a warning that says why, as a
// texture of its own and as a model's texture; one at the limit loads.
TEST(ResourceCache, PicturesOverThePixelBudgetAreRefusedByTheirHeader) {
    const std::string dir = gltftest::ScratchDir() + "/budget";
    std::filesystem::create_directories(dir);
    gltftest::WriteFile(dir + "/at_limit.png", gltftest::BlackPng(8192, 2048));
    gltftest::WriteFile(dir + "/over.png", gltftest::BlackPng(8193, 2048));
    ASSERT_LT(std::filesystem::file_size(dir + "/over.png"), 1000000u);

    ResourceCache& cache = ResourceCache::GetInstance();
    testing::internal::CaptureStderr();
    VeTexture* over = cache.GetTexture(dir + "/over.png");
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(over->IsValid());
    EXPECT_NE(warning.find("cannot load texture " + dir + "/over.png (8193 x 2048 pixels, more than the 4096 x 4096"),
              std::string::npos)
        << warning;
    VeTexture* atLimit = cache.GetTexture(dir + "/at_limit.png");
    EXPECT_TRUE(atLimit->IsValid());
    EXPECT_EQ(atLimit->GetWidth(), 8192);

    gltftest::Builder b;
    const int huge = b.AddMaterial("huge", {}, "over.png");
    const int fine = b.AddMaterial("fine", {}, "at_limit.png");
    b.AddNode("q", b.AddMesh({gltftest::Quad(0, huge), gltftest::Quad(1, fine)}));
    ASSERT_TRUE(b.Write(dir + "/pictures.gltf", false));
    testing::internal::CaptureStdout();
    VeModel* model = cache.GetModel(dir + "/pictures.gltf");
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(model->materials.size(), 2u);
    EXPECT_FALSE(model->materials[size_t(huge)].baseColorTexture->IsValid());
    EXPECT_TRUE(model->materials[size_t(fine)].baseColorTexture->IsValid());
}

// A sound's length is read from its header before it is decoded: more than
// three minutes at the file's own rate, or a rate over 192 kHz, is refused
// with a warning that says why; three minutes load.
TEST(ResourceCache, SoundsOverThreeMinutesAreRefusedByTheirHeader) {
    AudioManager& audio = AudioManager::GetInstance();
    ASSERT_TRUE(audio.InitLoopback(44100));
    const std::string dir = gltftest::ScratchDir() + "/long_sounds";
    std::filesystem::create_directories(dir);
    const int rate = 8000;
    const std::vector<float> threeMinutes(size_t(180) * rate, 0.25f);
    std::vector<float> longer = threeMinutes;
    longer.resize(longer.size() + rate, 0.25f);
    wavtest::WriteWav(dir + "/three_minutes.wav", threeMinutes, 1, rate, wavtest::Encoding::Pcm8);
    wavtest::WriteWav(dir + "/longer.wav", longer, 1, rate, wavtest::Encoding::Pcm8);
    wavtest::WriteWav(dir + "/longer_adpcm.wav", longer, 1, rate, wavtest::Encoding::ImaAdpcm);
    wavtest::WriteWav(dir + "/fast.wav", std::vector<float>(1000, 0.25f), 1, 200000, wavtest::Encoding::Pcm16);

    ResourceCache& cache = ResourceCache::GetInstance();
    EXPECT_TRUE(cache.GetSoundEffect(dir + "/three_minutes.wav")->IsLoaded());
    struct Case {
        const char* file;
        const char* why;
    } refused[] = {{"longer.wav", "a sound of 181 s, longer than the 180 s"},
                   {"longer_adpcm.wav", "a sound of 181 s, longer than the 180 s"},
                   {"fast.wav", "a rate of 200000 Hz, over the 192000 Hz"}};
    for (const Case& c : refused) {
        testing::internal::CaptureStderr();
        const bool loaded = cache.GetSoundEffect(dir + "/" + c.file)->IsLoaded();
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(loaded) << c.file;
        EXPECT_NE(warning.find("cannot load sound " + dir + "/" + c.file + " (" + c.why), std::string::npos) << warning;
    }
    cache.Clear();
    audio.Release();
}

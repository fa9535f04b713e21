// The resource cache: one entry per path string, failures cached as empty.
#include <gtest/gtest.h>

#include "Framework/Audio/Audio.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"
#include "Framework/ResourceCache.h"
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

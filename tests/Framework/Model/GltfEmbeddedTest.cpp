// Pictures embedded in a model, as modelling tools export them (packed in a
// binary glTF's buffer views, or base64 data: URIs), become its materials'
// textures with the same readers and limits as picture files; each is known
// by its model and its place in it, never by an empty URI, so one model's
// picture never stands in for another's; a damaged one leaves its textures
// white, with a warning, and the rest of the model loads.
#include <gtest/gtest.h>

#include <string>

#include "Framework/Model/VeModel.h"
#include "Framework/ResourceCache.h"
#include "SampleModels.h"
#include "tests/Framework/Model/GltfTestFiles.h"
#include "tests/tools/datagen/DatagenTestUtil.h"

using namespace datagen;

namespace {

struct Loaded {
    VeModel* model;
    std::string warnings;
};

Loaded ThroughCache(const std::string& path) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    VeModel* model = ResourceCache::GetInstance().GetModel(path);
    const std::string warnings = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    return Loaded{model, warnings};
}

// Face and side materials of the sample cube.
constexpr size_t kFace = 0, kSide = 1;

}  // namespace

TEST(GltfEmbedded, PackedAndDataUriPicturesAreTheMaterialsTextures) {
    datagentest::ScratchDir dir("embedded");
    ASSERT_TRUE(WriteSampleModels(dir.path.string()));
    for (const char* file : {"packed_cube.glb", "data_uri_cube.gltf"}) {
        SCOPED_TRACE(file);
        const Loaded loaded = ThroughCache(dir / file);
        EXPECT_EQ(loaded.warnings, "");
        ASSERT_EQ(loaded.model->nodes.size(), 1u);
        EXPECT_EQ(loaded.model->nodes[0].mesh->GetTriangles().size(), 12u);
        ASSERT_EQ(loaded.model->materials.size(), 2u);
        EXPECT_TRUE(loaded.model->textureProblems.empty());
        for (size_t m : {kFace, kSide}) {
            const auto& texture = loaded.model->materials[m].baseColorTexture;
            ASSERT_TRUE(texture);
            EXPECT_TRUE(texture->IsValid());
            EXPECT_EQ(texture->GetWidth(), 8);
            EXPECT_TRUE(texture->IsOpaque());
        }
        EXPECT_NE(loaded.model->materials[kFace].baseColorTexture, loaded.model->materials[kSide].baseColorTexture);
    }
    // The same pictures in both files are decoded once and shared.
    EXPECT_EQ(ThroughCache(dir / "packed_cube.glb").model->materials[kFace].baseColorTexture,
              ThroughCache(dir / "data_uri_cube.gltf").model->materials[kFace].baseColorTexture);
}

TEST(GltfEmbedded, EachModelKeepsItsOwnPictures) {
    // Two binary files whose first image is packed alike (the same name, the
    // same place in the file), but shows another picture; and a third whose
    // image has an empty URI, which must find no picture at all.
    datagentest::ScratchDir dir("own_pictures");
    EmbeddedImages small = samples::CubePictures();
    small["face.png"] = EncodePng(Image(4, 4, {255, 0, 255, 255}));
    const EmbeddedImages large = samples::CubePictures();
    ASSERT_TRUE(WriteGltf(dir / "small.glb", samples::TexturedCube(), &small));
    ASSERT_TRUE(WriteGltf(dir / "large.glb", samples::TexturedCube(), &large));
    const Loaded a = ThroughCache(dir / "small.glb");
    const Loaded b = ThroughCache(dir / "large.glb");
    ASSERT_EQ(a.model->materials.size(), 2u);
    ASSERT_EQ(b.model->materials.size(), 2u);
    EXPECT_EQ(a.model->materials[kFace].baseColorTexture->GetWidth(), 4);
    EXPECT_EQ(b.model->materials[kFace].baseColorTexture->GetWidth(), 8);
    EXPECT_EQ(a.model->materials[kSide].baseColorTexture, b.model->materials[kSide].baseColorTexture);

    gltftest::Builder builder;
    const int material = builder.AddMaterial("nameless", {}, "placeholder.png");
    builder.model.images[0].uri.clear();
    builder.AddNode("q", builder.AddMesh({gltftest::Quad(0, material)}));
    ASSERT_TRUE(builder.Write(dir / "empty_uri.gltf", false));
    const Loaded empty = ThroughCache(dir / "empty_uri.gltf");
    ASSERT_EQ(empty.model->nodes.size(), 1u);
    EXPECT_FALSE(empty.model->materials[0].baseColorTexture->IsValid());
    ASSERT_EQ(empty.model->textureProblems.size(), 1u);
    EXPECT_EQ(empty.model->textureProblems[0].reason, "an empty URI");
}

TEST(GltfEmbedded, ADamagedPictureIsAWarnedWhiteTextureAndTheRestLoads) {
    datagentest::ScratchDir dir("damaged_pictures");
    const EmbeddedImages good = samples::CubePictures();
    EmbeddedImages cut = good;
    cut["face.png"].resize(cut["face.png"].size() / 2);
    EmbeddedImages huge = good;
    huge["face.png"] = gltftest::BlackPng(8193, 2048);
    ASSERT_TRUE(WriteGltf(dir / "cut.glb", samples::TexturedCube(), &cut));
    ASSERT_TRUE(WriteGltf(dir / "cut.gltf", samples::TexturedCube(), &cut));
    ASSERT_TRUE(WriteGltf(dir / "huge.glb", samples::TexturedCube(), &huge));
    struct Case {
        const char* file;
        const char* warning;
    } cases[] = {
        {"cut.glb", "cannot load texture image 0 \"face.png\" (in the file) of model "},
        {"cut.gltf", "cannot load texture image 0 \"face.png\" (a data URI) of model "},
        {"huge.glb", "8193 x 2048 pixels, more than the 4096 x 4096"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Loaded loaded = ThroughCache(dir / c.file);
        EXPECT_NE(loaded.warnings.find(c.warning), std::string::npos) << loaded.warnings;
        ASSERT_EQ(loaded.model->nodes.size(), 1u);
        EXPECT_EQ(loaded.model->nodes[0].mesh->GetTriangles().size(), 12u);
        ASSERT_EQ(loaded.model->materials.size(), 2u);
        // Headless, the white fallback is an empty texture.
        EXPECT_FALSE(loaded.model->materials[kFace].baseColorTexture->IsValid());
        EXPECT_TRUE(loaded.model->materials[kSide].baseColorTexture->IsValid());
        ASSERT_EQ(loaded.model->textureProblems.size(), 1u);
    }

    // A picture whose buffer view runs past its buffer: refused before a
    // byte of it is read.
    gltftest::Builder builder;
    const int material = builder.AddMaterial("outside", {}, "placeholder.png");
    builder.AddNode("q", builder.AddMesh({gltftest::Quad(0, material)}));
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = 16;
    view.byteLength = 1 << 20;
    builder.model.bufferViews.push_back(view);
    builder.model.images[0].uri.clear();
    builder.model.images[0].bufferView = int(builder.model.bufferViews.size()) - 1;
    builder.model.images[0].mimeType = "image/png";
    ASSERT_TRUE(builder.Write(dir / "outside.glb", true));
    const Loaded outside = ThroughCache(dir / "outside.glb");
    ASSERT_EQ(outside.model->nodes.size(), 1u);
    ASSERT_EQ(outside.model->textureProblems.size(), 1u);
    EXPECT_EQ(outside.model->textureProblems[0].reason, "its buffer view lies outside its buffer");
    EXPECT_NE(outside.warnings.find("its buffer view lies outside its buffer"), std::string::npos);
}

// A glTF file drawn on a real device: the mirrored, re-wound geometry faces
// the viewer it faced in the file (back faces are culled), and materials
// bring their textures from the model's directory or fall back to white; a
// primitive without a material draws with the default one.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Model/VeModel.h"
#include "tests/Framework/Graphics/GlFixture.h"
#include "tests/Framework/Model/GltfTestFiles.h"

class ModelRender : public GlSuite {};

TEST_F(ModelRender, GltfQuadsFaceTheViewerWithTheirMaterials) {
    const std::string dir = gltftest::ScratchDir() + "/render";
    std::filesystem::create_directories(dir);
    const unsigned char red[16] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    ASSERT_NE(stbi_write_png((dir + "/red.png").c_str(), 2, 2, 4, red, 8), 0);

    // In the file (right-handed), both quads face +z: counter-clockwise seen
    // from +z. The game's camera below looks at them from the mirrored side.
    gltftest::Builder b;
    const int textured = b.AddMaterial("textured", {1, 1, 1, 1}, "red.png");
    const int plain = b.AddMaterial("plain", {0, 0, 1, 1});
    const int missing = b.AddMaterial("missing", {0, 1, 0, 1}, "no_such.png");
    auto quad = [](float x0, float x1, float y0, float y1, int material) {
        gltftest::Prim p;
        p.positions = {x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y1, 0};
        p.uvs = {0, 1, 1, 1, 1, 0, 0, 0};
        p.indices = {0, 1, 2, 0, 2, 3};
        p.material = material;
        return p;
    };
    // A quad facing away (clockwise from +z) in the middle: culled.
    gltftest::Prim away = quad(-0.3f, 0.3f, -2.0f, -1.5f, plain);
    away.indices = {0, 2, 1, 0, 3, 2};
    // A quad that names no material: the default one (white, factor 1), so
    // its magenta vertex colours show.
    gltftest::Prim bare = quad(-2.0f, -0.5f, -2.0f, -1.5f, -1);
    bare.colors = {1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 1, 1};
    b.AddNode("quads", b.AddMesh({quad(-2.0f, -0.5f, -1, 1, plain), quad(0.5f, 2.0f, -1, 1, textured),
                                  quad(-0.3f, 0.3f, 1.5f, 2.0f, missing), away, bare}));
    ASSERT_TRUE(b.Write(dir + "/quads.gltf", false));

    VeModel model;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(model.Load(dir + "/quads.gltf"));
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(model.materials.size(), 4u);  // the file's three and the default
    EXPECT_TRUE(model.materials[size_t(textured)].baseColorTexture->IsValid());
    EXPECT_EQ(model.materials[size_t(missing)].baseColorTexture, GraphicsDevice::GetInstance().GetWhiteTexture());

    ShaderManager& shaders = ShaderManager::GetInstance();
    UseFrontCamera();
    shaders.SetObjectMatrix(Matrix());
    shaders.DrawModel(&model, 1, 1, 1, 1);
    Shot("model_quads.png");

    // Screen centre is (640, 360); one unit at distance 5 is about 125 pixels.
    EXPECT_TRUE(ColourNear(Pixel(640 - 156, 360), 0, 0, 255, 8));  // plain: factor over white
    EXPECT_TRUE(ColourNear(Pixel(640 + 156, 360), 255, 0, 0, 8));  // red texture
    EXPECT_TRUE(ColourNear(Pixel(640, 360 - 218), 0, 255, 0, 8));  // missing texture: white
    EXPECT_TRUE(ColourNear(Pixel(640, 360 + 218), 255, 255, 255, 8));  // facing away: culled
    EXPECT_TRUE(ColourNear(Pixel(640 - 156, 360 + 218), 255, 0, 255, 8));  // no material: default
    EXPECT_TRUE(ColourNear(Pixel(640, 360), 255, 255, 255, 8));  // the gap
    model.Release();
}

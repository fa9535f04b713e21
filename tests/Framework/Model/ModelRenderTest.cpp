// A glTF file drawn on a real device: the mirrored, re-wound geometry faces
// the viewer it faced in the file (back faces are culled), and materials
// bring their textures from the model's directory or fall back to white; a
// primitive without a material draws with the default one.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Model/VeModel.h"
#include "Framework/Render/Renderer.h"
#include "Framework/ResourceCache.h"
#include "SampleModels.h"
#include "tests/Framework/Graphics/GlFixture.h"
#include "tests/Framework/Model/GltfTestFiles.h"
#include "tests/tools/datagen/DatagenTestUtil.h"

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

// Models as modelling tools export them, drawn: a cube whose pictures are
// packed in its binary file and one whose pictures are data URIs show the
// pictures' colours, and one whose packed picture is damaged shows that
// face white and the rest as it should.
TEST_F(ModelRender, EmbeddedPicturesShowTheirColours) {
    datagentest::ScratchDir dir("embedded_drawn");
    ASSERT_TRUE(datagen::WriteSampleModels(dir.path.string()));
    datagen::EmbeddedImages cut = datagen::samples::CubePictures();
    cut["face.png"].resize(cut["face.png"].size() / 2);
    ASSERT_TRUE(datagen::WriteGltf(dir / "cut.glb", datagen::samples::TexturedCube(), &cut));

    ResourceCache& cache = ResourceCache::GetInstance();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const VeModel* packed = cache.GetModel(dir / "packed_cube.glb");
    const VeModel* dataUri = cache.GetModel(dir / "data_uri_cube.gltf");
    const VeModel* damaged = cache.GetModel(dir / "cut.glb");
    testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();

    GraphicsDevice::GetInstance().ClearTarget(0, 0, 0, 1);
    ShaderManager& shaders = ShaderManager::GetInstance();
    UseFrontCamera();
    // The faces across z face the camera; turned a quarter about y, a side.
    const struct {
        const VeModel* model;
        Matrix place;
        int x, y;
        datagen::Rgba colour;
    } cubes[] = {
        {packed, Matrix::CreateTranslation(-1.5f, 0.8f, 0), 640 - 208, 360 - 111, datagen::samples::kFaceColour},
        {dataUri, Matrix::CreateTranslation(1.5f, 0.8f, 0), 640 + 208, 360 - 111, datagen::samples::kFaceColour},
        {packed, Matrix::CreateRotationY(1.5707963f) * Matrix::CreateTranslation(-1.5f, -0.8f, 0), 640 - 208,
         360 + 111, datagen::samples::kSideColour},
        {damaged, Matrix::CreateTranslation(1.5f, -0.8f, 0), 640 + 208, 360 + 111, {255, 255, 255, 255}},
        {damaged, Matrix::CreateRotationY(1.5707963f), 640, 360, datagen::samples::kSideColour},
    };
    for (const auto& cube : cubes) {
        shaders.SetObjectMatrix(cube.place);
        shaders.DrawModel(cube.model, 1, 1, 1, 1);
    }
    Shot("model_embedded_pictures.png");
    for (const auto& cube : cubes)
        EXPECT_TRUE(ColourNear(Pixel(cube.x, cube.y), cube.colour.r, cube.colour.g, cube.colour.b, 8))
            << cube.x << ", " << cube.y;
    cache.Clear();
}

// Flat and thin models (no depth at all, a tenth of a unit, or squashed to
// none by their placing) are never left out by the renderer's bounds tests
// while any part of them is in view: a frame of them facing the eye, across
// each edge of the view, lying on the floor below it, edge on, near and far,
// draws the same to the pixel with culling on and off, and only the two
// placed wholly out of view are left out.
TEST_F(ModelRender, CullingNeverDropsAFlatModelInView) {
    datagentest::ScratchDir dir("flat_culled");
    ASSERT_TRUE(datagen::WriteSampleModels(dir.path.string()));
    ResourceCache& cache = ResourceCache::GetInstance();
    testing::internal::CaptureStdout();
    const VeModel* triangle = cache.GetModel(dir / "flat_triangle.gltf");
    const VeModel* quad = cache.GetModel(dir / "flat_quad.gltf");
    const VeModel* thin = cache.GetModel(dir / "thin_triangle.gltf");
    const VeModel* sparse = cache.GetModel(dir / "sparse_quad.gltf");
    testing::internal::GetCapturedStdout();
    for (const VeModel* m : {triangle, quad, thin, sparse}) ASSERT_EQ(m->nodes.size(), 1u);

    // The eye at (0, 0, -6) looking along +z: at z = 0 the view spans about
    // x -6.2 .. 6.2 and y -3.5 .. 3.5. The models face -z, the eye.
    Render::Frame frame;
    frame.camera.eye = Vector3(0, 0, -6);
    frame.camera.view = Matrix::CreateLookTo(frame.camera.eye, Vector3(0, 0, 1), Vector3(0, 1, 0));
    frame.camera.projection =
        Matrix::CreatePerspectiveFieldOfView(60.0f * Math::kDegToRad, 16.0f / 9.0f, 0.01f, 1000.0f);
    const float quarter = 1.5707963f;
    const struct {
        const VeModel* model;
        Matrix world;
    } placed[] = {
        {triangle, Matrix::CreateTranslation(-2.0f, 0.5f, 0)},
        {quad, Matrix::CreateTranslation(0.5f, 0.5f, 0)},
        {thin, Matrix::CreateTranslation(2.5f, 0.5f, 0)},
        {sparse, Matrix::CreateTranslation(-4.0f, -1.5f, 2)},
        {thin, Matrix::CreateScale(1, 1, 0) * Matrix::CreateTranslation(3.5f, -1.5f, 0)},
        // Across the right, left, top and bottom edges of the view.
        {quad, Matrix::CreateTranslation(5.7f, 0, 0)},
        {quad, Matrix::CreateTranslation(-6.6f, 0, 0)},
        {triangle, Matrix::CreateTranslation(0, 3.0f, 0)},
        {quad, Matrix::CreateTranslation(-1.0f, -3.9f, 0)},
        // On the floor below the eye, facing up; edge on; near; far.
        {quad, Matrix::CreateScale(4, 4, 1) * Matrix::CreateRotationX(quarter) * Matrix::CreateTranslation(-2.0f, -2.5f, 4)},
        {quad, Matrix::CreateRotationY(quarter) * Matrix::CreateTranslation(1.0f, 1.5f, 0)},
        {triangle, Matrix::CreateScale(0.01f) * Matrix::CreateTranslation(0, -0.005f, -5.9f)},
        {quad, Matrix::CreateScale(80) * Matrix::CreateTranslation(-300, 200, 900)},
        // Wholly out of view: behind the eye, and far to the right.
        {quad, Matrix::CreateTranslation(0, 0, -10)},
        {triangle, Matrix::CreateTranslation(20, 0, 0)},
    };
    for (const auto& p : placed) {
        Render::ModelDraw draw;
        draw.model = p.model;
        draw.world = p.world;
        draw.lit = false;
        frame.opaque.push_back(draw);
    }

    Render::Renderer& renderer = Render::Renderer::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    auto draw = [&](bool cull) {
        renderer.GetOptions().cull = cull;
        device.SetBackBufferAsTarget();
        device.ClearTarget(0.1f, 0.1f, 0.1f, 1);
        device.ClearDepthStencil(1.0f, 0);
        renderer.DrawWorld(frame);
        return GlPicture::Grab();
    };
    const GlPicture whole = draw(false);
    const GlPicture culled = draw(true);
    const int modelsCulled = renderer.GetStats().modelsCulled;
    Shot("model_flat_culled.png");
    renderer.GetOptions() = Render::Options{};
    EXPECT_EQ(GlPicture::CountDifferent(whole, culled), 0u);
    EXPECT_EQ(modelsCulled, 2);
    // Every placing in view drew: far more than the background.
    size_t shown = 0;
    for (size_t i = 0; i + 3 < culled.rgba.size(); i += 4) shown += culled.rgba[i] > 40 || culled.rgba[i + 1] > 40 || culled.rgba[i + 2] > 40;
    EXPECT_GT(shown, 50000u);
    cache.Clear();
}

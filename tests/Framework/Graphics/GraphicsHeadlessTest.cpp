// Graphics services without a device: sizes of loaded images, safe no-ops,
// sprite quad geometry, the point-light cap and the vertex-buffer classes.
#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"

namespace {

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("morvane_gfx_" + name)).string();
}

std::vector<unsigned char> Gradient(int w, int h) {
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &pixels[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<unsigned char>(x * 8);
            p[1] = static_cast<unsigned char>(y * 8);
            p[2] = 100;
            p[3] = 255;
        }
    return pixels;
}

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        if (GraphicsDevice::GetInstance().IsReady()) GTEST_SKIP() << "a device is open in this process";
    }
};

}  // namespace

TEST_F(Headless, LoadedImagesKeepTheirSizeAndPathWithoutUpload) {
    const std::string png = TempFile("7x5.png");
    const std::string jpg = TempFile("12x9.jpg");
    const std::string tga = TempFile("3x2.tga");
    auto a = Gradient(7, 5), b = Gradient(12, 9), c = Gradient(3, 2);
    ASSERT_NE(stbi_write_png(png.c_str(), 7, 5, 4, a.data(), 7 * 4), 0);
    ASSERT_NE(stbi_write_jpg(jpg.c_str(), 12, 9, 4, b.data(), 90), 0);
    ASSERT_NE(stbi_write_tga(tga.c_str(), 3, 2, 4, c.data()), 0);

    struct Case {
        std::string path;
        int w, h;
    } cases[] = {{png, 7, 5}, {jpg, 12, 9}, {tga, 3, 2}};
    for (const Case& k : cases) {
        VeTexture t;
        ASSERT_TRUE(t.LoadFromFile(k.path)) << k.path;
        EXPECT_EQ(t.GetWidth(), k.w) << k.path;
        EXPECT_EQ(t.GetHeight(), k.h) << k.path;
        EXPECT_EQ(t.GetPath(), k.path);
        EXPECT_TRUE(t.HasShaderResource());
        EXPECT_EQ(t.GetGLTexture(), 0u);
        std::remove(k.path.c_str());
    }
}

TEST_F(Headless, BadImageInputGivesAnEmptyTexture) {
    VeTexture t;
    EXPECT_FALSE(t.LoadFromFile(""));
    EXPECT_FALSE(t.IsValid());
    EXPECT_FALSE(t.LoadFromFile(TempFile("does_not_exist.png")));
    EXPECT_FALSE(t.IsValid());

    // A PNG cut short after its header, and bytes that are no image at all.
    const std::string png = TempFile("cut.png");
    auto pixels = Gradient(16, 16);
    ASSERT_NE(stbi_write_png(png.c_str(), 16, 16, 4, pixels.data(), 16 * 4), 0);
    std::vector<char> bytes;
    {
        std::ifstream in(png, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(bytes.size(), 40u);
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_FALSE(t.LoadFromMemory(data, 40, "cut"));
    EXPECT_FALSE(t.IsValid());
    const unsigned char junk[64] = {1, 2, 3, 4, 5};
    EXPECT_FALSE(t.LoadFromMemory(junk, sizeof(junk), "junk"));
    EXPECT_FALSE(t.LoadFromMemory(nullptr, 10, "null"));
    EXPECT_TRUE(t.GetPath().empty());
    std::remove(png.c_str());
}

TEST_F(Headless, EveryOperationIsASafeNoOp) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    // No window: the device cannot be made and says so.
    std::string error;
    EXPECT_FALSE(device.Init(nullptr, 1280, 720, false, error));
    EXPECT_EQ(error, "OpenGLコンテキスト作成失敗");
    EXPECT_FALSE(device.IsReady());
    EXPECT_EQ(device.GetBackBuffer(), nullptr);
    EXPECT_TRUE(shaders.Init());
    EXPECT_EQ(shaders.GetModelProgram(), 0u);

    const float vertices[4 * 5] = {};
    device.SetBackBufferAsTarget();
    device.ClearTarget(1, 0, 0, 1);
    device.ClearDepthStencil(1.0f, 0);
    device.DrawVertices(Topology::TriangleStrip, 4, vertices, 20);
    device.Present();
    unsigned char rgba[4] = {9, 9, 9, 9};
    EXPECT_FALSE(device.ReadPixels(0, 0, 1, 1, rgba));
    EXPECT_EQ(rgba[0], 9);
    EXPECT_FALSE(device.SaveScreenshot(TempFile("never.png")));

    TextureDesc desc;
    desc.width = 1280;
    desc.height = 720;
    desc.bindFlags = kBindShaderResource | kBindRenderTarget;
    VeTexture target;
    EXPECT_TRUE(target.Create(desc));
    EXPECT_EQ(target.GetWidth(), 1280);
    target.SetAsRenderTarget();
    target.Clear(0, 0, 0, 1);

    shaders.SetModelShader();
    shaders.DrawModel(nullptr, 1, 1, 1, 1);
    // Outside Begin2D the call wraps itself and leaves 2D mode again.
    shaders.DrawTexture(&target, 0, 0, 100, 100, nullptr, nullptr, Vector2(0.5f, 0.5f));
    EXPECT_FALSE(shaders.In2D());
    shaders.Begin2D(true, true);
    EXPECT_TRUE(shaders.In2D());
    shaders.DrawTexture(nullptr, 0, 0, 100, 100, nullptr, nullptr, Vector2(0, 0));
    shaders.End2D();
    EXPECT_FALSE(shaders.In2D());
    shaders.Release();
}

TEST(SpriteQuad, CornersFollowPositionSizeAndPivot) {
    // Centre pivot: the quad is centred on (x, y).
    SpriteQuad q = ShaderManager::ComputeSpriteQuad(64, 32, 100, 50, 40, 20, nullptr, Vector2(0.5f, 0.5f));
    EXPECT_FLOAT_EQ(q.x0, 80);
    EXPECT_FLOAT_EQ(q.x1, 120);
    EXPECT_FLOAT_EQ(q.y0, 40);
    EXPECT_FLOAT_EQ(q.y1, 60);
    EXPECT_FLOAT_EQ(q.uLeft, 0);
    EXPECT_FLOAT_EQ(q.uRight, 1);
    EXPECT_FLOAT_EQ(q.vTop, 0);
    EXPECT_FLOAT_EQ(q.vBottom, 1);

    // Pivot (0, 0): (x, y) is the bottom-left corner (y grows upwards);
    // pivot (1, 1): the top-right corner.
    q = ShaderManager::ComputeSpriteQuad(64, 32, -10, 5, 30, 12, nullptr, Vector2(0, 0));
    EXPECT_FLOAT_EQ(q.x0, -10);
    EXPECT_FLOAT_EQ(q.x1, 20);
    EXPECT_FLOAT_EQ(q.y0, 5);
    EXPECT_FLOAT_EQ(q.y1, 17);
    q = ShaderManager::ComputeSpriteQuad(64, 32, -10, 5, 30, 12, nullptr, Vector2(1, 1));
    EXPECT_FLOAT_EQ(q.x0, -40);
    EXPECT_FLOAT_EQ(q.x1, -10);
    EXPECT_FLOAT_EQ(q.y0, -7);
    EXPECT_FLOAT_EQ(q.y1, 5);
}

TEST(SpriteQuad, SourceRectangleSelectsTexels) {
    const SpriteRect source{16, 8, 32, 16};
    const SpriteQuad q = ShaderManager::ComputeSpriteQuad(64, 32, 0, 0, 32, 16, &source, Vector2(0.25f, 0.75f));
    EXPECT_FLOAT_EQ(q.uLeft, 0.25f);
    EXPECT_FLOAT_EQ(q.uRight, 0.75f);
    EXPECT_FLOAT_EQ(q.vTop, 0.25f);
    EXPECT_FLOAT_EQ(q.vBottom, 0.75f);
    EXPECT_FLOAT_EQ(q.x0, -8);
    EXPECT_FLOAT_EQ(q.x1, 24);
    EXPECT_FLOAT_EQ(q.y0, -12);
    EXPECT_FLOAT_EQ(q.y1, 4);
    // A texture of no size cannot scale the rectangle: the whole texture is used.
    const SpriteQuad whole = ShaderManager::ComputeSpriteQuad(0, 0, 0, 0, 32, 16, &source, Vector2(0, 0));
    EXPECT_FLOAT_EQ(whole.uRight, 1);
    EXPECT_FLOAT_EQ(whole.vBottom, 1);
}

TEST(PointLights, AtMostOneHundredPerFrame) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.BeginFrameLights();
    EXPECT_EQ(shaders.PointLightCount(), 0);
    EXPECT_TRUE(shaders.LightsPending());
    shaders.UploadLightsIfPending();
    EXPECT_FALSE(shaders.LightsPending());

    for (int i = 0; i < 105; ++i) {
        shaders.AddPointLight(Vector3(1.0f, 0.5f, 0.25f), Vector3(static_cast<float>(i), 2, 3), 10.0f + i);
    }
    EXPECT_EQ(shaders.PointLightCount(), kMaxPointLights);
    EXPECT_TRUE(shaders.LightsPending());
    const CbLight& block = shaders.LightBlock();
    // The hundredth light is the 100th added; the five after it are dropped.
    EXPECT_FLOAT_EQ(block.g_PL[99].pos.x, 99.0f);
    EXPECT_FLOAT_EQ(block.g_PL[99].radius, 109.0f);
    EXPECT_FLOAT_EQ(block.g_PL[0].color.y, 0.5f);

    shaders.BeginFrameLights();
    EXPECT_EQ(shaders.PointLightCount(), 0);
    shaders.AddPointLight(Vector3(1, 1, 1), Vector3(7, 0, 0), 4.0f);
    EXPECT_EQ(shaders.PointLightCount(), 1);
    EXPECT_FLOAT_EQ(shaders.LightBlock().g_PL[0].pos.x, 7.0f);
    shaders.BeginFrameLights();
}

TEST(DirectionalLight, DirectionIsStoredNormalised) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.SetDirectionalLight(Vector3(0, -3, 4), Vector3(0.5f, 0.5f, 0.5f));
    const CbLight& block = shaders.LightBlock();
    EXPECT_FLOAT_EQ(block.g_DL_Dir.y, -0.6f);
    EXPECT_FLOAT_EQ(block.g_DL_Dir.z, 0.8f);
    EXPECT_FLOAT_EQ(block.g_DL_Color.x, 0.5f);
    // A zero direction does not turn into NaN.
    shaders.SetDirectionalLight(Vector3(0, 0, 0), Vector3(1, 1, 1));
    EXPECT_FLOAT_EQ(shaders.LightBlock().g_DL_Dir.Length(), 0.0f);
    shaders.SetDirectionalLight(Vector3(0, -1, 0), Vector3(1, 1, 1));
}

TEST(VertexBuffers, CapacityMustBeStrictlyGreaterThanTheDraw) {
    EXPECT_EQ(GraphicsDevice::SizeClassFor(0), 0);
    EXPECT_EQ(GraphicsDevice::SizeClassFor(79), 0);
    EXPECT_EQ(GraphicsDevice::SizeClassFor(80), 1);  // exactly 80 bytes needs the 160-byte buffer
    EXPECT_EQ(GraphicsDevice::SizeClassFor(159), 1);
    EXPECT_EQ(GraphicsDevice::SizeClassFor(160), 2);
    EXPECT_EQ(GraphicsDevice::SizeClassFor(20479), 8);
    EXPECT_EQ(GraphicsDevice::SizeClassFor(40959), 9);
    EXPECT_EQ(GraphicsDevice::SizeClassFor(40960), 10);
    EXPECT_EQ(GraphicsDevice::SizeClassFor(1000000), 10);
}

// Decoded images carry their whole mip chain: each level half the one above
// (rounded down, at least one texel), each texel the rounded mean of the
// texels it covers, down to 1 x 1 for odd and one-texel-wide sizes alike.
TEST(TextureMips, DecodeMakesTheWholeChainOfBoxFilteredLevels) {
    const auto a = Gradient(7, 5);
    std::vector<unsigned char> png;
    stbi_write_png_to_func([](void* to, void* data, int size) {
        auto* out = static_cast<std::vector<unsigned char>*>(to);
        out->insert(out->end(), static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    }, &png, 7, 5, 4, a.data(), 7 * 4);
    DecodedImage image;
    ASSERT_TRUE(VeTexture::Decode(png.data(), png.size(), image));
    ASSERT_EQ(image.mips.size(), 2u) << "7 x 5, 3 x 2, 1 x 1";
    EXPECT_EQ(VeTexture::FullMipChain(7, 5), 3);
    ASSERT_EQ(image.mips[0].size(), 3u * 2 * 4);
    ASSERT_EQ(image.mips[1].size(), 4u);
    // Texel (1, 1) of the 3 x 2 level covers x 2..3, y 2..3 of the image:
    // red (16 + 24) / 2, green (16 + 24) / 2.
    const unsigned char* t = &image.mips[0][(1 * 3 + 1) * 4];
    EXPECT_EQ(t[0], 20);
    EXPECT_EQ(t[1], 20);
    EXPECT_EQ(t[2], 100);
    EXPECT_EQ(t[3], 255);

    // One texel wide: the level averages along the long side only.
    const unsigned char column[4 * 4] = {0, 0, 0, 255, 10, 0, 0, 255, 20, 0, 0, 255, 31, 0, 0, 255};
    const std::vector<unsigned char> half = VeTexture::HalveImage(column, 1, 4);
    ASSERT_EQ(half.size(), 8u);
    EXPECT_EQ(half[0], 5);
    EXPECT_EQ(half[4], 26);  // (20 + 31 + 1) / 2, rounded

    VeTexture::SetGenerateMips(false);
    DecodedImage flat;
    EXPECT_TRUE(VeTexture::Decode(png.data(), png.size(), flat));
    EXPECT_TRUE(flat.mips.empty());
    VeTexture::SetGenerateMips(true);
}

TEST(ClearInterior, LargestTransparentRectangleOfAFrame) {
    // A 40 x 30 frame, opaque but for a clear 30 x 18 middle, and a clear
    // notch joined to it that a rectangle cannot take whole.
    const int w = 40, h = 30;
    std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4, 255);
    auto clear = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) rgba[(static_cast<size_t>(y) * w + x) * 4 + 3] = 0;
    };
    clear(5, 6, 35, 24);
    clear(18, 1, 22, 6);
    const TexelRect hole = VeTexture::LargestClearRect(rgba.data(), w, h, w * 4);
    EXPECT_EQ(hole.left, 5);
    EXPECT_EQ(hole.top, 6);
    EXPECT_EQ(hole.right, 35);
    EXPECT_EQ(hole.bottom, 24);

    // Rows further apart than the width (a row pitch with padding) are
    // read at the pitch.
    std::vector<unsigned char> padded(static_cast<size_t>(w + 3) * h * 4, 0);
    for (int y = 0; y < h; ++y) std::memcpy(&padded[static_cast<size_t>(y) * (w + 3) * 4], &rgba[static_cast<size_t>(y) * w * 4], w * 4);
    const TexelRect same = VeTexture::LargestClearRect(padded.data(), w, h, (w + 3) * 4);
    EXPECT_EQ(same.Area(), hole.Area());

    // An opaque centre: no interior, even with clear texels elsewhere.
    clear(0, 0, w, 3);
    rgba[(static_cast<size_t>(15) * w + 20) * 4 + 3] = 1;
    EXPECT_TRUE(VeTexture::LargestClearRect(rgba.data(), w, h, w * 4).Empty());

    // The parts around it: the hole one texel in from its edge is left out,
    // and the parts meet it exactly, at the texture coordinates of the quad.
    const SpriteQuad q{-200.0f, -150.0f, 200.0f, 150.0f, 0.0f, 1.0f, 0.0f, 1.0f};
    SpriteQuad parts[4];
    ASSERT_EQ(ShaderManager::SpriteFrameParts(q, w, h, hole, parts), 4);
    // Below the hole: v from the hole's last row but one down to the bottom.
    EXPECT_FLOAT_EQ(parts[0].vTop, 23.0f / h);
    EXPECT_FLOAT_EQ(parts[0].y1, -150.0f + (1.0f - 23.0f / h) * 300.0f);
    // Left of it: u up to the hole's second column.
    EXPECT_FLOAT_EQ(parts[2].uRight, 6.0f / w);
    EXPECT_FLOAT_EQ(parts[2].x1, -200.0f + 6.0f / w * 400.0f);
    float area = 0.0f;
    for (const SpriteQuad& p : parts) area += (p.x1 - p.x0) * (p.y1 - p.y0);
    const float holeArea = (28.0f / w * 400.0f) * (16.0f / h * 300.0f);
    EXPECT_NEAR(area + holeArea, 400.0f * 300.0f, 1.0f);

    // A quad showing only the frame's opaque top rows, or a hole too small
    // for the quad, is drawn whole.
    const SpriteQuad top{0.0f, 0.0f, 100.0f, 10.0f, 0.0f, 1.0f, 0.0f, 0.2f};
    EXPECT_EQ(ShaderManager::SpriteFrameParts(top, w, h, hole, parts), 0);
    EXPECT_EQ(ShaderManager::SpriteFrameParts(q, w, h, TexelRect{10, 10, 14, 14}, parts), 0);
}

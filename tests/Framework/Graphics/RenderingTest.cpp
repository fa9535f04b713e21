// Rendering on a real OpenGL context (Mesa llvmpipe under Xvfb): uniform
// block layout of the linked programs, the vertex-buffer size classes,
// sprites, render-to-texture, face winding and the model lighting formula.
#include <gtest/gtest.h>

#include <epoxy/gl.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Graphics/VeTexture.h"
#include "Framework/Model/VeModel.h"
#include "Framework/Render/Renderer.h"
#include "Game/Effect/Effect.h"
#include "tests/Framework/Graphics/GlFixture.h"

namespace {

class Rendering : public GlSuite {
protected:
    static std::shared_ptr<VeTexture> SolidTexture(unsigned char r, unsigned char g, unsigned char b,
                                                   unsigned char a = 255) {
        auto t = std::make_shared<VeTexture>();
        TextureDesc desc;
        desc.width = 2;
        desc.height = 2;
        desc.bindFlags = kBindShaderResource;
        const unsigned char p[16] = {r, g, b, a, r, g, b, a, r, g, b, a, r, g, b, a};
        EXPECT_TRUE(t->Create(desc, p, 8));
        return t;
    }

    // A window-sized off-screen picture, to draw into and then show as a sprite.
    static bool CreatePicture(VeTexture& picture) {
        TextureDesc desc;
        desc.width = GlTestWindow::kWidth;
        desc.height = GlTestWindow::kHeight;
        desc.bindFlags = kBindShaderResource | kBindRenderTarget;
        return picture.Create(desc);
    }
};

using Px = GlTestWindow;

// ---- uniform blocks

struct Member {
    const char* name;
    size_t offset;
};

void ExpectBlock(GLuint program, const char* block, size_t size, std::initializer_list<Member> members) {
    SCOPED_TRACE(block);
    const GLuint index = glGetUniformBlockIndex(program, block);
    ASSERT_NE(index, GL_INVALID_INDEX);
    GLint dataSize = 0;
    glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &dataSize);
    EXPECT_EQ(static_cast<size_t>(dataSize), size);
    for (const Member& m : members) {
        GLuint uniform = GL_INVALID_INDEX;
        glGetUniformIndices(program, 1, &m.name, &uniform);
        ASSERT_NE(uniform, GL_INVALID_INDEX) << m.name;
        GLint offset = -1, owner = -1;
        glGetActiveUniformsiv(program, 1, &uniform, GL_UNIFORM_OFFSET, &offset);
        glGetActiveUniformsiv(program, 1, &uniform, GL_UNIFORM_BLOCK_INDEX, &owner);
        EXPECT_EQ(owner, static_cast<GLint>(index)) << m.name;
        EXPECT_EQ(static_cast<size_t>(offset), m.offset) << m.name;
    }
}

GLint BindingOf(GLuint program, const char* block) {
    GLint binding = -1;
    glGetActiveUniformBlockiv(program, glGetUniformBlockIndex(program, block), GL_UNIFORM_BLOCK_BINDING, &binding);
    return binding;
}

}  // namespace

TEST_F(Rendering, UniformBlocksMatchTheCppStructsMemberByMember) {
    const ShaderManager& s = ShaderManager::GetInstance();
    const GLuint model = s.GetModelProgram(), effect = s.GetEffectProgram(), sprite = s.GetSpriteProgram();
    ASSERT_NE(model, 0u);
    ASSERT_NE(effect, 0u);
    ASSERT_NE(sprite, 0u);

    ExpectBlock(model, "cbObject", sizeof(CbObject),
                {{"g_mW", offsetof(CbObject, g_mW)},
                 {"g_UVOffset", offsetof(CbObject, g_UVOffset)},
                 {"g_UVTiling", offsetof(CbObject, g_UVTiling)},
                 {"g_LightEnable", offsetof(CbObject, g_LightEnable)},
                 {"g_AlphaTestThreshold", offsetof(CbObject, g_AlphaTestThreshold)}});
    ExpectBlock(model, "cbMaterial", sizeof(CbMaterial),
                {{"g_Material.BaseColor", offsetof(CbMaterial, BaseColor)},
                 {"g_Material.Emissive", offsetof(CbMaterial, Emissive)},
                 {"g_Material.Metallic", offsetof(CbMaterial, Metallic)},
                 {"g_Material.Roughness", offsetof(CbMaterial, Roughness)}});
    const std::initializer_list<Member> camera = {
        {"g_mV", offsetof(CbCamera, g_mV)},
        {"g_mP", offsetof(CbCamera, g_mP)},
        {"g_CamPos", offsetof(CbCamera, g_CamPos)},
        {"g_DistanceFogEnable", offsetof(CbCamera, g_DistanceFogEnable)},
        {"g_DistanceFogColor", offsetof(CbCamera, g_DistanceFogColor)},
        {"g_DistanceFogDensity", offsetof(CbCamera, g_DistanceFogDensity)}};
    ExpectBlock(model, "cbCamera", sizeof(CbCamera), camera);
    ExpectBlock(effect, "cbCamera", sizeof(CbCamera), camera);
    ExpectBlock(model, "cbLight", sizeof(CbLight),
                {{"g_AmbientLight", offsetof(CbLight, g_AmbientLight)},
                 {"g_DL_Dir", offsetof(CbLight, g_DL_Dir)},
                 {"g_DL_Color", offsetof(CbLight, g_DL_Color)},
                 {"g_PL[0].color", offsetof(CbLight, g_PL) + offsetof(PointLight, color)},
                 {"g_PL[0].radius", offsetof(CbLight, g_PL) + offsetof(PointLight, radius)},
                 {"g_PL[0].pos", offsetof(CbLight, g_PL) + offsetof(PointLight, pos)},
                 {"g_PL[0].tmp4", offsetof(CbLight, g_PL) + offsetof(PointLight, tmp4)},
                 {"g_PL[99].pos", offsetof(CbLight, g_PL) + 99 * sizeof(PointLight) + offsetof(PointLight, pos)},
                 {"g_PL_Num", offsetof(CbLight, g_PL_Num)}});
    ExpectBlock(effect, "cbPerObject", sizeof(CbPerObject),
                {{"g_mW", offsetof(CbPerObject, g_mW)},
                 {"g_UVOffset", offsetof(CbPerObject, g_UVOffset)},
                 {"g_UVTiling", offsetof(CbPerObject, g_UVTiling)},
                 {"g_AlphaTestThreshold", offsetof(CbPerObject, g_AlphaTestThreshold)}});
    ExpectBlock(sprite, "cbSprite", sizeof(CbSprite),
                {{"g_mTransform", offsetof(CbSprite, g_mTransform)}, {"g_color", offsetof(CbSprite, g_color)}});
    ExpectBlock(sprite, "cbProjection", sizeof(CbProjection), {{"g_mProj", offsetof(CbProjection, g_mProj)}});

    // Matrices are laid out row by row, as the C++ matrices are.
    GLuint uniform = GL_INVALID_INDEX;
    const char* name = "g_mW";
    glGetUniformIndices(model, 1, &name, &uniform);
    GLint rowMajor = 0, stride = 0;
    glGetActiveUniformsiv(model, 1, &uniform, GL_UNIFORM_IS_ROW_MAJOR, &rowMajor);
    glGetActiveUniformsiv(model, 1, &uniform, GL_UNIFORM_MATRIX_STRIDE, &stride);
    EXPECT_EQ(rowMajor, 1);
    EXPECT_EQ(stride, 16);

    // Binding points: one per block of the three sets, camera 7 and light 8.
    EXPECT_EQ(BindingOf(model, "cbObject"), 0);
    EXPECT_EQ(BindingOf(model, "cbMaterial"), 1);
    EXPECT_EQ(BindingOf(effect, "cbPerObject"), 2);
    EXPECT_EQ(BindingOf(sprite, "cbSprite"), 3);
    EXPECT_EQ(BindingOf(sprite, "cbProjection"), 4);
    EXPECT_EQ(BindingOf(model, "cbCamera"), 7);
    EXPECT_EQ(BindingOf(effect, "cbCamera"), 7);
    EXPECT_EQ(BindingOf(model, "cbLight"), 8);
}

TEST_F(Rendering, VertexBufferClassesAndTheGrowingEleventh) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    size_t expected = 80;
    for (int i = 0; i < GraphicsDevice::kSizeClassCount; ++i, expected *= 2) {
        EXPECT_EQ(device.BufferCapacity(i), expected) << i;
    }
    EXPECT_EQ(device.BufferCapacity(10), 0u);

    // Degenerate triangles: nothing shows, but the data goes through the buffers.
    ShaderManager::GetInstance().Begin2D(false, true);
    std::vector<unsigned char> zeros(60000, 0);
    device.DrawVertices(Topology::TriangleList, 2400, zeros.data(), 20);  // 48,000 bytes
    EXPECT_EQ(device.BufferCapacity(10), 48000u);
    device.DrawVertices(Topology::TriangleList, 2100, zeros.data(), 20);  // 42,000: fits, kept
    EXPECT_EQ(device.BufferCapacity(10), 48000u);
    device.DrawVertices(Topology::TriangleList, 3000, zeros.data(), 20);  // 60,000: re-created
    EXPECT_EQ(device.BufferCapacity(10), 60000u);
    device.DrawVertices(Topology::TriangleList, 4, zeros.data(), 20);  // 80 bytes: a size class
    EXPECT_EQ(device.BufferCapacity(10), 60000u);
    EXPECT_EQ(device.BufferCapacity(1), 160u);
    ShaderManager::GetInstance().End2D();
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 255, 255, 255, 0));
}

TEST_F(Rendering, SpriteLandsOnTheRightPixelsForPositionAndPivot) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    auto red = SolidTexture(255, 0, 0);
    auto green = SolidTexture(0, 255, 0);
    // Outside Begin2D: the call wraps itself.
    shaders.DrawTexture(red.get(), 200, 100, 100, 100, nullptr, nullptr, Vector2(0.5f, 0.5f));
    EXPECT_FALSE(shaders.In2D());
    shaders.Begin2D(false, true);
    shaders.DrawTexture(green.get(), -300, -200, 100, 100, nullptr, nullptr, Vector2(0, 0));
    shaders.End2D();
    Shot("sprites.png");

    // Centre pivot at (200, 100): x 840..889, rows 210..309 from the top.
    EXPECT_TRUE(ColourNear(Px::Pixel(840, 260), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(790, 210), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(889, 309), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(789, 260), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(890, 260), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(840, 209), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(840, 310), 255, 255, 255, 0));
    // Pivot (0, 0) at (-300, -200): bottom-left corner there, so x 340..439
    // and rows 460..559 (y grows upwards).
    EXPECT_TRUE(ColourNear(Px::Pixel(340, 559), 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(439, 460), 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(339, 500), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(390, 560), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(390, 459), 255, 255, 255, 0));
    // (640, 360) is the top-right corner of the screen.
    shaders.DrawTexture(red.get(), 640, 360, 10, 10, nullptr, nullptr, Vector2(1, 1));
    EXPECT_TRUE(ColourNear(Px::Pixel(1279, 0), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(1270, 9), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(1269, 10), 255, 255, 255, 0));
}

// Texels of alpha 0: blended (the HUD's way, alpha or additive) they leave
// the picture as it was; drawn opaque (the copy of the 3D picture into the
// window) they replace it like any other, so no pixel keeps what the window
// held before.
TEST_F(Rendering, ClearTexelsChangeNothingBlendedAndReplaceThePictureDrawnOpaque) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    auto clearRed = SolidTexture(255, 0, 0, 0);
    const std::unique_ptr<BlendState> opaque = device.CreateBlendState(0);
    const std::unique_ptr<BlendState> additive = device.CreateBlendState(2);
    shaders.Begin2D(false, true);
    shaders.DrawTexture(clearRed.get(), -200, 0, 100, 100, nullptr, nullptr, Vector2(0.5f, 0.5f));
    const BlendState* before = device.GetBlendState();
    device.SetBlendState(additive.get());
    shaders.DrawTexture(clearRed.get(), 0, 0, 100, 100, nullptr, nullptr, Vector2(0.5f, 0.5f));
    device.SetBlendState(opaque.get());
    shaders.DrawTexture(clearRed.get(), 200, 0, 100, 100, nullptr, nullptr, Vector2(0.5f, 0.5f));
    device.SetBlendState(before);
    shaders.End2D();

    EXPECT_TRUE(ColourNear(Px::Pixel(440, 360), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(840, 360), 255, 0, 0, 0));
}

TEST_F(Rendering, ImageFileIsUprightAndSourceRectanglePicksTexels) {
    // 4 x 4 PNG: top-left red, top-right green, bottom-left blue, bottom-right yellow.
    std::vector<unsigned char> p(4 * 4 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            unsigned char* q = &p[(y * 4 + x) * 4];
            const bool right = x >= 2, bottom = y >= 2;
            q[0] = (!bottom && !right) || (bottom && right) ? 255 : 0;
            q[1] = right ? 255 : 0;
            q[2] = bottom && !right ? 255 : 0;
            q[3] = 255;
        }
    const std::string path = (std::filesystem::temp_directory_path() / "morvane_gfx_quadrants.png").string();
    ASSERT_NE(stbi_write_png(path.c_str(), 4, 4, 4, p.data(), 16), 0);
    VeTexture texture;
    ASSERT_TRUE(texture.LoadFromFile(path));
    ASSERT_NE(texture.GetGLTexture(), 0u);

    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.Begin2D(false, true);
    shaders.DrawTexture(&texture, 0, 0, 200, 200, nullptr, nullptr, Vector2(0.5f, 0.5f));
    const SpriteRect topRight{2, 0, 2, 2}, bottomLeft{0, 2, 2, 2};
    shaders.DrawTexture(&texture, -300, 0, 100, 100, &topRight, nullptr, Vector2(0.5f, 0.5f));
    shaders.DrawTexture(&texture, 300, 0, 100, 100, &bottomLeft, nullptr, Vector2(0.5f, 0.5f));
    shaders.End2D();
    Shot("quadrants.png");
    std::filesystem::remove(path);

    // Whole texture over x 540..739, rows 260..459.
    EXPECT_TRUE(ColourNear(Px::Pixel(560, 280), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(720, 280), 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(560, 440), 0, 0, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(720, 440), 255, 255, 0, 0));
    // Source rectangles: the whole sprite shows one quadrant.
    for (int x : {291, 340, 389})
        for (int y : {311, 360, 409}) EXPECT_TRUE(ColourNear(Px::Pixel(x, y), 0, 255, 0, 0)) << x << "," << y;
    for (int x : {891, 940, 989})
        for (int y : {311, 360, 409}) EXPECT_TRUE(ColourNear(Px::Pixel(x, y), 0, 0, 255, 0)) << x << "," << y;
}

TEST_F(Rendering, TintedHalfTransparentQuadBlendsOverBlack) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    device.ClearTarget(0, 0, 0, 1);
    const Vector4 tint(1.0f, 0.5f, 0.0f, 0.5f);
    ShaderManager::GetInstance().DrawTexture(device.GetWhiteTexture().get(), 0, 0, 64, 64, nullptr, &tint,
                                             Vector2(0.5f, 0.5f));
    Shot("tinted.png");
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 128, 64, 0, 2));
    EXPECT_TRUE(ColourNear(Px::Pixel(600, 360), 0, 0, 0, 0));
    // The colour stays for later sprites until changed.
    EXPECT_FLOAT_EQ(ShaderManager::GetInstance().SpriteBlock().g_color.w, 0.5f);
}

TEST_F(Rendering, OffScreenPictureDrawnAsSpriteIsUpright) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    VeTexture picture;
    ASSERT_TRUE(CreatePicture(picture));
    ASSERT_NE(picture.GetGLFramebuffer(), 0u);

    auto red = SolidTexture(255, 0, 0);
    auto green = SolidTexture(0, 255, 0);
    picture.SetAsRenderTarget();
    picture.Clear(0, 0, 1, 1);
    device.ClearDepthStencil(1.0f, 0);
    shaders.Begin2D(false, true);
    shaders.DrawTexture(red.get(), 0, 180, 1280, 360, nullptr, nullptr, Vector2(0.5f, 0.5f));  // top half
    shaders.DrawTexture(green.get(), -640, 360, 100, 100, nullptr, nullptr, Vector2(0, 1));   // top-left
    shaders.End2D();
    // Read back from the picture itself: top row first.
    EXPECT_TRUE(ColourNear(Px::Pixel(10, 10), 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 100), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 600), 0, 0, 255, 0));

    device.SetBackBufferAsTarget();
    device.ClearTarget(1, 1, 1, 1);
    shaders.DrawTexture(&picture, 0, 0, 1280, 720, nullptr, nullptr, Vector2(0.5f, 0.5f));
    Shot("offscreen.png");
    EXPECT_TRUE(ColourNear(Px::Pixel(10, 10), 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(99, 99), 0, 255, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(1270, 10), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 100), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 600), 0, 0, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(10, 710), 0, 0, 255, 0));
}

TEST_F(Rendering, AFrameOverlayLeavesOutItsClearMiddleAndThePictureAsItWas) {
    // The game's blood frame, a full-screen overlay with a transparent
    // middle whose edge fades in; and a small frame with a hard edge, opaque
    // right up to its hole, which shows a filtered sample reaching past it.
    VeTexture blood;
    ASSERT_TRUE(blood.LoadFromFile("Data/bloodFrame.png"));
    EXPECT_GT(blood.ClearInterior().Area() * 4, static_cast<long>(blood.GetWidth()) * blood.GetHeight());
    auto image = [](int w, int h, auto texel) {
        auto t = std::make_unique<VeTexture>();
        std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) texel(x, y, &rgba[static_cast<size_t>(y * w + x) * 4]);
        TextureDesc desc;
        desc.width = w;
        desc.height = h;
        desc.bindFlags = kBindShaderResource;
        EXPECT_TRUE(t->Create(desc, rgba.data(), w * 4));
        return t;
    };
    const auto hard = image(64, 36, [](int x, int y, unsigned char* p) {
        const bool clear = x >= 8 && x < 56 && y >= 6 && y < 30;
        p[0] = 255, p[1] = static_cast<unsigned char>(x * 4), p[2] = 40, p[3] = clear ? 0 : 255;
    });
    EXPECT_EQ(hard->ClearInterior().Area(), 48 * 24);
    // Something under it to blend with: a coloured gradient.
    const auto under = image(32, 32, [](int x, int y, unsigned char* p) {
        p[0] = static_cast<unsigned char>(x * 8), p[1] = static_cast<unsigned char>(y * 8);
        p[2] = static_cast<unsigned char>((x + y) * 4), p[3] = 255;
    });

    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    const Vector4 opaque(1.0f, 1.0f, 1.0f, 1.0f), faded(1.0f, 1.0f, 1.0f, 0.7f);
    // As the HUD draws it (texel for pixel); stretched, shifted and
    // filtered; and turned, which is drawn whole.
    enum Way { kTexelForPixel, kStretched, kTurned };
    auto draw = [&](const VeTexture& frame, Way way, bool skip) {
        ShaderManager::SetSkipClearInteriors(skip);
        device.ClearTarget(0, 0, 0, 1);
        shaders.Begin2D(true, true);
        shaders.SetTransform(Matrix());
        shaders.DrawTexture(under.get(), 0, 0, 1280, 720, nullptr, &opaque, Vector2(0.5f, 0.5f));
        shaders.End2D();
        shaders.Begin2D(way != kTexelForPixel, true);
        const Matrix shift = Matrix::CreateTranslation(13.3f, -7.6f, 0.0f);
        shaders.SetTransform(way == kTexelForPixel ? Matrix() : way == kTurned ? Matrix::CreateRotationZ(0.12f) * shift : shift);
        const SpriteRect whole{0.0f, 0.0f, static_cast<float>(frame.GetWidth()), static_cast<float>(frame.GetHeight())};
        shaders.DrawTexture(&frame, 0, 0, way == kTexelForPixel ? whole.width : 1111.0f,
                            way == kTexelForPixel ? whole.height : 577.0f, &whole, &faded, Vector2(0.5f, 0.5f));
        shaders.SetTransform(Matrix());
        shaders.End2D();
        ShaderManager::SetSkipClearInteriors(true);
        std::vector<unsigned char> rgba(static_cast<size_t>(Px::kWidth) * Px::kHeight * 4);
        EXPECT_TRUE(device.ReadPixels(0, 0, Px::kWidth, Px::kHeight, rgba.data()));
        return rgba;
    };
    for (const VeTexture* frame : {&blood, hard.get()})
        for (Way way : {kTexelForPixel, kStretched, kTurned}) {
            SCOPED_TRACE(frame->GetPath() + (way == kTexelForPixel ? " texel for pixel" : way == kStretched ? " stretched" : " turned"));
            const std::vector<unsigned char> whole = draw(*frame, way, false);
            const std::vector<unsigned char> parts = draw(*frame, way, true);
            if (way == kStretched && frame == hard.get()) Shot("frame_overlay.png");
            // Texel for pixel or turned, the same picture. Stretched, the
            // parts' texture coordinates are interpolated over other
            // triangles and a filtered sample may round the other way; a
            // pixel wrongly left out loses the frame's colour altogether.
            long differing = 0;
            int most = 0;
            for (size_t i = 0; i < whole.size(); i += 4)
                for (size_t c = 0; c < 3; ++c) {
                    const int d = std::abs(static_cast<int>(whole[i + c]) - static_cast<int>(parts[i + c]));
                    most = std::max(most, d);
                    if (d != 0) ++differing;
                }
            if (way == kStretched) {
                EXPECT_LE(most, 1);
            } else {
                EXPECT_EQ(differing, 0);
            }
        }
}

TEST_F(Rendering, OneDepthClearServesBackBufferAndRenderTargets) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    VeTexture picture;
    ASSERT_TRUE(CreatePicture(picture));
    auto red = SolidTexture(255, 0, 0);
    auto green = SolidTexture(0, 255, 0);
    auto drawAtDepth = [&](const VeTexture* t, float z) {
        shaders.Begin2D(false, false);  // depth test and writes stay on
        shaders.SetTransform(Matrix::CreateTranslation(0, 0, z));
        shaders.DrawTexture(t, 0, 0, 200, 200, nullptr, nullptr, Vector2(0.5f, 0.5f));
        shaders.SetTransform(Matrix::Identity());
        shaders.End2D();
    };
    picture.SetAsRenderTarget();
    picture.Clear(0, 0, 0, 1);
    device.ClearDepthStencil(1.0f, 0);
    drawAtDepth(red.get(), 0.3f);
    drawAtDepth(green.get(), 0.6f);  // behind: hidden
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 255, 0, 0, 0));
    // Cleared while the back buffer is bound, as the frame routine does.
    device.SetBackBufferAsTarget();
    device.ClearDepthStencil(1.0f, 0);
    picture.SetAsRenderTarget();
    drawAtDepth(green.get(), 0.6f);
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 0, 255, 0, 0));
    // ClearTarget clears the back buffer even while the picture is bound.
    device.ClearTarget(0, 0, 1, 1);
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 0, 255, 0, 0));
    device.SetBackBufferAsTarget();
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 0, 0, 255, 0));
}

namespace {

// A cube of half-size 1 in the game's convention: left-handed, front faces
// clockwise when seen from outside; each face has its own vertex colour.
std::unique_ptr<VeModel> MakeCube() {
    struct Face {
        Vector3 n;
        unsigned char colour[4];
    } faces[6] = {
        {{0, 0, -1}, {255, 0, 0, 255}},  {{0, 0, 1}, {0, 255, 0, 255}},  {{-1, 0, 0}, {0, 0, 255, 255}},
        {{1, 0, 0}, {255, 255, 0, 255}}, {{0, -1, 0}, {255, 0, 255, 255}}, {{0, 1, 0}, {0, 255, 255, 255}},
    };
    std::vector<VeVertex> vertices;
    std::vector<VeTriangle> triangles;
    for (const Face& f : faces) {
        // Seen from outside: right a, up b, looking along -n; in left-handed
        // coordinates a x b = -n, so the corners below go clockwise.
        const Vector3 b = std::fabs(f.n.y) > 0.5f ? Vector3(0, 0, 1) : Vector3(0, 1, 0);
        const Vector3 c = f.n * -1.0f;
        const Vector3 a(b.y * c.z - b.z * c.y, b.z * c.x - b.x * c.z, b.x * c.y - b.y * c.x);
        const Vector3 corners[4] = {f.n - a - b, f.n - a + b, f.n + a + b, f.n + a - b};
        const uint32_t base = static_cast<uint32_t>(vertices.size());
        for (const Vector3& p : corners) {
            VeVertex v;
            v.position = p;
            v.normal = f.n;
            std::copy(f.colour, f.colour + 4, v.color);
            vertices.push_back(v);
        }
        triangles.push_back({base, base + 1, base + 2});
        triangles.push_back({base, base + 2, base + 3});
    }
    auto model = std::make_unique<VeModel>();
    VeModelNode node;
    node.name = "cube";
    node.mesh = std::make_shared<VeMesh>();
    node.mesh->Create(vertices, triangles, {VeSubset{0, 0, 12}});
    model->nodes.push_back(node);
    model->materials.push_back(VeModelMaterial{});
    return model;
}

void DrawCube(const VeModel& cube, const Matrix& world) {
    UseFrontCamera();
    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.SetObjectMatrix(world);
    shaders.DrawModel(&cube, 1, 1, 1, 1);
}

}  // namespace

TEST_F(Rendering, ClosedModelsShowTheirOuterFacesOnScreenAndOffScreen) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    auto cube = MakeCube();
    // Straight on: the near (-z, red) face covers the centre; with the wrong
    // winding the far (+z, green) face would show from inside.
    DrawCube(*cube, Matrix::Identity());
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 255, 0, 0, 0));
    // Turned so that the -x (blue) side and the bottom (magenta) come round
    // towards the camera: exactly the three near faces show.
    device.ClearTarget(1, 1, 1, 1);
    device.ClearDepthStencil(1.0f, 0);
    const Matrix turned = Matrix::CreateRotationY(-35.0f * Math::kDegToRad) * Matrix::CreateRotationX(25.0f * Math::kDegToRad);
    DrawCube(*cube, turned);
    Shot("cube.png");
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 255, 0, 0, 0));
    const int colours[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
    int seen[6] = {};
    std::vector<unsigned char> all(static_cast<size_t>(1280) * 720 * 4);
    ASSERT_TRUE(device.ReadPixels(0, 0, 1280, 720, all.data()));
    for (size_t i = 0; i < all.size(); i += 4) {
        for (int k = 0; k < 6; ++k) {
            if (all[i] == colours[k][0] && all[i + 1] == colours[k][1] && all[i + 2] == colours[k][2]) ++seen[k];
        }
    }
    EXPECT_GT(seen[0], 20000);  // -z, near
    EXPECT_GT(seen[2], 10000);  // -x, turned towards the camera
    EXPECT_GT(seen[4], 10000);  // -y, tilted towards the camera
    EXPECT_EQ(seen[1], 0);      // +z, far
    EXPECT_EQ(seen[3], 0);      // +x, turned away
    EXPECT_EQ(seen[5], 0);      // +y, tilted away

    // The same into an off-screen picture, then shown as a sprite.
    VeTexture picture;
    ASSERT_TRUE(CreatePicture(picture));
    picture.SetAsRenderTarget();
    picture.Clear(0, 0, 0, 1);
    device.ClearDepthStencil(1.0f, 0);
    DrawCube(*cube, Matrix::Identity());
    // A marker at the top of the picture tells up from down.
    auto white = device.GetWhiteTexture();
    ShaderManager::GetInstance().DrawTexture(white.get(), 0, 360, 40, 40, nullptr, nullptr, Vector2(0.5f, 1));
    device.SetBackBufferAsTarget();
    device.ClearTarget(0.5f, 0.5f, 0.5f, 1);
    ShaderManager::GetInstance().DrawTexture(&picture, 0, 0, 1280, 720, nullptr, nullptr, Vector2(0.5f, 0.5f));
    Shot("cube_offscreen.png");
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 255, 0, 0, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 10), 255, 255, 255, 0));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 710), 0, 0, 0, 0));
}

namespace {

// A triangle at z = 0.5 in clip space (identity view and projection),
// clockwise on screen, facing the camera at z = -1, its normal (0, 0, -1);
// base colour (0.8, 0.6, 0.4) on white textures.
VeModel FacingTriangle(float metallic, float roughness) {
    std::vector<VeVertex> vertices(3);
    const Vector3 corners[3] = {{-0.8f, -0.8f, 0.5f}, {0.0f, 0.8f, 0.5f}, {0.8f, -0.8f, 0.5f}};
    for (int i = 0; i < 3; ++i) {
        vertices[i].position = corners[i];
        vertices[i].normal = Vector3(0, 0, -1);
    }
    VeModel model;
    VeModelNode node;
    node.mesh = std::make_shared<VeMesh>();
    EXPECT_TRUE(node.mesh->Create(vertices, {VeTriangle{0, 1, 2}}, {VeSubset{0, 0, 1}}));
    model.nodes.push_back(node);
    VeModelMaterial material;
    material.baseColorFactor[0] = 0.8f;
    material.baseColorFactor[1] = 0.6f;
    material.baseColorFactor[2] = 0.4f;
    material.metallicFactor = metallic;
    material.roughnessFactor = roughness;
    model.materials.push_back(material);
    return model;
}

}  // namespace

// The middle pixel (640, 360) of the lit triangle against colours worked
// out by hand from the lighting formula, each light on its own:
//   diffuse  = k * Lc * (1 - metallic) * base * max(N.L, 0) / pi
//   specular = k * Lc * (0.04 + (base - 0.04) * metallic)
//              * max(N.H, 0)^power * (power + 2) / (2 pi),
//   power = 2^(13 (1 - roughness)), H = normalise(V + L), plus base x ambient.
// The middle pixel sees the triangle at (0, 0, 0.5) to within 0.002, so the
// eye direction is V = (0, 0, -1) and N = (0, 0, -1). 1/pi = 0.31831,
// 1/(2 pi) = 0.159155; a byte is the colour x 255.
TEST_F(Rendering, LitTriangleShowsHandWorkedColours) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    shaders.SetView(Matrix::Identity());
    shaders.SetProjection(Matrix::Identity());
    shaders.CameraBlock().g_CamPos = Vector3(0, 0, -1);
    auto draw = [&](float metallic, float roughness, const char* picture) {
        device.ClearTarget(0, 0, 0, 1);
        device.ClearDepthStencil(1.0f, 0);
        const VeModel model = FacingTriangle(metallic, roughness);
        shaders.UploadLightsIfPending();
        shaders.SetModelShader();
        shaders.ObjectBlock().g_LightEnable = 1;
        shaders.SetObjectMatrix(Matrix::Identity());
        shaders.DrawModel(&model, 1, 1, 1, 1);
        Shot(picture);
        return Px::Pixel(640, 360);
    };

    // 1. A white light straight on, rough (power 1), not metallic, ambient
    // 0.1: N.L = 1, H = (0, 0, -1), N.H = 1.
    //   diffuse  (0.8, 0.6, 0.4) x 0.31831     = (0.25465, 0.19099, 0.12732)
    //   specular 0.04 x 1 x 3 x 0.159155       =  0.01910 each
    //   ambient  (0.8, 0.6, 0.4) x 0.1         = (0.08,    0.06,    0.04)
    //   sum (0.35375, 0.27009, 0.18642) x 255  = (90.2, 68.9, 47.5)
    shaders.BeginFrameLights();
    shaders.SetAmbientLight(Vector3(0.1f, 0.1f, 0.1f));
    shaders.SetDirectionalLight(Vector3(0, 0, 1), Vector3(1, 1, 1));
    EXPECT_TRUE(ColourNear(draw(0.0f, 1.0f, "lit_straight.png"), 90, 69, 48, 2));

    // 2. A white light from the side, (0.8, 0, 0.6) (L = (-0.8, 0, -0.6),
    // N.L = 0.6), half metallic, roughness 12/13 (power 2), no ambient:
    //   V + L = (-0.8, 0, -1.6), length sqrt(3.2) = 1.78885, N.H = 0.89443,
    //   N.H^2 = 0.8, (2 + 2) x 0.159155 = 0.63662
    //   diffuse  (0.4, 0.3, 0.2) x 0.6 x 0.31831    = (0.07639, 0.05730, 0.03820)
    //   specular colour 0.04 + (base - 0.04) x 0.5  = (0.42, 0.32, 0.22)
    //   specular (0.42, 0.32, 0.22) x 0.8 x 0.63662 = (0.21390, 0.16297, 0.11205)
    //   sum (0.29030, 0.22027, 0.15024) x 255       = (74.0, 56.2, 38.3)
    shaders.BeginFrameLights();
    shaders.SetAmbientLight(Vector3(0, 0, 0));
    shaders.SetDirectionalLight(Vector3(0.8f, 0.0f, 0.6f), Vector3(1, 1, 1));
    EXPECT_TRUE(ColourNear(draw(0.5f, 12.0f / 13.0f, "lit_side.png"), 74, 56, 38, 2));

    // 3. Point lights only (the directional light black): an orange one at
    // (0, 0, -0.5), 1 from the surface with a radius of 2 (k = 1 - 1/2 =
    // 0.5, L = (0, 0, -1)), and a white one at the same place with a radius
    // of 0.9 that does not reach; ambient (0, 0, 0.2); rough, not metallic
    // as in 1 (diffuse + specular per unit of light (0.27375, 0.21009,
    // 0.14642)):
    //   orange 0.5 x (1, 0.5, 0) x (0.27375, 0.21009, 0.14642) = (0.13688, 0.05252, 0)
    //   ambient (0.8, 0.6, 0.4) x (0, 0, 0.2)                  = (0, 0, 0.08)
    //   sum (0.13688, 0.05252, 0.08) x 255                     = (34.9, 13.4, 20.4)
    shaders.BeginFrameLights();
    shaders.SetAmbientLight(Vector3(0, 0, 0.2f));
    shaders.SetDirectionalLight(Vector3(0, 0, 1), Vector3(0, 0, 0));
    shaders.AddPointLight(Vector3(1.0f, 0.5f, 0.0f), Vector3(0, 0, -0.5f), 2.0f);
    shaders.AddPointLight(Vector3(1, 1, 1), Vector3(0, 0, -0.5f), 0.9f);
    EXPECT_TRUE(ColourNear(draw(0.0f, 1.0f, "lit_points.png"), 35, 13, 20, 2));

    // 4. Unlit at half alpha in fog (colour (0.2, 0.4, 0.6), density 0.5),
    // blended over black. The surface is 1.5 from the eye: f = e^-0.75 =
    // 0.47237; the unlit colour is base x alpha = (0.4, 0.3, 0.2);
    //   fog + f x (colour - fog) = (0.2 + 0.47237 x 0.2, 0.4 - 0.47237 x 0.1,
    //                               0.6 - 0.47237 x 0.4) = (0.29447, 0.35276, 0.41105)
    //   x 0.5 over black x 255   = (37.5, 45.0, 52.4)
    device.ClearTarget(0, 0, 0, 1);
    device.ClearDepthStencil(1.0f, 0);
    const VeModel model = FacingTriangle(0.0f, 1.0f);
    shaders.SetModelShader();
    shaders.SetObjectMatrix(Matrix::Identity());
    shaders.ObjectBlock().g_LightEnable = 0;
    CbCamera& camera = shaders.CameraBlock();
    camera.g_DistanceFogEnable = 1;
    camera.g_DistanceFogColor = Vector3(0.2f, 0.4f, 0.6f);
    camera.g_DistanceFogDensity = 0.5f;
    shaders.UploadCamera();
    shaders.DrawModel(&model, 1, 1, 1, 0.5f);
    camera.g_DistanceFogEnable = 0;
    shaders.UploadCamera();
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 37, 45, 52, 2));
}

TEST_F(Rendering, EffectQuadTakesItsColourFromTheVertexAndTheTexture) {
    ShaderManager& shaders = ShaderManager::GetInstance();
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    shaders.SetView(Matrix::Identity());
    shaders.SetProjection(Matrix::Identity());
    shaders.SetEffectShader();
    shaders.PerObjectBlock() = CbPerObject{};
    shaders.PerObjectBlock().g_mW = Matrix::CreateTranslation(0.5f, 0, 0);
    shaders.UploadPerObject();
    auto yellow = SolidTexture(255, 255, 0);
    device.BindTexture(0, yellow.get());
    // Coloured-quad vertices: position, uv, colour (4 floats); a strip with
    // clockwise front faces.
    const float v[4][9] = {
        {-0.2f, -0.2f, 0.5f, 0, 1, 0.5f, 1, 1, 1},
        {-0.2f, 0.2f, 0.5f, 0, 0, 0.5f, 1, 1, 1},
        {0.2f, -0.2f, 0.5f, 1, 1, 0.5f, 1, 1, 1},
        {0.2f, 0.2f, 0.5f, 1, 0, 0.5f, 1, 1, 1},
    };
    device.DrawVertices(Topology::TriangleStrip, 4, v, 36);
    device.BindTexture(0, nullptr);
    // Centred at x = 0.5 in clip space: pixel 960; yellow x (0.5, 1, 1).
    EXPECT_TRUE(ColourNear(Px::Pixel(960, 360), 128, 255, 0, 1));
    EXPECT_TRUE(ColourNear(Px::Pixel(640, 360), 255, 255, 255, 0));
}

// A picture file cut short fails to load; every way the game draws a
// picture (sprites with a source rectangle, as the HUD's crosshair and digits
// are drawn, whole-texture sprites, effect quads) then leaves the screen as
// it was instead of painting an opaque black box.
TEST_F(Rendering, APictureThatFailedToLoadDrawsNothing) {
    std::vector<unsigned char> red(16 * 16 * 4);
    for (size_t i = 0; i < red.size(); i += 4) red[i] = red[i + 3] = 255;
    const std::string path = (std::filesystem::temp_directory_path() / "morvane_gfx_cut_short.png").string();
    ASSERT_NE(stbi_write_png(path.c_str(), 16, 16, 4, red.data(), 16 * 4), 0);
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    VeTexture broken;
    EXPECT_FALSE(broken.LoadFromFile(path));
    std::filesystem::remove(path);

    ShaderManager& shaders = ShaderManager::GetInstance();
    const Vector4 opaque(1.0f, 1.0f, 1.0f, 1.0f);
    const SpriteRect source{0.0f, 0.0f, 100.0f, 100.0f};
    shaders.Begin2D(false, true);
    shaders.DrawTexture(&broken, -200, 0, 100, 100, &source, &opaque, Vector2(0.5f, 0.5f));
    shaders.DrawTexture(&broken, 0, 0, 1280, 720, nullptr, &opaque, Vector2(0.5f, 0.5f));
    shaders.End2D();

    struct Quad : Effect {};
    Quad quad;
    quad.SetQuad(&broken, 0.4f, 0.4f, 1.0f, Vector2(0, 0), Vector2(1, 1), 1, 1, 1);
    quad.SetMatrix(Matrix::CreateTranslation(0.5f, 0.0f, 0.5f));
    Render::Frame frame;
    frame.camera.view = Matrix::Identity();
    frame.camera.projection = Matrix::Identity();
    quad.Submit(frame.firstEffects);
    ASSERT_EQ(frame.firstEffects.size(), 1u);
    Render::Renderer& renderer = Render::Renderer::GetInstance();
    for (bool batch : {true, false}) {
        renderer.GetOptions().batch = batch;
        renderer.DrawWorld(frame);
        EXPECT_EQ(renderer.GetStats().effectDraws, 0) << "batched " << batch;
    }
    renderer.GetOptions().batch = true;
    Shot("failed_picture.png");

    for (int x : {440, 640, 960})
        EXPECT_TRUE(ColourNear(Px::Pixel(x, 360), 255, 255, 255, 0)) << "x " << x;
}

// ---- depth pass

namespace {

// A square panel of side 2 facing the camera (-z), texture coordinates 0..1
// across it, with one material of the given colour and texture.
std::unique_ptr<VeModel> MakePanel(const Vector4& colour, std::shared_ptr<VeTexture> texture,
                                   unsigned char vertexAlpha = 255) {
    std::vector<VeVertex> vertices(4);
    const Vector3 corners[4] = {{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}};
    const Vector2 uvs[4] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        vertices[i].position = corners[i];
        vertices[i].uv = uvs[i];
        vertices[i].normal = Vector3(0, 0, -1);
        vertices[i].color[3] = vertexAlpha;
    }
    auto model = std::make_unique<VeModel>();
    VeModelNode node;
    node.mesh = std::make_shared<VeMesh>();
    node.mesh->Create(vertices, {{0, 1, 2}, {0, 2, 3}}, {VeSubset{0, 0, 2}});
    model->nodes.push_back(node);
    VeModelMaterial material;
    material.baseColorFactor[0] = colour.x;
    material.baseColorFactor[1] = colour.y;
    material.baseColorFactor[2] = colour.z;
    material.baseColorFactor[3] = colour.w;
    material.baseColorTexture = std::move(texture);
    model->materials.push_back(material);
    return model;
}

struct PanelDraw {
    const VeModel* model;
    Vector3 at;
    float scale;
    float alpha;
    float alphaTest;
};

// Draws the panels in order into the cleared window, after a depth pass
// over the same draws when asked, and reads the picture back.
std::vector<unsigned char> DrawPanels(const std::vector<PanelDraw>& draws, bool depthPass, bool& passRan) {
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    ShaderManager& shaders = ShaderManager::GetInstance();
    device.ClearTarget(0.2f, 0.3f, 0.4f, 1.0f);
    device.ClearDepthStencil(1.0f, 0);
    UseFrontCamera();
    auto drawAll = [&]() {
        for (const PanelDraw& d : draws) {
            shaders.ObjectBlock().g_AlphaTestThreshold = d.alphaTest;
            shaders.SetObjectMatrix(Matrix::CreateScale(d.scale) * Matrix::CreateTranslation(d.at));
            shaders.DrawModel(d.model, 1, 1, 1, d.alpha);
        }
    };
    shaders.SetDepthPassEnabled(depthPass);
    passRan = shaders.BeginDepthPass();
    if (passRan) {
        drawAll();
        shaders.EndDepthPass();
    }
    drawAll();
    shaders.SetDepthPassEnabled(true);
    shaders.ObjectBlock().g_AlphaTestThreshold = 0.0f;
    std::vector<unsigned char> rgba(static_cast<size_t>(Px::kWidth) * Px::kHeight * 4);
    EXPECT_TRUE(device.ReadPixels(0, 0, Px::kWidth, Px::kHeight, rgba.data()));
    return rgba;
}

}  // namespace

TEST_F(Rendering, DepthPassLeavesThePictureAsItWas) {
    // A cut-out texture: every other texel fully transparent.
    auto cutOut = std::make_shared<VeTexture>();
    {
        TextureDesc desc;
        desc.width = 8;
        desc.height = 8;
        desc.bindFlags = kBindShaderResource;
        std::vector<unsigned char> texels(8 * 8 * 4, 255);
        for (int i = 0; i < 64; ++i)
            if ((i + i / 8) % 2 == 0) texels[static_cast<size_t>(i) * 4 + 3] = 0;
        ASSERT_TRUE(cutOut->Create(desc, texels.data(), 8 * 4));
    }
    EXPECT_FALSE(cutOut->IsOpaque());
    EXPECT_TRUE(SolidTexture(10, 20, 30)->IsOpaque());
    EXPECT_FALSE(SolidTexture(10, 20, 30, 254)->IsOpaque());

    auto wall = MakePanel(Vector4(0.9f, 0.1f, 0.1f, 1), nullptr);
    auto grille = MakePanel(Vector4(0.1f, 0.9f, 0.1f, 1), cutOut);
    auto glass = MakePanel(Vector4(0.1f, 0.1f, 0.9f, 1), nullptr);
    auto tinted = MakePanel(Vector4(0.9f, 0.9f, 0.1f, 1), nullptr, 128);
    auto first = MakePanel(Vector4(0.1f, 0.9f, 0.9f, 1), nullptr);
    auto second = MakePanel(Vector4(0.9f, 0.1f, 0.9f, 1), nullptr);
    auto hidden = MakePanel(Vector4(1, 1, 1, 1), nullptr);
    auto glowing = MakePanel(Vector4(0.1f, 0.1f, 0.3f, 1), nullptr);
    EXPECT_FALSE(tinted->nodes[0].mesh->HasOpaqueVertices());
    EXPECT_TRUE(wall->nodes[0].mesh->HasOpaqueVertices());
    // A draw alpha above 1 brightens; the colour target takes the alpha as
    // 1, so such a surface hides what is behind it like an opaque one.
    const VeMesh& panel = *wall->nodes[0].mesh;
    EXPECT_TRUE(ShaderManager::HidesWhatIsBehind(panel, wall->materials[0], 3.0f, 0.0f));
    EXPECT_TRUE(ShaderManager::HidesWhatIsBehind(panel, wall->materials[0], 1.0f, 0.0f));
    EXPECT_FALSE(ShaderManager::HidesWhatIsBehind(panel, wall->materials[0], 0.999f, 0.0f));
    EXPECT_FALSE(ShaderManager::HidesWhatIsBehind(panel, wall->materials[0], 3.0f, 1.0f));

    // Drawn in an order that makes every rule count: see-through surfaces
    // before what lies behind them, a near surface before a far one and
    // after another, two surfaces at the same depth, and an alpha test that
    // drops every pixel of a panel in front of the rest.
    const std::vector<PanelDraw> draws = {
        {glass.get(), Vector3(-1.5f, 0.5f, -1.0f), 1.0f, 0.5f, 0.0f},   // half-transparent draw colour
        {grille.get(), Vector3(1.5f, 0.0f, -0.5f), 1.2f, 1.0f, 0.0f},   // cut-out texture
        {tinted.get(), Vector3(0.0f, -1.2f, -1.5f), 0.8f, 1.0f, 0.0f},  // translucent vertex colours
        {hidden.get(), Vector3(0.0f, 1.0f, -2.0f), 0.6f, 1.0f, 1.0f},   // alpha test drops it all
        {glowing.get(), Vector3(1.6f, -1.4f, 1.0f), 0.5f, 3.0f, 0.0f},  // brightened threefold
        {wall.get(), Vector3(0.0f, 0.0f, 2.0f), 4.0f, 1.0f, 0.0f},      // the far wall behind everything
        {first.get(), Vector3(-0.4f, -0.2f, 0.5f), 0.7f, 1.0f, 0.0f},   // same depth: the first drawn stays
        {second.get(), Vector3(0.4f, 0.2f, 0.5f), 0.7f, 1.0f, 0.0f},
        {hidden.get(), Vector3(-0.4f, -0.2f, 1.0f), 0.7f, 1.0f, 0.0f},  // opaque, behind "first", drawn after
    };
    bool ranWithout = true, ranWith = false;
    const std::vector<unsigned char> without = DrawPanels(draws, false, ranWithout);
    Shot("depth_pass_without.png");
    const std::vector<unsigned char> with = DrawPanels(draws, true, ranWith);
    Shot("depth_pass_with.png");
    EXPECT_FALSE(ranWithout);
    ASSERT_TRUE(ranWith);

    size_t differ = 0;
    for (size_t i = 0; i < with.size(); i += 4)
        if (std::memcmp(&with[i], &without[i], 3) != 0) ++differ;
    EXPECT_EQ(differ, 0u) << "pixels that differ with the depth pass";

    // The picture holds what the rules protect: the grille's holes and its
    // solid texels, nothing of the panel the alpha test drops, and the first
    // of the two panels at one depth on top where they overlap.
    auto pixel = [&with](int x, int y) { return &with[(static_cast<size_t>(y) * Px::kWidth + x) * 4]; };
    int solid = 0, holes = 0;
    for (int y = 200; y < 420; ++y)
        for (int x = 700; x < 1000; ++x) {
            const unsigned char* p = pixel(x, y);
            if (p[1] > 200 && p[0] < 60) ++solid;
            if (p[1] < 120) ++holes;
        }
    EXPECT_GT(solid, 2000) << "the grille's solid texels";
    EXPECT_GT(holes, 2000) << "the grille's holes";
    const unsigned char* dropped = pixel(640, 100);
    EXPECT_GT(dropped[0], 200) << "the wall where the dropped panel would be";
    EXPECT_LT(dropped[1], 60);
    const unsigned char* overlap = pixel(640, 360);
    EXPECT_LT(overlap[0], 60) << "the first of two panels at one depth stays on top";
    EXPECT_GT(overlap[1], 200);
    EXPECT_GT(overlap[2], 200);
}

// A CPU renderer samples the default samplers trilinearly (anisotropic
// filtering doubles its frame time); any other renderer keeps anisotropic x4.
TEST_F(Rendering, DefaultSamplersAreTrilinearOnlyOnACpuRenderer) {
    for (const char* cpu : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Software Rasterizer", "swrast"})
        EXPECT_TRUE(GraphicsDevice::IsSoftwareRendererName(cpu)) << cpu;
    for (const char* gpu : {"AMD Radeon RX 6600 (radeonsi, navi23)", "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", ""})
        EXPECT_FALSE(GraphicsDevice::IsSoftwareRendererName(gpu)) << gpu;
    EXPECT_FALSE(GraphicsDevice::IsSoftwareRendererName(nullptr));

    GraphicsDevice& device = GraphicsDevice::GetInstance();
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    EXPECT_EQ(device.IsSoftwareRenderer(), GraphicsDevice::IsSoftwareRendererName(renderer.c_str())) << renderer;
    for (int slot = 0; slot < 2; ++slot) {
        const SamplerState* sampler = device.GetPixelSampler(slot);
        ASSERT_NE(sampler, nullptr);
        EXPECT_EQ(sampler->filter, device.IsSoftwareRenderer() ? 1 : 2) << renderer;
        EXPECT_EQ(sampler->maxAnisotropy, 4);
        EXPECT_EQ(sampler->addressMode, slot);
        GLint minFilter = 0;
        glGetSamplerParameteriv(sampler->glSampler, GL_TEXTURE_MIN_FILTER, &minFilter);
        EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR) << "between the mip levels as well";
    }
}

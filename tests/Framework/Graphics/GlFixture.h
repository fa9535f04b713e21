// The shared fixture of the rendering suites: the game's own window with
// the graphics device and shader service on it (under Xvfb with Mesa's
// software rasteriser), opened once per suite, plus the picture helpers the
// suites check their pixels with. Screenshots go to test_screenshots/ in the
// build folder.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Application/GameWindow.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Scene/SceneManager.h"

class GlTestWindow {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;

    // Opens the window and initialises both services. False (with a reason)
    // when there is no display at all.
    bool Open(std::string& why) {
        if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
            why = kNoDisplay;
            return false;
        }
        if (!window_.Create(kWidth, kHeight, "graphics test", "morvane_tests")) {
            why = window_.LastError();
            return false;
        }
        std::string error;
        if (!GraphicsDevice::GetInstance().Init(window_.GetHandle(), kWidth, kHeight, false, error)) {
            why = "device: " + error;
            return false;
        }
        if (!ShaderManager::GetInstance().Init()) {
            why = "shaders failed to build: " + ShaderManager::GetInstance().GetErrorText();
            return false;
        }
        return true;
    }

    // The video subsystem stays up, as the game never quits it either:
    // quitting closes the X display, which unloads Mesa's software driver
    // while it still owns a few small blocks it never frees. Once the driver
    // is gone, the leak checker reports those blocks against an unknown
    // module, where no suppression can name them.
    void Close() {
        ShaderManager::GetInstance().Release();
        GraphicsDevice::GetInstance().Release();
        window_.Destroy();
        window_.ReleaseClosedWindows();
    }

    // RGBA of one pixel of the current target, (x, y) from the top-left.
    static std::vector<int> Pixel(int x, int y) {
        unsigned char p[4] = {0, 0, 0, 0};
        GraphicsDevice::GetInstance().ReadPixels(x, y, 1, 1, p);
        return {p[0], p[1], p[2], p[3]};
    }

    // Folder for screenshots of the tests (created on demand).
    static std::string ShotPath(const std::string& name) {
        std::error_code ec;
        std::filesystem::create_directories("test_screenshots", ec);
        return "test_screenshots/" + name;
    }

    static constexpr const char* kNoDisplay = "no display";

private:
    GameWindow window_;
};

// A picture read back from the current target, or loaded from a file.
struct GlPicture {
    int w = 0, h = 0;
    std::vector<unsigned char> rgba;

    const unsigned char* Px(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
    float Luma(int x, int y) const {
        const unsigned char* p = Px(x, y);
        return 0.3f * p[0] + 0.6f * p[1] + 0.1f * p[2];
    }

    // The whole window-sized current target.
    static GlPicture Grab() {
        GlPicture p;
        p.w = GlTestWindow::kWidth;
        p.h = GlTestWindow::kHeight;
        p.rgba.resize(static_cast<size_t>(p.w) * p.h * 4);
        EXPECT_TRUE(GraphicsDevice::GetInstance().ReadPixels(0, 0, p.w, p.h, p.rgba.data()));
        return p;
    }

    // Pixels whose colour differs between two pictures of one size by more
    // than the tolerance in any channel.
    static size_t CountDifferent(const GlPicture& a, const GlPicture& b, int tolerance = 0) {
        EXPECT_EQ(a.rgba.size(), b.rgba.size());
        size_t differ = 0;
        for (size_t i = 0; i + 3 < std::min(a.rgba.size(), b.rgba.size()); i += 4)
            for (int c = 0; c < 3; ++c)
                if (std::abs(a.rgba[i + c] - b.rgba[i + c]) > tolerance) {
                    ++differ;
                    break;
                }
        return differ;
    }
};

// Colour comparison with a per-channel tolerance, reporting all channels.
inline ::testing::AssertionResult ColourNear(const std::vector<int>& actual, int r, int g, int b, int tolerance) {
    const int want[3] = {r, g, b};
    for (int i = 0; i < 3; ++i) {
        if (std::abs(actual[i] - want[i]) > tolerance) {
            return ::testing::AssertionFailure() << "got (" << actual[0] << ", " << actual[1] << ", " << actual[2]
                                                 << ") want (" << r << ", " << g << ", " << b << ") +-" << tolerance;
        }
    }
    return ::testing::AssertionSuccess();
}

// The camera of the model suites: at (0, 0, -5) looking along +z with a
// 60-degree vertical view, so that one unit at the origin is about 125
// pixels; the model program set, unlit.
inline void UseFrontCamera() {
    ShaderManager& shaders = ShaderManager::GetInstance();
    shaders.SetView(Matrix::CreateLookTo(Vector3(0, 0, -5), Vector3(0, 0, 1), Vector3(0, 1, 0)));
    shaders.SetProjection(Matrix::CreatePerspectiveFieldOfView(
        60.0f * 0.017453292f, static_cast<float>(GlTestWindow::kWidth) / GlTestWindow::kHeight, 0.01f, 1000.0f));
    shaders.CameraBlock().g_CamPos = Vector3(0, 0, -5);
    shaders.SetModelShader();
    shaders.ObjectBlock().g_LightEnable = 0;
}

// Base of every suite that draws: one window per suite. Without a display
// the tests are skipped (saying so); when there is one and graphics do not
// start, they fail. Each test begins on the cleared back buffer with the
// default states and blocks, no injected input and no scene pending.
class GlSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        window() = new GlTestWindow();
        if (!window()->Open(whyNot())) CloseWindow();
        // Models and textures cached by headless tests have no GPU side.
        ResourceCache::GetInstance().Clear();
    }
    static void TearDownTestSuite() {
        ResourceCache::GetInstance().Clear();
        if (window() != nullptr) CloseWindow();
    }
    void SetUp() override {
        if (window() == nullptr) {
            if (whyNot() == GlTestWindow::kNoDisplay) GTEST_SKIP() << "needs a display (run under Xvfb)";
            FAIL() << "graphics could not start: " << whyNot();
        }
        GraphicsDevice& device = GraphicsDevice::GetInstance();
        device.SetBackBufferAsTarget();
        device.SetBlendState(nullptr);
        device.SetDepthStencilState(nullptr);
        device.SetRasterizerState(nullptr);
        device.ClearTarget(1, 1, 1, 1);
        device.ClearDepthStencil(1.0f, 0);
        ShaderManager& shaders = ShaderManager::GetInstance();
        shaders.SpriteBlock() = CbSprite{};
        shaders.ObjectBlock() = CbObject{};
        shaders.SetObjectMatrix(Matrix::Identity());
        ResetGameState();
    }
    void TearDown() override {
        ResetGameState();
        if (window() != nullptr) EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    static void Shot(const std::string& name) {
        EXPECT_TRUE(GraphicsDevice::GetInstance().SaveScreenshot(GlTestWindow::ShotPath(name)));
    }
    static std::vector<int> Pixel(int x, int y) { return GlTestWindow::Pixel(x, y); }

private:
    static void ResetGameState() {
        Platform::Input::GetInstance().Reset();
        SceneManager::GetInstance().Clear();
        SceneManager::GetInstance().SetClickLatched(false);
    }
    static void CloseWindow() {
        window()->Close();
        delete window();
        window() = nullptr;
    }
    static GlTestWindow*& window() {
        static GlTestWindow* w = nullptr;
        return w;
    }
    static std::string& whyNot() {
        static std::string why;
        return why;
    }
};

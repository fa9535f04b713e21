// A real SDL window with the graphics device and shader service on it, for
// the rendering tests (run under Xvfb with Mesa's software rasteriser).
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/ShaderManager.h"

class GlTestWindow {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;

    // Opens the window and initialises both services. False (with a reason)
    // when there is no display at all.
    bool Open(std::string& why) {
        if (std::getenv("DISPLAY") == nullptr) {
            why = "no DISPLAY";
            return false;
        }
        // Video stays initialised for the rest of the process (see Close), so
        // a later suite reuses the X connection instead of counting it up.
        static bool videoUp = false;
        if (!videoUp) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
                why = SDL_GetError();
                return false;
            }
            videoUp = true;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
        window_ = SDL_CreateWindow("graphics test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWidth,
                                   kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
        if (window_ == nullptr) {
            why = SDL_GetError();
            return false;
        }
        std::string error;
        if (!GraphicsDevice::GetInstance().Init(window_, kWidth, kHeight, false, error)) {
            why = "device: " + error;
            return false;
        }
        if (!ShaderManager::GetInstance().Init()) {
            why = "shaders failed to build: " + ShaderManager::GetInstance().GetErrorText();
            return false;
        }
        return true;
    }

    void Close() {
        ShaderManager::GetInstance().Release();
        GraphicsDevice::GetInstance().Release();
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        window_ = nullptr;
        // The video subsystem is not quit, as the game never quits it either:
        // quitting closes the X display, which unloads Mesa's software driver
        // while it still owns a few small blocks it never frees. Once the
        // driver is gone, the leak checker reports those blocks against an
        // unknown module, where no suppression can name them.
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

private:
    SDL_Window* window_ = nullptr;
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

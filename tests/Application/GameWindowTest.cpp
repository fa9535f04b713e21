#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <string>

#include "Application/GameWindow.h"
#include "Framework/Platform/Input.h"

namespace {

class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) GTEST_SKIP() << "needs a display (Xvfb)";
        Platform::Input::GetInstance().Reset();
        ASSERT_TRUE(window.Create(1280, 720, "MORVANE  ver1.0.0", "Window")) << window.LastError();
        ASSERT_NE(window.GetHandle(), nullptr);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    }
    void TearDown() override {
        window.Destroy();
        Platform::Input::GetInstance().Reset();
    }
    void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1); }
    static SDL_Event Key(SDL_Keycode sym) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.state = SDL_PRESSED;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
        return e;
    }
    GameWindow window;
};

TEST_F(GameWindowTest, WindowHasTheFixedClientSizeCaptionAndAnOpenGLSurface) {
    SDL_Window* w = window.GetHandle();
    int width = 0, height = 0;
    SDL_GetWindowSize(w, &width, &height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    EXPECT_STREQ(SDL_GetWindowTitle(w), "MORVANE  ver1.0.0");
    Uint32 flags = SDL_GetWindowFlags(w);
    EXPECT_TRUE(flags & SDL_WINDOW_OPENGL);
    EXPECT_FALSE(flags & SDL_WINDOW_RESIZABLE);

    // A context made on the window (as the graphics device does) is 3.3
    // core with a 24-bit depth and 8-bit stencil buffer, double-buffered.
    SDL_GLContext context = SDL_GL_CreateContext(w);
    ASSERT_NE(context, nullptr) << SDL_GetError();
    int major = 0, minor = 0, profile = 0, depth = 0, stencil = 0, dbl = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &dbl);
    EXPECT_EQ(major, 3);
    EXPECT_EQ(minor, 3);
    EXPECT_EQ(profile, SDL_GL_CONTEXT_PROFILE_CORE);
    EXPECT_EQ(depth, 24);
    EXPECT_EQ(stencil, 8);
    EXPECT_EQ(dbl, 1);
    SDL_GL_DeleteContext(context);
}

TEST_F(GameWindowTest, EscapeDestroysTheWindowOtherKeysDoNot) {
    Push(Key(SDLK_w));
    Push(Key(SDLK_r));
    EXPECT_TRUE(window.PumpMessages());
    EXPECT_NE(window.GetHandle(), nullptr);

    Push(Key(SDLK_ESCAPE));
    window.PumpMessages();
    EXPECT_EQ(window.GetHandle(), nullptr);
    EXPECT_EQ(window.Destroy(), 0);
}

TEST_F(GameWindowTest, CloseBoxDestroysTheWindow) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(window.GetHandle());
    Push(e);
    window.PumpMessages();
    EXPECT_EQ(window.GetHandle(), nullptr);
}

TEST_F(GameWindowTest, QuitRequestIsReportedAndClosesTheWindow) {
    SDL_Event e{};
    e.type = SDL_QUIT;
    Push(e);
    EXPECT_FALSE(window.PumpMessages());
    EXPECT_EQ(window.GetHandle(), nullptr);
}

TEST_F(GameWindowTest, DestroyReportsWhetherThereWasAWindow) {
    EXPECT_EQ(window.Destroy(), 1);
    EXPECT_EQ(window.GetHandle(), nullptr);
    EXPECT_EQ(window.Destroy(), 0);
    // A second window can be made after the first is gone.
    EXPECT_TRUE(window.Create(640, 480, "second", "Window"));
    int w = 0, h = 0;
    SDL_GetWindowSize(window.GetHandle(), &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
}

TEST_F(GameWindowTest, RealCursorIsPlacedAndConvertedThroughTheWindowPosition) {
    Platform::Input& input = Platform::Input::GetInstance();
    SDL_SetWindowPosition(window.GetHandle(), 100, 80);
    SDL_PumpEvents();
    int wx = 0, wy = 0;
    SDL_GetWindowPosition(window.GetHandle(), &wx, &wy);
    Platform::Point client{640, 360};
    Platform::Point screen = input.ClientToScreen(client);
    EXPECT_EQ(screen, (Platform::Point{640 + wx, 360 + wy}));
    EXPECT_EQ(input.ScreenToClient(screen), client);

    input.SetCursorPos(screen);
    if (input.UsesRelativeMotion()) {
        // The display refused to warp: the relative fallback holds the point.
        EXPECT_EQ(input.GetCursorPos(), screen);
    } else {
        EXPECT_EQ(input.GetCursorPos(), screen);
        input.SetCursorPos(Platform::Point{screen.x + 25, screen.y - 10});
        EXPECT_EQ(input.GetCursorPos(), (Platform::Point{screen.x + 25, screen.y - 10}));
    }
    // No buttons or keys are held on the virtual display.
    EXPECT_FALSE(input.IsKeyDown(Platform::Key::LeftButton));
    EXPECT_FALSE(input.IsKeyDown(Platform::Key::Escape));
}

TEST_F(GameWindowTest, ClosedWindowNoLongerDefinesTheClientOrigin) {
    Platform::Input& input = Platform::Input::GetInstance();
    input.SetWindowOrigin(Platform::Point{3, 4});
    window.Destroy();
    EXPECT_EQ(input.ClientToScreen(Platform::Point{0, 0}), (Platform::Point{3, 4}));
}

}  // namespace

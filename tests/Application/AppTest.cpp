#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "Application/App.h"
#include "Application/ImGuiSetup.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Scene/GameScene.h"
#include "Scene/SceneBase.h"
#include "Scene/SceneManager.h"

namespace {

int g_updates = 0;

class CountingScene : public SceneBase {
public:
    void Update() override { ++g_updates; }
};

// Each test starts the whole application on the virtual display and shuts
// it down again; ctest runs every test in a process of its own.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (Xvfb)";
        Platform::Input::GetInstance().Reset();
        SceneManager::GetInstance().Clear();
        g_updates = 0;
        app.SetFrameCap(false);
        ASSERT_TRUE(app.Init(1280, 720));
    }
    void TearDown() override {
        app.Shutdown();
        app.SetFrameCap(true);
        Platform::Input::GetInstance().Reset();
        SceneManager::GetInstance().Clear();
    }
    App& app = App::GetInstance();
};

TEST_F(AppTest, InitBringsUpWindowDeviceAndImGuiAndShutdownTakesThemDown) {
    ASSERT_NE(app.GetWindowHandle(), nullptr);
    EXPECT_TRUE(GraphicsDevice::GetInstance().IsReady());
    EXPECT_TRUE(ImGuiSetup::IsActive());
    EXPECT_EQ(app.GetTargetFrameRate(), 60);
    app.Shutdown();
    EXPECT_EQ(app.GetWindowHandle(), nullptr);
    EXPECT_FALSE(GraphicsDevice::GetInstance().IsReady());
    EXPECT_FALSE(ImGuiSetup::IsActive());
}

TEST_F(AppTest, ScriptedFramesRunTheSceneAndTheScriptsEndClosesTheWindow) {
    SceneManager::GetInstance().SetNextScene(std::make_unique<CountingScene>());
    Platform::FrameListScript script(std::vector<Platform::InputFrame>(3));
    struct Limited : Platform::InputScript {
        Platform::FrameListScript* inner;
        int left = 5;
        bool Next(Platform::InputFrame& f) override { return left-- > 0 && inner->Next(f); }
    } limited;
    limited.inner = &script;
    Platform::Input::GetInstance().SetScript(&limited);

    int frames = 0;
    while (app.RunFrame()) ++frames;
    EXPECT_EQ(frames, 5);
    // The frame that found the script ended updated nothing.
    EXPECT_EQ(g_updates, 5);
    EXPECT_EQ(app.GetWindowHandle(), nullptr);
    EXPECT_FALSE(app.RunFrame());
}

TEST_F(AppTest, ScriptedEscapeEndsTheLoopBeforeTheSceneUpdate) {
    SceneManager::GetInstance().SetNextScene(std::make_unique<CountingScene>());
    std::vector<Platform::InputFrame> frames(2);
    frames.push_back(Platform::InputFrame().Set(Platform::Key::Escape));
    Platform::FrameListScript script(frames);
    Platform::Input::GetInstance().SetScript(&script);
    EXPECT_TRUE(app.RunFrame());
    EXPECT_TRUE(app.RunFrame());
    EXPECT_FALSE(app.RunFrame());
    EXPECT_EQ(g_updates, 2);
}

TEST_F(AppTest, EscapeKeyEndsTheLoopAndShutdownStillReleasesTheGpuObjects) {
    SceneManager::GetInstance().SetNextScene(std::make_unique<CountingScene>());
    ASSERT_TRUE(app.RunFrame());
    ASSERT_TRUE(app.RunFrame());
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_ESCAPE;
    e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&e);
    EXPECT_FALSE(app.RunFrame());
    EXPECT_EQ(app.GetWindowHandle(), nullptr);
    // The context is still current while the services delete their objects.
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    app.Shutdown();
    EXPECT_FALSE(GraphicsDevice::GetInstance().IsReady());
}

// Where the pointer cannot be warped (Wayland), the game takes the mouse
// through relative mode, which hides the pointer. The result screen is
// clicked with the pointer: once the game hands over, it shows again and is
// read where it really is.
TEST_F(AppTest, AfterAGameWithoutPointerWarpsTheResultScreenShowsThePointer) {
    Platform::Input& input = Platform::Input::GetInstance();
    ResourceCache::GetInstance().Clear();  // models of headless tests have no GPU side
    SceneManager::GetInstance().SetNextScene(std::make_unique<GameScene>());
    ASSERT_TRUE(app.RunFrame());
    // What a refused warp of the first-person view switches on.
    input.UseRelativeMotion(true);
    ASSERT_TRUE(app.RunFrame());
    EXPECT_TRUE(input.UsesRelativeMotion());
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_TRUE);

    SceneManager::GetInstance().SetNextScene(CreateResultScene(false));
    ASSERT_TRUE(app.RunFrame());
    ASSERT_TRUE(app.RunFrame());
    EXPECT_GE(input.CursorCounter(), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FALSE(input.UsesRelativeMotion());
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_FALSE);
    SceneManager::GetInstance().Clear();
    ResourceCache::GetInstance().Clear();
}

TEST_F(AppTest, CappedFramesTakeAtLeastTheIntegerBudgetEach) {
    SceneManager::GetInstance().SetNextScene(std::make_unique<CountingScene>());
    ASSERT_TRUE(app.RunFrame());
    app.SetFrameCap(true);
    uint32_t start = Platform::TimeMs();
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(app.RunFrame());
    EXPECT_GE(Platform::TimeMs() - start, 20u * 16u);
}

}  // namespace

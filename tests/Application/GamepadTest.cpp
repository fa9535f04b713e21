// The gamepad through SDL's own game controller path: a virtual joystick
// attached to SDL (as a plugged-in pad would be), its sticks, triggers and
// buttons set, and the real window's event pump and the player's loop
// carrying them into the game.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <memory>

#include "Application/App.h"
#include "Framework/Platform/ClickLatch.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Framework/Settings/Settings.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"
#include "tests/Application/AppWindowFixture.h"

using Platform::Input;


namespace {

class GamepadTest : public AppWindowTest {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (Xvfb)";
        // SDL passes pad input only to a focused program; on the tests' bare
        // X server the focus goes to whichever test's window appeared last.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        SettingsStore::GetInstance().Reset();
        app.ConnectSettings();
        ASSERT_TRUE(OpenWindow());
        ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u);
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "test pad";
        deviceIndex_ = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(deviceIndex_, 0) << SDL_GetError();
        stick_ = SDL_JoystickOpen(deviceIndex_);
        ASSERT_NE(stick_, nullptr) << SDL_GetError();
        // Triggers rest at the bottom of their range.
        Set(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
        Set(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);
        // The pump brings the plug-in event; the game opens the pad.
        ASSERT_TRUE(app.RunFrame(0));
        ASSERT_EQ(Input::GetInstance().ConnectedPads(), 1);
    }
    void TearDown() override {
        if (stick_) SDL_JoystickClose(stick_);
        if (deviceIndex_ >= 0) SDL_JoystickDetachVirtual(deviceIndex_);
        CloseWindow();
        SettingsStore::GetInstance().Reset();
    }
    void Set(SDL_GameControllerAxis axis, Sint16 value) {
        ASSERT_EQ(SDL_JoystickSetVirtualAxis(stick_, axis, value), 0) << SDL_GetError();
    }
    void Press(SDL_GameControllerButton button, bool down) {
        ASSERT_EQ(SDL_JoystickSetVirtualButton(stick_, button, down ? 1 : 0), 0) << SDL_GetError();
    }
    int deviceIndex_ = -1;
    SDL_Joystick* stick_ = nullptr;
};

}  // namespace

TEST_F(GamepadTest, SticksWalkAndTurnTriggersFireAndUseXReloadsStartPauses) {
    GameScene* game = StartGame();
    ASSERT_NE(game, nullptr);
    Input& input = Input::GetInstance();
    const Player& player = *game->GetPlayer();
    const Gun& gun = *game->GetGun();

    // At rest nothing is held.
    ASSERT_TRUE(app.RunFrame(1));
    for (Platform::Key k : {Platform::Key::W, Platform::Key::A, Platform::Key::S, Platform::Key::D, Platform::Key::R, Platform::Key::LeftButton, Platform::Key::RightButton})
        EXPECT_FALSE(input.IsKeyDown(k)) << static_cast<int>(k);

    // Left stick forward walks forward (W).
    Set(SDL_CONTROLLER_AXIS_LEFTY, -32767);
    const Vector3 before = player.GetPosition();
    ASSERT_TRUE(app.RunFrame(5));
    EXPECT_TRUE(input.IsKeyDown(Platform::Key::W));
    EXPECT_GT((player.GetPosition() - before).Length(), 0.5f);
    Set(SDL_CONTROLLER_AXIS_LEFTY, 0);
    Set(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_TRUE(input.IsKeyDown(Platform::Key::D));
    Set(SDL_CONTROLLER_AXIS_LEFTX, 0);

    // Right stick fully right: three degrees a step at sensitivity 1, and
    // twice that with the gamepad sensitivity at 2.
    Set(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    float yaw = player.GetYaw();
    ASSERT_TRUE(app.RunFrame(2));
    EXPECT_NEAR(player.GetYaw() - yaw, 2 * Input::kPadTurnPerStep, 1e-3);
    Settings s = SettingsStore::GetInstance().Current();
    s.gamepadLookSensitivity = 2.0f;
    SettingsStore::GetInstance().Change(s);
    yaw = player.GetYaw();
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_NEAR(player.GetYaw() - yaw, 2 * Input::kPadTurnPerStep, 1e-3);
    Set(SDL_CONTROLLER_AXIS_RIGHTX, 0);
    // Inside the dead zone the view stays.
    Set(SDL_CONTROLLER_AXIS_RIGHTY, 6000);
    const float pitch = player.GetPitch();
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_FLOAT_EQ(player.GetPitch(), pitch);
    Set(SDL_CONTROLLER_AXIS_RIGHTY, 0);

    // Right trigger fires (left button).
    Platform::SetClickLatched(false);
    const int magazine = gun.GetMagazine();
    Set(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_TRUE(input.IsKeyDown(Platform::Key::LeftButton));
    EXPECT_EQ(gun.GetMagazine(), magazine - 1);
    Set(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, -32768);

    // Left trigger and A are the right button (use).
    Set(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_TRUE(input.IsKeyDown(Platform::Key::RightButton));
    Set(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
    Press(SDL_CONTROLLER_BUTTON_A, true);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_TRUE(input.IsKeyDown(Platform::Key::RightButton));
    Press(SDL_CONTROLLER_BUTTON_A, false);

    // X reloads.
    Press(SDL_CONTROLLER_BUTTON_X, true);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_TRUE(gun.IsReloading());
    Press(SDL_CONTROLLER_BUTTON_X, false);

    // Start opens the options screen and closes it again.
    Press(SDL_CONTROLLER_BUTTON_START, true);
    ASSERT_TRUE(app.RunRealTimeFrame());
    EXPECT_TRUE(app.GetOptionsScreen().IsOpen());
    EXPECT_EQ(app.LastFrameSteps(), 0);
    Press(SDL_CONTROLLER_BUTTON_START, false);
    ASSERT_TRUE(app.RunRealTimeFrame());
    Press(SDL_CONTROLLER_BUTTON_START, true);
    ASSERT_TRUE(app.RunRealTimeFrame());
    EXPECT_FALSE(app.GetOptionsScreen().IsOpen());
    Press(SDL_CONTROLLER_BUTTON_START, false);

    // Unplugged: the pad is let go of.
    SDL_JoystickClose(stick_);
    stick_ = nullptr;
    ASSERT_EQ(SDL_JoystickDetachVirtual(deviceIndex_), 0);
    deviceIndex_ = -1;
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_EQ(input.ConnectedPads(), 0);
}

TEST_F(GamepadTest, APressesTheTitlesStartButtonOncePerPress) {
    SceneManager::GetInstance().SetNextScene(std::make_unique<TitleScene>());
    ASSERT_TRUE(app.RunFrame(1));
    auto* title = dynamic_cast<TitleScene*>(SceneManager::GetInstance().GetCurrentScene());
    ASSERT_NE(title, nullptr);
    // The pointer is away from the button: A presses it all the same.
    SDL_WarpMouseInWindow(app.GetWindowHandle(), 100, 100);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_FALSE(title->IsClicked());
    Press(SDL_CONTROLLER_BUTTON_A, true);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_TRUE(title->IsClicked());
}

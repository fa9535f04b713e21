// The options and pause screen, full screen and the gamepad, through the
// real window: SDL events pushed into its queue (keys, focus, the pointer
// warped on the X server, clicks), a virtual SDL joystick for the pad, and
// the frames the player's loop runs.
#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "Application/App.h"
#include "Framework/Audio/Audio.h"
#include "Game/AssetPaths.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Platform/ClickLatch.h"
#include "Framework/Platform/FrameTiming.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Framework/Platform/Letterbox.h"
#include "Framework/Settings/Settings.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Scene/GameScene.h"
#include "Scene/Hud.h"
#include "Scene/SceneManager.h"
#include "Scene/TitleScene.h"
#include "tests/Application/AppWindowFixture.h"
#include "tests/Framework/Audio/LoopbackAudio.h"

namespace fs = std::filesystem;
using Platform::Input;

namespace {

class OptionsWindowTest : public AppWindowTest {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (Xvfb)";
        dir_ = fs::temp_directory_path() / ("morvane_options_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        settingsPath_ = (dir_ / "settings.json").string();
        SettingsStore::GetInstance().Reset();
        SettingsStore::GetInstance().Open(settingsPath_);
        app.ConnectSettings();
        ASSERT_TRUE(OpenWindow());
    }
    void TearDown() override {
        CloseWindow();
        SettingsStore::GetInstance().Reset();
        fs::remove_all(dir_);
    }
    static void Key(SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
        e.key.keysym.mod = mod;
        e.key.state = SDL_PRESSED;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
        e.type = SDL_KEYUP;
        e.key.state = SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    void FocusLost() {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
        e.window.windowID = SDL_GetWindowID(app.GetWindowHandle());
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }
    // Moves the real pointer into the middle of a control of the options
    // screen and clicks it there, a frame for each part as a player's
    // hand would take.
    void ClickControl(const std::string& label) {
        OptionsScreen::Rect r;
        ASSERT_TRUE(app.GetOptionsScreen().ControlRect(label, r)) << label << " not drawn";
        const int x = static_cast<int>(r.x + std::min(r.width * 0.5f, r.height * 0.5f));
        const int y = static_cast<int>(r.y + r.height * 0.5f);
        SDL_WarpMouseInWindow(app.GetWindowHandle(), x, y);
        ASSERT_TRUE(app.RunRealTimeFrame());
        for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event e{};
            e.type = type;
            e.button.windowID = SDL_GetWindowID(app.GetWindowHandle());
            e.button.button = SDL_BUTTON_LEFT;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.clicks = 1;
            e.button.x = x;
            e.button.y = y;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
            ASSERT_TRUE(app.RunRealTimeFrame());
        }
        ASSERT_TRUE(app.RunRealTimeFrame());
    }
    std::string SavedFile() const {
        std::ifstream in(settingsPath_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir_;
    std::string settingsPath_;
};

}  // namespace

TEST_F(OptionsWindowTest, F1PausesFreesThePointerAndPResumesWithoutAJumpOfTheView) {
    GameScene* game = StartGame();
    ASSERT_NE(game, nullptr);
    Input& input = Input::GetInstance();
    const Player& player = *game->GetPlayer();
    const Platform::Point centre = input.ClientToScreen(Platform::Point{640, 360});
    ASSERT_LT(input.CursorCounter(), 0) << "the game hides the pointer";

    Key(SDLK_F1);
    ASSERT_TRUE(app.RunRealTimeFrame());
    ASSERT_TRUE(app.GetOptionsScreen().IsOpen());
    EXPECT_TRUE(app.StepsPaused());
    EXPECT_GE(input.CursorCounter(), 0) << "the pointer is shown while the screen is open";
    EXPECT_EQ(SDL_GetRelativeMouseMode(), SDL_FALSE);

    // The player walks and swings the mouse while the screen is up: the
    // game does not advance and the view stays.
    const Vector3 position = player.GetPosition();
    const float yaw = player.GetYaw(), pitch = player.GetPitch();
    SDL_Event walk{};
    walk.type = SDL_KEYDOWN;
    walk.key.keysym.scancode = SDL_SCANCODE_W;
    walk.key.keysym.sym = SDLK_w;
    walk.key.state = SDL_PRESSED;
    ASSERT_EQ(SDL_PushEvent(&walk), 1);
    ASSERT_EQ(SDL_WarpMouseGlobal(centre.x + 300, centre.y - 150), 0);
    const uint64_t steps = Platform::GetSceneTiming().steps;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(app.RunRealTimeFrame());
        EXPECT_EQ(app.LastFrameSteps(), 0);
        Platform::SleepMs(20);
    }
    EXPECT_EQ(Platform::GetSceneTiming().steps, steps);
    EXPECT_EQ(player.GetPosition(), position);

    Key(SDLK_p);
    walk.type = SDL_KEYUP;
    walk.key.state = SDL_RELEASED;
    ASSERT_EQ(SDL_PushEvent(&walk), 1);
    ASSERT_TRUE(app.RunRealTimeFrame());
    EXPECT_FALSE(app.GetOptionsScreen().IsOpen());
    EXPECT_EQ(app.LastFrameSteps(), 1) << "the paused time is not caught up with";
    EXPECT_FLOAT_EQ(player.GetYaw(), yaw) << "the pointer's travel while paused does not turn the view";
    EXPECT_FLOAT_EQ(player.GetPitch(), pitch);
    EXPECT_LT(input.CursorCounter(), 0);
    EXPECT_EQ(input.GetCursorPos(), centre);
}

TEST_F(OptionsWindowTest, LosingFocusPausesAndSaysWhyEscapeClosesTheScreenThenEndsTheGame) {
    ASSERT_NE(StartGame(), nullptr);
    // As with a window manager (the test's X server has none).
    app.SetPauseOnFocusLoss(true);
    FocusLost();
    ASSERT_TRUE(app.RunRealTimeFrame());
    OptionsScreen& options = app.GetOptionsScreen();
    ASSERT_TRUE(options.IsOpen());
    EXPECT_EQ(options.GetReason(), OptionsScreen::Reason::FocusLost);
    EXPECT_EQ(app.LastFrameSteps(), 0);
    // Back with the player, the game still waits for them.
    Platform::SleepMs(40);
    ASSERT_TRUE(app.RunRealTimeFrame());
    EXPECT_EQ(app.LastFrameSteps(), 0);

    Key(SDLK_ESCAPE);
    ASSERT_TRUE(app.RunRealTimeFrame()) << "Escape closes the open screen, not the game";
    EXPECT_FALSE(options.IsOpen());
    EXPECT_EQ(app.LastFrameSteps(), 1);
    Key(SDLK_ESCAPE);
    EXPECT_FALSE(app.RunRealTimeFrame()) << "without the screen, Escape ends the game as ever";
}

TEST_F(OptionsWindowTest, ControlsClickedOnTheScreenTakeEffectAtOnceAndAreSaved) {
    GameScene* game = StartGame();
    ASSERT_NE(game, nullptr);
    // The player's window has the keyboard (ImGui reads the pointer only
    // over a focused window).
    SDL_SetWindowInputFocus(app.GetWindowHandle());
    for (int i = 0; i < 50 && !(SDL_GetWindowFlags(app.GetWindowHandle()) & SDL_WINDOW_INPUT_FOCUS); ++i) {
        ASSERT_TRUE(app.RunFrame(0));
        Platform::SleepMs(10);
    }
    ASSERT_TRUE(SDL_GetWindowFlags(app.GetWindowHandle()) & SDL_WINDOW_INPUT_FOCUS);
    Key(SDLK_F1);
    // ImGui sizes a new window to its contents over its first frames.
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(app.RunRealTimeFrame());
    ASSERT_TRUE(app.GetOptionsScreen().IsOpen());
    EXPECT_FALSE(fs::exists(settingsPath_)) << "nothing is written before something changes";

    ClickControl("Invert Y");
    EXPECT_TRUE(SettingsStore::GetInstance().Current().invertY);
    EXPECT_TRUE(Input::GetInstance().GetLookSettings().invertY) << "the look takes it at once";
    EXPECT_NE(SavedFile().find("\"invert_y\": true"), std::string::npos) << SavedFile();

    ClickControl("Show frames per second");
    EXPECT_TRUE(SettingsStore::GetInstance().Current().showFps);
    EXPECT_NE(SavedFile().find("\"show_fps\": true"), std::string::npos);
    // The readout is drawn with the HUD, in yellow digits at the top left.
    ASSERT_TRUE(app.RunRealTimeFrame());
    int readoutDigits = 0;
    for (const Hud::DrawnSprite& s : game->GetHud()->GetLastDrawn())
        if (s.transform.Translation().y == Hud::kFrameRateY && s.colour.z < 0.5f) ++readoutDigits;
    EXPECT_GE(readoutDigits, 1);

    ClickControl("Mute");
    EXPECT_TRUE(SettingsStore::GetInstance().Current().mute);

    // Quit to title leaves the game, unpaused.
    ClickControl("Quit to title");
    EXPECT_FALSE(app.GetOptionsScreen().IsOpen());
    ASSERT_TRUE(app.RunRealTimeFrame());
    const auto* title = dynamic_cast<TitleScene*>(SceneManager::GetInstance().GetCurrentScene());
    ASSERT_NE(title, nullptr);
    EXPECT_FALSE(title->IsClicked()) << "the click on the screen does not press the title's button";
}

TEST_F(OptionsWindowTest, F11FillsTheScreenLetterboxedAndAClickOnTheTitleButtonStillStarts) {
    SceneManager::GetInstance().SetNextScene(std::make_unique<TitleScene>());
    ASSERT_TRUE(app.RunFrame(1));
    SDL_Rect display{};
    ASSERT_EQ(SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(app.GetWindowHandle()), &display), 0);

    Key(SDLK_F11);
    int w = 0, h = 0;
    for (int i = 0; i < 100 && (w != display.w || h != display.h); ++i) {
        ASSERT_TRUE(app.RunFrame(1));
        app.GetWindow().GetClientSize(w, h);
        Platform::SleepMs(10);
    }
    ASSERT_EQ(w, display.w);
    ASSERT_EQ(h, display.h);
    EXPECT_TRUE(app.GetWindow().IsFullscreen());
    EXPECT_TRUE(SettingsStore::GetInstance().Current().fullscreen) << "kept for the next start";
    ASSERT_TRUE(app.RunFrame(1));
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    EXPECT_TRUE(device.IsLetterboxed());
    EXPECT_EQ(device.GetWidth(), 1280) << "the game's picture keeps its size";

    // The start button's centre, where it is shown on the screen now.
    Input& input = Input::GetInstance();
    const Platform::Letterbox box = Platform::FitPicture(display.w, display.h, 1280, 720);
    const Platform::Point onScreen = input.ClientToScreen(Platform::Point{640, 610});
    EXPECT_EQ(onScreen.x, display.x + box.x + static_cast<int>(640 * box.scale + 0.5f));
    EXPECT_EQ(onScreen.y, display.y + box.y + static_cast<int>(610 * box.scale + 0.5f));
    ASSERT_EQ(SDL_WarpMouseGlobal(onScreen.x, onScreen.y), 0);
    SceneManager::GetInstance().SetClickLatched(false);
    ASSERT_TRUE(app.RunFrame(1));
    auto* title = dynamic_cast<TitleScene*>(SceneManager::GetInstance().GetCurrentScene());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->GetCursorX(), 0);
    EXPECT_EQ(title->GetCursorY(), -250);
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = SDL_PRESSED;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_TRUE(title->IsClicked());

    // Alt+Enter: back to the fixed window, drawn straight into it.
    Key(SDLK_RETURN, KMOD_LALT);
    for (int i = 0; i < 100 && (w != 1280 || h != 720); ++i) {
        ASSERT_TRUE(app.RunFrame(1));
        app.GetWindow().GetClientSize(w, h);
        Platform::SleepMs(10);
    }
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 720);
    ASSERT_TRUE(app.RunFrame(1));
    EXPECT_FALSE(device.IsLetterboxed());
    EXPECT_FALSE(SettingsStore::GetInstance().Current().fullscreen);
}

// The mix rendered by OpenAL Soft's loopback device while a groan loops and
// a door's one-shot runs, with the options screen opened and closed.
TEST(OptionsSoundTest, PlayingSoundsHoldWhileTheScreenIsOpenAndPlayOnAfter) {
    ASSERT_TRUE(testaudio::StartLoopback());
    ASSERT_TRUE(testaudio::GameSoundLoads(asset::sound::kZombieGroan));
    ASSERT_TRUE(testaudio::GameSoundLoads(asset::sound::kDoorTurn));
    ASSERT_TRUE(testaudio::GameSoundLoads(asset::sound::kFootstep));
    AudioManager& audio = AudioManager::GetInstance();
    ResourceCache& cache = ResourceCache::GetInstance();
    const auto loudness = [&audio]() {
        std::vector<short> mix(2 * 4410);
        EXPECT_TRUE(audio.RenderSamples(mix.data(), 4410));
        double sum = 0;
        for (size_t i = 2 * 1024; i < mix.size(); ++i) sum += static_cast<double>(mix[i]) * mix[i];
        return std::sqrt(sum / static_cast<double>(mix.size() - 2 * 1024));
    };
    auto groan = cache.GetSoundEffect(asset::sound::kZombieGroan)->CreateInstance(false);
    ASSERT_NE(groan, nullptr);
    groan->Play(true, false);
    std::weak_ptr<VeSoundInstance> door;
    {
        auto oneShot = cache.GetSoundEffect(asset::sound::kDoorTurn)->CreateInstance(false);
        oneShot->Play(false, true);
        door = oneShot;
    }
    auto step = cache.GetSoundEffect(asset::sound::kFootstep)->CreateInstance(false);
    step->Play(true, false);
    EXPECT_GT(loudness(), 50.0);

    OptionsScreen screen;
    screen.Open(OptionsScreen::Reason::Player);
    EXPECT_FALSE(groan->IsPlaying());
    EXPECT_EQ(audio.PausedCount(), 3u);
    // A voice that goes away while held is forgotten, not played again.
    step.reset();
    EXPECT_EQ(audio.PausedCount(), 2u);
    for (int i = 0; i < 3; ++i) {
        audio.Update();
        EXPECT_LT(loudness(), 4.0) << "silent while the screen is open";
    }
    EXPECT_FALSE(door.expired()) << "the held one-shot is kept to finish after";

    screen.Close();
    EXPECT_TRUE(groan->IsPlaying());
    ASSERT_FALSE(door.expired());
    EXPECT_TRUE(door.lock()->IsPlaying());
    EXPECT_EQ(audio.PausedCount(), 0u);
    EXPECT_GT(loudness(), 50.0);

    // Quitting to the title from the screen: nothing held plays again, and
    // the held one-shot is let go.
    ASSERT_TRUE(door.lock()->IsPlaying());
    screen.Open(OptionsScreen::Reason::Player);
    screen.Close(OptionsScreen::HeldSounds::Stop);
    EXPECT_EQ(audio.PausedCount(), 0u);
    EXPECT_FALSE(groan->IsPlaying());
    audio.Update();
    EXPECT_TRUE(door.expired());
    EXPECT_LT(loudness(), 4.0);
    groan.reset();
    testaudio::StopLoopback();
    Input::GetInstance().Reset();
    Platform::SetClickLatched(false);  // set by closing the screen
}

TEST(LetterboxTest, ThePictureFillsOneSideAndIsCentredOnTheOther) {
    const Platform::Letterbox same = Platform::FitPicture(1280, 720, 1280, 720);
    EXPECT_EQ(same.x, 0);
    EXPECT_EQ(same.width, 1280);
    EXPECT_FLOAT_EQ(same.scale, 1.0f);
    const Platform::Letterbox wide = Platform::FitPicture(1920, 1080, 1280, 720);
    EXPECT_EQ(wide.width, 1920);
    EXPECT_EQ(wide.height, 1080);
    EXPECT_FLOAT_EQ(wide.scale, 1.5f);
    // 5:4: bars above and below.
    const Platform::Letterbox tall = Platform::FitPicture(1280, 1024, 1280, 720);
    EXPECT_EQ(tall.y, 152);
    EXPECT_EQ(tall.height, 720);
    // Wider than 16:9: bars left and right.
    const Platform::Letterbox ultra = Platform::FitPicture(2560, 1080, 1280, 720);
    EXPECT_EQ(ultra.x, 320);
    EXPECT_EQ(ultra.width, 1920);
    EXPECT_EQ(ultra.height, 1080);
    const Platform::Letterbox none = Platform::FitPicture(0, 0, 1280, 720);
    EXPECT_EQ(none.width, 1280);
    EXPECT_FLOAT_EQ(none.scale, 1.0f);
}

TEST(LetterboxTest, ThePointerMapsBetweenTheScreenAndThePictureBothWays) {
    Input& input = Input::GetInstance();
    input.Reset();
    input.SetWindowOrigin(Platform::Point{0, 0});
    input.SetPictureMapping(Platform::FitPicture(1280, 1024, 1280, 720));
    EXPECT_EQ(input.ClientToScreen(Platform::Point{640, 610}), (Platform::Point{640, 762}));
    EXPECT_EQ(input.ScreenToClient(Platform::Point{640, 762}), (Platform::Point{640, 610}));
    input.SetPictureMapping(Platform::FitPicture(1920, 1080, 1280, 720));
    EXPECT_EQ(input.ClientToScreen(Platform::Point{640, 610}), (Platform::Point{960, 915}));
    // Every screen pixel lands on the picture pixel it shows.
    EXPECT_EQ(input.ScreenToClient(Platform::Point{961, 916}), (Platform::Point{640, 610}));
    EXPECT_EQ(input.ScreenToClient(Platform::Point{0, 0}), (Platform::Point{0, 0}));
    input.Reset();
}

TEST(FrameRateTest, TheMeterCountsPicturesOverHalfSecondWindowsAndTheReadoutDropsLeadingZeros) {
    Platform::FrameRateMeter meter;
    EXPECT_EQ(meter.PerSecond(), 0);
    for (int i = 0; i <= 30; ++i) meter.Frame(1000.0 + i * (500.0 / 30.0));
    EXPECT_EQ(meter.PerSecond(), 60);
    for (int i = 1; i <= 5; ++i) meter.Frame(1500.0 + i * 100.0);
    EXPECT_EQ(meter.PerSecond(), 10);
    EXPECT_EQ(Hud::FrameRateCells(7), (std::vector<int>{7}));
    EXPECT_EQ(Hud::FrameRateCells(60), (std::vector<int>{6, 0}));
    EXPECT_EQ(Hud::FrameRateCells(105), (std::vector<int>{1, 0, 5}));
    EXPECT_EQ(Hud::FrameRateCells(4000), (std::vector<int>{9, 9, 9}));
}

#include "Application/App.h"

#include <SDL.h>
#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "Application/CommandLine.h"
#include "Application/ImGuiSetup.h"
#include "Framework/Audio/Audio.h"
#include "Framework/Graphics/GraphicsDevice.h"
#include "Framework/Graphics/RenderScale.h"
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Platform/Input.h"
#include "Framework/Platform/Letterbox.h"
#include "Framework/Settings/Settings.h"
#include "Scene/FirstScene.h"
#include "Scene/GameScene.h"
#include "Scene/SceneManager.h"

namespace {

// Message boxes need a display; without one the stderr line is the report.
void ShowError(SDL_Window* owner, const char* caption, const std::string& text, bool errorIcon) {
    SDL_ShowSimpleMessageBox(errorIcon ? SDL_MESSAGEBOX_ERROR : 0, caption, text.c_str(), owner);
}

// A hang-up (the terminal the game was started from has closed) is passed
// on as a termination request, which SDL turns into a quit event: the game
// then shuts down in order instead of dying at once.
void PassOnHangUp(int) {
    const int saved = errno;
    raise(SIGTERM);
    errno = saved;
}

// A hang-up that whoever started the game ignores (nohup) stays ignored.
void TreatHangUpAsTermination() {
    struct sigaction current {};
    if (sigaction(SIGHUP, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = PassOnHangUp;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

App& App::GetInstance() {
    static App instance;
    return instance;
}

App::~App() {
    window_.Destroy();
    window_.ReleaseClosedWindows();
}

bool App::Init(int width, int height) {
    const std::string caption = VersionText();
    const std::string className = "Window";

    if (!window_.Create(width, height, caption, className)) {
        std::fprintf(stderr, "morvane: cannot open a window: %s\n", window_.LastError().c_str());
        ShowError(nullptr, "エラー", "ウィンドウ作成に失敗", false);
        return false;
    }

    std::string errorText;
    if (!GraphicsDevice::GetInstance().Init(window_.GetHandle(), width, height, false, errorText)) {
        std::fprintf(stderr, "morvane: cannot start OpenGL 3.3 core graphics (OpenGL 3.3 is required): %s\n",
                     errorText.c_str());
        std::fprintf(stderr, "morvane: without a suitable graphics driver Mesa's software renderer can run the game: "
                             "LIBGL_ALWAYS_SOFTWARE=1 morvane\n");
        ShowError(window_.GetHandle(), "OpenGL初期化失敗", errorText, true);
        return false;
    }

    // Without its programs the game would only show a white window.
    ShaderManager& shaders = ShaderManager::GetInstance();
    if (!shaders.Init()) {
        std::fprintf(stderr, "morvane: cannot build the shader programs:\n%s\n", shaders.GetErrorText().c_str());
        ShowError(window_.GetHandle(), "シェーダー作成失敗", shaders.GetErrorText(), true);
        return false;
    }

    if (!AudioManager::GetInstance().Init()) {
        std::fprintf(stderr, "morvane: cannot start the audio service (OpenAL)\n");
        ShowError(window_.GetHandle(), "サウンド初期化失敗", errorText, true);
        return false;
    }

    if (GraphicsDevice::GetInstance().IsReady()) {
        imguiReady_ = ImGuiSetup::Init(window_.GetHandle());
        if (!imguiReady_) std::fprintf(stderr, "morvane: warning: Dear ImGui could not be started\n");
    }
    window_.SetEventFilter([this](const SDL_Event& event) { return HandleEvent(event); });
    pixelWidth_ = pixelHeight_ = clientWidth_ = clientHeight_ = 0;
    ApplyFullscreen(SettingsStore::GetInstance().Current().fullscreen);
    return true;
}

bool App::HandleEvent(const SDL_Event& event) {
    if (event.type == SDL_KEYDOWN && !event.key.repeat) {
        const SDL_Keycode key = event.key.keysym.sym;
        const bool altEnter = (key == SDLK_RETURN || key == SDLK_KP_ENTER) && (event.key.keysym.mod & KMOD_ALT) != 0;
        if (key == SDLK_F11 || altEnter) {
            // Through the settings, so the choice is kept for the next start.
            SettingsStore& store = SettingsStore::GetInstance();
            Settings wanted = store.Current();
            wanted.fullscreen = !window_.IsFullscreen();
            store.Change(wanted);
            return true;
        }
    }
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_FOCUS_LOST &&
        !Platform::Input::GetInstance().IsInjected()) {
        // Scripts and tools drive the game without a person: a window losing
        // focus does not stop them.
        const bool pause = pauseOnFocusLoss_ < 0 ? window_.HasWindowManager() : pauseOnFocusLoss_ == 1;
        if (pause) options_.Open(OptionsScreen::Reason::FocusLost);
        return false;
    }
    return options_.HandleEvent(event);
}

void App::ApplyFullscreen(bool on) {
    if (!window_.GetHandle() || window_.IsFullscreen() == on) return;
    if (!window_.SetFullscreen(on))
        std::fprintf(stderr, "morvane: warning: cannot %s full screen: %s\n", on ? "go" : "leave",
                     window_.LastError().c_str());
}

void App::SyncDisplay() {
    int pixelWidth = 0, pixelHeight = 0, clientWidth = 0, clientHeight = 0;
    window_.GetPixelSize(pixelWidth, pixelHeight);
    window_.GetClientSize(clientWidth, clientHeight);
    if (pixelWidth <= 0 || pixelHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) return;
    if (pixelWidth == pixelWidth_ && pixelHeight == pixelHeight_ && clientWidth == clientWidth_ &&
        clientHeight == clientHeight_)
        return;
    pixelWidth_ = pixelWidth;
    pixelHeight_ = pixelHeight;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    GraphicsDevice& device = GraphicsDevice::GetInstance();
    device.SetWindowPixelSize(pixelWidth, pixelHeight);
    Platform::Input::GetInstance().SetPictureMapping(
        Platform::FitPicture(clientWidth, clientHeight, device.GetWidth(), device.GetHeight()));
}

void App::ConnectSettings() {
    if (settingsListener_) return;
    settingsListener_ = SettingsStore::GetInstance().Subscribe(&App::ApplySettings);
}

void App::ApplySettings(const Settings& settings) {
    Platform::LookSettings look;
    look.mouseSensitivity = settings.mouseSensitivity;
    look.invertY = settings.invertY;
    look.gamepadSensitivity = settings.gamepadLookSensitivity;
    Platform::Input::GetInstance().SetLookSettings(look);
    // Kept by the audio service until its engine starts in Init.
    AudioManager::GetInstance().SetVolumes(settings.masterVolume, settings.effectsVolume, settings.mute);
    RenderScale::GetInstance().SetSetting(settings.renderScale);
    // The window follows once it exists (Init applies the setting then).
    GetInstance().ApplyFullscreen(settings.fullscreen);
}

int App::Run() {
    TreatHangUpAsTermination();
    ConnectSettings();
    if (!Init(1280, 720)) return 1;
    // The automatic render scale adapts only where pixels cost the processor
    // (tools and tests that start the application themselves draw at the
    // full size unless they ask otherwise).
    RenderScale::GetInstance().SetAdaptive(GraphicsDevice::GetInstance().IsSoftwareRenderer());
    SceneManager::GetInstance().SetNextScene(CreateFirstScene());
    while (RunRealTimeFrame()) {
    }
    Shutdown();
    return 0;
}

bool App::StepsPaused() const { return options_.IsOpen() || SceneManager::GetInstance().IsPaused(); }

bool App::RunRealTimeFrame() { return RunFrameOf(kRealTimeSteps); }

bool App::RunFrame(int steps) { return RunFrameOf(std::max(steps, 0)); }

bool App::NextScriptedInput() {
    // A script stands in for the person at the keyboard: its end, or a
    // scripted Escape, closes the window as the real key would.
    Platform::Input& input = Platform::Input::GetInstance();
    if (!input.HasScript()) return true;
    if (input.Advance() && !input.CurrentFrame().Down(Platform::Key::Escape)) return true;
    window_.Destroy();
    return false;
}

bool App::RunFrameOf(int steps) {
    const uint32_t frameStart = Platform::TimeMs();
    const double frameStartMs = Platform::NowMs();
    const uint64_t gameFramesBefore = Platform::GetSceneTiming().frames;
    lastFrameSteps_ = 0;
    if (!headless_) {
        window_.PumpMessages();
        if (!window_.GetHandle()) return false;
        SyncDisplay();
    }
    // Decided after the events: a key that opens the options screen stops
    // the game from this frame on.
    if (steps == kRealTimeSteps) {
        if (StepsPaused()) {
            // Paused time is not game time: nothing to catch up afterwards.
            stepClock_.Restart();
            steps = 0;
        } else {
            steps = stepClock_.StepsFor(Platform::NowMs());
        }
    }
    AudioManager::GetInstance().Update();

    Platform::Input& input = Platform::Input::GetInstance();
    SceneManager& scenes = SceneManager::GetInstance();
    // Paused: presses made meanwhile are spent here, not kept for the game.
    if (steps == 0) input.BeginStep(false);
    for (int i = 0; i < steps; ++i) {
        if (!NextScriptedInput()) return false;
        input.BeginStep();
        scenes.Step();
        ++lastFrameSteps_;
        if (scenes.HasPendingSwitch()) {
            // The new scene was built inside this step; its first step
            // comes with the next frame, measured from then.
            stepClock_.Restart();
            break;
        }
    }
    scenes.Draw();
    if (extraDrawMs_ > 0) Platform::SleepMs(extraDrawMs_);
    if (!headless_) {
        GraphicsDevice& device = GraphicsDevice::GetInstance();
        // The options screen is drawn at the window's own resolution, over
        // the picture (letterboxed in full screen).
        device.ShowPicture();
        const bool inGame = dynamic_cast<GameScene*>(scenes.GetCurrentScene()) != nullptr;
        if (options_.Draw(inGame) == OptionsScreen::Action::QuitToTitle && !scenes.HasPendingSwitch())
            scenes.SetNextScene(CreateFirstScene());
        device.Present();
        Platform::GetFrameRateMeter().Frame(Platform::NowMs());
    }
    // The automatic render scale learns from the game's own frames (a CPU
    // renderer has finished the picture once it is presented).
    if (Platform::GetSceneTiming().frames != gameFramesBefore) {
        const double now = Platform::NowMs();
        RenderScale::GetInstance().OnFrame(now - frameStartMs, now);
    }

    if (frameCap_) {
        uint32_t sleep = SleepTime(frameStart, Platform::TimeMs(), targetFrameRate_);
        if (sleep > 0) Platform::SleepMs(sleep);
    }
    return true;
}

void App::Shutdown() {
    options_.Close();
    pauseOnFocusLoss_ = -1;
    window_.SetEventFilter(nullptr);
    Platform::Input::GetInstance().ClosePads();
    if (imguiReady_) {
        ImGuiSetup::Shutdown();
        imguiReady_ = false;
    }
    ShaderManager::GetInstance().Release();
    GraphicsDevice::GetInstance().Release();
    AudioManager::GetInstance().Release();
    window_.Destroy();
    window_.ReleaseClosedWindows();
}

uint32_t App::SleepTime(uint32_t frameStart, uint32_t now, int targetFrameRate) {
    if (targetFrameRate <= 0) return 0;
    const uint32_t budget = 1000u / static_cast<uint32_t>(targetFrameRate);
    const uint32_t elapsed = now - frameStart;  // unsigned: survives the clock wrapping
    return elapsed < budget ? budget - elapsed : 0;
}

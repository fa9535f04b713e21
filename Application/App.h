// The application: owns the window, starts the engine services in their fixed
// order, runs the frame loop capped at the target frame rate and shuts the
// services down in reverse order.
//
// The game advances in fixed steps of 1/60 s and the loop draws after its
// steps. On a fast machine that is one step and one draw a frame, paced by
// the cap (an integer budget of 16 ms, so up to 62.5 frames a second); when
// drawing falls behind, a frame runs the steps real time calls for (up to
// six, Platform::StepClock::kMaxStepsPerFrame) before it draws.
#pragma once

#include <cstdint>
#include <functional>

#include "Application/GameWindow.h"
#include "Application/OptionsScreen.h"
#include "Framework/Platform/FrameTiming.h"

class SceneBase;
struct Settings;
union SDL_Event;

class App {
public:
    static App& GetInstance();

    // Creates the window and the services. On failure shows the message box,
    // writes the reason to standard error and returns false.
    bool Init(int width, int height);
    // Init, frame loop, shutdown. Returns the process exit code: 0 after a
    // normal end, non-zero when start-up failed. A termination request
    // (SIGTERM, SIGINT, or SIGHUP unless ignored) ends the loop as the
    // window's close box does.
    int Run();

    // One frame of the loop: pumps events, updates audio, runs the given
    // number of game steps (each with its own scripted input, when a script
    // is set), draws and presents, then waits out the frame cap. Run uses
    // the number real time calls for (RunRealTimeFrame); tools that step
    // the game explicitly run one step a frame. A scene switch requested in
    // a step ends the frame's steps: the old scene draws its last picture
    // and the new one starts with the next frame, its loading not counted
    // as time to catch up. Returns false once the window is gone (or the
    // script ended).
    bool RunFrame(int steps = 1);
    // A frame as the player's loop runs it: the steps real time calls for,
    // none while the game is paused.
    bool RunRealTimeFrame();
    void Shutdown();

    // True while no game step may run: the options screen is open (or the
    // current scene pauses itself).
    bool StepsPaused() const;
    OptionsScreen& GetOptionsScreen() { return options_; }
    // Whether losing the window's focus pauses the game. By default it does
    // where a window manager runs (on a bare X server focus follows the
    // newest window, not the player); tests set it.
    void SetPauseOnFocusLoss(bool on) { pauseOnFocusLoss_ = on ? 1 : 0; }
    // Steps run by the last frame.
    int LastFrameSteps() const { return lastFrameSteps_; }
    const Platform::StepClock& GetStepClock() const { return stepClock_; }

    // Hands the player's settings to the services they act on (look to the
    // input layer, volumes to audio), now and on every change in the
    // settings store. Run does this first; calling it again does nothing.
    void ConnectSettings();
    static void ApplySettings(const Settings& settings);

    // Milliseconds to sleep after a frame that started at frameStart and
    // ended at now (unsigned arithmetic, integer budget 1000 / rate).
    static uint32_t SleepTime(uint32_t frameStart, uint32_t now, int targetFrameRate);

    GameWindow& GetWindow() { return window_; }
    SDL_Window* GetWindowHandle() const { return window_.GetHandle(); }
    int GetTargetFrameRate() const { return targetFrameRate_; }
    // Tools run without the frame cap.
    void SetFrameCap(bool on) { frameCap_ = on; }
    // Frames without a window (profiling, benchmarks): no events are pumped
    // and nothing is presented; the scenes step and draw as ever.
    void SetHeadless(bool on) { headless_ = on; }
    // Benchmarks: every drawn frame takes this much longer, as on a slower
    // renderer.
    void SetExtraDrawMs(uint32_t ms) { extraDrawMs_ = ms; }

private:
    App() = default;
    static constexpr int kRealTimeSteps = -1;
    // RunFrame with the given steps, or those real time calls for.
    bool RunFrameOf(int steps);
    // Keys of the application: F11 and Alt+Enter for full screen, and the
    // options screen's. True when the event was taken.
    bool HandleEvent(const SDL_Event& event);
    // Follows the window's size: the letterbox of the picture and the
    // pointer's mapping to it.
    void SyncDisplay();
    void ApplyFullscreen(bool on);
    ~App();
    // Takes the next scripted input, if a script is set. False when the
    // script has ended or asks for Escape: the window is then closed.
    bool NextScriptedInput();

    GameWindow window_;
    int targetFrameRate_ = 60;
    bool frameCap_ = true;
    bool headless_ = false;
    uint32_t extraDrawMs_ = 0;
    int lastFrameSteps_ = 0;
    Platform::StepClock stepClock_;
    bool imguiReady_ = false;
    int settingsListener_ = 0;
    OptionsScreen options_;
    int pauseOnFocusLoss_ = -1;  // -1: where a window manager runs
    int pixelWidth_ = 0, pixelHeight_ = 0, clientWidth_ = 0, clientHeight_ = 0;
};

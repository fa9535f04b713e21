// The application: owns the window, starts the engine services in their fixed
// order, runs the frame loop capped at the target frame rate and shuts the
// services down in reverse order.
#pragma once

#include <cstdint>
#include <functional>

#include "Application/GameWindow.h"

class SceneBase;
struct Settings;

class App {
public:
    static App& GetInstance();

    // Creates the window and the services. On failure shows the message box,
    // writes the reason to standard error and returns false.
    bool Init(int width, int height);
    // Init, frame loop, shutdown. Returns the process exit code: 0 after a
    // normal end, non-zero when start-up failed.
    int Run();

    // The frame loop's pieces, used by Run and by tools that step frames
    // without the 60 fps wait. RunFrame pumps events, updates audio and the
    // scene manager and presents; it returns false once the window is gone.
    bool RunFrame();
    void Shutdown();

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

private:
    App() = default;
    ~App();
    GameWindow window_;
    int targetFrameRate_ = 60;
    bool frameCap_ = true;
    bool imguiReady_ = false;
    int settingsListener_ = 0;
};

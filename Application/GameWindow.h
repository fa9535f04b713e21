// The one top-level window of the game: an SDL window (OpenGL capable; the
// graphics device makes its context) with a fixed client area, and the
// per-frame event pump. Escape and the
// close box destroy the window; the frame loop notices the null handle.
#pragma once

#include <string>
#include <vector>

struct SDL_Window;

class GameWindow {
public:
    GameWindow() = default;
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    // Creates the window (client width x height, not resizable, the caption).
    // False on failure; the reason is in LastError().
    bool Create(int width, int height, const std::string& caption, const std::string& className);
    // Takes every pending event. Returns false when a quit request was taken,
    // true when the queue ran empty. Escape and the close box destroy the window.
    bool PumpMessages();
    // Destroys the window if there is one; returns 1 if one was destroyed, else 0.
    // The window disappears at once and the handle becomes null, but the
    // native window lives on hidden until ReleaseClosedWindows, so that the
    // OpenGL context made on it stays usable while the services release
    // their GPU objects.
    int Destroy();
    // Frees the native windows of closed windows (shutdown, destructor).
    void ReleaseClosedWindows();

    SDL_Window* GetHandle() const { return handle_; }
    const std::string& LastError() const { return lastError_; }

private:
    SDL_Window* handle_ = nullptr;
    std::vector<SDL_Window*> closed_;
    std::string lastError_;
};

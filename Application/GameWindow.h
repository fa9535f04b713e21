// The one top-level window of the game: an SDL window (OpenGL capable; the
// graphics device makes its context) with a fixed client area, and the
// per-frame event pump. Escape and the
// close box destroy the window; the frame loop notices the null handle.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;

class GameWindow {
public:
    GameWindow() = default;
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    // Creates the window (client width x height, not resizable, the caption),
    // centred; on a screen whose usable area is smaller, as large as fits
    // there with the same shape. False on failure; the reason is in
    // LastError().
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

    // Sees every event after ImGui and before the window's own handling;
    // an event it returns true for is taken (Escape then does not close the
    // window, and the input layer does not see it).
    using EventFilter = std::function<bool(const SDL_Event&)>;
    void SetEventFilter(EventFilter filter) { filter_ = std::move(filter); }

    // Full screen on the desktop's own mode, or back to the fixed window.
    // Without a window manager (a bare X server) the window is made
    // borderless and as large as its display instead. False (with
    // LastError) when the platform refuses.
    bool SetFullscreen(bool on);
    bool IsFullscreen() const;
    // False on a bare X server: no window manager runs, and the focus goes
    // to whichever window appeared last rather than where the player puts it.
    bool HasWindowManager() const;
    // The client area in screen units and the drawable in pixels (the same
    // on X11); 0 x 0 without a window.
    void GetClientSize(int& width, int& height) const;
    void GetPixelSize(int& width, int& height) const;

    SDL_Window* GetHandle() const { return handle_; }
    const std::string& LastError() const { return lastError_; }

private:
    SDL_Window* handle_ = nullptr;
    std::vector<SDL_Window*> closed_;
    std::string lastError_;
    EventFilter filter_;
    int width_ = 0, height_ = 0;  // the fixed client size (as fitted to the screen)
    // Full screen made by hand where no window manager can grant it.
    bool coversDisplay_ = false;
};

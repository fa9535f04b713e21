#include "Application/GameWindow.h"

#include <SDL.h>

#include <cstdio>

#ifdef MORVANE_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>
#endif

#include "Application/ImGuiSetup.h"
#include "Framework/Platform/Input.h"
#include "Framework/Platform/Letterbox.h"
#include "Framework/Platform/X11Display.h"

namespace {

#ifdef MORVANE_HAVE_X11
// Called by Xlib when the connection to the X server breaks (the server
// ended or was killed). Xlib's own handler calls exit(), whose static
// destructors then close the window through the dead connection and wait
// for an answer that never comes, spinning for ever. The game ends here at
// once instead, without touching the window again.
int DisplayLost(Display*) {
    std::fflush(stdout);
    std::fputs("morvane: lost the connection to the display; quitting\n", stderr);
    std::fflush(stderr);
    _exit(1);
}
#endif

void WatchTheDisplay() {
#ifdef MORVANE_HAVE_X11
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && SDL_strcmp(driver, "x11") == 0) XSetIOErrorHandler(DisplayLost);
#endif
}

// Whether a window manager runs that can put a window into full screen.
// On X11 one announces itself on the root window; a bare X server (a
// virtual one, a kiosk) has none and leaves full-screen requests unanswered.
bool WindowManagerPresent(SDL_Window* window) {
#ifdef MORVANE_HAVE_X11
    if (Display* display = Platform::X11DisplayOf(window)) {
        const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
        if (check == None) return false;
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                              &type, &format, &count, &after, &data);
        if (data) XFree(data);
        return status == Success && count > 0;
    }
#else
    (void)window;
#endif
    return true;
}

}  // namespace

GameWindow::~GameWindow() {
    Destroy();
    ReleaseClosedWindows();
}

bool GameWindow::Create(int width, int height, const std::string& caption, const std::string& className) {
    // SDL registers its own window class; the X class is the program name.
    (void)className;
    if (handle_) Destroy();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        lastError_ = SDL_GetError();
        return false;
    }
    // With no display SDL falls back to its invisible drivers; the game
    // would then run where nobody can see or stop it. Those are accepted
    // only when asked for by name (SDL_VIDEODRIVER).
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* requested = SDL_getenv("SDL_VIDEODRIVER");
    if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) &&
        !(requested && *requested)) {
        lastError_ = "no display available (DISPLAY or WAYLAND_DISPLAY is not set)";
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    WatchTheDisplay();
    // Gamepads are welcome but not needed.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        std::fprintf(stderr, "morvane: warning: no gamepad support: %s\n", SDL_GetError());
    // The context the graphics device makes on this window must match these,
    // so they are fixed before the window exists.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);

    // On a screen smaller than the window the window is made as large as
    // the usable area allows with its shape kept, and placed in it; the
    // picture is scaled into it like into a full screen.
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && (usable.w < width || usable.h < height)) {
        const Platform::Letterbox fit = Platform::FitPicture(usable.w, usable.h, width, height);
        x = usable.x + fit.x;
        y = usable.y + fit.y;
        width = fit.width;
        height = fit.height;
    }
    // SDL sizes the client area itself, whatever the decorations are; no
    // SDL_WINDOW_RESIZABLE, so the window manager gets fixed size hints.
    handle_ = SDL_CreateWindow(caption.c_str(), x, y, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    if (!handle_) {
        lastError_ = SDL_GetError();
        return false;
    }
    Platform::Input::GetInstance().SetWindow(handle_);
    width_ = width;
    height_ = height;
    lastError_.clear();
    return true;
}

bool GameWindow::PumpMessages() {
    bool quitTaken = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        // ImGui sees every event first.
        ImGuiSetup::ProcessEvent(event);
        if (filter_ && filter_(event)) continue;
        switch (event.type) {
            case SDL_QUIT:
                quitTaken = true;
                Destroy();
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) Destroy();
                break;
            case SDL_KEYDOWN:
                if (event.key.keysym.sym == SDLK_ESCAPE && !ImGuiSetup::WantsKeyboard()) Destroy();
                break;
            default:
                break;
        }
        // Presses are kept for the next game step, so that one which is
        // over before the step runs still counts.
        Platform::Input::GetInstance().HandleEvent(event);
    }
    return !quitTaken;
}

int GameWindow::Destroy() {
    if (!handle_) return 0;
    Platform::Input& input = Platform::Input::GetInstance();
    input.SetWindow(nullptr);
    // Destroying the native window now would take the current OpenGL
    // context with it while the services still have objects to delete.
    SDL_HideWindow(handle_);
    closed_.push_back(handle_);
    handle_ = nullptr;
    coversDisplay_ = false;
    return 1;
}

bool GameWindow::SetFullscreen(bool on) {
    if (!handle_) return false;
    if (on == IsFullscreen()) return true;
    if (on && !WindowManagerPresent(handle_)) {
        // Nobody to grant the request: the window covers its display
        // itself, without a border.
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(handle_), &bounds) != 0) {
            lastError_ = SDL_GetError();
            return false;
        }
        SDL_SetWindowBordered(handle_, SDL_FALSE);
        SDL_SetWindowPosition(handle_, bounds.x, bounds.y);
        SDL_SetWindowSize(handle_, bounds.w, bounds.h);
        coversDisplay_ = true;
        return true;
    }
    if (coversDisplay_) {
        coversDisplay_ = false;
        SDL_SetWindowBordered(handle_, SDL_TRUE);
    } else if (SDL_SetWindowFullscreen(handle_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        lastError_ = SDL_GetError();
        return false;
    }
    if (!on) {
        // A window manager restores the window's size; without one it would
        // keep the screen's: back to the fixed size, centred.
        SDL_SetWindowSize(handle_, width_, height_);
        SDL_SetWindowPosition(handle_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    return true;
}

bool GameWindow::IsFullscreen() const {
    return handle_ && (coversDisplay_ || (SDL_GetWindowFlags(handle_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0);
}

bool GameWindow::HasWindowManager() const { return handle_ && WindowManagerPresent(handle_); }

void GameWindow::GetClientSize(int& width, int& height) const {
    width = height = 0;
    if (handle_) SDL_GetWindowSize(handle_, &width, &height);
}

void GameWindow::GetPixelSize(int& width, int& height) const {
    width = height = 0;
    if (handle_) SDL_GL_GetDrawableSize(handle_, &width, &height);
}

void GameWindow::ReleaseClosedWindows() {
    for (SDL_Window* w : closed_) SDL_DestroyWindow(w);
    closed_.clear();
}

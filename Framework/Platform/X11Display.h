// The X server connection behind an SDL window, for the few things SDL does
// not offer (reading and moving the pointer without its cache, asking the
// root window whether a window manager runs).
#pragma once

struct SDL_Window;
struct _XDisplay;  // Xlib's Display

namespace Platform {

// The window's X connection where SDL runs on X11 and the game was built
// with Xlib; nullptr otherwise (Wayland, no window, no Xlib).
_XDisplay* X11DisplayOf(SDL_Window* window);

}  // namespace Platform

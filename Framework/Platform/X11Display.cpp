#include "Framework/Platform/X11Display.h"

#include <SDL.h>
#if defined(MORVANE_HAVE_X11)
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#endif

namespace Platform {

_XDisplay* X11DisplayOf(SDL_Window* window) {
#if defined(MORVANE_HAVE_X11)
    if (window == nullptr) return nullptr;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
    return info.info.x11.display;
#else
    (void)window;
    return nullptr;
#endif
}

}  // namespace Platform

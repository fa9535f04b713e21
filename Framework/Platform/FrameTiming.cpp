#include "Framework/Platform/FrameTiming.h"

#include <SDL.h>

namespace Platform {

double NowMs() {
    static const double msPerCount = 1000.0 / static_cast<double>(SDL_GetPerformanceFrequency());
    return static_cast<double>(SDL_GetPerformanceCounter()) * msPerCount;
}

SceneTiming& GetSceneTiming() {
    static SceneTiming timing;
    return timing;
}

const char* PassName(int pass) {
    static const char* const names[SceneTiming::kPassCount] = {"clear", "depth", "stage", "zombies", "translucent+effects",
                                                              "arm+gun", "2D copy+HUD"};
    return pass >= 0 && pass < SceneTiming::kPassCount ? names[pass] : "?";
}

}  // namespace Platform

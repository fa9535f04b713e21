#include "Framework/Platform/FrameTiming.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Platform {

double NowMs() {
    static const double msPerCount = 1000.0 / static_cast<double>(SDL_GetPerformanceFrequency());
    return static_cast<double>(SDL_GetPerformanceCounter()) * msPerCount;
}

void FrameRateMeter::Frame(double nowMs) {
    if (!std::isfinite(nowMs)) return;
    if (!started_ || nowMs < windowStart_) {
        started_ = true;
        windowStart_ = nowMs;
        frames_ = 0;
        return;
    }
    ++frames_;
    const double elapsed = nowMs - windowStart_;
    if (elapsed >= kWindowMs) {
        perSecond_ = static_cast<int>(std::lround(frames_ * 1000.0 / elapsed));
        windowStart_ = nowMs;
        frames_ = 0;
    }
}

FrameRateMeter& GetFrameRateMeter() {
    static FrameRateMeter meter;
    return meter;
}

int StepClock::StepsFor(double nowMs) {
    // A reading that is no time at all tells nothing: one step.
    if (!std::isfinite(nowMs)) return 1;
    if (!started_) {
        started_ = true;
        lastMs_ = nowMs;
        behindMs_ = 0.0;
        return 1;
    }
    const double elapsed = nowMs - lastMs_;
    lastMs_ = nowMs;
    // A clock that stood still or went back adds nothing.
    if (elapsed > 0.0) behindMs_ += elapsed;

    // Within a microsecond counts as a whole step: three steps' time must
    // not come out as two and a rounding error.
    const double due = (behindMs_ + 1e-6) / kStepMs;
    int steps = 1;
    if (due >= kMaxStepsPerFrame) {
        steps = kMaxStepsPerFrame;
    } else if (due >= 1.0) {
        steps = static_cast<int>(due);
    }
    behindMs_ -= steps * kStepMs;
    // Ahead of real time (the one step of a quick frame): not banked.
    if (behindMs_ < 0.0) behindMs_ = 0.0;
    // Still a whole step behind after the most a frame may run: let it go.
    if (behindMs_ >= kStepMs) {
        droppedMs_ += behindMs_;
        behindMs_ = 0.0;
    }
    return steps;
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

bool TimestampsOn() {
    static const bool enabled = [] {
        const char* value = std::getenv("MORVANE_TIMESTAMPS");
        return value != nullptr && *value != '\0';
    }();
    return enabled;
}

void Timestamp(const char* what) {
    if (!TimestampsOn()) return;
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const long long us = std::chrono::duration_cast<std::chrono::microseconds>(since).count();
    std::fprintf(stderr, "morvane: timestamp %lld.%06lld %s\n", us / 1000000, us % 1000000, what);
    std::fflush(stderr);
}

}  // namespace Platform

// A high-resolution clock and the timing of the last game frame, for the
// time-demo benchmark: the game scene writes how long its update and its
// drawing took; nothing else reads or acts on it.
#pragma once

#include <cstdint>

namespace Platform {

// Milliseconds on a monotonic high-resolution clock (arbitrary origin).
double NowMs();

struct SceneTiming {
    // Duration of the last game frame's update and drawing.
    double updateMs = 0.0;
    double drawMs = 0.0;
    // Game frames timed so far: a change tells a benchmark that the frame it
    // ran was a game frame.
    uint64_t frames = 0;
    // When set, the drawing is timed up to the end of the renderer's work
    // (a benchmark's choice: waiting costs the game its overlap).
    bool finishDraw = false;

    // When set (with finishDraw), the drawing also waits for the renderer
    // after each of its passes and records how long each took, to tell
    // which part of the picture costs the time.
    enum Pass { kPassClear, kPassDepth, kPassStage, kPassZombies, kPassTranslucent, kPassArmGun, kPass2D, kPassCount };
    bool timePasses = false;
    double passMs[kPassCount] = {};
};

// The passes' names, in the order of SceneTiming::Pass.
const char* PassName(int pass);
SceneTiming& GetSceneTiming();

}  // namespace Platform

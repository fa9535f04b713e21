// Clocks of the frame loop: a high-resolution clock, the fixed game step
// and how many steps a drawn frame runs, the timing of the last game frame
// for the time-demo benchmark (the game scene writes how long its update and
// its drawing took; nothing else acts on it), and timestamps of start-up
// events on standard error for measuring the game from outside.
#pragma once

#include <cstdint>

namespace Platform {

// Milliseconds on a monotonic high-resolution clock (arbitrary origin).
double NowMs();

// The game advances in fixed steps of 1/60 s. Before each drawn frame the
// loop asks how many steps real time calls for:
//  - a frame that came within one step (the fast machine, paced by the
//    frame cap) runs one step, and time it was early by is not banked, so
//    such a machine runs one step and one draw a frame as it always did;
//  - a slow frame runs the steps the game fell behind by, up to
//    kMaxStepsPerFrame; time beyond that is dropped (the game then runs
//    slower than real time instead of spiralling into ever longer frames).
class StepClock {
public:
    static constexpr double kStepMs = 1000.0 / 60.0;
    // Six steps keep real time down to ten pictures a second (a CPU
    // renderer on a busy machine); a step's update costs well under a
    // millisecond, so even six never make a frame noticeably longer.
    static constexpr int kMaxStepsPerFrame = 6;

    // Steps for the frame that starts at nowMs: 1 to kMaxStepsPerFrame. The
    // first frame after construction or Restart runs one step.
    int StepsFor(double nowMs);
    // Forgets the time behind: the next frame runs one step, measured from
    // then. For breaks that are not game time (a new scene's loading, a
    // pause).
    void Restart() { started_ = false; }

    // Time the game is behind real time, less than one step after StepsFor.
    double BehindMs() const { return behindMs_; }
    // Real time the game never caught up with, in total.
    double DroppedMs() const { return droppedMs_; }

private:
    bool started_ = false;
    double lastMs_ = 0.0;
    double behindMs_ = 0.0;
    double droppedMs_ = 0.0;
};

// Pictures shown a second, counted over about half a second at a time.
class FrameRateMeter {
public:
    static constexpr double kWindowMs = 500.0;
    // Counts one picture shown at nowMs.
    void Frame(double nowMs);
    // The rate over the last full window (0 until one has passed).
    int PerSecond() const { return perSecond_; }
    void Reset() { *this = FrameRateMeter{}; }

private:
    bool started_ = false;
    double windowStart_ = 0.0;
    int frames_ = 0;
    int perSecond_ = 0;
};
// The player's loop counts its pictures here; the HUD shows the rate.
FrameRateMeter& GetFrameRateMeter();

struct SceneTiming {
    // Duration of the last game step's update and of the last drawing.
    double updateMs = 0.0;
    double drawMs = 0.0;
    // Game frames drawn and game steps run so far: a change tells a
    // benchmark that the frame it ran was a game frame.
    uint64_t frames = 0;
    uint64_t steps = 0;
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

// With MORVANE_TIMESTAMPS set in the environment, writes one line to
// standard error: "morvane: timestamp <wall clock s> <what>", the wall clock
// in seconds since 1970 with microseconds, so that a script driving the
// game can set the line against its own clock. Otherwise does nothing.
void Timestamp(const char* what);
bool TimestampsOn();

}  // namespace Platform

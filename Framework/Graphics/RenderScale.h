// The size the game's 3D picture is drawn at, as a fraction of the window
// (0.5 to 1.0 of each side). The picture is drawn off screen at that size
// and stretched over the window by the copy that puts it on screen; the HUD
// and every 2D picture stay at the window's full resolution.
//
// A fixed scale is used as set. Automatic (the player's default) means the
// full size on a graphics card, and on a CPU renderer a scale that follows
// the measured frame times to hold 60 frames a second, on a grid of 0.1, at
// most once a second (the first time after four frames): down when the median frame of the last second is over
// the frame budget, at once to the largest scale whose frame would fit were
// all of it pixels (pixels cost as the area), and up a step at a time only
// when the frame predicted at the next size stays well under the budget.
// Changes are rare and the scale settles, so the picture does not pump.
#pragma once

#include <cstddef>
#include <vector>

class RenderScale {
public:
    static RenderScale& GetInstance();

    static constexpr float kMin = 0.5f;
    static constexpr float kMax = 1.0f;
    static constexpr float kStep = 0.1f;
    // The setting value that asks for the automatic scale (as the settings
    // store writes it).
    static constexpr float kAuto = 0.0f;
    static constexpr double kBudgetMs = 1000.0 / 60.0;
    // Least time between two decisions, and the frames a decision needs
    // (the first one after a start needs only those frames).
    static constexpr double kHoldMs = 1000.0;
    static constexpr size_t kMinFrames = 8;
    static constexpr size_t kFirstFrames = 4;
    // Up only when the next size's predicted frame stays under this share
    // of the budget.
    static constexpr double kUpShare = 0.85;

    // Sets the scale the player chose: kAuto, or a fraction clamped to
    // 0.5..1.0. May be called at any time (an options screen changing it
    // live); a fixed scale takes effect with the next frame, the automatic
    // one starts again from the full size.
    void SetSetting(float setting);
    float GetSetting() const { return setting_; }
    bool IsAutomatic() const { return setting_ == kAuto; }
    // Whether the automatic scale adapts (a CPU renderer) or stays at the
    // full size (a graphics card). Set by the application once the
    // renderer is known.
    void SetAdaptive(bool on);
    bool IsAdaptive() const { return adaptive_; }

    // The scale to draw the next picture at.
    float Current() const { return current_; }
    // The picture's size in pixels at the current scale, for a window of
    // width x height (rounded; at least one pixel).
    void ScaledSize(int width, int height, int& scaledWidth, int& scaledHeight) const;
    static int Scaled(int size, float scale);

    // Feeds the time one drawn frame of the game took (its work, without the
    // wait of the frame cap) at real time nowMs. Only the automatic scale on
    // an adaptive renderer acts on it.
    void OnFrame(double frameMs, double nowMs);

    // Times the scale changed since the setting was last set (benchmarks).
    int Changes() const { return changes_; }

private:
    RenderScale() = default;
    void Restart();

    float setting_ = kAuto;
    bool adaptive_ = false;
    float current_ = kMax;
    std::vector<double> recent_;
    double lastDecisionMs_ = -1.0;
    int changes_ = 0;
    bool decided_ = false;
};

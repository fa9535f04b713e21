#include "Framework/Graphics/RenderScale.h"

#include <algorithm>
#include <cmath>

RenderScale& RenderScale::GetInstance() {
    static RenderScale instance;
    return instance;
}

void RenderScale::Restart() {
    recent_.clear();
    lastDecisionMs_ = -1.0;
    changes_ = 0;
    decided_ = false;
    current_ = IsAutomatic() ? kMax : setting_;
}

void RenderScale::SetSetting(float setting) {
    // Zero, a negative number or NaN is the automatic scale; the rest is
    // clamped to the range.
    const float wanted = setting > 0.0f ? std::min(kMax, std::max(kMin, setting)) : kAuto;
    // The settings arrive again whenever any setting changes: the same
    // value keeps the scale the automatic one has reached.
    if (wanted == setting_) return;
    setting_ = wanted;
    Restart();
}

void RenderScale::SetAdaptive(bool on) {
    adaptive_ = on;
    Restart();
}

int RenderScale::Scaled(int size, float scale) {
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(size) * scale)));
}

void RenderScale::ScaledSize(int width, int height, int& scaledWidth, int& scaledHeight) const {
    scaledWidth = Scaled(width, current_);
    scaledHeight = Scaled(height, current_);
}

void RenderScale::OnFrame(double frameMs, double nowMs) {
    if (!IsAutomatic() || !adaptive_ || !(frameMs >= 0.0)) return;
    if (lastDecisionMs_ < 0.0) lastDecisionMs_ = nowMs;
    recent_.push_back(frameMs);
    // The first decision after a (re)start needs only a few frames: there is
    // no change before it to hold against, and a picture far too large for
    // the renderer should not last.
    const bool first = !decided_;
    if (first ? recent_.size() < kFirstFrames : (nowMs - lastDecisionMs_ < kHoldMs || recent_.size() < kMinFrames))
        return;
    decided_ = true;

    // The median of the frames since the last decision: single slow frames
    // (a level's first frame, another program's burst) do not move it.
    std::vector<double> sorted = recent_;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    recent_.clear();
    lastDecisionMs_ = nowMs;

    // Scales are kept on the 0.1 grid so they never drift.
    const int tenths = static_cast<int>(std::lround(current_ * 10.0f));
    int next = tenths;
    if (median > kBudgetMs) {
        // Down at once to the largest scale whose frame would fit if all of
        // the frame were pixels (a frame's fixed part only makes the right
        // scale smaller, so this never goes too far), and by a step at
        // least: a first picture far over the budget does not take seconds
        // of slow frames to come down. Up goes a step at a time.
        const double fits = tenths * std::sqrt(kBudgetMs / median);
        next = std::min(tenths - 1, static_cast<int>(std::floor(fits + 1e-9)));
    } else {
        const double grow = static_cast<double>(tenths + 1) / tenths;
        if (median * grow * grow < kBudgetMs * kUpShare) next = tenths + 1;
    }
    next = std::min(10, std::max(5, next));
    if (next != tenths) {
        current_ = static_cast<float>(next) / 10.0f;
        ++changes_;
    }
}

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
    if (nowMs - lastDecisionMs_ < kHoldMs || recent_.size() < kMinFrames) return;

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
        next = tenths - 1;
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

// Yaw helpers of the zombies' movement.
#include "Game/Enemy/Heading.h"

#include <algorithm>
#include <cmath>

namespace {
using Math::kDegToRad;
constexpr float kRadToDeg = 57.29578f;

Vector3 Flat(const Vector3& v) { return Vector3(v.x, 0.0f, v.z).Normalized(); }

float AcosDegrees(float c) { return std::acos(std::clamp(c, -1.0f, 1.0f)) * kRadToDeg; }
}  // namespace

float HeadingOf(const Vector3& v) {
    const Vector3 n = Flat(v);
    const float angle = AcosDegrees(n.z);
    return n.x < 0.0f ? -angle : angle;
}

float SignedAngle(const Vector3& a, const Vector3& b) {
    const Vector3 na = Flat(a);
    const Vector3 nb = Flat(b);
    const float angle = AcosDegrees(na.Dot(nb));
    return nb.z * na.x - nb.x * na.z < 0.0f ? -angle : angle;
}

void TurnTowards(Matrix& m, float targetDegrees, float maxStepDegrees) {
    const float current = HeadingOf(Vector3(m._31, m._32, m._33));
    float diff = targetDegrees - current;
    // A non-finite target would never come into range; leave the matrix be.
    if (!std::isfinite(diff)) return;
    while (diff > 180.0f) diff -= 360.0f;
    while (diff < -180.0f) diff += 360.0f;
    float turn = diff;
    if (diff > maxStepDegrees)
        turn = maxStepDegrees;
    else if (diff < -maxStepDegrees)
        turn = -maxStepDegrees;
    m = Matrix::CreateRotationY(turn * kDegToRad) * m;
}

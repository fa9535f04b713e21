// Yaw helpers of the zombies' movement. Angles are measured on the
// horizontal plane in degrees: +z is 0, +x is +90, -x is -90, -z is 180.
#pragma once

#include "Framework/Math/SimpleMath.h"

// Heading of a direction (its horizontal part).
float HeadingOf(const Vector3& v);
// Angle between a and b on the horizontal plane; negative when b lies to the
// right of a seen from above (for a = +z, b = +x gives -90). The sight test
// uses only its size.
float SignedAngle(const Vector3& a, const Vector3& b);
// Turns m about its own vertical axis towards the target heading, by at most
// maxStepDegrees. The heading of m is that of its third row (its facing).
void TurnTowards(Matrix& m, float targetDegrees, float maxStepDegrees);

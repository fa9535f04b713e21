// Checks that the accelerated and the plain ray walk answer one ray against
// one model part alike, to the bit: hit or miss, distance and normal.
#pragma once

#include <gtest/gtest.h>

#include "Framework/Collision/RayCaster.h"
#include "Framework/Model/VeModel.h"
#include "tests/Framework/Collision/RayTestMeshes.h"

namespace raytest {

// hit says whether the (agreeing) walks hit.
template <class Part>
::testing::AssertionResult SameRayAnswer(const RayCaster& fast, const RayCaster& plain, const VeModel* model,
                                         const Part& part, const Vector3& origin, const Vector3& dir, bool& hit) {
    float d1 = 0, d2 = 0;
    Vector3 n1, n2;
    const bool h1 = fast.RayTestModel(model, part, origin, dir, d1, n1);
    const bool h2 = plain.RayTestModel(model, part, origin, dir, d2, n2);
    hit = h1;
    if (h1 != h2) return ::testing::AssertionFailure() << "accelerated " << (h1 ? "hit" : "missed") << ", plain did not";
    if (!h1) return ::testing::AssertionSuccess();
    if (Bits(d1) != Bits(d2) || Bits(n1.x) != Bits(n2.x) || Bits(n1.y) != Bits(n2.y) || Bits(n1.z) != Bits(n2.z))
        return ::testing::AssertionFailure() << "distance " << d1 << " against " << d2 << ", normal (" << n1.x << ", "
                                             << n1.y << ", " << n1.z << ") against (" << n2.x << ", " << n2.y << ", "
                                             << n2.z << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace raytest

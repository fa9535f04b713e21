// Ray tests against hit-test models: a ray against every triangle of a
// model placed in the world by a matrix, giving the nearest hit's distance
// and the triangle's normal. Both faces of a triangle count. Results are
// exactly those of testing every triangle in order; the acceleration
// (bounding volumes, a per-mesh hierarchy) never changes them.
//
// The game's queries over its objects (which objects, in which order, with
// which filters) are built on this test in Game/Stage/StageRays.
#pragma once

#include "Framework/Math/SimpleMath.h"

class VeModel;

class RayCaster {
public:
    static constexpr float kNoHit = 3.4028235e38f;

    // The core test of one model placed by the world matrix (a node's own
    // matrix comes first, then world): true on a hit nearer than any other
    // triangle of the model; distance and normal are written only then.
    bool RayTestModel(const VeModel* model, const Matrix& world, const Vector3& origin, const Vector3& direction,
                      float& distance, Vector3& normal) const;

    // The reference: the plain walk over every triangle (tests compare the
    // accelerated queries against it).
    bool RayTestModelBruteForce(const VeModel* model, const Matrix& world, const Vector3& origin,
                                const Vector3& direction, float& distance, Vector3& normal) const;
    void SetAccelerated(bool on) { accelerated_ = on; }

    // Queries made since the counter was last reset (benchmarks). A query
    // over many models counts once: its maker calls CountQuery.
    void CountQuery() const { ++queryCount; }
    mutable long long queryCount = 0;

private:
    bool accelerated_ = true;
};

// The ray-triangle test (both faces, epsilon 1e-20). On a hit writes t.
bool RayTriangle(const Vector3& origin, const Vector3& direction, const Vector3& p0,
                 const Vector3& p1, const Vector3& p2, float& t);

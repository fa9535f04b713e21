// Ray queries against the hit-test models of objects: nearest hit with its
// distance, the triangle's normal and the object. Both faces of a triangle
// count. Objects that are inactive or no ray target (Object::IsRayTarget)
// are skipped by every query. Results are exactly those of testing every
// triangle in order; the acceleration (bounding volumes, a per-mesh
// hierarchy) never changes them.
#pragma once

#include <vector>

#include "Framework/Math/SimpleMath.h"

class VeModel;
class Object;
class Stage;
struct ModelPart;

class RayCaster {
public:
    static constexpr float kNoHit = 3.4028235e38f;

    // The core test of one part's model: true on a hit nearer than any other
    // triangle of the model; distance and normal are written only then.
    bool RayTestModel(const VeModel* model, const ModelPart& part, const Vector3& origin,
                      const Vector3& direction, float& distance, Vector3& normal) const;

    // Every enemy (any type derived from Object; instantiated where the type
    // is complete), then every stage object (active ones). Writes the hit
    // part's damage.
    template <class Enemy>
    Object* RayTestAll(const Vector3& origin, const Vector3& direction, float& distance,
                       Vector3& normal, const std::vector<Enemy*>* enemies, const Stage* stage,
                       int& damage) const {
        ++queryCount;
        distance = kNoHit;
        Object* best = nullptr;
        if (enemies)
            for (Enemy* e : *enemies) TestObjectInto(static_cast<Object*>(e), origin, direction, best, distance, normal, &damage);
        TestStageInto(stage, false, origin, direction, best, distance, normal, &damage);
        return best;
    }
    // Tests one object (if active and a ray target) and replaces best on a
    // strictly nearer hit.
    void TestObjectInto(Object* object, const Vector3& origin, const Vector3& direction, Object*& best,
                        float& distance, Vector3& normal, int* damage) const;
    // Tests every stage object in order (active; only kinds 0 and 1 when
    // structureOnly) into best.
    void TestStageInto(const Stage* stage, bool structureOnly, const Vector3& origin,
                       const Vector3& direction, Object*& best, float& distance, Vector3& normal,
                       int* damage) const;
    // Stage objects that are active and of kind 0 (stage geometry) or 1 (door).
    Object* RayTestStructure(const Vector3& origin, const Vector3& direction, float& distance,
                             Vector3& normal, const Stage* stage) const;
    // Every active stage object.
    Object* RayTestObjects(const Vector3& origin, const Vector3& direction, float& distance,
                           Vector3& normal, const Stage* stage) const;
    // Every active stage object; distance only.
    Object* RayPick(const Vector3& origin, const Vector3& direction, float& distance,
                    const Stage* stage) const;

    // The reference: the plain walk over every triangle (tests compare the
    // accelerated queries against it).
    bool RayTestModelBruteForce(const VeModel* model, const ModelPart& part, const Vector3& origin,
                                const Vector3& direction, float& distance, Vector3& normal) const;
    void SetAccelerated(bool on) { accelerated_ = on; }

    // Queries made since the counter was last reset (benchmarks).
    mutable long long queryCount = 0;

private:
    bool accelerated_ = true;
};

// The ray-triangle test (both faces, epsilon 1e-20). On a hit writes t.
bool RayTriangle(const Vector3& origin, const Vector3& direction, const Vector3& p0,
                 const Vector3& p1, const Vector3& p2, float& t);

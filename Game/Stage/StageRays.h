// The game's ray queries over its objects: the zombies' body parts and the
// stage's objects, each part tested with its hit-test model placed by the
// part's world matrix. A query returns the nearest object hit (null when
// nothing is), with the distance (the largest float when nothing is hit)
// and, where asked, the hit triangle's normal and the hit part's damage.
//
// Objects that are inactive (another floor) or no ray target (a taken
// ammunition box, a held key card: Object::IsRayTarget) are skipped by every
// query, and so are parts without a hit-test model. Objects are tested in
// list order and a hit replaces the result only when strictly nearer, so on
// equal distances the object tested first wins.
#pragma once

#include "Framework/Collision/RayCaster.h"
#include "Framework/Math/SimpleMath.h"

class EnemyList;
class Object;
class Stage;

class StageRays {
public:
    // The queries on the resource cache's ray caster (the game's).
    StageRays();
    // The queries on a caster of the caller's (tests and benchmarks compare
    // the plain and the accelerated walk).
    explicit StageRays(const RayCaster& caster) : caster_(caster) {}

    // The gun's shots: every zombie, then every stage object. Writes the hit
    // part's damage.
    Object* RayTestAll(const Vector3& origin, const Vector3& direction, float& distance, Vector3& normal,
                       const EnemyList* enemies, const Stage* stage, int& damage) const;
    // The same over any list of objects standing in for the zombies (plain
    // or owning pointers).
    template <class Enemies>
    Object* RayTestAll(const Vector3& origin, const Vector3& direction, float& distance, Vector3& normal,
                       const Enemies* enemies, const Stage* stage, int& damage) const {
        caster_.CountQuery();
        distance = RayCaster::kNoHit;
        Object* best = nullptr;
        if (enemies)
            for (const auto& enemy : *enemies)
                TestObjectInto(&*enemy, origin, direction, best, distance, normal, &damage);
        TestStageInto(stage, false, origin, direction, best, distance, normal, &damage);
        return best;
    }
    // The walls and floors: stage objects of kind 0 (stage geometry) or 1
    // (door) only.
    Object* RayTestStructure(const Vector3& origin, const Vector3& direction, float& distance, Vector3& normal,
                             const Stage* stage) const;
    // Every stage object.
    Object* RayTestObjects(const Vector3& origin, const Vector3& direction, float& distance, Vector3& normal,
                           const Stage* stage) const;
    // Every stage object; distance only (what the player looks at).
    Object* RayPick(const Vector3& origin, const Vector3& direction, float& distance, const Stage* stage) const;

    // Tests one object (if active and a ray target) and replaces best on a
    // strictly nearer hit.
    void TestObjectInto(Object* object, const Vector3& origin, const Vector3& direction, Object*& best,
                        float& distance, Vector3& normal, int* damage) const;
    // Tests every stage object in order (only kinds 0 and 1 when
    // structureOnly) into best.
    void TestStageInto(const Stage* stage, bool structureOnly, const Vector3& origin, const Vector3& direction,
                       Object*& best, float& distance, Vector3& normal, int* damage) const;

private:
    // One query over the stage's objects (only kinds 0 and 1 when
    // structureOnly), counted once.
    Object* QueryStage(bool structureOnly, const Vector3& origin, const Vector3& direction, float& distance,
                       Vector3& normal, const Stage* stage) const;

    const RayCaster& caster_;
};

// The game's ray queries: which objects are tested, in which order, with
// which filters.
#include "Game/Stage/StageRays.h"

#include "Framework/ResourceCache.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Object.h"
#include "Game/Stage/Stage.h"

StageRays::StageRays() : caster_(*ResourceCache::GetInstance().GetRayCaster()) {}

Object* StageRays::RayTestAll(const Vector3& origin, const Vector3& direction, float& distance, Vector3& normal,
                              const EnemyList* enemies, const Stage* stage, int& damage) const {
    if (!enemies) {
        const PointerView<EnemyBase>* none = nullptr;
        return RayTestAll(origin, direction, distance, normal, none, stage, damage);
    }
    const PointerView<EnemyBase> zombies = enemies->GetEnemies();
    return RayTestAll(origin, direction, distance, normal, &zombies, stage, damage);
}

void StageRays::TestObjectInto(Object* object, const Vector3& origin, const Vector3& direction, Object*& best,
                               float& distance, Vector3& normal, int* damage) const {
    if (!object || !object->IsActive() || !object->IsRayTarget()) return;
    for (const auto& part : object->GetParts()) {
        if (!part || !part->rayModel) continue;
        float d;
        Vector3 n;
        if (!caster_.RayTestModel(part->rayModel, part->world, origin, direction, d, n)) continue;
        if (d < distance) {
            distance = d;
            normal = n;
            best = object;
            if (damage) *damage = part->damage;
        }
    }
}

void StageRays::TestStageInto(const Stage* stage, bool structureOnly, const Vector3& origin,
                              const Vector3& direction, Object*& best, float& distance, Vector3& normal,
                              int* damage) const {
    if (!stage) return;
    for (Object* object : stage->GetObjects()) {
        if (!object) continue;
        if (structureOnly && object->GetKind() != kKindStage && object->GetKind() != kKindDoor) continue;
        TestObjectInto(object, origin, direction, best, distance, normal, damage);
    }
}

Object* StageRays::QueryStage(bool structureOnly, const Vector3& origin, const Vector3& direction,
                              float& distance, Vector3& normal, const Stage* stage) const {
    caster_.CountQuery();
    distance = RayCaster::kNoHit;
    Object* best = nullptr;
    TestStageInto(stage, structureOnly, origin, direction, best, distance, normal, nullptr);
    return best;
}

Object* StageRays::RayTestStructure(const Vector3& origin, const Vector3& direction, float& distance,
                                    Vector3& normal, const Stage* stage) const {
    return QueryStage(true, origin, direction, distance, normal, stage);
}

Object* StageRays::RayTestObjects(const Vector3& origin, const Vector3& direction, float& distance,
                                  Vector3& normal, const Stage* stage) const {
    return QueryStage(false, origin, direction, distance, normal, stage);
}

Object* StageRays::RayPick(const Vector3& origin, const Vector3& direction, float& distance,
                           const Stage* stage) const {
    Vector3 unused;
    return QueryStage(false, origin, direction, distance, unused, stage);
}

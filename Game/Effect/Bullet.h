// The visible bullet of a shot: a camera-facing ribbon that flies from the
// muzzle to the hit point at 10 units a frame, trailing five positions. On
// arrival it leaves a bullet hole (not on zombies or the generator core) and
// hands the hit to the target; it ends when its tail has caught up.
#pragma once

#include <array>
#include <memory>

#include "Game/Effect/Effect.h"
#include "Game/Object/ObjectRef.h"

class Bullet : public Effect {
public:
    // Flight range of a shot that hit nothing: it ends out there, unseen,
    // with no target to hit.
    static constexpr float kMissRange = 1000.0f;

    void Update() override;

    const Vector3& GetStart() const { return start_; }
    const Vector3& GetDirection() const { return direction_; }
    float GetDistance() const { return distance_; }
    const Vector3& GetNormal() const { return normal_; }
    int GetDamage() const { return damage_; }
    bool HasArrived() const { return arrived_; }
    // The target, or null when it never existed or has since been deleted.
    Object* GetTarget() const { return target_.Get(); }
    Vector3 GetHead() const { return trail_[0].Translation(); }
    Vector3 GetTail() const { return trail_[kTrailLength - 1].Translation(); }
    Vector3 GetHitPoint() const { return start_ + direction_ * distance_; }

private:
    friend class EffectList;
    static constexpr int kTrailLength = 5;

    void Arrive();
    void BuildRibbon();

    float speed_ = 10.0f;
    float halfWidth_ = 0.1f;
    std::array<Matrix, kTrailLength> trail_;  // newest first
    Vector3 start_;
    Vector3 direction_;
    float distance_ = 0.0f;
    // Null once the target is deleted during the flight (a zombie that
    // finished dying): the bullet then touches nothing.
    ObjectRef<Object> target_;
    Vector3 normal_;
    int damage_ = 1;
    bool arrived_ = false;
};

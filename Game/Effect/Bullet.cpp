// The flying bullet and its spawn operation.
#include "Game/Effect/Bullet.h"

#include <cmath>

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/Object/Object.h"

void EffectList::AddBullet(const Vector3& muzzle, const Vector3& direction, float distance, const Vector3& normal,
                           Object* target, int damage) {
    auto bullet = std::make_shared<Bullet>();
    bullet->SetQuad(ResourceCache::GetInstance().GetTexture(asset::texture::kBullet), 0.0f, 0.0f, 1.0f,
                    Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f, 1.0f, 1.0f);
    bullet->SetList(this);
    bullet->start_ = muzzle;
    bullet->direction_ = direction;
    bullet->distance_ = distance;
    // A shot that hit nothing has no end point (its distance is the "no
    // hit" value, or not finite); it flies out of sight and ends there.
    if (!target && (!std::isfinite(distance) || distance > Bullet::kMissRange)) bullet->distance_ = Bullet::kMissRange;
    bullet->normal_ = normal;
    bullet->target_ = target;
    bullet->damage_ = damage;
    const Matrix atMuzzle = Matrix::CreateTranslation(muzzle);
    for (Matrix& m : bullet->trail_) m = atMuzzle;
    Append(bullet);
}

void Bullet::Update() {
    for (int i = kTrailLength - 1; i > 0; --i) trail_[i] = trail_[i - 1];

    const Vector3 head = trail_[0].Translation();
    const float travelled = (head - start_).Length();
    Vector3 next;
    if (speed_ + travelled < distance_) {
        next = head + direction_ * speed_;
    } else {
        next = GetHitPoint();
        if (!arrived_) Arrive();
    }
    trail_[0] = Matrix::CreateTranslation(next);

    // Four frames after arrival the tail has caught up with the head.
    if (trail_[kTrailLength - 1] == trail_[0]) alive_ = false;

    BuildRibbon();
}

void Bullet::Arrive() {
    arrived_ = true;
    // No target (a miss), or a target deleted while the bullet flew: the
    // bullet just ends.
    Object* target = GetTarget();
    if (!target) return;
    const int kind = target->GetKind();
    if (kind != kKindEnemy && kind != kKindPortal && list_) list_->AddBulletHole(*this);
    target->Damage(damage_, GetHitPoint());
}

void Bullet::BuildRibbon() {
    Vector3 side = direction_.Cross(CameraForward(ViewCamera()));
    // A bullet flying straight along the view has no sideways direction of
    // its own; the camera's right axis keeps the ribbon well formed.
    if (side.LengthSquared() < 1e-12f) side = CameraRight(ViewCamera());
    if (side.LengthSquared() < 1e-12f) side = Vector3(1.0f, 0.0f, 0.0f);
    side = side.Normalized() * halfWidth_;

    const Vector3 head = trail_[0].Translation();
    const Vector3 tail = trail_[kTrailLength - 1].Translation();
    // Effects are drawn with back faces culled, and which way the strip
    // winds depends on which side of the view the bullet flies: turn the
    // side over when the ribbon would show the camera its back (a shot from
    // a muzzle low and to the right would otherwise leave no tracer).
    const Vector3 camera = ViewCamera().eye;
    if (side.Cross(head - tail).Dot(camera - (head + side)) < 0.0f) side = -side;
    const Vector4 white(1.0f, 1.0f, 1.0f, 1.0f);
    vertices_[0] = {head + side, Vector2(0.0f, 0.0f), white};
    vertices_[1] = {head - side, Vector2(1.0f, 0.0f), white};
    vertices_[2] = {tail + side, Vector2(0.0f, 1.0f), white};
    vertices_[3] = {tail - side, Vector2(1.0f, 1.0f), white};
}

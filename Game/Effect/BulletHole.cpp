// Bullet holes and their spawn operation.
#include "Game/Effect/BulletHole.h"

#include <algorithm>
#include <cmath>

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/Bullet.h"
#include "Game/Effect/EffectList.h"
#include "Game/Object/Object.h"

void EffectList::AddBulletHole(const Bullet& bullet) {
    auto hole = std::make_shared<BulletHole>();
    // The top-left quarter of the texture holds the hole.
    hole->SetQuad(ResourceCache::GetInstance().GetTexture(asset::texture::kBulletHole), 0.5f, 0.5f, 1.0f,
                  Vector2(0.0f, 0.0f), Vector2(0.5f, 0.5f), 1.0f, 1.0f, 1.0f);
    hole->SetList(this);
    Object* target = bullet.GetTarget();
    hole->target_ = target;
    if (target) hole->targetMatrix_ = target->GetMatrixRef();
    hole->Lay(bullet.GetHitPoint(), bullet.GetNormal());
    AppendDecal(hole);
}

Matrix BulletHole::FacingRotation(const Vector3& n) {
    const Vector3 facing(0.0f, 0.0f, -1.0f);
    const float cosine = std::clamp(facing.Dot(n), -1.0f, 1.0f);
    Vector3 axis = facing.Cross(n);
    if (axis.LengthSquared() < 1e-12f) {
        // Already facing n, or facing straight away from it: a half turn.
        if (cosine > 0.0f) return Matrix();
        return Matrix::CreateRotationY(3.14159265f);
    }
    return Matrix::CreateFromAxisAngle(axis.Normalized(), std::acos(cosine));
}

void BulletHole::Lay(const Vector3& point, const Vector3& n) {
    // Lifted a little off the surface so that it never fights with it.
    matrix_ = FacingRotation(n);
    matrix_.Translation(point + n * 0.02f);
}

void BulletHole::Update() {
    // The surface is gone, or has moved away from under the hole.
    if (target_.WasSet() && (!target_ || target_->GetMatrixRef() != targetMatrix_)) alive_ = false;
    life_ -= 1;
    if (life_ < 0) alive_ = false;
}

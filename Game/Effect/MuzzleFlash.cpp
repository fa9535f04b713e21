// Muzzle flashes and their spawn operation.
#include "Game/Effect/MuzzleFlash.h"

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/GameWorld.h"
#include "Game/Object/Gun.h"

using Math::kDegToRad;

void EffectList::AddMuzzleFlash(const Vector3& position) {
    auto flash = std::make_shared<MuzzleFlash>();
    flash->SetQuad(ResourceCache::GetInstance().GetTexture(asset::texture::kMuzzleFlash), 1.0f, 1.0f, 1.0f,
                   Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f, 1.0f, 1.0f);
    flash->SetList(this);
    flash->SetAdditive(true);
    flash->SetDrawLast(true);
    flash->world_ = world_;
    flash->roll_ = GetRandom().Next() % 360;
    flash->GetMatrix()->Translation(position);
    flash->Face();
    Append(flash);
}

void MuzzleFlash::Face() {
    const Vector3 axis = ViewRow(ViewCamera(), 2).Normalized();
    const Vector3 up = Vector3::TransformNormal(ViewRow(ViewCamera(), 1),
                                                Matrix::CreateFromAxisAngle(axis, static_cast<float>(roll_) * kDegToRad));
    MakeBillboard(matrix_, ViewCamera().eye, scale_, scale_, 1.0f, up);
}

void MuzzleFlash::Update() {
    life_ -= 1.0f;
    // The flash stays on the muzzle while the gun moves and turns.
    if (world_ && world_->GetGun()) matrix_.Translation(world_->GetGun()->GetMuzzle());
    Face();
    scale_ += 1.0f;
    if (life_ < 0.0f) alive_ = false;
}

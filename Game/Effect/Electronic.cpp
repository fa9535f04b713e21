// Electric sparks and their spawn operation.
#include "Game/Effect/Electronic.h"

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"

using Math::kDegToRad;

void EffectList::AddElectronic(const Vector3& position, Object* owner, const Vector3& colour) {
    auto spark = std::make_shared<Electronic>();
    spark->SetQuad(ResourceCache::GetInstance().GetTexture(asset::texture::kElectric), 3.0f, 3.0f, 1.0f,
                   Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), colour.x, colour.y, colour.z);
    spark->SetList(this);
    spark->SetAdditive(true);
    spark->owner_ = owner;
    const float pitch = static_cast<float>(GetRandom().Next() % 360) * kDegToRad;
    const float yaw = static_cast<float>(GetRandom().Next() % 360) * kDegToRad;
    const float roll = static_cast<float>(GetRandom().Next() % 360) * kDegToRad;
    spark->Turn(pitch, yaw, roll, position);
    Append(spark);
}

void Electronic::Turn(float pitch, float yaw, float roll, const Vector3& position) {
    matrix_ = Matrix::CreateFromRollPitchYaw(pitch, yaw, roll);
    matrix_.Translation(position);
}

void Electronic::Update() {
    life_ -= 1;
    if (life_ < 1) alive_ = false;
}

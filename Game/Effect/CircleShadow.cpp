// Blob shadows and their spawn operation.
#include "Game/Effect/CircleShadow.h"

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/Object/Object.h"

void EffectList::AddCircleShadow(Object* owner, const Vector3& offset, const bool* ownerFlag) {
    auto shadow = std::make_shared<CircleShadow>();
    shadow->SetQuad(ResourceCache::GetInstance().GetTexture(asset::texture::kShadow), 2.0f, 2.0f, 1.0f,
                    Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f, 1.0f, 1.0f);
    shadow->SetList(this);
    shadow->owner_ = owner;
    shadow->offset_ = offset;
    shadow->ownerFlag_ = ownerFlag;
    shadow->Follow();
    Append(shadow);
}

void CircleShadow::Follow() {
    if (!owner_) return;
    // Rows (-1, 0, 0), (0, 0, -1), (0, -1, 0): the quad lies flat, facing up.
    Matrix m(-1.0f, 0.0f, 0.0f, 0.0f,
             0.0f, 0.0f, -1.0f, 0.0f,
             0.0f, -1.0f, 0.0f, 0.0f,
             0.0f, 0.0f, 0.0f, 1.0f);
    m.Translation(owner_->GetPosition() + offset_ + Vector3(0.0f, 0.05f, 0.0f));
    matrix_ = m;
}

void CircleShadow::Update() {
    if (!owner_) {
        alive_ = false;
        return;
    }
    Follow();
    if (ownerFlag_ && !*ownerFlag_) alive_ = false;
}

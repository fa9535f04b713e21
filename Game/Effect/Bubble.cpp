// Bubbles and their spawn operation.
#include "Game/Effect/Bubble.h"

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"

void EffectList::AddBubble(const Vector3& position, float height) {
    auto bubble = std::make_shared<Bubble>();
    const float size = static_cast<float>(GetRandom().Next() % 50 + 5) / 100.0f;  // 0.05 to 0.54
    bubble->SetQuad(ResourceCache::GetInstance().GetTexture(asset::texture::kBubble), size, size, 0.5f,
                    Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f, 1.0f, 1.0f);
    bubble->SetList(this);
    bubble->riseSpeed_ = size * 0.1f;
    bubble->start_ = position;
    bubble->position_ = position;
    bubble->GetMatrix()->Translation(position);
    bubble->riseLeft_ = height;
    Append(bubble);
}

void Bubble::Update() {
    matrix_._42 += riseSpeed_;
    position_ = matrix_.Translation();
    MakeBillboard(matrix_, ViewCamera().eye, 1.0f, 1.0f, 1.0f, ViewRow(ViewCamera(), 1));
    riseLeft_ -= riseSpeed_;
    if (riseLeft_ < 0.0f) alive_ = false;
}

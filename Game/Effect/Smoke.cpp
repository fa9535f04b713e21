// Smoke particles, hit sparks and their spawn operations.
#include "Game/Effect/Smoke.h"

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/GameWorld.h"
#include "Game/Object/Gun.h"

using Math::kDegToRad;

std::shared_ptr<Smoke> EffectList::AddSmoke(VeTexture* texture, const Vector3& position, const Vector3& direction,
                                            int life, const Vector2& uvTopLeft, const Vector2& uvBottomRight,
                                            float alphaStart, float alphaEnd, float speedStart, float speedEnd,
                                            float sizeStart, float sizeEnd, bool additive) {
    auto smoke = std::make_shared<Smoke>();
    smoke->SetQuad(texture, sizeStart, sizeStart, 1.0f, Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f, 1.0f, 1.0f);
    smoke->SetList(this);
    Matrix m = Matrix::CreateScale(0.1f);
    m.Translation(position);
    smoke->SetMatrix(m);
    smoke->direction_ = direction;
    smoke->life_ = life;
    smoke->uvTopLeft_ = uvTopLeft;
    smoke->uvBottomRight_ = uvBottomRight;
    // The per-frame steps spread the change over the life; a particle that
    // lives a single frame (or none) takes the whole change at once.
    const float frames = life > 0 ? static_cast<float>(life) : 1.0f;
    smoke->alpha_ = alphaStart;
    smoke->alphaStep_ = (alphaStart - alphaEnd) / frames;
    smoke->speed_ = speedStart;
    smoke->speedStep_ = (speedEnd - speedStart) / frames;
    smoke->size_ = sizeStart;
    smoke->sizeStep_ = (sizeEnd - sizeStart) / frames;
    smoke->SetAdditive(additive);
    Append(smoke);
    return smoke;
}

void EffectList::AddHit(const Vector3& position) {
    ResourceCache& cache = ResourceCache::GetInstance();
    Vector3 shot(0.0f, 0.0f, 1.0f);
    if (world_ && world_->GetGun()) shot = world_->GetGun()->GetShotDirection();
    for (int i = 0; i < 5; ++i) {
        const float angle = static_cast<float>(GetRandom().Next() % 161 - 80) * kDegToRad;
        const Vector3 direction = Vector3::TransformNormal(shot, Matrix::CreateRotationY(angle));
        // Seven sparks in ten are the bright kind, and fly faster.
        const bool bright = GetRandom().Next() % 10 > 2;
        VeTexture* texture = cache.GetTexture(bright ? asset::texture::kHitSpark : asset::texture::kHitDust);
        const float speed = bright ? 0.2f : 0.1f;
        AddSmoke(texture, position, direction, 15, Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f), 1.0f, 0.1f, speed, 0.01f,
                 1.0f, 3.0f, false);
    }
}

void Smoke::Update() {
    size_ += sizeStep_;
    alpha_ -= alphaStep_;
    speed_ += speedStep_;
    if (direction_.LengthSquared() > 0.0f) direction_ = direction_.Normalized() * speed_;

    SetQuadVertices(size_, size_, uvTopLeft_, uvBottomRight_, Vector4(1.0f, 1.0f, 1.0f, alpha_));

    matrix_.Translation(matrix_.Translation() + direction_);
    MakeBillboard(matrix_, ViewCamera().eye, 1.0f, 1.0f, 1.0f, ViewRow(ViewCamera(), 1));

    life_ -= 1;
    if (life_ < 1) alive_ = false;
}

void Smoke::Submit(std::vector<Render::EffectQuad>& out) const {
    if (!texture_ || !alive_) return;
    SubmitQuad(out, false);
}

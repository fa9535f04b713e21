// Smoke particles, hit sparks and their spawn operations.
#include "Game/Effect/Smoke.h"

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/GameWorld.h"
#include "Game/Object/Gun.h"

using Math::kDegToRad;

std::shared_ptr<Smoke> EffectList::AddSmoke(const SmokeDesc& desc) {
    auto smoke = std::make_shared<Smoke>();
    smoke->SetQuad(desc.texture, desc.size.start, desc.size.start, 1.0f, Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f),
                   1.0f, 1.0f, 1.0f);
    smoke->SetList(this);
    Matrix m = Matrix::CreateScale(0.1f);
    m.Translation(desc.position);
    smoke->SetMatrix(m);
    smoke->direction_ = desc.direction;
    smoke->life_ = desc.life;
    smoke->uvTopLeft_ = desc.uvTopLeft;
    smoke->uvBottomRight_ = desc.uvBottomRight;
    // The per-frame steps spread the change over the life; a particle that
    // lives a single frame (or none) takes the whole change at once.
    const float frames = desc.life > 0 ? static_cast<float>(desc.life) : 1.0f;
    smoke->alpha_ = desc.alpha.start;
    smoke->alphaStep_ = (desc.alpha.start - desc.alpha.end) / frames;
    smoke->speed_ = desc.speed.start;
    smoke->speedStep_ = (desc.speed.end - desc.speed.start) / frames;
    smoke->size_ = desc.size.start;
    smoke->sizeStep_ = (desc.size.end - desc.size.start) / frames;
    smoke->SetAdditive(desc.additive);
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
        SmokeDesc spark;
        spark.texture = cache.GetTexture(bright ? asset::texture::kHitSpark : asset::texture::kHitDust);
        spark.position = position;
        spark.direction = direction;
        spark.life = 15;
        spark.alpha = {1.0f, 0.1f};
        spark.speed = {bright ? 0.2f : 0.1f, 0.01f};
        spark.size = {1.0f, 3.0f};
        AddSmoke(spark);
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

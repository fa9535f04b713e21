// The vomit and its spawn operation.
#include "Game/Effect/Vomiting.h"

#include <cmath>

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/Effect/Smoke.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"

namespace {

using Math::kDegToRad;

// v turned by three random angles of -spread to +spread degrees.
Vector3 Scatter(Math::Random& random, const Vector3& v, int spread) {
    const int range = spread * 2 + 1;
    const float pitch = static_cast<float>(random.Next() % range - spread) * kDegToRad;
    const float yaw = static_cast<float>(random.Next() % range - spread) * kDegToRad;
    const float roll = static_cast<float>(random.Next() % range - spread) * kDegToRad;
    return Vector3::TransformNormal(v, Matrix::CreateFromRollPitchYaw(pitch, yaw, roll));
}

// 0.99 to 1.09.
float SpeedJitter(Math::Random& random) { return static_cast<float>(random.Next() % 11 + 99) / 100.0f; }

}  // namespace

void EffectList::AddVomiting(const Vector3& start, const Vector3& target, float speed, float radius, int damage) {
    auto vomit = std::make_shared<Vomiting>();
    vomit->SetList(this);
    vomit->world_ = world_;
    vomit->start_ = start;
    vomit->startCopy_ = start;
    vomit->target_ = target;
    vomit->radius_ = radius;
    vomit->damage_ = damage;

    const Vector3 toTarget = target - start;
    const float length = toTarget.Length();
    // A target at the mouth, or no speed, gives a vomit that only falls.
    if (speed > 0.0f && length > 0.0f) {
        vomit->velocity_ = toTarget / length * speed;
        vomit->framesToTarget_ = static_cast<int>(length / speed);
    }
    vomit->verticalSpeed_ = static_cast<float>(vomit->framesToTarget_) * 0.005f * 0.5f;
    vomit->GetMatrix()->Translation(start);

    // The blobs fly as long as the vomit and keep their opacity.
    SmokeDesc blob;
    blob.texture = ResourceCache::GetInstance().GetTexture(asset::texture::kVomit);
    blob.position = start;
    blob.life = vomit->framesToTarget_;
    // The first along the vomit's own path...
    blob.direction = vomit->velocity_;
    blob.speed = {speed, speed};
    blob.size = {vomit->blobSize_, vomit->blobGrowth_};
    vomit->blobs_.push_back(AddSmoke(blob));
    // ... five more scattered around it.
    blob.size = {0.25f, 1.5f};
    for (int i = 0; i < 5; ++i) {
        blob.direction = Scatter(GetRandom(), vomit->velocity_, 15);
        const float blobSpeed = speed * SpeedJitter(GetRandom());
        blob.speed = {blobSpeed, blobSpeed};
        vomit->blobs_.push_back(AddSmoke(blob));
    }
    Append(vomit);
}

void Vomiting::End() {
    alive_ = false;
    for (auto& blob : blobs_) blob->SetAlive(false);
}

void Vomiting::Burst() {
    EffectList* list = list_;
    if (!list) return;
    SmokeDesc blob;
    blob.texture = ResourceCache::GetInstance().GetTexture(asset::texture::kVomit);
    blob.position = start_;
    blob.life = framesToTarget_;
    const float speed = velocity_.Length();
    Math::Random& random = list->GetRandom();
    for (int i = 0; i < 10; ++i) {
        blob.direction = Scatter(random, velocity_, 5);
        const float blobSpeed = speed * SpeedJitter(random);
        const float k = static_cast<float>(random.Next() % 11 - 5) / 10.0f;
        blob.speed = {blobSpeed, blobSpeed};
        blob.size = {k * blobSize_, k * blobGrowth_};
        blobs_.push_back(list->AddSmoke(blob));
    }
}

void Vomiting::Update() {
    matrix_.Translation(matrix_.Translation() + velocity_ + Vector3(0.0f, verticalSpeed_, 0.0f));
    travelled_ += velocity_.Length();

    for (auto& blob : blobs_) blob->RaiseBy(verticalSpeed_);
    verticalSpeed_ += gravity_;

    Player* player = world_ ? world_->GetPlayer() : nullptr;
    if (!player) {
        // Nobody to hit: the vomit ends with its first blobs.
        if (counter_ >= framesToTarget_) End();
    } else {
        const Vector3 eye = player->GetPosition();
        if (Vector3::Distance(GetPosition(), eye) < player->GetPushRadius() + radius_) {
            player->Damage(damage_, Vector3(0.0f, 0.0f, 0.0f));
            End();
        } else if (eye.y - player->GetEyeHeight() > GetPosition().y) {
            End();
        }
    }
    if (!alive_) return;

    counter_ += 1;
    if (counter_ < 20 && counter_ % 2 == 0) Burst();
}

// The floating zombie of a plant tank.
#include "Game/Stage/PlantZombie.h"

#include <cmath>

#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/GameWorld.h"
#include "Game/Stage/Interaction.h"
#include "Game/Stage/Stage.h"

PlantZombie::PlantZombie(GameWorld* world) : world_(world) {
    AddModelPart(Matrix(), Matrix(), 0, ResourceCache::GetInstance().GetModel(asset::model::kPlantZombie), nullptr);
    // Each tank bobs out of step with the others.
    phase_ = static_cast<float>(RandomOf(world_).Next() % 101) / 100.0f;
}

void PlantZombie::Update() {
    phase_ += 0.01f;
    Matrix m = matrix_;
    m._42 = restPosition_.y + 0.5f * std::sin(phase_);
    SetMatrix(m);

    EffectList* effects = world_ ? world_->GetEffectList() : nullptr;
    Math::Random& random = RandomOf(world_);
    if (random.Next() % 100 < bubbleChance_) {
        const float a = static_cast<float>(random.Next() % 361) * Math::kDegToRad;
        const Vector3 p = GetPosition() + Vector3(1.5f * std::sin(a), 0.0f, 1.5f * std::cos(a));
        if (effects) effects->AddBubble(p, stage_ ? stage_->GetGeneratorSize() : 18.0f);
    }
    if (world_) world_->AddPointLight(Vector3(0.0f, 10.0f, 0.0f), restPosition_, 10.0f);
}

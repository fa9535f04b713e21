// The ammunition box and its builder.
#include "Game/Stage/BulletBox.h"

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Interaction.h"
#include "Game/Stage/Stage.h"

using namespace StageInteraction;

BulletBox::BulletBox(GameWorld* world) : world_(world) {
    ResourceCache& cache = ResourceCache::GetInstance();
    AddModelPart(Matrix(), Matrix(), 0, cache.GetModel(asset::model::kBulletBox),
                 cache.GetModel(asset::model::kBulletBoxRay));
}

void BulletBox::Update() {
    if (available_) {
        // Out of reach or not looked at: no prompt.
        if (DistanceToPlayer(world_, GetPosition()) > 10.0f || PickFromPlayer(world_) != this) {
            highlighted_ = false;
            return;
        }
        highlighted_ = true;
        if (!UseButtonDown()) return;
        highlighted_ = false;
        if (Player* player = GetPlayer(world_)) player->AddReserveAmmo(kRounds);
        respawnCounter_ = respawnFrames_;
        available_ = false;
        rayTarget_ = false;
        if (auto sound = ResourceCache::GetInstance().CreateSoundInstance(asset::sound::kPickUp, false)) {
            sound->SetVolume(0.5f);
            sound->Play(false, true);
        }
    } else {
        respawnCounter_ -= 1;
        if (respawnCounter_ <= 0) {
            available_ = true;
            rayTarget_ = true;
            highlighted_ = false;
        }
    }
}

void BulletBox::Submit(std::vector<Render::ModelDraw>& out) const {
    if (available_) Object::Submit(out);
}

BulletBox* BuildBulletBox(Stage* stage, const Matrix& world) {
    auto box = std::make_unique<BulletBox>(stage->GetWorld());
    box->SetKind(kKindBulletBox);
    box->SetMatrix(world);
    box->SetStage(stage);
    box->SetFloor(stage->GetFloor(world.Translation()));
    box->SetPushShape(PushShape{});
    return stage->Add(std::move(box));
}

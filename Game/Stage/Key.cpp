// Key cards and the key-card builder.
#include "Game/Stage/Key.h"

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Interaction.h"
#include "Game/Stage/Stage.h"

using namespace StageInteraction;

Key::Key(GameWorld* world) : world_(world) {}

void Key::SetColour(int colour) {
    colour_ = colour;
    if (!layout::IsKeyColour(colour)) return;
    ResourceCache& cache = ResourceCache::GetInstance();
    AddModelPart(Matrix(), Matrix(), 0, cache.GetModel(asset::model::kKeyCards[colour]),
                 cache.GetModel(asset::model::kKeyCardRay));
    UpdatePartMatrices();
}

void Key::Update() {
    if (!visible_) return;
    if (!inserting_) {
        // Out of reach or not looked at: no prompt.
        if (DistanceToPlayer(world_, GetPosition()) <= 10.0f && PickFromPlayer(world_) == this) {
            highlighted_ = true;
            if (UseButtonDown()) {
                if (Player* player = GetPlayer(world_)) player->AddKey(this);
                SetVisible(false);
                highlighted_ = false;
                if (auto sound = ResourceCache::GetInstance().CreateSoundInstance(asset::sound::kPickUp, false)) {
                    sound->SetVolume(0.5f);
                    sound->Play(false, true);
                }
            }
        } else {
            highlighted_ = false;
        }
    }
    UpdatePartMatrices();
}

void Key::Submit(std::vector<Render::ModelDraw>& out) const {
    if (visible_) Object::Submit(out);
}

Key* BuildKey(Stage* stage, const Matrix& world, int colour) {
    auto key = std::make_unique<Key>(stage->GetWorld());
    key->SetKind(kKindKey);
    key->SetColour(colour);
    key->SetMatrix(world);
    key->SetStage(stage);
    key->SetFloor(stage->GetFloor(world.Translation()));
    return stage->AddKey(std::move(key));
}

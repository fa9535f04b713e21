// The gun: its model, its place in the player's hand and its muzzle.
#include "Game/Object/Gun.h"

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

Gun::Gun(GameScene* scene) : scene_(scene) {
    ResourceCache& cache = ResourceCache::GetInstance();
    AddModelPart(Matrix(), Matrix(), 0, cache.GetModel("Data/gun/gun.gltf"), nullptr);
    reloadSound_ = cache.CreateSoundInstance("Data/Sound/reload.wav", false);
    if (reloadSound_) reloadSound_->SetVolume(0.5f);
}

Gun::~Gun() { reloadSound_.reset(); }

void Gun::Place() {
    Player* player = scene_ ? scene_->GetPlayer() : nullptr;
    if (!player || player->GetParts().empty()) return;

    // The inverse of a look-to view from the origin: its rows are the
    // camera's right, up and forward axes.
    Vector3 forward = player->GetForward().Normalized();
    Vector3 right = Vector3(0.0f, 1.0f, 0.0f).Cross(forward).Normalized();
    Vector3 up = forward.Cross(right);
    Vector3 hand = Vector3::Transform(Vector3(0.0f, -2.2f, 0.0f), player->GetParts()[0]->world);

    Matrix m;
    m._11 = right.x; m._12 = right.y; m._13 = right.z;
    m._21 = up.x; m._22 = up.y; m._23 = up.z;
    m._31 = forward.x; m._32 = forward.y; m._33 = forward.z;
    m._41 = hand.x; m._42 = hand.y; m._43 = hand.z;
    SetMatrix(m);
}

void Gun::Update() {
    // A won game freezes the gun.
    Stage* stage = scene_ ? scene_->GetStage() : nullptr;
    if (stage && stage->GetPortal() && !stage->GetPortal()->IsAlive()) return;
    Place();
    muzzle_ = Vector3::Transform(muzzleOffset_, matrix_);
}

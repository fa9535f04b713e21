// The gun: its model, its place in the player's hand, firing and reloading.
#include "Game/Object/Gun.h"

#include <algorithm>

#include "Framework/Audio/Audio.h"
#include "Framework/Platform/ClickLatch.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"
#include "Game/Stage/StageRays.h"

namespace {

// A new voice of the sound, played once at the volume and kept until done.
void PlayOnce(const char* path, float volume) {
    std::shared_ptr<VeSoundInstance> sound = ResourceCache::GetInstance().CreateSoundInstance(path, false);
    if (!sound) return;
    sound->SetVolume(volume);
    sound->Play(false, true);
}

}  // namespace

Gun::Gun(GameWorld* world) : world_(world) {
    ResourceCache& cache = ResourceCache::GetInstance();
    AddModelPart(Matrix(), Matrix(), 0, cache.GetModel(asset::model::kGun), nullptr);
    reloadSound_ = cache.CreateSoundInstance(asset::sound::kReload, false);
    if (reloadSound_) reloadSound_->SetVolume(0.5f);
}

Gun::~Gun() { reloadSound_.reset(); }

void Gun::Place() {
    Player* player = world_ ? world_->GetPlayer() : nullptr;
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
    Stage* stage = world_ ? world_->GetStage() : nullptr;
    if (stage && stage->GetPortal() && !stage->GetPortal()->IsAlive()) return;
    Place();
    muzzle_ = Vector3::Transform(muzzleOffset_, matrix_);

    cooldown_ = std::max(cooldown_ - 1, 0);

    const Platform::Input& input = Platform::Input::GetInstance();
    if (input.IsKeyDown(Platform::Key::LeftButton)) {
        if (cooldown_ <= 0 && !reloading_) {
            // The click that started the game is held by the latch until the
            // button is released: it is not a shot.
            if (!Platform::IsClickLatched()) Fire();
            cooldown_ = fireInterval_;
        }
    } else {
        Platform::SetClickLatched(false);
        dryFirePlayed_ = false;
    }

    if (input.IsKeyDown(Platform::Key::R)) reloading_ = true;
    if (!reloading_) return;

    // Summed in single precision, the progress stays just below 1 on the
    // 50th frame and just below 2 on the 100th: 50 frames down, 50 up, and
    // the rounds move on the 101st.
    reloadProgress_ += 0.02f;
    Player* player = world_ ? world_->GetPlayer() : nullptr;
    if (reloadProgress_ < 1.0f) {
        // Swing the arm down out of view...
        if (player) {
            const Vector3 arm = player->GetArmAngles();
            player->SetArmAngles(arm.x + 1.8f, arm.y);
        }
        if (reloadSound_ && !reloadSound_->IsPlaying()) {
            reloadSound_->Play(false, true);
            reloadSound_->SetVolume(0.3f);
        }
    } else if (reloadProgress_ < 2.0f) {
        // ...and back up.
        if (player) {
            const Vector3 arm = player->GetArmAngles();
            player->SetArmAngles(arm.x - 1.8f, arm.y);
        }
    } else {
        if (player) {
            const int need = magazineSize_ - magazine_;
            const int reserve = player->GetReserveAmmo();
            const int moved = std::max(0, std::min(need, reserve));
            player->AddReserveAmmo(-moved);
            magazine_ += moved;
        }
        reloadProgress_ = 0.0f;
        reloading_ = false;
    }
}

void Gun::Fire() {
    if (magazine_ <= 0) {
        if (!dryFirePlayed_) {
            PlayOnce(asset::sound::kDryFire, 0.03f);
            dryFirePlayed_ = true;
            ++dryFireCount_;
        }
        return;
    }
    Player* player = world_ ? world_->GetPlayer() : nullptr;
    if (!player) return;

    const StageRays rays;
    const EnemyList* enemies = world_->GetEnemyList();
    const Stage* stage = world_->GetStage();

    // Where the view points: the nearest thing on the line of sight.
    const Vector3 eye = player->GetPosition();
    const Vector3 forward = player->GetForward().Normalized();
    float aimDistance = RayCaster::kNoHit;
    Vector3 aimNormal;
    int aimDamage = 0;
    Object* aimed = rays.RayTestAll(eye, forward, aimDistance, aimNormal, enemies, stage, aimDamage);
    // Nothing in sight: aim at a far point along the view (the "no hit"
    // distance would put the aim point out of float range).
    if (!aimed) aimDistance = kAimRange;
    const Vector3 aimPoint = eye + forward * aimDistance;

    // The shot itself flies from the muzzle to that point; whatever it meets
    // first is what is hit.
    Vector3 toAim = aimPoint - muzzle_;
    shotDirection_ = toAim.LengthSquared() > 0.0f ? toAim.Normalized() : forward;
    hitNormal_ = Vector3(0.0f, 0.0f, 0.0f);
    hitDamage_ = 0;
    shotDistance_ = RayCaster::kNoHit;
    Object* hit = rays.RayTestAll(muzzle_, shotDirection_, shotDistance_, hitNormal_, enemies, stage, hitDamage_);
    hitObject_ = hit;
    if (!hit) {
        hitNormal_ = Vector3(0.0f, 0.0f, 0.0f);
        hitDamage_ = 0;
    }

    if (EffectList* effects = world_->GetEffectList()) {
        effects->AddMuzzleFlash(muzzle_);
        effects->AddBullet(muzzle_, shotDirection_, shotDistance_, hitNormal_, hit, hitDamage_);
    }
    player->AddPitch(-1.0f);
    magazine_ -= 1;
    world_->AddPointLight(Vector3(8.0f, 5.0f, 5.0f), muzzle_, 5.0f);
    PlayOnce(asset::sound::kFire, 0.03f);
}

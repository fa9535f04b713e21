// Zombie base: sounds, damage, sight, ground and wall tests, movement.
#include "Game/Enemy/EnemyBase.h"

#include <cmath>

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/State.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Game/Stage/StageRays.h"

namespace {

// The four flashes of a critical hit: texture, alpha and size from start to
// end, additive blending.
struct Flash {
    const char* texture;
    float alphaStart, alphaEnd;
    float sizeStart, sizeEnd;
    bool additive;
};

constexpr Flash kCriticalFlashes[] = {
    {asset::texture::kLight, 0.8f, 0.2f, 0.1f, 10.0f, true},
    {asset::texture::kRedGlow, 0.8f, 0.4f, 0.1f, 10.0f, true},
    {asset::texture::kBloodSplash, 0.8f, 0.2f, 0.1f, 7.0f, false},
    {asset::texture::kBloodSpray, 0.8f, 0.2f, 0.1f, 7.0f, false},
};
constexpr int kCriticalDamage = 5;
constexpr int kFlashLife = 10;
constexpr float kGrowlFadeStep = 0.01f;
constexpr float kWallRayDrop = 2.0f;
// How far the ground under a zombie may lie from its floor's height (less
// than one stair step).
constexpr float kFloorTolerance = 0.5f;

}  // namespace

EnemyBase::EnemyBase() {
    ResourceCache& cache = ResourceCache::GetInstance();
    growl_ = cache.CreateSoundInstance(asset::sound::kZombieGroan, true);
    footstep_ = cache.CreateSoundInstance(asset::sound::kZombieStep, true);
    if (growl_) {
        growl_->SetVolume(0.1f);
        growl_->SetCurveDistanceScaler(0.2f);
    }
    growlVolume_ = 1.0f;
    if (footstep_) {
        footstep_->SetVolume(0.4f);
        footstep_->SetCurveDistanceScaler(0.1f);
    }
    senseInterval_ = 2;
    senseCounter_ = 0;
    world_ = nullptr;
    kind_ = kKindEnemy;
}

EnemyBase::~EnemyBase() {
    state_.reset();
    if (growl_) growl_->Stop();
    if (footstep_) footstep_->Stop();
    growl_.reset();
    footstep_.reset();
}

Player* EnemyBase::GetPlayer() const { return world_ ? world_->GetPlayer() : nullptr; }

EffectList* EnemyBase::GetEffectList() const { return world_ ? world_->GetEffectList() : nullptr; }

float EnemyBase::DistanceToPlayer() const {
    const Player* player = GetPlayer();
    if (!player) return RayCaster::kNoHit;
    return Vector3::Distance(GetPosition(), player->GetPosition());
}

void EnemyBase::SetState(std::unique_ptr<State> state) { state_ = std::move(state); }

void EnemyBase::Submit(std::vector<Render::ModelDraw>& out) const {
    if (DistanceToPlayer() > kActiveDistance) return;
    Object::Submit(out);
}

void EnemyBase::Damage(int amount, const Vector3& hitPosition) {
    EffectList* effects = GetEffectList();
    if (effects) {
        effects->AddHit(hitPosition);
        if (amount > kCriticalDamage) {
            ResourceCache& cache = ResourceCache::GetInstance();
            for (const Flash& flash : kCriticalFlashes) {
                SmokeDesc puff;
                puff.texture = cache.GetTexture(flash.texture);
                puff.position = hitPosition;
                puff.life = kFlashLife;
                puff.alpha = {flash.alphaStart, flash.alphaEnd};
                puff.size = {flash.sizeStart, flash.sizeEnd};
                puff.additive = flash.additive;
                effects->AddSmoke(puff);
            }
        }
    }
    hp_ -= amount;
    if (hp_ <= 0) alive_ = false;
}

bool EnemyBase::SenseFrame() {
    if (senseInterval_ <= 0 || senseCounter_ % senseInterval_ != 0) return false;
    senseCounter_ = 0;
    return true;
}

bool EnemyBase::CanSeePlayer() {
    if (!SenseFrame()) return false;
    const Player* player = GetPlayer();
    if (!player) return false;
    const Vector3 position = GetPosition();
    const Vector3 toPlayer = player->GetPosition() - position;
    const float d = toPlayer.Length();
    if (d > kSightDistance) return false;
    const Vector3 facing(matrix_._31, matrix_._32, matrix_._33);
    if (std::fabs(SignedAngle(facing, toPlayer)) > static_cast<float>(viewAngle_) * 0.5f) return false;

    const Stage* stage = world_->GetStage();
    const StageRays rays;
    if (!stage) return true;
    float distance = RayCaster::kNoHit;
    Vector3 normal;
    const Object* hit = rays.RayTestObjects(position, toPlayer.Normalized(), distance, normal, stage);
    return !(hit && distance < d);
}

void EnemyBase::MoveLocal(const Vector3& v) { SetMatrix(Matrix::CreateTranslation(v) * matrix_); }

bool EnemyBase::HasOwnFloorAt(const Vector3& position) const {
    const Stage* stage = world_ ? world_->GetStage() : nullptr;
    const StageRays rays;
    if (!stage) return true;
    const float ground = stage->GroundHeight(floor_);
    const Vector3 origin(position.x, ground + groundOffset_, position.z);
    float d = RayCaster::kNoHit;
    Vector3 n;
    if (!rays.RayTestStructure(origin, Vector3(0.0f, -1.0f, 0.0f), d, n, stage)) return false;
    // A face turned downwards is the underside of something the ray started
    // in (a wall, the solid under a stair flight).
    return n.y > 0.5f && std::fabs(origin.y - d - ground) <= kFloorTolerance;
}

bool EnemyBase::WalkLocal(const Vector3& v) {
    const Matrix moved = Matrix::CreateTranslation(v) * matrix_;
    if (!HasOwnFloorAt(moved.Translation())) return false;
    SetMatrix(moved);
    return true;
}

bool EnemyBase::CanBePushedTo(const Vector3& position) const {
    const Stage* stage = world_ ? world_->GetStage() : nullptr;
    const StageRays rays;
    if (!stage) return true;
    const Vector3 from = GetPosition();
    Vector3 step(position.x - from.x, 0.0f, position.z - from.z);
    const float length = step.Length();
    if (length > 0.0f) {
        // At the height of the wall ray: 2 below the origin standing on the floor.
        const Vector3 origin(from.x, stage->GroundHeight(floor_) + groundOffset_ - kWallRayDrop, from.z);
        float d = RayCaster::kNoHit;
        Vector3 n;
        if (rays.RayTestStructure(origin, step / length, d, n, stage) && d <= length) return false;
    }
    return HasOwnFloorAt(position);
}

void EnemyBase::FollowGround(float height, int floorIndex) {
    if (!SenseFrame()) return;
    const Stage* stage = world_ ? world_->GetStage() : nullptr;
    if (!stage) return;
    const float ground = stage->GroundHeight(floorIndex);
    const float dy = height - (matrix_._42 - ground);
    MoveLocal(Vector3(0.0f, dy, 0.0f));
}

void EnemyBase::PushFromWall() {
    if (!SenseFrame()) return;
    const Stage* stage = world_ ? world_->GetStage() : nullptr;
    const StageRays rays;
    if (!stage) return;
    const Vector3 position = GetPosition();
    const Vector3 origin(position.x, position.y - kWallRayDrop, position.z);
    const Vector3 facing(matrix_._31, matrix_._32, matrix_._33);
    float d = RayCaster::kNoHit;
    Vector3 n;
    if (!rays.RayTestStructure(origin, facing, d, n, stage)) return;
    // c is how squarely the zombie faces the wall. The push pushRadius / c - d
    // along the facing, which is (pushRadius - d * c) along the normal, is
    // written without the division: a wall met exactly edge-on (c = 0) or
    // from behind (c < 0) pushes nothing.
    const float c = (-facing).Dot(n);
    if (c > 0.0f && GetPushRadius() > d * c) {
        Matrix m = matrix_;
        m.Translation(position + n * (GetPushRadius() - d * c));
        if (HasOwnFloorAt(m.Translation())) SetMatrix(m);
    }
}

void EnemyBase::PlayGrowl() {
    if (!growl_) return;
    growl_->SetVolume(growlVolume_);
    growl_->SetCurveDistanceScaler(1.0f);
    growl_->Play3D(GetPosition(), true, true);
}

void EnemyBase::StopGrowl() {
    if (growl_) growl_->Stop();
}

void EnemyBase::PlayFootstep() {
    if (!footstep_ || footstep_->IsPlaying()) return;
    footstep_->SetCurveDistanceScaler(0.1f);
    footstep_->Play3D(GetPosition(), false, true);
}

void EnemyBase::UpdateSounds() {
    const Player* player = GetPlayer();
    AudioListener& listener = AudioManager::GetInstance().listener;
    for (const std::shared_ptr<VeSoundInstance>& sound : {growl_, footstep_}) {
        if (!sound || !sound->IsPlaying()) continue;
        sound->SetPosition(GetPosition());
        if (player) {
            const Matrix& camera = player->GetMatrixRef();
            listener.position = player->GetPosition();
            listener.front = player->GetForward();
            listener.top = Vector3(camera._21, camera._22, camera._23);
        }
        sound->Apply3D();
    }
    if (world_ && world_->IsEnding() && growl_ && growl_->IsPlaying()) {
        growl_->SetVolume(growlVolume_);
        growlVolume_ -= kGrowlFadeStep;
        if (growlVolume_ <= 0.0f) growl_->Stop();
    }
}

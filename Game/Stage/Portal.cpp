// The generator core: waves of woken holes, hits passed to the nearest
// light, and its death with the explosion.
#include "Game/Stage/Portal.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/GameWorld.h"
#include "Game/Stage/Generator.h"
#include "Game/Stage/GeneratorSmoke.h"
#include "Game/Stage/Interaction.h"

using namespace StageInteraction;

namespace {
constexpr int kMaxEnemiesForWave = 80;
}

Portal::Portal(GameWorld* world) : world_(world) {
    ResourceCache& cache = ResourceCache::GetInstance();
    VeModel* model = cache.GetModel(asset::model::kPortal);
    AddModelPart(Matrix(), Matrix(), 1, model, model);
    alpha_ = 3.0f;
    explosionSound_ = cache.CreateSoundInstance(asset::sound::kExplosion, true);
    if (explosionSound_) explosionSound_->SetCurveDistanceScaler(2.0f);
}

Portal::~Portal() {
    if (explosionSound_) explosionSound_->Stop();
}

void Portal::AddHole(PortalHole* hole) { holes_.push_back(hole); }
void Portal::AddLight(PortalLight* light) { lights_.push_back(light); }

int Portal::CountLitLights() const {
    int count = 0;
    for (const PortalLight* light : lights_)
        if (light->IsAlive()) ++count;
    return count;
}

void Portal::Update() {
    if (alive_) {
        healthSum_ = 0;
        healthMaxSum_ = 0;
        for (const PortalLight* light : lights_) {
            healthSum_ += light->GetHealth();
            healthMaxSum_ += light->GetMaxHealth();
        }

        spawnTimer_ -= 1;
        if (spawnTimer_ >= 0) return;
        spawnTimer_ = spawnInterval_;

        wakeCount_ = std::min(wakeCount_, static_cast<int>(holes_.size()));
        std::vector<int> lit;
        for (size_t i = 0; i < lights_.size() && i < holes_.size(); ++i)
            if (lights_[i]->IsAlive()) lit.push_back(static_cast<int>(i));
        const int n = static_cast<int>(lit.size());
        Math::Random& random = RandomOf(world_);
        for (int i = 0; i < n; ++i) std::swap(lit[i], lit[random.Next() % n]);

        EnemyList* enemies = world_ ? world_->GetEnemyList() : nullptr;
        for (int i = 0; i < wakeCount_; ++i) {
            if (enemies && enemies->Count() > kMaxEnemiesForWave) break;
            if (i >= n) break;
            const int k = lit[i];
            if (lights_[k]->IsAlive()) {
                holes_[k]->Wake();
                lights_[k]->StartWarning();
            }
        }
        return;
    }

    // Dead: smoke rises around the wreck while the explosion fades out.
    Math::Random& random = RandomOf(world_);
    const float r = static_cast<float>(3 + random.Next() % 7);
    const float t = static_cast<float>(random.Next() % 360) * kDegToRad;
    const float h = static_cast<float>(6 + random.Next() % 7);
    (void)random.Next();
    GeneratorSmoke::DeadCore(world_, GetPosition() + Vector3(r * std::sin(t), h, r * std::cos(t)));

    if (explosionVolume_ > 0.0f) {
        explosionVolume_ += explosionFade_;
        if (explosionSound_) explosionSound_->SetVolume(std::max(explosionVolume_, 0.0f));
        if (explosionVolume_ <= 0.0f && explosionSound_) explosionSound_->Stop();
    }
}

void Portal::Damage(int amount, const Vector3& hitPosition) {
    // The hit goes to the light whose smoke centre is nearest (the first on a
    // tie).
    PortalLight* nearest = nullptr;
    float best = 0.0f;
    for (PortalLight* light : lights_) {
        const float d = Vector3::Distance(light->GetEffectPosition(), hitPosition);
        if (!nearest || d < best) {
            nearest = light;
            best = d;
        }
    }
    if (nearest) nearest->TakeDamage(amount);

    int lit = 0;
    for (size_t i = 0; i < lights_.size(); ++i) {
        if (!lights_[i]->IsAlive()) {
            if (i < holes_.size()) holes_[i]->SetDestroyed();
        } else {
            ++lit;
        }
    }

    // Only the hit that kills the last light sets off the explosion: bullets
    // still in flight must not restart it.
    if (lit == 0 && alive_) {
        alive_ = false;
        if (explosionSound_) {
            PlaceListenerAtPlayer(world_);
            // Play3D starts a voice at volume 1: the explosion's own volume
            // (2) is set after it.
            explosionSound_->Play3D(GetPosition(), false, false);
            explosionSound_->SetVolume(explosionVolume_);
        }
    }

    GeneratorSmoke::Hit(world_, hitPosition);
}

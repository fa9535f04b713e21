// Generator lights, holes, pipes and sphere, their smoke puffs, and the
// generator builder.
#include "Game/Stage/Generator.h"

#include <algorithm>
#include <cmath>

#include "Framework/Audio/Audio.h"
#include "Framework/ResourceCache.h"
#include "Game/AssetPaths.h"
#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/GameWorld.h"
#include "Game/Stage/GeneratorSmoke.h"
#include "Game/Stage/Interaction.h"
#include "Game/Stage/Portal.h"
#include "Game/Stage/Stage.h"

using namespace StageInteraction;

// ---------------------------------------------------------------- smoke

namespace GeneratorSmoke {
namespace {

// A puff of one cell of the smoke sheet at the position, living the given
// frames; at rest and unchanging until a kind says otherwise.
SmokeDesc Puff(const Vector3& position, int life, const Vector2& cellTopLeft, const Vector2& cellBottomRight) {
    SmokeDesc puff;
    puff.texture = ResourceCache::GetInstance().GetTexture(asset::texture::kSmoke);
    puff.position = position;
    puff.life = life;
    puff.uvTopLeft = cellTopLeft;
    puff.uvBottomRight = cellBottomRight;
    return puff;
}

void Add(GameWorld* world, const SmokeDesc& puff) {
    if (EffectList* effects = world ? world->GetEffectList() : nullptr) effects->AddSmoke(puff);
}

}  // namespace

void Hit(GameWorld* world, const Vector3& position) {
    SmokeDesc puff = Puff(position, 10, Vector2(0.375f, 0.125f), Vector2(0.5f, 0.25f));
    puff.size = {0.1f, 7.0f};
    Add(world, puff);
}

void DeadCore(GameWorld* world, const Vector3& position) {
    Math::Random& random = RandomOf(world);
    const float c = static_cast<float>(random.Next() % 8) * 0.125f;
    const float size = static_cast<float>(10 + random.Next() % 50);
    SmokeDesc puff = Puff(position, 20, Vector2(c, 0.125f), Vector2(c + 0.125f, 0.25f));
    puff.alpha = {1.0f, 0.0f};
    puff.size = {0.1f, size};
    Add(world, puff);
}

void LightBurst(GameWorld* world, const Vector3& position, const Vector3& velocity) {
    const float size = static_cast<float>(3 + RandomOf(world).Next() % 4);
    SmokeDesc puff = Puff(position, 30, Vector2(0.0f, 0.3f), Vector2(0.125f, 0.475f));
    puff.direction = velocity;
    puff.alpha = {1.0f, 0.0f};
    puff.speed = {0.01f, 0.001f};
    puff.size = {0.0f, size};
    Add(world, puff);
}

void Dead(GameWorld* world, const Vector3& position, const Vector3& velocity) {
    SmokeDesc puff = Puff(position, 180, Vector2(0.875f, 0.375f), Vector2(1.0f, 0.5f));
    puff.direction = velocity;
    puff.alpha = {1.0f, 0.0f};
    puff.speed = {0.02f, 0.001f};
    puff.size = {1.0f, 5.0f};
    Add(world, puff);
}

}  // namespace GeneratorSmoke

namespace {

// A jitter of -0.5 .. 0.5 in steps of 0.1.
float Jitter(Math::Random& random) { return static_cast<float>(random.Next() % 11 - 5) / 10.0f; }

}  // namespace

// ---------------------------------------------------------------- PortalLight

PortalLight::PortalLight(GameWorld* world) : world_(world) {
    AddModelPart(Matrix(), Matrix(), 0, ResourceCache::GetInstance().GetModel(asset::model::kPortalLight), nullptr);
}

void PortalLight::Submit(std::vector<Render::ModelDraw>& out) const { SubmitParts(out, colour_.x, colour_.y, colour_.z, alpha_); }

void PortalLight::EmitPair(bool deadSmoke) {
    Math::Random& random = RandomOf(world_);
    const Vector3 velocity = RandomDirection(random) * 0.01f;
    for (float lift : {6.0f, -6.0f}) {
        const float jx = Jitter(random), jy = Jitter(random), jz = Jitter(random);
        const Vector3 p = effectPosition_ + Vector3(jx, lift + jy, jz);
        if (deadSmoke)
            GeneratorSmoke::Dead(world_, p, velocity);
        else
            GeneratorSmoke::LightBurst(world_, p, velocity);
    }
}

void PortalLight::TakeDamage(int amount) {
    if (!alive_) return;
    health_ -= amount;
    if (health_ >= 0) return;
    health_ = 0;
    alive_ = false;
    if (auto bomb = ResourceCache::GetInstance().CreateSoundInstance(asset::sound::kBomb, true)) {
        bomb->SetCurveDistanceScaler(3.0f);
        PlaceListenerAtPlayer(world_);
        bomb->Play3D(GetPosition(), false, true);
    }
    for (int i = 0; i < 10; ++i) EmitPair(false);
}

void PortalLight::Update() {
    if (alive_ && warning_) {
        warningTime_ += 1.0f;
        colour_ = Vector3(2.0f * std::sin(warningTime_), 0.0f, 0.0f);
        if (warningTime_ > 180.0f) {
            warningTime_ = 0.0f;
            warning_ = false;
        }
    } else if (alive_) {
        blinkTimer_ -= 1.0f;
        if (blinkTimer_ < 0.0f) {
            // A damaged light drops to the darker grey more often.
            const float p = static_cast<float>(health_) / static_cast<float>(maxHealth_) * 100.0f;
            const bool bright = static_cast<float>(RandomOf(world_).Next() % 100) < p || health_ == maxHealth_;
            const float grey = bright ? 0.8f : 0.5f;
            colour_ = Vector3(grey, grey, grey);
            blinkTimer_ = p / 10.0f;
        }
    } else {
        colour_ = Vector3(0.1f, 0.1f, 0.1f);
        if (RandomOf(world_).Next() % 100 >= 90)
            for (int i = 0; i < 3; ++i) EmitPair(true);
    }
}

// ---------------------------------------------------------------- PortalHole

PortalHole::PortalHole(GameWorld* world) : world_(world) {
    ResourceCache& cache = ResourceCache::GetInstance();
    VeModel* model = cache.GetModel(asset::model::kPortalHole);
    AddModelPart(Matrix(), Matrix(), 0, model, model);
    generatorSound_ = cache.CreateSoundInstance(asset::sound::kGenerator, true);
}

PortalHole::~PortalHole() {
    if (generatorSound_) generatorSound_->Stop();
}

void PortalHole::Spawn() {
    EnemyList* enemies = world_ ? world_->GetEnemyList() : nullptr;
    Matrix m = matrix_;
    m._42 += 5.0f;
    Portal* portal = stage_ ? stage_->GetPortal() : nullptr;
    bool strong = false;
    if (!portal || portal->CountLitLights() <= 4) strong = RandomOf(world_).Next() % 100 < 60;
    if (strong) {
        ++strongSpawns_;
        if (enemies) enemies->AddStrong(m);
    } else {
        ++normalSpawns_;
        if (enemies) enemies->AddNormal(m);
    }
}

void PortalHole::Update() {
    if (destroyed_) {
        if (generatorSound_ && generatorSound_->IsPlaying()) generatorSound_->Stop();
        GeneratorSmoke::Dead(world_, GetPosition(), RandomDirection(RandomOf(world_)) * 0.01f);
        return;
    }
    if (!awake_) return;

    // One phase a frame: opening (101 frames), waiting (100), closing (101).
    if (opening_) {
        if (generatorSound_ && !generatorSound_->IsPlaying()) {
            PlaceListenerAtPlayer(world_);
            generatorSound_->Play3D(GetPosition(), true, false);
        }
        uvOffset_.y -= 0.005f;
        if (uvOffset_.y < -0.5f) {
            uvOffset_.y = -0.5f;
            spawnTimer_ = 0.0f;
            opening_ = false;
            waiting_ = true;
        }
    } else if (waiting_) {
        spawnTimer_ += 0.1f;
        if (spawnTimer_ > 10.0f) {
            Spawn();
            waiting_ = false;
            closing_ = true;
            spawned_ = true;
            if (generatorSound_) generatorSound_->Stop();
        }
    } else if (closing_) {
        uvOffset_.y += 0.005f;
        if (uvOffset_.y > 0.0f) {
            uvOffset_.y = 0.0f;
            spawnTimer_ = 0.0f;
            opening_ = true;
            waiting_ = false;
            closing_ = false;
            awake_ = false;
            spawned_ = false;
        }
    }
}

// ---------------------------------------------------------------- Pipe

Pipe::Pipe() {
    VeModel* model = ResourceCache::GetInstance().GetModel(asset::model::kPipe);
    AddModelPart(Matrix(), Matrix(), 0, model, model);
}

void Pipe::Submit(std::vector<Render::ModelDraw>& out) const { SubmitParts(out, colour_.x, colour_.y, colour_.z, alpha_); }

void Pipe::Update() {
    auto scroll = [this]() {
        uvOffset_.y += 0.01f;
        if (uvOffset_.y > 1.0f) uvOffset_.y -= 1.0f;
    };
    if (hole_ && hole_->IsAwake() && !hole_->IsSpawned() && !hole_->IsDestroyed()) {
        scroll();
        colour_.x = std::min(colour_.x + 0.03f, 1.0f);
        colour_.y = std::min(colour_.y + 0.03f, 1.0f);
        colour_.z = std::min(colour_.z + 0.03f, 1.0f);
        return;
    }
    colour_.x -= 0.02f;
    colour_.y -= 0.02f;
    colour_.z -= 0.02f;
    if (colour_.x < 0.0f && colour_.y < 0.0f && colour_.z < 0.0f)
        colour_ = Vector3(0.0f, 0.0f, 0.0f);
    else
        scroll();
}

// ---------------------------------------------------------------- PortalSphere

PortalSphere::PortalSphere(GameWorld* world) : world_(world) {
    AddModelPart(Matrix(), Matrix(), 0, ResourceCache::GetInstance().GetModel(asset::model::kPortalSphere), nullptr);
    alpha_ = 0.7f;
}

void PortalSphere::Submit(std::vector<Render::ModelDraw>& out) const { SubmitParts(out, colour_.x, colour_.y, colour_.z, alpha_); }

void PortalSphere::Update() {
    float e = 0.0f;
    if (portal_ && portal_->GetHealthMaxSum() > 0)
        e = static_cast<float>(portal_->GetHealthSum()) / static_cast<float>(portal_->GetHealthMaxSum());
    colour_ = Vector3(1.0f - e, e, 0.0f);
    const Vector3 centre = GetPosition() + Vector3(0.0f, 9.0f, 0.0f);
    if (world_) world_->AddPointLight(colour_, centre, 10.0f);
    if (e * 100.0f > static_cast<float>(RandomOf(world_).Next() % 150)) {
        EffectList* effects = world_ ? world_->GetEffectList() : nullptr;
        if (effects)
            for (int i = 0; i < 10; ++i) effects->AddElectronic(centre, this, colour_);
    }
}

// ---------------------------------------------------------------- builder

Portal* BuildGenerator(Stage* stage, const Matrix& world) {
    GameWorld* game = stage->GetWorld();
    const int floor = stage->GetFloor(world.Translation());
    const float size = stage->GetGeneratorSize();
    // Places a part of the generator, appends it to the stage and returns it.
    auto place = [stage, floor](auto object, const Matrix& m, ObjectKind kind) {
        object->SetMatrix(m);
        object->SetKind(kind);
        object->SetStage(stage);
        object->SetFloor(floor);
        return stage->Add(std::move(object));
    };

    auto core = std::make_unique<Portal>(game);
    core->SetPushShape(PushShape::Circle(10.0f));
    Portal* portal = place(std::move(core), world, kKindPortal);
    stage->SetPortal(portal);

    auto sphere = std::make_unique<PortalSphere>(game);
    sphere->SetPortal(portal);
    sphere->SetTranslucent(true);
    place(std::move(sphere), world, kKindPortalPart);

    for (int a = 0; a < 360; a += 45) {
        const Matrix turn = Matrix::CreateRotationY(static_cast<float>(a) * kDegToRad);

        PortalLight* light = place(std::make_unique<PortalLight>(game), turn * world, kKindPortalPart);
        light->SetEffectPosition(
            Vector3::Transform(Vector3::Transform(Vector3(0.0f, size / 2.0f, -8.0f), turn), world));

        Pipe* pipe = place(std::make_unique<Pipe>(), turn * world, kKindPortalPart);

        // 36 out and one generator size up, facing the centre.
        PortalHole* hole =
            place(std::make_unique<PortalHole>(game), Matrix::CreateTranslation(0.0f, size, -36.0f) * turn * world,
                  kKindPortalHole);

        pipe->SetHole(hole);
        portal->AddHole(hole);
        portal->AddLight(light);
    }
    return portal;
}

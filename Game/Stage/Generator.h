// The parts of the zombie generator around its core (Portal.h): the eight
// lights that carry its health, the pipes that glow while energy flows to a
// hole, the holes that open, let one zombie out and close, and the
// translucent sphere over the core that shows the remaining health. Also
// the builder of the whole assembly.
#pragma once

#include <memory>

#include "Game/Object/Object.h"

class GameWorld;
class Portal;
class Stage;
class VeSoundInstance;

class PortalLight : public Object {
public:
    explicit PortalLight(GameWorld* world);

    void Update() override;
    void Submit(std::vector<Render::ModelDraw>& out) const override;

    // Ignored once dead; dies when the health drops below zero.
    void TakeDamage(int amount);
    bool IsAlive() const { return alive_; }
    // The red flicker after the light's hole was woken.
    void StartWarning() { warning_ = true; warningTime_ = 0.0f; }
    bool IsWarning() const { return warning_; }
    void SetEffectPosition(const Vector3& p) { effectPosition_ = p; }
    Vector3 GetEffectPosition() const { return effectPosition_; }
    int GetHealth() const { return health_; }
    int GetMaxHealth() const { return maxHealth_; }
    Vector3 GetColour() const { return colour_; }

private:
    // Two smoke puffs, one above and one below the effect position, moving
    // in one random direction.
    void EmitPair(bool deadSmoke);

    int health_ = 10;
    int maxHealth_ = 10;
    Vector3 colour_{0.7f, 0.7f, 0.7f};
    Vector3 effectPosition_;
    bool alive_ = true;
    bool warning_ = false;
    float warningTime_ = 0.0f;
    float blinkTimer_ = 0.0f;
    GameWorld* world_ = nullptr;
};

class PortalHole : public Object {
public:
    explicit PortalHole(GameWorld* world);
    ~PortalHole() override;

    void Update() override;

    bool IsAwake() const { return awake_; }
    bool IsSpawned() const { return spawned_; }
    bool IsDestroyed() const { return destroyed_; }
    bool IsOpening() const { return opening_; }
    bool IsWaiting() const { return waiting_; }
    bool IsClosing() const { return closing_; }
    void Wake() { awake_ = true; }
    void SetDestroyed() { destroyed_ = true; }
    const std::shared_ptr<VeSoundInstance>& GetGeneratorSound() const { return generatorSound_; }
    // Zombies this hole has let out, by kind.
    int GetNormalSpawns() const { return normalSpawns_; }
    int GetStrongSpawns() const { return strongSpawns_; }

private:
    void Spawn();

    bool opening_ = true;
    bool waiting_ = false;
    float spawnTimer_ = 0.0f;
    bool closing_ = false;
    bool awake_ = false;
    bool spawned_ = false;
    bool destroyed_ = false;
    std::shared_ptr<VeSoundInstance> generatorSound_;
    GameWorld* world_ = nullptr;
    int normalSpawns_ = 0;
    int strongSpawns_ = 0;
};

class Pipe : public Object {
public:
    Pipe();

    void Update() override;
    void Submit(std::vector<Render::ModelDraw>& out) const override;
    void SetHole(PortalHole* hole) { hole_ = hole; }
    Vector3 GetColour() const { return colour_; }

private:
    PortalHole* hole_ = nullptr;
    Vector3 colour_{0.0f, 0.0f, 0.0f};
};

class PortalSphere : public Object {
public:
    explicit PortalSphere(GameWorld* world);

    void Update() override;
    void Submit(std::vector<Render::ModelDraw>& out) const override;
    // The first core given is kept.
    void SetPortal(Portal* portal) {
        if (!portal_) portal_ = portal;
    }
    Vector3 GetColour() const { return colour_; }

private:
    Portal* portal_ = nullptr;
    Vector3 colour_{0.0f, 1.0f, 0.0f};
    GameWorld* world_ = nullptr;
};

// Builds the generator at the world matrix: the core (which becomes the
// stage's portal), the sphere, then for each of the eight directions a
// light, a pipe and a hole. Returns the core.
Portal* BuildGenerator(Stage* stage, const Matrix& world);

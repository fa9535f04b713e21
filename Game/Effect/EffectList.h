// Spawns, runs and draws the effects of a game. Bullet holes live in
// a list of their own (at most 50, the oldest pushed out first); every other
// effect lives in the main list and is removed in the frame it ends. Their
// quads go to the renderer in two passes, alpha-blended or additive.
#pragma once

#include <list>
#include <memory>

#include "Framework/Math/Random.h"
#include "Framework/Math/SimpleMath.h"
#include "Game/Effect/Effect.h"

class GameWorld;
class Object;
class VeTexture;
class Smoke;
class Bullet;

// A smoke particle to spawn (EffectList::AddSmoke): a square of the
// texture's cell that drifts along a direction while its opacity, speed and
// size change evenly from their start to their end values over its life.
struct SmokeDesc {
    struct Change {
        float start;
        float end;
    };
    VeTexture* texture = nullptr;
    Vector3 position;
    // The way it drifts (only the direction counts; speed gives the length).
    Vector3 direction;
    // Frames it lives.
    int life = 0;
    Vector2 uvTopLeft{0.0f, 0.0f};
    Vector2 uvBottomRight{1.0f, 1.0f};
    Change alpha{1.0f, 1.0f};
    Change speed{0.0f, 0.0f};
    Change size{1.0f, 1.0f};
    bool additive = false;
};

class EffectList {
public:
    static constexpr size_t kMaxDecals = 50;

    explicit EffectList(GameWorld* world);
    ~EffectList();
    EffectList(const EffectList&) = delete;
    EffectList& operator=(const EffectList&) = delete;

    // Updates every effect, then every bullet hole; removes the effects that
    // ended; trims the bullet holes to the newest 50.
    void Update();
    // Bullet holes, then the effects not marked to draw last (additive ones
    // blend additively).
    void SubmitFirstPass(std::vector<Render::EffectQuad>& out) const;
    // The effects marked to draw last.
    void SubmitSecondPass(std::vector<Render::EffectQuad>& out) const;

    // Appends a ready effect to the main list / the bullet-hole list. The
    // spawn operations below end with these.
    void Append(const std::shared_ptr<Effect>& effect);
    void AppendDecal(const std::shared_ptr<Effect>& decal);

    // Spawn operations of the effect kinds.
    //
    // A shot's bullet: from the muzzle along the unit direction to the hit
    // at the given distance, with the hit's normal, object and damage. A
    // bullet without a target (a miss) flies out of sight and ends there.
    void AddBullet(const Vector3& muzzle, const Vector3& direction, float distance, const Vector3& normal,
                   Object* target, int damage);
    // The hole left by an arriving bullet at its end point, facing along its
    // normal, on its target (a bullet-hole list entry).
    void AddBulletHole(const Bullet& bullet);
    // A blob shadow under the owner's position + offset, ending when the
    // owner's flag goes false or the owner is deleted.
    void AddCircleShadow(Object* owner, const Vector3& offset, const bool* ownerFlag);
    // An electric spark at the position, in the spawning object's colour.
    void AddElectronic(const Vector3& position, Object* owner, const Vector3& colour = Vector3(1.0f, 1.0f, 1.0f));
    // Five sparks flying on within 80 degrees either side of the gun's shot
    // direction.
    void AddHit(const Vector3& position);
    // The flash of a shot, following the gun's muzzle.
    void AddMuzzleFlash(const Vector3& position);
    // A smoke particle as described.
    std::shared_ptr<Smoke> AddSmoke(const SmokeDesc& desc);
    // A bubble rising the given height.
    void AddBubble(const Vector3& position, float height);
    // A vomit from start towards target at speed units a frame; it hurts the
    // player by damage when it comes within radius of the player's body.
    void AddVomiting(const Vector3& start, const Vector3& target, float speed, float radius, int damage);

    GameWorld* GetWorld() const { return world_; }
    void SetWorld(GameWorld* world) { world_ = world; }
    // The random numbers the effects draw from: the world's own, so that a
    // spawn draws in its place in the game's one sequence.
    Math::Random& GetRandom() const;
    const std::list<std::shared_ptr<Effect>>& GetEffects() const { return effects_; }
    const std::list<std::shared_ptr<Effect>>& GetDecals() const { return decals_; }

private:
    void SubmitEffects(std::vector<Render::EffectQuad>& out, bool drawLast) const;

    GameWorld* world_ = nullptr;
    std::list<std::shared_ptr<Effect>> effects_;
    std::list<std::shared_ptr<Effect>> decals_;
};

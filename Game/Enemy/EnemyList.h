// The live zombies of a game: created by the level builder and the
// generator holes, kept apart from each other and from the player, updated
// first of all objects every frame (only those on the player's floor),
// drawn after the stage's opaque pass, and deleted once they have finished
// dying.
#pragma once

#include <memory>
#include <vector>

#include "Framework/Math/SimpleMath.h"
#include "Framework/Render/RenderFrame.h"
#include "Game/Object/PointerView.h"

class EnemyBase;
class GameWorld;
class Zombie;

class EnemyList {
public:
    // Attack range of every zombie during the game's ending: too short to
    // start or land an attack.
    static constexpr float kEndingAttackRange = 1.0f;

    explicit EnemyList(GameWorld* world);
    // Stops every zombie's groan and deletes the zombies.
    ~EnemyList();
    EnemyList(const EnemyList&) = delete;
    EnemyList& operator=(const EnemyList&) = delete;

    // Creates a normal / strong zombie at the given world matrix: the first
    // step of its falling-in pose, the world, its floor from its height and
    // its blob shadow; then appends it.
    EnemyBase* AddNormal(const Matrix& m);
    EnemyBase* AddStrong(const Matrix& m);

    // Appends an already created zombie (the list owns it from now on),
    // gives it the world and its floor from its current position, and
    // returns it (null for null).
    template <class T>
    T* Add(std::unique_ptr<T> enemy) {
        T* added = enemy.get();
        AddEnemy(std::move(enemy));
        return added;
    }

    // Keeps the zombies apart, deletes finished ones, counts the frame,
    // marks those on the player's floor active and updates them; during the
    // ending shortens every attack range to 1.
    void Update();
    // Hands over the zombies on the player's floor.
    void Submit(std::vector<Render::ModelDraw>& out) const;
    // Deletes every zombie whose finished flag is set, keeping the order.
    void RemoveFinished();
    // Stops every groan and deletes every zombie (tests and tools that want
    // the level without its zombies).
    void Clear();
    int Count() const { return static_cast<int>(enemies_.size()); }
    // The zombies, in the order they were added.
    PointerView<EnemyBase> GetEnemies() const { return PointerView<EnemyBase>(enemies_); }
    GameWorld* GetWorld() const { return world_; }

private:
    void AddEnemy(std::unique_ptr<EnemyBase> enemy);
    // Places a new zombie at m with the first step of its falling-in pose,
    // appends it and gives it its blob shadow.
    EnemyBase* AddZombie(std::unique_ptr<Zombie> zombie, const Matrix& m);
    // Pushes every zombie out of the stage's furniture, then moves each live
    // active zombie off the first later zombie it overlaps and off the player.
    void Separate();
    // Moves the zombie straight away from a point by the overlap of the two
    // radii, then out of the stage's furniture.
    void PushApart(EnemyBase& enemy, const Vector3& other, float overlap);
    void PushOutOfStage(EnemyBase& enemy);

    std::vector<std::unique_ptr<EnemyBase>> enemies_;
    GameWorld* world_ = nullptr;
};

// The live zombies of the game scene: created by the level builder and the
// generator holes, updated first of all objects every frame, drawn after the
// stage's opaque pass, and deleted once they have finished dying.
#pragma once

#include <vector>

#include "Framework/Math/SimpleMath.h"

class EnemyBase;
class GameScene;

class EnemyList {
public:
    explicit EnemyList(GameScene* scene);
    // Deletes every zombie.
    ~EnemyList();
    EnemyList(const EnemyList&) = delete;
    EnemyList& operator=(const EnemyList&) = delete;

    // Creates a normal / strong zombie at the given world matrix and adds it.
    // The zombie kinds are not part of the game yet: until they are, these
    // create nothing and return nullptr.
    EnemyBase* AddNormal(const Matrix& m);
    EnemyBase* AddStrong(const Matrix& m);

    // Appends an already created zombie (the list owns it from now on) and
    // gives it the scene and its floor.
    EnemyBase* Add(EnemyBase* enemy);

    // Deletes finished zombies, marks those on the player's floor active and
    // updates them.
    void Update();
    // Draws the zombies on the player's floor.
    void Draw();
    // Deletes every zombie whose finished flag is set, keeping the order.
    void RemoveFinished();
    int Count() const { return static_cast<int>(enemies_.size()); }
    const std::vector<EnemyBase*>& GetEnemies() const { return enemies_; }
    std::vector<EnemyBase*>& GetEnemies() { return enemies_; }
    GameScene* GetScene() const { return scene_; }

private:
    std::vector<EnemyBase*> enemies_;
    GameScene* scene_ = nullptr;
};

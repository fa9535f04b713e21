// Common base of the zombies. This is the part of the base that the game
// scene and the player rely on today: the alive and finished flags, the
// height of the body origin above the ground (the player's push measures
// from the ground) and the owning scene. The zombie kinds, their sounds,
// damage rule, sight test and state machine are added with the enemies.
#pragma once

#include "Game/Object/Object.h"

class GameScene;

class EnemyBase : public Object {
public:
    EnemyBase() { kind_ = kKindEnemy; }
    ~EnemyBase() override = default;

    void Update() override {}
    void Draw() override { Object::Draw(); }

    bool IsAlive() const { return alive_; }
    void SetAlive(bool alive) { alive_ = alive; }
    bool IsFinished() const { return finished_; }
    void SetFinished(bool finished) { finished_ = finished; }
    float GetGroundOffset() const { return groundOffset_; }
    void SetGroundOffset(float offset) { groundOffset_ = offset; }
    GameScene* GetScene() const { return scene_; }
    void SetScene(GameScene* scene) { scene_ = scene; }

protected:
    GameScene* scene_ = nullptr;
    float groundOffset_ = 0.0f;
    bool alive_ = true;
    bool finished_ = false;
};

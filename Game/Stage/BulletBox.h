// An ammunition box. The player takes it by looking at it from close by and
// pressing the right button: 20 rounds go to the reserve, the box disappears
// and comes back after 3600 of its own updates (it only counts while the
// player is on its floor).
#pragma once

#include "Game/Object/Object.h"

class GameWorld;
class Stage;

class BulletBox : public Object {
public:
    static constexpr int kRounds = 20;

    explicit BulletBox(GameWorld* world);

    void Update() override;
    // Drawn only while it can be taken.
    void Submit(std::vector<Render::ModelDraw>& out) const override;

    bool IsAvailable() const { return available_; }
    int GetRespawnCounter() const { return respawnCounter_; }

private:
    bool available_ = true;
    int respawnFrames_ = 3600;
    int respawnCounter_ = 0;
    GameWorld* world_ = nullptr;
};

// Creates a box at the world matrix and appends it to the stage.
BulletBox* BuildBulletBox(Stage* stage, const Matrix& world);

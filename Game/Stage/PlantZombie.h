// The zombie floating in a plant tank: it bobs up and down, lets bubbles
// rise and glows green.
#pragma once

#include "Game/Object/Object.h"

class GameWorld;

class PlantZombie : public Object {
public:
    explicit PlantZombie(GameWorld* world);

    void Update() override;
    void SetRestPosition(const Vector3& p) { restPosition_ = p; }
    Vector3 GetRestPosition() const { return restPosition_; }

private:
    float phase_ = 0.0f;
    int bubbleChance_ = 20;
    Vector3 restPosition_;
    GameWorld* world_ = nullptr;
};

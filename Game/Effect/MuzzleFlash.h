// The flash at the muzzle of a shot: a camera-facing, randomly rolled
// square drawn additively after everything else, following the gun's muzzle
// and growing by 1.0 a frame for five frames.
#pragma once

#include "Game/Effect/Effect.h"

class GameWorld;

class MuzzleFlash : public Effect {
public:
    void Update() override;

    float GetLife() const { return life_; }
    float GetScale() const { return scale_; }
    int GetRoll() const { return roll_; }

private:
    friend class EffectList;
    // Faces the camera at the matrix's position, rolled by roll_ degrees.
    void Face();

    float life_ = 5.0f;
    int roll_ = 0;
    float scale_ = 0.1f;
    GameWorld* world_ = nullptr;
};

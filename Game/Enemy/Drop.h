// Falling in after being spawned: the zombie drops with growing speed until
// its origin is groundOffset above its floor, then starts wandering. A
// zombie killed in the air lands first.
#pragma once

#include "Game/Enemy/State.h"

class Drop : public State {
public:
    explicit Drop(Zombie& zombie);
    std::unique_ptr<State> Run(Zombie& zombie) override;

private:
    // Ground height of the zombie's floor, refreshed every step.
    float groundY_ = 0.0f;
    // Downward speed; grows by 0.1 a step.
    float fallSpeed_ = 0.0f;
};

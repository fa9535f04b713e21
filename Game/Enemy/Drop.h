// Falling in after being spawned: the zombie drops with growing speed until
// its origin is groundOffset above its floor, then starts wandering. A
// zombie killed in the air lands first.
#pragma once

#include "Game/Enemy/State.h"

class Drop : public State {
public:
    explicit Drop(Enemy_Normal& enemy);
    explicit Drop(Enemy_Strong& enemy);
    std::unique_ptr<State> Run(Enemy_Normal& enemy) override;
    std::unique_ptr<State> Run(Enemy_Strong& enemy) override;

    float GetGroundY() const { return groundY_; }
    float GetFallSpeed() const { return fallSpeed_; }

private:
    template <class Zombie>
    void Enter(Zombie& enemy);
    template <class Zombie>
    std::unique_ptr<State> Step(Zombie& enemy);

    float groundY_ = 0.0f;
    float fallSpeed_ = 0.0f;
};

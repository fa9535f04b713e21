// Wandering: the zombie walks forwards, turning towards a random heading,
// and picks a new heading when its timer runs out. Seeing the player, or
// being hurt, sets it chasing.
#pragma once

#include "Game/Enemy/State.h"

class WalkAround : public State {
public:
    explicit WalkAround(Enemy_Normal& enemy);
    explicit WalkAround(Enemy_Strong& enemy);
    std::unique_ptr<State> Run(Enemy_Normal& enemy) override;
    std::unique_ptr<State> Run(Enemy_Strong& enemy) override;

    float GetHeading() const { return heading_; }
    int GetTimer() const { return timer_; }
    int GetStartHp() const { return startHp_; }

private:
    template <class Zombie>
    void Enter(Zombie& enemy);
    template <class Zombie>
    std::unique_ptr<State> Step(Zombie& enemy);

    float heading_ = 0.0f;
    int timer_ = 0;
    int startHp_ = 0;
};

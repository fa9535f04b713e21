// Wandering: the zombie walks forwards, turning towards a random heading,
// and picks a new heading when its timer runs out. Seeing the player, or
// being hurt, sets it chasing.
#pragma once

#include "Game/Enemy/State.h"

class WalkAround : public State {
public:
    explicit WalkAround(Zombie& zombie);
    std::unique_ptr<State> Run(Zombie& zombie) override;

    float GetHeading() const { return heading_; }
    int GetTimer() const { return timer_; }
    int GetStartHp() const { return startHp_; }

private:
    float heading_ = 0.0f;
    int timer_ = 0;
    int startHp_ = 0;
};

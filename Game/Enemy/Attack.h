// Attacking: a wind-up from the entry pose to key 0, then a strike from key 0
// to key 1. The normal zombie's claws hit half-way through the strike if the
// player is still within reach; the strong zombie vomits at the player as
// the strike begins. Afterwards the zombie chases again.
#pragma once

#include "Game/Enemy/State.h"

class Attack : public State {
public:
    static constexpr int kWindUp = 0;
    static constexpr int kStrike = 1;
    static constexpr int kDone = 2;

    explicit Attack(Enemy_Normal& enemy);
    explicit Attack(Enemy_Strong& enemy);
    std::unique_ptr<State> Run(Enemy_Normal& enemy) override;
    std::unique_ptr<State> Run(Enemy_Strong& enemy) override;

    int GetPhase() const { return phase_; }
    bool IsHitDone() const { return hitDone_; }

private:
    template <class Zombie>
    void Enter(Zombie& enemy);

    int phase_ = kWindUp;
    bool hitDone_ = false;
    int fromSlot_ = 2;
    int toSlot_ = 0;
};

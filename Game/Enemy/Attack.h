// Attacking: a wind-up from the entry pose to key 0, then a strike from key 0
// to key 1; afterwards the zombie chases again. The kind's attack style says
// how the strike reaches the player: claws half-way through it on a player
// still within reach, or a vomit at the player as it begins.
#pragma once

#include "Framework/Math/SimpleMath.h"
#include "Game/Enemy/State.h"

class Attack : public State {
public:
    static constexpr int kWindUp = 0;
    static constexpr int kStrike = 1;
    static constexpr int kDone = 2;

    explicit Attack(Zombie& zombie);
    std::unique_ptr<State> Run(Zombie& zombie) override;

    int GetPhase() const { return phase_; }
    bool IsHitDone() const { return hitDone_; }

private:
    // At the end of a motion (t reached 1): the wind-up turns into the
    // strike, the strike ends the attack.
    void NextPhase(Zombie& zombie, float t);
    // Once a strike is half-way (t at 0.5 or more): the hit on the player.
    void Release(Zombie& zombie, float t, const Vector3& toPlayer);

    int phase_ = kWindUp;
    bool hitDone_ = false;
    int fromSlot_ = 2;
    int toSlot_ = 0;
};

// Dying: the body hops up, sinks until its origin rests half its push radius
// above the ground, lies there 180 frames and fades out over 120; then the
// zombie is finished and the enemy list deletes it.
#pragma once

#include "Game/Enemy/State.h"

class Dead : public State {
public:
    static constexpr int kLieFrames = 180;

    explicit Dead(Zombie& zombie);
    std::unique_ptr<State> Run(Zombie& zombie) override;

    float GetGroundY() const { return groundY_; }
    int GetFadeDelay() const { return fadeDelay_; }

private:
    float groundY_ = 0.0f;
    float fallSpeed_ = 0.0f;
    int fadeDelay_ = kLieFrames;
};

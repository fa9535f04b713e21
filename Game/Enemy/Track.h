// Chasing: the zombie walks at the player, turning up to 30 degrees a frame,
// with its groan playing. It gives up after 181 frames without sight and
// attacks once the player is within its attack range.
#pragma once

#include "Game/Enemy/State.h"

class Track : public State {
public:
    static constexpr int kMemory = 180;

    explicit Track(Zombie& zombie);
    std::unique_ptr<State> Run(Zombie& zombie) override;

    int GetLostTimer() const { return lostTimer_; }
    bool IsBlendDone() const { return blendDone_; }

private:
    bool blendDone_ = false;
    int fromSlot_ = 2;
    int toSlot_ = 0;
    int memory_ = kMemory;
    int lostTimer_ = kMemory;
};

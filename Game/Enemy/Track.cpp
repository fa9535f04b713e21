// Chasing.
#include "Game/Enemy/Track.h"

#include "Game/Enemy/Attack.h"
#include "Game/Enemy/Dead.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/WalkAround.h"
#include "Game/Enemy/Zombie.h"

Track::Track(Zombie& zombie) {
    memory_ = kMemory;
    lostTimer_ = kMemory;
    zombie.WritePoseKeys(PoseKeys::kTrack);
    zombie.SetMoveSpeed(0.03f);
    zombie.PlayGrowl();
    blendDone_ = false;
    fromSlot_ = zombie.GetZombieKind().chase.firstSwing.from;
    toSlot_ = zombie.GetZombieKind().chase.firstSwing.to;
    zombie.StartPose(0.03f, 0, 1);
}

std::unique_ptr<State> Track::Run(Zombie& zombie) {
    StateSteps::WalkForward(zombie);
    const Vector3 v = StateSteps::ToPlayer(zombie);
    TurnTowards(*zombie.GetMatrix(), HeadingOf(v), 30.0f);
    StateSteps::KeepOnGroundAndOffWalls(zombie);

    // The walk cycle: the kind's first swing, then its regular swing.
    const float t = zombie.StepPose(true, fromSlot_, toSlot_);
    if (!blendDone_ && t >= 1.0f) {
        blendDone_ = true;
        fromSlot_ = zombie.GetZombieKind().chase.swing.from;
        toSlot_ = zombie.GetZombieKind().chase.swing.to;
    }
    if (t <= 0.0f || t >= 1.0f) zombie.PlayFootstep();

    if (zombie.CanSeePlayer())
        lostTimer_ = memory_;
    else
        lostTimer_ -= 1;

    if (lostTimer_ < 0) return std::make_unique<WalkAround>(zombie);
    if (!zombie.IsAlive()) return std::make_unique<Dead>(zombie);
    if (zombie.GetAttackRange() > v.Length()) return std::make_unique<Attack>(zombie);
    return nullptr;
}

// Chasing.
#include "Game/Enemy/Track.h"

#include "Game/Enemy/Attack.h"
#include "Game/Enemy/Dead.h"
#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Enemy_Strong.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/PoseKeys.h"
#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/WalkAround.h"

Track::Track(Enemy_Normal& enemy) { Enter(enemy); }
Track::Track(Enemy_Strong& enemy) { Enter(enemy); }
std::unique_ptr<State> Track::Run(Enemy_Normal& enemy) { return Step(enemy); }
std::unique_ptr<State> Track::Run(Enemy_Strong& enemy) { return Step(enemy); }

template <class Zombie>
void Track::Enter(Zombie& enemy) {
    memory_ = kMemory;
    lostTimer_ = kMemory;
    WritePoseKeys(enemy, PoseKeys::kTrack);
    enemy.SetMoveSpeed(0.03f);
    enemy.PlayGrowl();
    blendDone_ = false;
    fromSlot_ = 2;
    toSlot_ = 0;
    enemy.StartPose(0.03f, 0, 1);
}

template <class Zombie>
std::unique_ptr<State> Track::Step(Zombie& enemy) {
    StateSteps::WalkForward(enemy);
    const Vector3 v = StateSteps::ToPlayer(enemy);
    TurnTowards(*enemy.GetMatrix(), HeadingOf(v), 30.0f);
    StateSteps::KeepOnGroundAndOffWalls(enemy);

    // The normal zombie's first swing blends from the entry pose into key 0;
    // after that it swings between keys 1 and 0. The strong one swings
    // between 0 and 1 from the start.
    float t;
    if constexpr (StateSteps::IsStrong<Zombie>())
        t = enemy.StepPose(true, 0, 1);
    else
        t = enemy.StepPose(true, fromSlot_, toSlot_);
    if (!blendDone_ && t >= 1.0f) {
        blendDone_ = true;
        fromSlot_ = 1;
        toSlot_ = 0;
    }
    if (t <= 0.0f || t >= 1.0f) enemy.PlayFootstep();

    if (enemy.CanSeePlayer())
        lostTimer_ = memory_;
    else
        lostTimer_ -= 1;

    if (lostTimer_ < 0) return std::make_unique<WalkAround>(enemy);
    if (!enemy.IsAlive()) return std::make_unique<Dead>(enemy);
    if (enemy.GetAttackRange() > v.Length()) return std::make_unique<Attack>(enemy);
    return nullptr;
}

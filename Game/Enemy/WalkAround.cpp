// Wandering.
#include "Game/Enemy/WalkAround.h"

#include "Game/Enemy/Dead.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/Track.h"
#include "Game/Enemy/Zombie.h"
#include "Game/GameWorld.h"

WalkAround::WalkAround(Zombie& zombie) {
    // Two draws in this order: 1 to 5 seconds, then a heading in whole degrees.
    Math::Random& random = RandomOf(zombie.GetWorld());
    timer_ = (random.Next() % 5 + 1) * 60;
    heading_ = static_cast<float>(random.Next() % 360);
    startHp_ = zombie.GetHp();
    zombie.StartPose(0.015f, 0, 1);
    zombie.WritePoseKeys(PoseKeys::kWalkAround);
    zombie.SetMoveSpeed(0.02f);
    zombie.StopGrowl();
}

std::unique_ptr<State> WalkAround::Run(Zombie& zombie) {
    StateSteps::WalkForward(zombie);
    TurnTowards(*zombie.GetMatrix(), heading_, 5.0f);
    StateSteps::KeepOnGroundAndOffWalls(zombie);
    const float t = zombie.StepPose(true, 0, 1);
    if (t <= 0.0f || t >= 1.0f) zombie.PlayFootstep();

    const bool sees = zombie.CanSeePlayer();
    if (sees || zombie.GetHp() != startHp_) return std::make_unique<Track>(zombie);
    if (!zombie.IsAlive()) return std::make_unique<Dead>(zombie);
    timer_ -= 1;
    if (timer_ <= 0) return std::make_unique<WalkAround>(zombie);
    return nullptr;
}

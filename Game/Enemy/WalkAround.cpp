// Wandering.
#include "Game/Enemy/WalkAround.h"

#include "Framework/Math/Random.h"
#include "Game/Enemy/Dead.h"
#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Enemy_Strong.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/PoseKeys.h"
#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/Track.h"

WalkAround::WalkAround(Enemy_Normal& enemy) { Enter(enemy); }
WalkAround::WalkAround(Enemy_Strong& enemy) { Enter(enemy); }
std::unique_ptr<State> WalkAround::Run(Enemy_Normal& enemy) { return Step(enemy); }
std::unique_ptr<State> WalkAround::Run(Enemy_Strong& enemy) { return Step(enemy); }

template <class Zombie>
void WalkAround::Enter(Zombie& enemy) {
    // Two draws in this order: 1 to 5 seconds, then a heading in whole degrees.
    timer_ = (Math::Rand() % 5 + 1) * 60;
    heading_ = static_cast<float>(Math::Rand() % 360);
    startHp_ = enemy.GetHp();
    enemy.StartPose(0.015f, 0, 1);
    WritePoseKeys(enemy, PoseKeys::kWalkAround);
    enemy.SetMoveSpeed(0.02f);
    enemy.StopGrowl();
}

template <class Zombie>
std::unique_ptr<State> WalkAround::Step(Zombie& enemy) {
    StateSteps::WalkForward(enemy);
    TurnTowards(*enemy.GetMatrix(), heading_, 5.0f);
    StateSteps::KeepOnGroundAndOffWalls(enemy);
    const float t = enemy.StepPose(true, 0, 1);
    if (t <= 0.0f || t >= 1.0f) enemy.PlayFootstep();

    const bool sees = enemy.CanSeePlayer();
    if (sees || enemy.GetHp() != startHp_) return std::make_unique<Track>(enemy);
    if (!enemy.IsAlive()) return std::make_unique<Dead>(enemy);
    timer_ -= 1;
    if (timer_ <= 0) return std::make_unique<WalkAround>(enemy);
    return nullptr;
}

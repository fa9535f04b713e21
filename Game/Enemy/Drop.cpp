// Falling in.
#include "Game/Enemy/Drop.h"

#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Enemy_Strong.h"
#include "Game/Enemy/PoseKeys.h"
#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/WalkAround.h"

Drop::Drop(Enemy_Normal& enemy) { Enter(enemy); }
Drop::Drop(Enemy_Strong& enemy) { Enter(enemy); }
std::unique_ptr<State> Drop::Run(Enemy_Normal& enemy) { return Step(enemy); }
std::unique_ptr<State> Drop::Run(Enemy_Strong& enemy) { return Step(enemy); }

template <class Zombie>
void Drop::Enter(Zombie& enemy) {
    enemy.StartPose(0.06f, 0, 1);
    WritePoseKeys(enemy, PoseKeys::kDrop);
    enemy.SetMoveSpeed(0.03f);
    enemy.StopGrowl();
    fallSpeed_ = 0.1f;
}

template <class Zombie>
std::unique_ptr<State> Drop::Step(Zombie& enemy) {
    groundY_ = StateSteps::GroundOf(enemy);
    fallSpeed_ += 0.1f;
    enemy.MoveLocal(Vector3(0.0f, -fallSpeed_, 0.0f));
    enemy.StepPoseBodyRelative(false, 0, 1);
    const float rest = enemy.GetGroundOffset() + groundY_;
    if (enemy.GetPosition().y > rest) return nullptr;
    Matrix m = enemy.GetMatrixRef();
    m._42 = rest;
    enemy.SetMatrix(m);
    return std::make_unique<WalkAround>(enemy);
}

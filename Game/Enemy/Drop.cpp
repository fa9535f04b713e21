// Falling in.
#include "Game/Enemy/Drop.h"

#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/WalkAround.h"
#include "Game/Enemy/Zombie.h"

Drop::Drop(Zombie& zombie) {
    zombie.StartPose(0.06f, 0, 1);
    zombie.WritePoseKeys(PoseKeys::kDrop);
    zombie.SetMoveSpeed(0.03f);
    zombie.StopGrowl();
    fallSpeed_ = 0.1f;
}

std::unique_ptr<State> Drop::Run(Zombie& zombie) {
    groundY_ = StateSteps::GroundOf(zombie);
    fallSpeed_ += 0.1f;
    zombie.MoveLocal(Vector3(0.0f, -fallSpeed_, 0.0f));
    zombie.StepPoseBodyRelative(false, 0, 1);
    const float rest = zombie.GetGroundOffset() + groundY_;
    if (zombie.GetPosition().y > rest) return nullptr;
    Matrix m = zombie.GetMatrixRef();
    m._42 = rest;
    zombie.SetMatrix(m);
    return std::make_unique<WalkAround>(zombie);
}

// Dying.
#include "Game/Enemy/Dead.h"

#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/Zombie.h"

namespace {
constexpr float kFadeStep = 1.0f / 120.0f;
}  // namespace

Dead::Dead(Zombie& zombie) {
    zombie.StartPose(zombie.GetZombieKind().death.poseSpeed, 0, 1);
    zombie.WritePoseKeys(PoseKeys::kDead);
    zombie.SetMoveSpeed(0.03f);
    zombie.StopGrowl();
    groundY_ = StateSteps::GroundOf(zombie) + zombie.GetPushRadius() * 0.5f;
    fallSpeed_ = 0.2f;
    fadeDelay_ = kLieFrames;
}

std::unique_ptr<State> Dead::Run(Zombie& zombie) {
    Matrix& m = *zombie.GetMatrix();
    m._42 += fallSpeed_;
    fallSpeed_ -= zombie.GetZombieKind().death.gravity;
    if (groundY_ > m._42) {
        m._42 = groundY_;
        fadeDelay_ -= 1;
        if (fadeDelay_ <= 0) {
            zombie.SetAlpha(zombie.GetAlphaValue() - kFadeStep);
            if (zombie.GetAlphaValue() <= 0.0f) zombie.SetFinished(true);
        }
    }
    zombie.StepPoseBodyRelative(false, 0, 1);
    return nullptr;
}

// Dying.
#include "Game/Enemy/Dead.h"

#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Enemy_Strong.h"
#include "Game/Enemy/PoseKeys.h"
#include "Game/Enemy/StateSteps.h"

namespace {
constexpr float kFadeStep = 1.0f / 120.0f;
}  // namespace

Dead::Dead(Enemy_Normal& enemy) { Enter(enemy); }
Dead::Dead(Enemy_Strong& enemy) { Enter(enemy); }
std::unique_ptr<State> Dead::Run(Enemy_Normal& enemy) { return Step(enemy); }
std::unique_ptr<State> Dead::Run(Enemy_Strong& enemy) { return Step(enemy); }

template <class Zombie>
void Dead::Enter(Zombie& enemy) {
    // The big body collapses more slowly.
    enemy.StartPose(StateSteps::IsStrong<Zombie>() ? 0.04f : 0.06f, 0, 1);
    WritePoseKeys(enemy, PoseKeys::kDead);
    enemy.SetMoveSpeed(0.03f);
    enemy.StopGrowl();
    groundY_ = StateSteps::GroundOf(enemy) + enemy.GetPushRadius() * 0.5f;
    fallSpeed_ = 0.2f;
    fadeDelay_ = kLieFrames;
}

template <class Zombie>
std::unique_ptr<State> Dead::Step(Zombie& enemy) {
    Matrix& m = *enemy.GetMatrix();
    m._42 += fallSpeed_;
    fallSpeed_ -= StateSteps::IsStrong<Zombie>() ? 0.05f : 0.07f;
    if (groundY_ > m._42) {
        m._42 = groundY_;
        fadeDelay_ -= 1;
        if (fadeDelay_ <= 0) {
            enemy.SetAlpha(enemy.GetAlphaValue() - kFadeStep);
            if (enemy.GetAlphaValue() <= 0.0f) enemy.SetFinished(true);
        }
    }
    enemy.StepPoseBodyRelative(false, 0, 1);
    return nullptr;
}

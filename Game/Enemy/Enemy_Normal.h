// The common zombie: ten hit points, a two-point claw attack at close range
// and a weak spot on the chest that takes ten points per shot.
#pragma once

#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/Pose.h"

class Enemy_Normal : public EnemyBase {
public:
    static constexpr int kPartCount = 7;

    Enemy_Normal();
    ~Enemy_Normal() override;

    // Runs the state's step for this kind (unless the player is farther
    // than 100).
    void Update() override;

    void SetPoseKey(int part, int slot, float pitchDeg, float yawDeg, float rollDeg) {
        pose_.SetKey(part, slot, pitchDeg, yawDeg, rollDeg);
    }
    void StartPose(float speed, int a, int b) { pose_.Start(speed, a, b); }
    float StepPose(bool pingPong, int from, int to) { return pose_.Step(pingPong, from, to, parts_, matrix_); }
    float StepPoseBodyRelative(bool pingPong, int from, int to) {
        return pose_.StepBodyRelative(pingPong, from, to, parts_, matrix_);
    }
    const PoseStore<kPartCount>& GetPose() const { return pose_; }

private:
    PoseStore<kPartCount> pose_;
};

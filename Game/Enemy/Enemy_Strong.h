// The large zombie: thirty hit points, a vomit attack from up to 15 away and
// no weak spot; a head shot is its critical hit.
#pragma once

#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/Pose.h"

class Enemy_Strong : public EnemyBase {
public:
    static constexpr int kPartCount = 6;

    Enemy_Strong();
    ~Enemy_Strong() override;

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

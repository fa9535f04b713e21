// The key poses the states write on entry: per body part (head, body, right
// arm, left arm, right leg, left leg) the angles of key slot 0 and slot 1 in
// degrees, each as pitch / yaw / roll. The normal zombie's weak spot is never
// written and keeps the identity.
#pragma once

struct PoseKeyAngles {
    float pitch, yaw, roll;
};

struct PoseKeyRow {
    PoseKeyAngles slot0;
    PoseKeyAngles slot1;
};

constexpr int kPoseKeyRows = 6;
using PoseKeyTable = PoseKeyRow[kPoseKeyRows];

namespace PoseKeys {

// Falling in: arms forward and out, head swinging.
extern const PoseKeyTable kDrop;
// Wandering: arms raised high, head looking round.
extern const PoseKeyTable kWalkAround;
// Chasing: short arm and leg swing.
extern const PoseKeyTable kTrack;
// Attack: arms pulled back and struck forward; the strong kind keeps its head
// straight.
extern const PoseKeyTable kAttackNormal;
extern const PoseKeyTable kAttackStrong;
// Collapsing: arms thrown up.
extern const PoseKeyTable kDead;

}  // namespace PoseKeys

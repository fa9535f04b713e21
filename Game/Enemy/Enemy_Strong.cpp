// The strong zombie: its six parts, its numbers and its update.
#include "Game/Enemy/Enemy_Strong.h"

#include "Game/Enemy/Drop.h"
#include "Game/Enemy/State.h"

namespace {

// Head, body, right arm, left arm, right leg, left leg. The hit-test shapes
// are those of the normal zombie.
const EnemyBase::PartSpec kParts[Enemy_Strong::kPartCount] = {
    {{0.0f, 1.75f, 0.0f}, 7, "Data/zombie_S_All/zombie_S_H/zombie_S_H.gltf",
     "Data/zombie_rayModel/zombie_Head/zombie_Head_Ray.gltf"},
    {{0.0f, 0.0f, 0.0f}, 2, "Data/zombie_S_All/zombie_S_B/zombie_S_B.gltf",
     "Data/zombie_rayModel/zombie_Body/zombie_Body_Ray.gltf"},
    {{1.5f, 0.0f, 0.0f}, 1, "Data/zombie_S_All/zombie_S_RA/zombie_S_RA.gltf",
     "Data/zombie_rayModel/zombie_Arm_Right/zombie_ArmR_Ray.gltf"},
    {{-1.5f, 0.0f, 0.0f}, 1, "Data/zombie_S_All/zombie_S_LA/zombie_S_LA.gltf",
     "Data/zombie_rayModel/zombie_Arm_Left/zombie_ArmL_Ray.gltf"},
    {{0.0f, -2.0f, 0.0f}, 1, "Data/zombie_S_All/zombie_S_RL/zombie_S_RL.gltf",
     "Data/zombie_rayModel/zombie_Leg_Right/zombie_LegR_Ray.gltf"},
    {{0.0f, -2.0f, 0.0f}, 1, "Data/zombie_S_All/zombie_S_LL/zombie_S_LL.gltf",
     "Data/zombie_rayModel/zombie_Leg_Left/zombie_LegL_Ray.gltf"},
};

}  // namespace

Enemy_Strong::Enemy_Strong() {
    AddBodyParts(kParts, kPartCount);
    SetPushShape(true, true, 2.0f, false, 0.0f, 0.0f, 0.0f, 0.0f);
    attackRange_ = 15.0f;
    attackPower_ = 2;
    groundOffset_ = 5.5f;
    moveSpeed_ = 0.03f;
    hp_ = 30;
    viewAngle_ = 170;
    alive_ = true;
    finished_ = false;
    state_ = std::make_unique<Drop>(*this);
}

Enemy_Strong::~Enemy_Strong() {
    state_.reset();
    StopGrowl();
}

void Enemy_Strong::Update() {
    if (!BeginUpdate() || !state_) return;
    ReplaceState(state_->Run(*this));
}

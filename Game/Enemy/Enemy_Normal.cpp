// The normal zombie: its seven parts, its numbers and its update.
#include "Game/Enemy/Enemy_Normal.h"

#include "Game/Enemy/Drop.h"
#include "Game/Enemy/State.h"

namespace {

// Head, body, right arm, left arm, right leg, left leg, weak spot.
const EnemyBase::PartSpec kParts[Enemy_Normal::kPartCount] = {
    {{0.0f, 1.0f, 0.0f}, 2, "Data/zombie_All/zombie_Head/zombie_Head.gltf",
     "Data/zombie_rayModel/zombie_Head/zombie_Head_Ray.gltf"},
    {{0.0f, 0.0f, 0.0f}, 1, "Data/zombie_All/zombie_Body/zombie_Body.gltf",
     "Data/zombie_rayModel/zombie_Body/zombie_Body_Ray.gltf"},
    {{1.0f, 0.0f, 0.0f}, 1, "Data/zombie_All/zombie_Arm_Right/zombie_Arm_Right.gltf",
     "Data/zombie_rayModel/zombie_Arm_Right/zombie_ArmR_Ray.gltf"},
    {{-1.0f, 0.0f, 0.0f}, 1, "Data/zombie_All/zombie_Arm_Left/zombie_Arm_Left.gltf",
     "Data/zombie_rayModel/zombie_Arm_Left/zombie_ArmL_Ray.gltf"},
    {{0.0f, -1.43f, 0.0f}, 1, "Data/zombie_All/zombie_Leg_Right/zombie_Leg_Right.gltf",
     "Data/zombie_rayModel/zombie_Leg_Right/zombie_LegR_Ray.gltf"},
    {{0.0f, -1.43f, 0.0f}, 1, "Data/zombie_All/zombie_Leg_Left/zombie_Leg_Left.gltf",
     "Data/zombie_rayModel/zombie_Leg_Left/zombie_LegL_Ray.gltf"},
    {{-0.15f, 0.0f, 0.15f}, 10, "Data/zombie_All/zombie_weak/zombie_weak.gltf",
     "Data/zombie_All/zombie_weak/zombie_weak.gltf"},
};

}  // namespace

Enemy_Normal::Enemy_Normal() {
    AddBodyParts(kParts, kPartCount);
    SetPushShape(true, true, 2.0f, false, 0.0f, 0.0f, 0.0f, 0.0f);
    attackRange_ = 7.0f;
    attackPower_ = 2;
    groundOffset_ = 4.0f;
    moveSpeed_ = 0.03f;
    hp_ = 10;
    viewAngle_ = 170;
    alive_ = true;
    finished_ = false;
    state_ = std::make_unique<Drop>(*this);
}

Enemy_Normal::~Enemy_Normal() {
    state_.reset();
    StopGrowl();
}

void Enemy_Normal::Update() {
    if (!BeginUpdate() || !state_) return;
    ReplaceState(state_->Run(*this));
}

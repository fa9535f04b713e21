// The normal zombie's kind table.
#include "Game/Enemy/Enemy_Normal.h"

#include <iterator>

namespace {

// Head, body, right arm, left arm, right leg, left leg, weak spot.
const ZombieKind::Part kParts[] = {
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

const ZombieKind kKind = {
    kParts, static_cast<int>(std::size(kParts)),
    // push radius, hit points, attack range, attack power, ground offset,
    // move speed, view angle
    {2.0f, 10, 7.0f, 2, 4.0f, 0.03f, 170},
    // Claws, with the head turning as they swing; a strike of 25 frames.
    {AttackStyle::Claw, &PoseKeys::kAttackNormal, 0.04f},
    // The chase's first swing blends from the pose the zombie had into key
    // 0; after that it swings between keys 1 and 0.
    {{2, 0}, {1, 0}},
    // A collapse of about 17 frames.
    {0.06f, 0.07f},
};

}  // namespace

const ZombieKind& Enemy_Normal::Kind() { return kKind; }

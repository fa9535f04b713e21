// The strong zombie's kind table.
#include "Game/Enemy/Enemy_Strong.h"

#include <iterator>

namespace {

// Head, body, right arm, left arm, right leg, left leg. The hit-test shapes
// are those of the normal zombie.
const ZombieKind::Part kParts[] = {
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

const ZombieKind kKind = {
    kParts, static_cast<int>(std::size(kParts)),
    // push radius, hit points, attack range, attack power (what the vomit
    // carries), ground offset, move speed, view angle
    {2.0f, 30, 15.0f, 2, 5.5f, 0.03f, 170},
    // Vomit, with the head kept straight; a strike of 20 frames.
    {AttackStyle::Vomit, &PoseKeys::kAttackStrong, 0.05f},
    // The chase swings between keys 0 and 1 from the start.
    {{0, 1}, {0, 1}},
    // The big body collapses more slowly (about 25 frames) and its death hop
    // falls back more slowly.
    {0.04f, 0.05f},
};

}  // namespace

const ZombieKind& Enemy_Strong::Kind() { return kKind; }

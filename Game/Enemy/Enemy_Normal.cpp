// The normal zombie's kind table.
#include "Game/Enemy/Enemy_Normal.h"

#include <iterator>

#include "Game/AssetPaths.h"

namespace {

namespace model = asset::model;

// Head, body, right arm, left arm, right leg, left leg, weak spot.
const ZombieKind::Part kParts[] = {
    {{0.0f, 1.0f, 0.0f}, 2, model::kZombieParts[0], model::kZombieRayParts[0],
     model::kZombieFarParts[0]},
    {{0.0f, 0.0f, 0.0f}, 1, model::kZombieParts[1], model::kZombieRayParts[1],
     model::kZombieFarParts[1]},
    {{1.0f, 0.0f, 0.0f}, 1, model::kZombieParts[2], model::kZombieRayParts[2],
     model::kZombieFarParts[2]},
    {{-1.0f, 0.0f, 0.0f}, 1, model::kZombieParts[3], model::kZombieRayParts[3],
     model::kZombieFarParts[3]},
    {{0.0f, -1.43f, 0.0f}, 1, model::kZombieParts[4], model::kZombieRayParts[4],
     model::kZombieFarParts[4]},
    {{0.0f, -1.43f, 0.0f}, 1, model::kZombieParts[5], model::kZombieRayParts[5],
     model::kZombieFarParts[5]},
    {{-0.15f, 0.0f, 0.15f}, 10, model::kZombieParts[model::kZombieWeakSpot],
     model::kZombieParts[model::kZombieWeakSpot], model::kZombieFarParts[model::kZombieWeakSpot]},
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

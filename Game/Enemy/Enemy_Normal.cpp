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

constexpr ZombieKind MakeKind() {
    ZombieKind kind{};
    kind.parts = kParts;
    kind.partCount = static_cast<int>(std::size(kParts));

    kind.numbers.pushRadius = 2.0f;
    kind.numbers.hp = 10;
    kind.numbers.attackRange = 7.0f;
    kind.numbers.attackPower = 2;
    kind.numbers.groundOffset = 4.0f;
    kind.numbers.viewAngle = 170;

    // Claws, with the head turning as they swing; a strike of 25 frames.
    kind.attack.style = AttackStyle::Claw;
    kind.attack.keys = &PoseKeys::kAttackNormal;
    kind.attack.strikePoseSpeed = 0.04f;

    // The chase's first swing blends from the pose the zombie had into key
    // 0; after that it swings between keys 1 and 0.
    kind.chase.firstSwing = {2, 0};
    kind.chase.swing = {1, 0};

    // A collapse of about 17 frames.
    kind.death.poseSpeed = 0.06f;
    kind.death.gravity = 0.07f;
    return kind;
}

constexpr ZombieKind kKind = MakeKind();

}  // namespace

const ZombieKind& Enemy_Normal::Kind() { return kKind; }

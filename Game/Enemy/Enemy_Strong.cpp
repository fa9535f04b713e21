// The strong zombie's kind table.
#include "Game/Enemy/Enemy_Strong.h"

#include <iterator>

#include "Game/AssetPaths.h"

namespace {

namespace model = asset::model;

// Head, body, right arm, left arm, right leg, left leg. The hit-test shapes
// are those of the normal zombie.
const ZombieKind::Part kParts[] = {
    {{0.0f, 1.75f, 0.0f}, 7, model::kStrongZombieParts[0], model::kZombieRayParts[0],
     model::kStrongZombieFarParts[0]},
    {{0.0f, 0.0f, 0.0f}, 2, model::kStrongZombieParts[1], model::kZombieRayParts[1],
     model::kStrongZombieFarParts[1]},
    {{1.5f, 0.0f, 0.0f}, 1, model::kStrongZombieParts[2], model::kZombieRayParts[2],
     model::kStrongZombieFarParts[2]},
    {{-1.5f, 0.0f, 0.0f}, 1, model::kStrongZombieParts[3], model::kZombieRayParts[3],
     model::kStrongZombieFarParts[3]},
    {{0.0f, -2.0f, 0.0f}, 1, model::kStrongZombieParts[4], model::kZombieRayParts[4],
     model::kStrongZombieFarParts[4]},
    {{0.0f, -2.0f, 0.0f}, 1, model::kStrongZombieParts[5], model::kZombieRayParts[5],
     model::kStrongZombieFarParts[5]},
};

constexpr ZombieKind MakeKind() {
    ZombieKind kind{};
    kind.parts = kParts;
    kind.partCount = static_cast<int>(std::size(kParts));

    kind.numbers.pushRadius = 2.0f;
    kind.numbers.hp = 30;
    kind.numbers.attackRange = 15.0f;
    kind.numbers.attackPower = 2;  // what the vomit carries
    kind.numbers.groundOffset = 5.5f;
    kind.numbers.viewAngle = 170;

    // Vomit, with the head kept straight; a strike of 20 frames.
    kind.attack.style = AttackStyle::Vomit;
    kind.attack.keys = &PoseKeys::kAttackStrong;
    kind.attack.strikePoseSpeed = 0.05f;

    // The chase swings between keys 0 and 1 from the start.
    kind.chase.firstSwing = {0, 1};
    kind.chase.swing = {0, 1};

    // The big body collapses more slowly (about 25 frames) and its death hop
    // falls back more slowly.
    kind.death.poseSpeed = 0.04f;
    kind.death.gravity = 0.05f;
    return kind;
}

constexpr ZombieKind kKind = MakeKind();

}  // namespace

const ZombieKind& Enemy_Strong::Kind() { return kKind; }

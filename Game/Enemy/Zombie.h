// A zombie: an enemy built from rigid body parts that the pose animation
// turns one by one, driven by the five-state AI (Drop, WalkAround, Track,
// Attack, Dead). All the zombie logic lives here and in the states; what
// makes one kind of zombie differ from another is its kind table, which
// Enemy_Normal and Enemy_Strong hand to this class.
#pragma once

#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/Pose.h"
#include "Game/Enemy/PoseKeys.h"

// How a zombie's strike reaches the player.
enum class AttackStyle {
    // The claws land half-way through the strike, on a player still within
    // reach.
    Claw,
    // A vomit leaves the head as the strike begins and flies to where the
    // player stands, whatever the distance; the zombie then holds its pose.
    Vomit,
};

// Two key slots a pose step blends between.
struct PoseSlots {
    int from;
    int to;
};

// Everything that differs between the zombie kinds.
struct ZombieKind {
    // One body part: local offset, damage per shot, drawn model, hit-test
    // model, and the drawn model's far look (fewer facets).
    struct Part {
        Vector3 offset;
        int damage;
        const char* model;
        const char* rayModel;
        const char* farModel;
    };
    // The numbers a zombie starts with.
    struct Numbers {
        float pushRadius;
        int hp;
        // Distance to the player below which a chase turns into an attack,
        // and within which claws hit.
        float attackRange;
        // Damage of one attack.
        int attackPower;
        // Height of the origin (the hips) above the ground of its floor.
        float groundOffset;
        // Full field of view in degrees.
        int viewAngle;
    };
    struct Attack {
        AttackStyle style;
        // The attack's key poses (the kinds differ in the head).
        const PoseKeyTable* keys;
        // Speed of the strike's pose, from key 0 to key 1.
        float strikePoseSpeed;
    };
    // The chase's walk cycle: the key slots of its first swing and of every
    // swing after it.
    struct Chase {
        PoseSlots firstSwing;
        PoseSlots swing;
    };
    struct Death {
        // Speed of the collapse's pose.
        float poseSpeed;
        // Taken from the upward speed of the death hop every step.
        float gravity;
    };

    // Head, body, right arm, left arm, right leg, left leg, then any extra
    // part (the normal kind's weak spot), in this order.
    const Part* parts;
    int partCount;
    Numbers numbers;
    Attack attack;
    Chase chase;
    Death death;
};

class Zombie : public EnemyBase {
public:
    // Loads the kind's parts, takes its numbers and enters Drop. The kind
    // table must outlive the zombie.
    explicit Zombie(const ZombieKind& kind);

    // Runs one step of the state and switches to the state it returns
    // (unless the player is farther than 100).
    void Update() override;

    // The kind table (Object::GetKind is the kind of object, the enemy).
    const ZombieKind& GetZombieKind() const { return kind_; }

    void SetPoseKey(int part, int slot, float pitchDeg, float yawDeg, float rollDeg) {
        pose_.SetKey(part, slot, pitchDeg, yawDeg, rollDeg);
    }
    // Writes slots 0 and 1 of parts 0 to 5 from the table, slot 0 then slot 1
    // for each part; any further part keeps its keys.
    void WritePoseKeys(const PoseKeyTable& table);
    void StartPose(float speed, int a, int b) { pose_.Start(speed, a, b); }
    float StepPose(bool pingPong, int from, int to) { return pose_.Step(pingPong, from, to, parts_, matrix_); }
    float StepPoseBodyRelative(bool pingPong, int from, int to) {
        return pose_.StepBodyRelative(pingPong, from, to, parts_, matrix_);
    }
    const PoseStore& GetPose() const { return pose_; }

private:
    const ZombieKind& kind_;
    PoseStore pose_;
};

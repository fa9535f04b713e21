// Attacking.
#include "Game/Enemy/Attack.h"

#include "Game/Effect/EffectList.h"
#include "Game/Enemy/Dead.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/Track.h"
#include "Game/Enemy/Zombie.h"

namespace {
constexpr float kVomitSpeed = 0.3f;
constexpr float kVomitRadius = 2.0f;
// After a vomit the zombie holds the strike's last pose this slowly.
constexpr float kHoldPoseSpeed = 0.01f;
}  // namespace

Attack::Attack(Zombie& zombie) {
    zombie.WritePoseKeys(*zombie.GetZombieKind().attack.keys);
    zombie.SetMoveSpeed(0.01f);
    zombie.PlayGrowl();
    phase_ = kWindUp;
    hitDone_ = false;
    fromSlot_ = 2;
    toSlot_ = 0;
    zombie.StartPose(0.02f, 2, 0);
}

std::unique_ptr<State> Attack::Run(Zombie& zombie) {
    const Vector3 v = StateSteps::ToPlayer(zombie);
    TurnTowards(*zombie.GetMatrix(), HeadingOf(v), 30.0f);
    StateSteps::KeepOnGroundAndOffWalls(zombie);
    const float t = zombie.StepPose(false, fromSlot_, toSlot_);

    // Claws are released before the phase moves on, so they land half-way
    // through the strike. A vomit is released after it: t is still the
    // wind-up's final value in the frame the strike begins, so the vomit
    // leaves then.
    if (zombie.GetZombieKind().attack.style == AttackStyle::Claw) {
        Release(zombie, t, v);
        NextPhase(zombie, t);
    } else {
        NextPhase(zombie, t);
        Release(zombie, t, v);
    }
    if (phase_ == kDone) return std::make_unique<Track>(zombie);
    if (!zombie.IsAlive()) return std::make_unique<Dead>(zombie);
    return nullptr;
}

void Attack::NextPhase(Zombie& zombie, float t) {
    if (t < 1.0f) return;
    if (phase_ == kWindUp) {
        phase_ = kStrike;
        zombie.StartPose(zombie.GetZombieKind().attack.strikePoseSpeed, fromSlot_, toSlot_);
        fromSlot_ = 0;
        toSlot_ = 1;
    } else if (phase_ == kStrike) {
        phase_ = kDone;
        if (zombie.GetZombieKind().attack.style == AttackStyle::Vomit) {
            zombie.StartPose(kHoldPoseSpeed, fromSlot_, toSlot_);
            fromSlot_ = 2;
            toSlot_ = 2;
        }
    }
}

void Attack::Release(Zombie& zombie, float t, const Vector3& toPlayer) {
    if (phase_ != kStrike || t < 0.5f || hitDone_) return;
    hitDone_ = true;
    switch (zombie.GetZombieKind().attack.style) {
        case AttackStyle::Claw: {
            // Only a player still in reach is hit.
            Player* player = zombie.GetPlayer();
            if (player && zombie.GetAttackRange() > toPlayer.Length())
                player->Damage(zombie.GetAttackPower(), Vector3(0.0f, 0.0f, 0.0f));
            break;
        }
        case AttackStyle::Vomit: {
            // From the head towards where the player stands, whatever the
            // distance.
            EffectList* effects = zombie.GetEffectList();
            const Player* player = zombie.GetPlayer();
            if (effects && player && !zombie.GetParts().empty())
                effects->AddVomiting(zombie.GetParts()[0]->world.Translation(), player->GetPosition(), kVomitSpeed,
                                     kVomitRadius, zombie.GetAttackPower());
            break;
        }
    }
}

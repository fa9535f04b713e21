// Attacking.
#include "Game/Enemy/Attack.h"

#include "Game/Effect/EffectList.h"
#include "Game/Enemy/Dead.h"
#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Enemy_Strong.h"
#include "Game/Enemy/Heading.h"
#include "Game/Enemy/PoseKeys.h"
#include "Game/Enemy/StateSteps.h"
#include "Game/Enemy/Track.h"

namespace {
constexpr float kVomitSpeed = 0.3f;
constexpr float kVomitRadius = 2.0f;
}  // namespace

Attack::Attack(Enemy_Normal& enemy) { Enter(enemy); }
Attack::Attack(Enemy_Strong& enemy) { Enter(enemy); }

template <class Zombie>
void Attack::Enter(Zombie& enemy) {
    if constexpr (StateSteps::IsStrong<Zombie>())
        WritePoseKeys(enemy, PoseKeys::kAttackStrong);
    else
        WritePoseKeys(enemy, PoseKeys::kAttackNormal);
    enemy.SetMoveSpeed(0.01f);
    enemy.PlayGrowl();
    phase_ = kWindUp;
    hitDone_ = false;
    fromSlot_ = 2;
    toSlot_ = 0;
    enemy.StartPose(0.02f, 2, 0);
}

std::unique_ptr<State> Attack::Run(Enemy_Normal& enemy) {
    const Vector3 v = StateSteps::ToPlayer(enemy);
    TurnTowards(*enemy.GetMatrix(), HeadingOf(v), 30.0f);
    StateSteps::KeepOnGroundAndOffWalls(enemy);
    const float t = enemy.StepPose(false, fromSlot_, toSlot_);

    // The claws land half-way through the strike, only on a player still in
    // reach.
    if (phase_ == kStrike && t >= 0.5f && !hitDone_) {
        hitDone_ = true;
        Player* player = enemy.GetPlayer();
        if (player && enemy.GetAttackRange() > v.Length())
            player->Damage(enemy.GetAttackPower(), Vector3(0.0f, 0.0f, 0.0f));
    }
    if (t >= 1.0f) {
        if (phase_ == kWindUp) {
            phase_ = kStrike;
            enemy.StartPose(0.04f, fromSlot_, toSlot_);
            fromSlot_ = 0;
            toSlot_ = 1;
        } else if (phase_ == kStrike) {
            phase_ = kDone;
        }
    }
    if (phase_ == kDone) return std::make_unique<Track>(enemy);
    if (!enemy.IsAlive()) return std::make_unique<Dead>(enemy);
    return nullptr;
}

std::unique_ptr<State> Attack::Run(Enemy_Strong& enemy) {
    const Vector3 v = StateSteps::ToPlayer(enemy);
    TurnTowards(*enemy.GetMatrix(), HeadingOf(v), 30.0f);
    StateSteps::KeepOnGroundAndOffWalls(enemy);
    const float t = enemy.StepPose(false, fromSlot_, toSlot_);

    if (t >= 1.0f) {
        if (phase_ == kWindUp) {
            phase_ = kStrike;
            enemy.StartPose(0.05f, fromSlot_, toSlot_);
            fromSlot_ = 0;
            toSlot_ = 1;
        } else if (phase_ == kStrike) {
            phase_ = kDone;
            enemy.StartPose(0.01f, fromSlot_, toSlot_);
            fromSlot_ = 2;
            toSlot_ = 2;
        }
    }
    // t is still the wind-up's final value in the frame the strike begins,
    // so the vomit leaves then, from the head towards where the player
    // stands, whatever the distance.
    if (phase_ == kStrike && t >= 0.5f && !hitDone_) {
        hitDone_ = true;
        EffectList* effects = enemy.GetEffectList();
        const Player* player = enemy.GetPlayer();
        if (effects && player && !enemy.GetParts().empty())
            effects->AddVomiting(enemy.GetParts()[0]->world.Translation(), player->GetPosition(), kVomitSpeed,
                                 kVomitRadius, enemy.GetAttackPower());
    }
    if (phase_ == kDone) return std::make_unique<Track>(enemy);
    if (!enemy.IsAlive()) return std::make_unique<Dead>(enemy);
    return nullptr;
}

// A zombie of either kind: its parts and numbers from the kind table, its
// update and its pose keys.
#include "Game/Enemy/Zombie.h"

#include "Framework/ResourceCache.h"
#include "Game/Enemy/Drop.h"
#include "Game/Enemy/State.h"

Zombie::Zombie(const ZombieKind& kind) : kind_(kind), pose_(kind.partCount) {
    ResourceCache& cache = ResourceCache::GetInstance();
    for (int i = 0; i < kind.partCount; ++i) {
        const ZombieKind::Part& part = kind.parts[i];
        ModelPart* added = AddModelPart(Matrix::Identity(), Matrix::CreateTranslation(part.offset), part.damage,
                                        cache.GetModel(part.model), cache.GetModel(part.rayModel));
        // A far look that did not load is left out: the full one is drawn.
        if (part.farModel != nullptr) added->farModel = cache.GetModelIfDrawable(part.farModel);
    }
    const ZombieKind::Numbers& numbers = kind.numbers;
    SetPushShape(PushShape::Circle(numbers.pushRadius));
    attackRange_ = numbers.attackRange;
    attackPower_ = numbers.attackPower;
    groundOffset_ = numbers.groundOffset;
    hp_ = numbers.hp;
    viewAngle_ = numbers.viewAngle;
    alive_ = true;
    finished_ = false;
    state_ = std::make_unique<Drop>(*this);
}

void Zombie::Update() {
    if (DistanceToPlayer() > kActiveDistance) return;
    UpdateSounds();
    if (!state_) return;
    std::unique_ptr<State> next = state_->Run(*this);
    if (next) state_ = std::move(next);
}

void Zombie::WritePoseKeys(const PoseKeyTable& table) {
    for (int part = 0; part < kPoseKeyRows; ++part) {
        const PoseKeyRow& row = table[part];
        SetPoseKey(part, 0, row.slot0.pitch, row.slot0.yaw, row.slot0.roll);
        SetPoseKey(part, 1, row.slot1.pitch, row.slot1.yaw, row.slot1.roll);
    }
}

// The enemy list: creation, separation, updates, drawing and removal of the
// zombies.
#include "Game/Enemy/EnemyList.h"

#include <algorithm>

#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/Enemy/Enemy_Normal.h"
#include "Game/Enemy/Enemy_Strong.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"

namespace {

const Player* PlayerOf(const GameWorld* world) { return world ? world->GetPlayer() : nullptr; }

int PlayerFloor(const GameWorld* world) {
    const Player* player = PlayerOf(world);
    return player ? player->GetCurrentFloor() : 0;
}

}  // namespace

EnemyList::EnemyList(GameWorld* world) : world_(world) {}

EnemyList::~EnemyList() { Clear(); }

void EnemyList::Clear() {
    for (auto& enemy : enemies_) {
        enemy->StopGrowl();
        enemy.reset();
    }
    enemies_.clear();
}

EnemyBase* EnemyList::AddZombie(std::unique_ptr<Zombie> zombie, const Matrix& m) {
    Zombie* added = zombie.get();
    added->SetMatrix(m);
    // The first step of the falling-in motion also places every part.
    added->StepPose(false, 0, 1);
    AddEnemy(std::move(zombie));
    EffectList* effects = world_ ? world_->GetEffectList() : nullptr;
    if (effects)
        effects->AddCircleShadow(static_cast<Object*>(added), Vector3(0.0f, -added->GetGroundOffset(), 0.0f),
                                 added->GetAliveFlag());
    return added;
}

EnemyBase* EnemyList::AddNormal(const Matrix& m) { return AddZombie(std::make_unique<Enemy_Normal>(), m); }

EnemyBase* EnemyList::AddStrong(const Matrix& m) { return AddZombie(std::make_unique<Enemy_Strong>(), m); }

void EnemyList::AddEnemy(std::unique_ptr<EnemyBase> enemy) {
    if (!enemy) return;
    enemy->SetWorld(world_);
    if (world_ && world_->GetStage()) enemy->SetFloor(world_->GetStage()->GetFloor(enemy->GetPosition()));
    enemies_.push_back(std::move(enemy));
}

void EnemyList::PushOutOfStage(EnemyBase& enemy) {
    const Stage* stage = world_ ? world_->GetStage() : nullptr;
    if (!stage) return;
    // Only the furniture of the zombie's own floor pushes it, and never
    // through a wall or off its floor (such a push is not made).
    Matrix pushed = enemy.GetMatrixRef();
    Vector3 displacement;
    stage->PushOut(displacement, pushed, enemy.GetPushRadius(), enemy.GetFloor());
    if (pushed.Translation() != enemy.GetPosition() && enemy.CanBePushedTo(pushed.Translation()))
        *enemy.GetMatrix() = pushed;
}

void EnemyList::PushApart(EnemyBase& enemy, const Vector3& other, float overlap) {
    // The other position in the zombie's own frame: moving away from it along
    // the local axes is a move along the world line between the two, since
    // zombies only ever turn about their vertical axis.
    const Vector3 local = Vector3::Transform(other, enemy.GetMatrixRef().Invert());
    const Matrix moved = Matrix::CreateTranslation(-local.Normalized() * overlap) * enemy.GetMatrixRef();
    if (enemy.CanBePushedTo(moved.Translation())) enemy.SetMatrix(moved);
    PushOutOfStage(enemy);
}

void EnemyList::Separate() {
    for (const auto& enemy : enemies_) PushOutOfStage(*enemy);

    const Player* player = PlayerOf(world_);
    const size_t count = enemies_.size();
    for (size_t i = 0; i < count; ++i) {
        EnemyBase& a = *enemies_[i];
        if (!a.IsAlive() || !a.IsActive()) continue;
        for (size_t j = i + 1; j < count; ++j) {
            const EnemyBase& b = *enemies_[j];
            if (!b.IsAlive() || !b.IsActive() || b.GetFloor() != a.GetFloor()) continue;
            const float reach = a.GetPushRadius() + b.GetPushRadius();
            const float distance = Vector3::Distance(a.GetPosition(), b.GetPosition());
            if (distance > reach) continue;
            PushApart(a, b.GetPosition(), reach - distance);
            break;
        }
        if (player && player->GetCurrentFloor() == a.GetFloor()) {
            const float reach = a.GetPushRadius() + player->GetPushRadius();
            const float distance = Vector3::Distance(a.GetPosition(), player->GetPosition());
            if (distance <= reach) PushApart(a, player->GetPosition(), reach - distance);
        }
    }
}

void EnemyList::Update() {
    Separate();
    RemoveFinished();

    const int floor = PlayerFloor(world_);
    for (const auto& enemy : enemies_) {
        enemy->CountFrame();
        enemy->SetActive(enemy->GetFloor() == floor);
    }
    for (const auto& enemy : enemies_)
        if (enemy->IsActive()) enemy->Update();

    if (world_ && world_->IsEnding())
        for (const auto& enemy : enemies_) enemy->SetAttackRange(kEndingAttackRange);
}

void EnemyList::Submit(std::vector<Render::ModelDraw>& out) const {
    const int floor = PlayerFloor(world_);
    for (const auto& enemy : enemies_)
        if (enemy->GetFloor() == floor) enemy->Submit(out);
}

void EnemyList::RemoveFinished() {
    // Deleted front to back, then the gaps close up.
    for (auto& enemy : enemies_)
        if (enemy->IsFinished()) enemy.reset();
    enemies_.erase(std::remove(enemies_.begin(), enemies_.end(), nullptr), enemies_.end());
}

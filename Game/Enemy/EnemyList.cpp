// The enemy list: owns the zombies, runs and draws the ones on the player's
// floor, deletes the ones that have finished dying.
#include "Game/Enemy/EnemyList.h"

#include <algorithm>

#include "Game/Enemy/EnemyBase.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"
#include "Scene/GameScene.h"

namespace {

int PlayerFloor(const GameScene* scene) {
    if (scene && scene->GetPlayer()) return scene->GetPlayer()->GetCurrentFloor();
    return 0;
}

}  // namespace

EnemyList::EnemyList(GameScene* scene) : scene_(scene) {}

EnemyList::~EnemyList() {
    for (EnemyBase* enemy : enemies_) delete enemy;
    enemies_.clear();
}

EnemyBase* EnemyList::AddNormal(const Matrix& m) {
    // The normal zombie kind is not in the game yet; nothing is created.
    (void)m;
    return nullptr;
}

EnemyBase* EnemyList::AddStrong(const Matrix& m) {
    // The strong zombie kind is not in the game yet; nothing is created.
    (void)m;
    return nullptr;
}

EnemyBase* EnemyList::Add(EnemyBase* enemy) {
    if (!enemy) return nullptr;
    enemy->SetScene(scene_);
    if (scene_ && scene_->GetStage()) enemy->SetFloor(scene_->GetStage()->GetFloor(enemy->GetPosition()));
    enemies_.push_back(enemy);
    return enemy;
}

void EnemyList::Update() {
    RemoveFinished();
    int floor = PlayerFloor(scene_);
    for (EnemyBase* enemy : enemies_) enemy->SetActive(enemy->GetFloor() == floor);
    for (EnemyBase* enemy : enemies_)
        if (enemy->IsActive()) enemy->Update();
}

void EnemyList::Draw() {
    int floor = PlayerFloor(scene_);
    for (EnemyBase* enemy : enemies_)
        if (enemy->GetFloor() == floor) enemy->Draw();
}

void EnemyList::RemoveFinished() {
    auto end = std::remove_if(enemies_.begin(), enemies_.end(), [](EnemyBase* enemy) {
        if (!enemy->IsFinished()) return false;
        delete enemy;
        return true;
    });
    enemies_.erase(end, enemies_.end());
}

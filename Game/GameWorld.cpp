// The game world: what a game is made of, its construction and teardown
// orders, the update order and the end check.
#include "Game/GameWorld.h"

#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/BuildStage.h"
#include "Game/Stage/Stage.h"

GameWorld::GameWorld() {
    // Each part may reach the ones made before it through the world.
    enemyList_ = std::make_unique<EnemyList>(this);
    player_ = std::make_unique<Player>(this);
    gun_ = std::make_unique<Gun>(this);
    gun_->Place();
    effectList_ = std::make_unique<EffectList>(this);

    stage_ = std::make_unique<Stage>(this);
    player_->SetCurrentFloor(stage_->GetFloor(player_->GetPosition()));
    BuildStage(stage_.get());
}

GameWorld::~GameWorld() {
    // The zombies go first (their sounds stop), the gun last.
    enemyList_.reset();
    stage_.reset();
    effectList_.reset();
    player_.reset();
    gun_.reset();
}

bool GameWorld::Update(const std::function<void()>& overlay) {
    enemyList_->Update();
    player_->Update();
    gun_->Update();
    effectList_->Update();
    stage_->Update();
    if (overlay) overlay();
    enemyList_->RemoveFinished();

    if (GetOutcome() == GameResult::None) return false;
    state_ = GameState::Ending;
    return true;
}

GameResult GameWorld::GetOutcome() const {
    if (!stage_->IsCoreAlive()) return GameResult::Cleared;
    if (!player_->IsAlive()) return GameResult::Dead;
    return GameResult::None;
}

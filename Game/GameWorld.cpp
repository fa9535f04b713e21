// The game world: what a game is made of, its construction and teardown
// orders, the update order and the end check.
#include "Game/GameWorld.h"

#include "Game/Effect/EffectList.h"
#include "Game/Enemy/EnemyList.h"
#include "Game/Object/Gun.h"
#include "Game/Object/Player.h"
#include "Game/Stage/BuildStage.h"
#include "Game/Stage/Stage.h"

namespace {
uint64_t g_seedOfNewGames = 0;
}  // namespace

void GameWorld::SetSeedOfNewGames(uint64_t seed) { g_seedOfNewGames = seed; }
uint64_t GameWorld::GetSeedOfNewGames() { return g_seedOfNewGames; }

Math::Random& RandomOf(GameWorld* world) {
    static Math::Random detached;
    return world ? world->GetRandom() : detached;
}

GameWorld::GameWorld() : random_(g_seedOfNewGames) {
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
    lights_.clear();
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

void GameWorld::AddPointLight(const Vector3& colour, const Vector3& position, float radius) {
    if (lights_.size() >= Render::kMaxPointLights) return;
    Render::PointLight light;
    light.colour = colour;
    light.position = position;
    light.radius = radius;
    lights_.push_back(light);
}

void GameWorld::DescribeFrame(Render::Frame& frame) const {
    frame.camera = camera_;
    frame.lighting.points = lights_;
    frame.visibleFloors = stage_->VisibleFloors(camera_);
    frame.depthPrePass = true;
    stage_->SubmitOpaque(frame.opaque);
    enemyList_->Submit(frame.actors);
    stage_->SubmitTranslucent(frame.translucent);
    effectList_->SubmitFirstPass(frame.firstEffects);
    effectList_->SubmitSecondPass(frame.lastEffects);
    player_->Submit(frame.overlay);
    gun_->Submit(frame.overlay);
    // The arm and the gun go with the eye, whatever floor they were made on.
    for (Render::ModelDraw& draw : frame.overlay) draw.floor = Render::kEveryFloor;
}

// Small pieces shared by the state steps.
#pragma once

#include "Framework/Math/SimpleMath.h"
#include "Game/Enemy/EnemyBase.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/Stage.h"

namespace StateSteps {

// Ground height of the zombie's floor (0 without a stage).
inline float GroundOf(const EnemyBase& zombie) {
    const GameWorld* world = zombie.GetWorld();
    const Stage* stage = world ? world->GetStage() : nullptr;
    return stage ? stage->GroundHeight(zombie.GetFloor()) : 0.0f;
}

// Player position - zombie position (zero without a player).
inline Vector3 ToPlayer(const EnemyBase& zombie) {
    const Player* player = zombie.GetPlayer();
    return player ? player->GetPosition() - zombie.GetPosition() : Vector3(0.0f, 0.0f, 0.0f);
}

// Walk forwards along the facing, never off the zombie's floor.
inline void WalkForward(EnemyBase& zombie) { zombie.WalkLocal(Vector3(0.0f, 0.0f, zombie.GetMoveSpeed())); }

// The wall and ground tests every walking state runs.
inline void KeepOnGroundAndOffWalls(EnemyBase& zombie) {
    zombie.PushFromWall();
    zombie.FollowGround(zombie.GetGroundOffset(), zombie.GetFloor());
}

}  // namespace StateSteps

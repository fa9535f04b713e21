// Player-facing helpers shared by the interactive stage objects.
#include "Game/Stage/Interaction.h"

#include "Framework/Audio/Audio.h"
#include "Framework/Platform/Input.h"
#include "Framework/ResourceCache.h"
#include "Game/GameWorld.h"
#include "Game/Object/Player.h"
#include "Game/Stage/StageRays.h"

namespace StageInteraction {

Player* GetPlayer(GameWorld* world) { return world ? world->GetPlayer() : nullptr; }

float DistanceToPlayer(GameWorld* world, const Vector3& point) {
    Player* player = GetPlayer(world);
    if (!player) return 3.4e38f;
    return Vector3::Distance(player->GetPosition(), point);
}

Object* PickFromPlayer(GameWorld* world) {
    Player* player = GetPlayer(world);
    if (!player || !world->GetStage()) return nullptr;
    float distance = 0.0f;
    return StageRays().RayPick(player->GetPosition(), player->GetForward(), distance, world->GetStage());
}

bool UseButtonDown() { return Platform::Input::GetInstance().IsKeyDown(Platform::Key::RightButton); }

void PlaceListenerAtPlayer(GameWorld* world) {
    Player* player = GetPlayer(world);
    if (!player) return;
    AudioListener& listener = AudioManager::GetInstance().listener;
    const Matrix& camera = player->GetMatrixRef();
    listener.position = player->GetPosition();
    listener.front = player->GetForward();
    listener.top = Vector3(camera._21, camera._22, camera._23);
}

Vector3 RandomDirection(Math::Random& random) {
    const float pitch = static_cast<float>(random.Next() % 360) * kDegToRad;
    const float yaw = static_cast<float>(random.Next() % 360) * kDegToRad;
    const float roll = static_cast<float>(random.Next() % 360) * kDegToRad;
    return Vector3::TransformNormal(Vector3(0.0f, 0.0f, 1.0f), Matrix::CreateFromRollPitchYaw(pitch, yaw, roll));
}

}  // namespace StageInteraction

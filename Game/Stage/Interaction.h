// What the interactive stage objects (doors, readers, key cards, ammunition
// boxes, the generator) need from the player: where the player stands, what
// the player looks at, whether the use button is held, and the listener for
// their positioned sounds.
#pragma once

#include "Framework/Math/Random.h"
#include "Framework/Math/SimpleMath.h"

class GameWorld;
class Object;
class Player;

namespace StageInteraction {

using Math::kDegToRad;

// The world's player, or null.
Player* GetPlayer(GameWorld* world);
// 3D distance from the player's eye to a point; a huge value without a player.
float DistanceToPlayer(GameWorld* world, const Vector3& point);
// The nearest active stage object hit by the gaze ray (from the eye along the
// view direction), or null.
Object* PickFromPlayer(GameWorld* world);
// The use (right mouse) button is down at this moment.
bool UseButtonDown();
// Puts the audio listener at the player's eye with the camera's orientation.
void PlaceListenerAtPlayer(GameWorld* world);
// A unit vector from three random angles of 0..359 degrees (three draws).
Vector3 RandomDirection(Math::Random& random);

}  // namespace StageInteraction

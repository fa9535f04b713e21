// The four kinds of smoke puff the generator parts make, all from the smoke
// atlas (asset::texture::kSmoke).
#pragma once

#include "Framework/Math/SimpleMath.h"

class GameWorld;

namespace GeneratorSmoke {

// A hit on the core: a short puff at rest growing to size 7.
void Hit(GameWorld* world, const Vector3& position);
// Around the dead core: a random column of the sheet, random final size
// (draws the column, then the size).
void DeadCore(GameWorld* world, const Vector3& position);
// A dying light's burst: random final size (one draw).
void LightBurst(GameWorld* world, const Vector3& position, const Vector3& velocity);
// A dead light or a destroyed hole: slow, long-lived.
void Dead(GameWorld* world, const Vector3& position, const Vector3& velocity);

}  // namespace GeneratorSmoke

// Must build: the game sees its own folder and the framework.
#include "Framework/Math/SimpleMath.h"
#include "Game/GameWorld.h"
#include "Game/Stage/StageRays.h"

int LayerProbe() { return static_cast<int>(GameState::Ending); }

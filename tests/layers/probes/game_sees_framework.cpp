// Must build: the game sees its own folder and the framework, and describes
// its pictures in the renderer's plain records.
#include "Framework/Math/SimpleMath.h"
#include "Framework/Render/RenderFrame.h"
#include "Game/GameWorld.h"
#include "Game/Stage/StageRays.h"

int LayerProbe() { return static_cast<int>(GameState::Ending); }

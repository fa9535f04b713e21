// Must not build: the framework sees only Framework/.
#include "Framework/Math/SimpleMath.h"
#include "Game/Object/Object.h"

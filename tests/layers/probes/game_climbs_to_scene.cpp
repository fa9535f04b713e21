// Must not build: a relative include may not climb out of the layer's
// folders to reach a higher layer.
#include "../../../Scene/GameScene.h"

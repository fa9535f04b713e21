#include "Scene/FirstScene.h"

#include "Scene/GameScene.h"

// The game starts straight in the laboratory until the title screen exists.
SceneBase* CreateFirstScene() { return new GameScene(); }

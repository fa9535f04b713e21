#include "Scene/FirstScene.h"

#include "Scene/TitleScene.h"

// The game opens on the title screen.
SceneBase* CreateFirstScene() { return new TitleScene(); }

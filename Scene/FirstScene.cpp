#include "Scene/FirstScene.h"

#include "Scene/TitleScene.h"

// The game opens on the title screen.
std::unique_ptr<SceneBase> CreateFirstScene() { return std::make_unique<TitleScene>(); }

// The scene the application starts with.
#pragma once

#include <memory>

#include "Scene/SceneBase.h"

// A new scene for the first frame, for the scene manager.
std::unique_ptr<SceneBase> CreateFirstScene();

// The scene the application starts with.
#pragma once

class SceneBase;

// A new scene for the first frame; the scene manager takes ownership.
SceneBase* CreateFirstScene();

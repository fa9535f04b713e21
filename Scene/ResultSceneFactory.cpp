// The game's hand-over to the result screen. The result screen is not part
// of the game yet: no scene is made, and the game scene stays in its ending.
#include "Scene/GameScene.h"

SceneBase* CreateResultScene(bool cleared) {
    (void)cleared;
    return nullptr;
}

// Must not build: the game sees Framework/ and Game/, not Scene/.
#include "Game/GameWorld.h"
#include "Scene/GameScene.h"

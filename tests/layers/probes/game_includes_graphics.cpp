// Must not build: the game describes its pictures and never drives the
// graphics device, so neither the graphics services nor the renderer.
#include "Framework/Graphics/ShaderManager.h"
#include "Framework/Render/Renderer.h"

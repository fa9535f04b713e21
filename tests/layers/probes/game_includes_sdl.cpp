// Must not build: the game uses no platform library, however its header is
// spelled (the second spelling the compiler would find on its own).
#include <SDL.h>
#include <SDL2/SDL.h>

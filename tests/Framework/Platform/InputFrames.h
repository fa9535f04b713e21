// Input frames the tests inject in place of the keyboard and mouse.
#pragma once

#include <initializer_list>

#include "Framework/Platform/Input.h"

namespace testinput {

// These keys and buttons held, the cursor where the game last put it.
inline Platform::InputFrame Keys(std::initializer_list<Platform::Key> keys) {
    Platform::InputFrame f;
    for (Platform::Key k : keys) f.Set(k);
    return f;
}

// The mouse moved by (dx, dy) since the game last put the cursor back,
// optionally with the fire button held.
inline Platform::InputFrame MouseMove(int dx, int dy, bool fire = false) {
    Platform::InputFrame f;
    f.relativeCursor = true;
    f.cursor = Platform::Point{dx, dy};
    if (fire) f.Set(Platform::Key::LeftButton);
    return f;
}

// The cursor at a client point of the window, the left button up or down.
inline Platform::InputFrame At(Platform::Point client, bool leftDown) {
    Platform::InputFrame f;
    f.cursor = client;
    f.Set(Platform::Key::LeftButton, leftDown);
    return f;
}

}  // namespace testinput

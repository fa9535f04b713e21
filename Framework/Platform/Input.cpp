// Input service: SDL-backed key, button and cursor state, or an injected
// script of frames when tests and tools drive the game.
#include "Framework/Platform/Input.h"

#include <SDL.h>
#if defined(MORVANE_HAVE_X11)
#include <X11/Xlib.h>
#endif

#include <algorithm>
#include <cmath>

#include "Framework/Platform/X11Display.h"

namespace Platform {

namespace {

bool VideoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

SDL_GameController* Pad(void* p) { return static_cast<SDL_GameController*>(p); }

// A stick or trigger axis as -1..1 (triggers 0..1).
float Axis(SDL_GameController* pad, SDL_GameControllerAxis axis) {
    return static_cast<float>(SDL_GameControllerGetAxis(pad, axis)) / 32767.0f;
}

// A stick axis with the dead zone taken out and the rest stretched back to
// 0..1, squared for finer aim near the centre.
float StickLook(float value) {
    const float magnitude = std::fabs(value);
    if (magnitude <= Input::kStickDeadZone) return 0.0f;
    const float t = std::min(1.0f, (magnitude - Input::kStickDeadZone) / (1.0f - Input::kStickDeadZone));
    return value < 0.0f ? -t * t : t * t;
}

SDL_Scancode ScancodeOf(Key key) {
    switch (key) {
        case Key::W: return SDL_SCANCODE_W;
        case Key::A: return SDL_SCANCODE_A;
        case Key::S: return SDL_SCANCODE_S;
        case Key::D: return SDL_SCANCODE_D;
        case Key::R: return SDL_SCANCODE_R;
        case Key::Escape: return SDL_SCANCODE_ESCAPE;
        default: return SDL_SCANCODE_UNKNOWN;
    }
}

// The pointer's screen position straight from the X server (SDL's own copy
// is refreshed only by its events), and moving the pointer by an offset
// from wherever it is now. Both false where SDL does not run on X11.
#if defined(MORVANE_HAVE_X11)
bool QueryPointer(SDL_Window* window, Point& at) {
    Display* display = X11DisplayOf(window);
    if (display == nullptr) return false;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = 0, winY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &winX, &winY, &mask))
        return false;
    at = Point{rootX, rootY};
    return true;
}

bool MovePointerBy(SDL_Window* window, int dx, int dy) {
    Display* display = X11DisplayOf(window);
    if (display == nullptr) return false;
    XWarpPointer(display, None, None, 0, 0, 0, 0, dx, dy);
    XFlush(display);
    return true;
}
#else
bool QueryPointer(SDL_Window*, Point&) { return false; }
bool MovePointerBy(SDL_Window*, int, int) { return false; }
#endif

}  // namespace

bool FrameListScript::Next(InputFrame& frame) {
    if (frames_.empty()) return false;
    // Past the end the last frame is held, so a script can leave a key down
    // or keep turning for as long as the caller steps frames.
    size_t index = pos_ < frames_.size() ? pos_ : frames_.size() - 1;
    frame = frames_[index];
    if (pos_ < frames_.size()) ++pos_;
    return true;
}

Input& Input::GetInstance() {
    static Input instance;
    return instance;
}

bool Input::IsKeyDown(Key key) const {
    if (key == Key::Count) return false;
    if (IsInjected()) return frame_.Down(key);
    if (stepping_) return stepDown_[static_cast<int>(key)];
    return HeldNow(key);
}

bool Input::PadHeld(Key key) const {
    for (void* p : pads_) {
        SDL_GameController* pad = Pad(p);
        switch (key) {
            case Key::W: if (Axis(pad, SDL_CONTROLLER_AXIS_LEFTY) < -kWalkThreshold) return true; break;
            case Key::S: if (Axis(pad, SDL_CONTROLLER_AXIS_LEFTY) > kWalkThreshold) return true; break;
            case Key::A: if (Axis(pad, SDL_CONTROLLER_AXIS_LEFTX) < -kWalkThreshold) return true; break;
            case Key::D: if (Axis(pad, SDL_CONTROLLER_AXIS_LEFTX) > kWalkThreshold) return true; break;
            case Key::R: if (SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_X)) return true; break;
            case Key::LeftButton:
                if (Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kTriggerThreshold) return true;
                break;
            case Key::RightButton:
                if (Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > kTriggerThreshold ||
                    SDL_GameControllerGetButton(pad, SDL_CONTROLLER_BUTTON_A))
                    return true;
                break;
            default: break;
        }
    }
    return false;
}

PadLook Input::ReadPadLook() const {
    PadLook look;
    for (void* p : pads_) {
        const float x = StickLook(Axis(Pad(p), SDL_CONTROLLER_AXIS_RIGHTX));
        const float y = StickLook(Axis(Pad(p), SDL_CONTROLLER_AXIS_RIGHTY));
        if (x == 0.0f && y == 0.0f) continue;
        // Pushing the stick forward looks up, as on every pad; the
        // player's invert-Y turns that round.
        const float turn = kPadTurnPerStep * look_.gamepadSensitivity;
        look.yawDegrees = x * turn;
        look.pitchDegrees = (look_.invertY ? -y : y) * turn;
        break;
    }
    return look;
}

void Input::ClosePads() {
    for (void* p : pads_) SDL_GameControllerClose(Pad(p));
    pads_.clear();
}

bool Input::HeldNow(Key key) const {
    if (!VideoUp()) return false;
    if (PadHeld(key)) return true;
    if (key == Key::LeftButton || key == Key::RightButton) {
        Uint32 buttons = SDL_GetGlobalMouseState(nullptr, nullptr);
        Uint32 mask = key == Key::LeftButton ? SDL_BUTTON_LMASK : SDL_BUTTON_RMASK;
        return (buttons & mask) != 0;
    }
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    int code = static_cast<int>(ScancodeOf(key));
    return state != nullptr && code > 0 && code < count && state[code] != 0;
}

void Input::BeginStep(bool gameStep) {
    if (gameStep) ++gameSteps_;
    if (IsInjected()) {
        stepLook_ = PadLook{};
        stepConfirm_ = false;
        return;
    }
    for (int k = 0; k < kKeys; ++k) {
        stepDown_[k] = pressedSinceStep_[k] || HeldNow(static_cast<Key>(k));
        pressedSinceStep_[k] = false;
    }
    stepLook_ = ReadPadLook();
    stepConfirm_ = confirmSinceStep_;
    confirmSinceStep_ = false;
    stepping_ = true;
}

void Input::HandleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_KEYDOWN: {
            if (IsInjected()) break;
            for (int k = 0; k < kKeys; ++k)
                if (ScancodeOf(static_cast<Key>(k)) == event.key.keysym.scancode &&
                    event.key.keysym.scancode != SDL_SCANCODE_UNKNOWN)
                    pressedSinceStep_[k] = true;
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            if (IsInjected()) break;
            if (event.button.button == SDL_BUTTON_LEFT) pressedSinceStep_[static_cast<int>(Key::LeftButton)] = true;
            if (event.button.button == SDL_BUTTON_RIGHT) pressedSinceStep_[static_cast<int>(Key::RightButton)] = true;
            break;
        case SDL_CONTROLLERDEVICEADDED:
            if (SDL_GameController* pad = SDL_GameControllerOpen(event.cdevice.which)) {
                // SDL counts opens: one already open is kept once.
                bool known = false;
                for (void* p : pads_) known = known || p == pad;
                if (known) SDL_GameControllerClose(pad); else pads_.push_back(pad);
            }
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            for (size_t i = 0; i < pads_.size(); ++i) {
                SDL_Joystick* stick = SDL_GameControllerGetJoystick(Pad(pads_[i]));
                if (stick && SDL_JoystickInstanceID(stick) == event.cdevice.which) {
                    SDL_GameControllerClose(Pad(pads_[i]));
                    pads_.erase(pads_.begin() + static_cast<long>(i));
                    break;
                }
            }
            break;
        case SDL_CONTROLLERBUTTONDOWN:
            if (IsInjected()) break;
            if (event.cbutton.button == SDL_CONTROLLER_BUTTON_A) {
                pressedSinceStep_[static_cast<int>(Key::RightButton)] = true;
                confirmSinceStep_ = true;
            }
            if (event.cbutton.button == SDL_CONTROLLER_BUTTON_X) pressedSinceStep_[static_cast<int>(Key::R)] = true;
            break;
        case SDL_CONTROLLERAXISMOTION:
            // A trigger pulled and let go between two steps still counts.
            if (IsInjected()) break;
            if (event.caxis.value / 32767.0f > kTriggerThreshold) {
                if (event.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT)
                    pressedSinceStep_[static_cast<int>(Key::LeftButton)] = true;
                if (event.caxis.axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT)
                    pressedSinceStep_[static_cast<int>(Key::RightButton)] = true;
            }
            break;
        case SDL_MOUSEMOTION:
            // Only counted while the pointer cannot be warped.
            AddRelativeMotion(event.motion.xrel, event.motion.yrel);
            break;
        default:
            break;
    }
}

Point Input::GetCursorPos() const {
    if (IsInjected()) return scriptedCursorScreen_;
    if (useRelative_) {
        return Point{lastSetCursor_.x + relativeCursor_.x, lastSetCursor_.y + relativeCursor_.y};
    }
    if (!VideoUp()) return lastSetCursor_;
    Point at;
    if (QueryPointer(window_, at)) {
        readCursor_ = at;
        readAtStep_ = gameSteps_;
        haveRead_ = true;
        return at;
    }
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return Point{x, y};
}

void Input::SetCursorPos(Point screen) {
    lastSetCursor_ = screen;
    lastSetClient_ = ScreenToClient(screen);
    setAtStep_ = gameSteps_;
    haveSetCursor_ = true;
    relativeCursor_ = Point{0, 0};
    if (IsInjected()) {
        scriptedCursorScreen_ = screen;
        return;
    }
    if (useRelative_ || !VideoUp()) return;
    // The hidden pointer read this step goes back by what the game took
    // from it: a motion that reached the X server since the read stays.
    const bool readThisStep = haveRead_ && readAtStep_ == gameSteps_;
    haveRead_ = false;
    if (cursorCounter_ < 0 && readThisStep &&
        MovePointerBy(window_, screen.x - readCursor_.x, screen.y - readCursor_.y))
        return;
    if (SDL_WarpMouseGlobal(screen.x, screen.y) != 0 && cursorCounter_ < 0) {
        // The windowing system refuses to move the pointer (Wayland, for
        // one): while the pointer is hidden (the first-person view), take
        // the motion SDL reports in relative mode instead, which gives the
        // same per-frame offset from the point set here. A visible pointer
        // simply stays where the player has it.
        UseRelativeMotion(true);
    }
}

Point Input::WindowOrigin() const {
    if (window_ && VideoUp()) {
        Point p;
        SDL_GetWindowPosition(window_, &p.x, &p.y);
        return p;
    }
    return windowOrigin_;
}

Point Input::ClientToScreen(Point client) const {
    Point o = WindowOrigin();
    if (mapping_.scale == 1.0f) return Point{client.x + mapping_.x + o.x, client.y + mapping_.y + o.y};
    return Point{o.x + mapping_.x + static_cast<int>(std::lround(client.x * mapping_.scale)),
                 o.y + mapping_.y + static_cast<int>(std::lround(client.y * mapping_.scale))};
}

Point Input::ScreenToClient(Point screen) const {
    Point o = WindowOrigin();
    const int x = screen.x - o.x - mapping_.x;
    const int y = screen.y - o.y - mapping_.y;
    if (mapping_.scale == 1.0f) return Point{x, y};
    return Point{static_cast<int>(std::floor(x / mapping_.scale)), static_cast<int>(std::floor(y / mapping_.scale))};
}

void Input::SetPictureMapping(const Letterbox& box) {
    if (box.scale <= 0.0f) return;
    mapping_ = box;
    // A caught pointer goes to the same picture point in the new place.
    if (IsCursorCaught() && !IsInjected()) {
        const uint64_t step = setAtStep_;
        SetCursorPos(ClientToScreen(lastSetClient_));
        setAtStep_ = step;
    }
}

bool Input::IsCursorCaught() const { return haveSetCursor_ && cursorCounter_ < 0 && setAtStep_ == gameSteps_; }

void Input::RestoreCursor() {
    if (!IsCursorCaught()) return;
    SetCursorPos(lastSetCursor_);
}

int Input::ShowCursor(bool show) {
    cursorCounter_ += show ? 1 : -1;
    // Relative mode hides the pointer; a screen that shows it (the result
    // screen's button is clicked with it) reads it where it really is.
    if (cursorCounter_ >= 0 && useRelative_) UseRelativeMotion(false);
    if (!IsInjected() && VideoUp()) SDL_ShowCursor(cursorCounter_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCounter_;
}

void Input::SetScript(InputScript* script) {
    script_ = script;
    manual_ = false;
    if (script_) {
        frame_ = InputFrame{};
        scriptedCursorScreen_ = haveSetCursor_ ? lastSetCursor_ : ClientToScreen(frame_.cursor);
    }
}

bool Input::Advance() {
    if (!script_) return true;
    InputFrame next;
    if (!script_->Next(next)) return false;
    SetFrame(next);
    return true;
}

void Input::SetFrame(const InputFrame& frame) {
    if (!IsInjected()) {
        manual_ = true;
        scriptedCursorScreen_ = haveSetCursor_ ? lastSetCursor_ : ClientToScreen(InputFrame{}.cursor);
    }
    frame_ = frame;
    if (frame_.relativeCursor) {
        // Offset from where the game last put the cursor (the window centre
        // for the first-person view), as a real mouse move would give.
        Point base = haveSetCursor_ ? lastSetCursor_ : scriptedCursorScreen_;
        scriptedCursorScreen_ = Point{base.x + frame_.cursor.x, base.y + frame_.cursor.y};
    } else {
        scriptedCursorScreen_ = ClientToScreen(frame_.cursor);
    }
}

void Input::AddRelativeMotion(int dx, int dy) {
    if (!useRelative_) return;
    relativeCursor_.x += dx;
    relativeCursor_.y += dy;
}

void Input::UseRelativeMotion(bool on) {
    if (on == useRelative_) return;
    useRelative_ = on;
    relativeCursor_ = Point{0, 0};
    if (VideoUp() && window_) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

void Input::Reset() {
    if (useRelative_) UseRelativeMotion(false);
    script_ = nullptr;
    manual_ = false;
    frame_ = InputFrame{};
    scriptedCursorScreen_ = Point{640, 360};
    lastSetCursor_ = Point{640, 360};
    lastSetClient_ = Point{640, 360};
    gameSteps_ = setAtStep_ = 0;
    haveRead_ = false;
    haveSetCursor_ = false;
    mapping_ = Letterbox{};
    windowOrigin_ = Point{0, 0};
    relativeCursor_ = Point{0, 0};
    cursorCounter_ = 0;
    look_ = LookSettings{};
    stepping_ = false;
    for (int k = 0; k < kKeys; ++k) stepDown_[k] = pressedSinceStep_[k] = false;
    stepLook_ = PadLook{};
    stepConfirm_ = confirmSinceStep_ = false;
}

uint32_t TimeMs() { return SDL_GetTicks(); }

void SleepMs(uint32_t ms) { SDL_Delay(ms); }

}  // namespace Platform

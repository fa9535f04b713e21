// The game's only access to keyboard, mouse buttons and the cursor.
//
// Game code asks for the state of a key during a game step (like an
// asynchronous key-state query), reads and places the cursor in screen
// coordinates, converts between screen and window-client coordinates, and
// shows or hides the cursor with a display counter (visible while >= 0).
//
// Two sources stand behind it:
//  - the SDL source (the real window, the default once a window exists).
//    The frame loop calls BeginStep before every game step; the keys and
//    buttons then read as they were at that moment, and a press that came
//    and went since the last step reads as down for that one step;
//  - an injected source: a script of per-step states that tests and tools
//    use to drive the real scenes without a person. While a script is set,
//    nothing is read from SDL and SetCursorPos only moves the scripted cursor.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Framework/Platform/Letterbox.h"

struct SDL_Window;
union SDL_Event;

namespace Platform {

enum class Key : int {
    W, A, S, D, R, Escape, LeftButton, RightButton, Count
};

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};

// How the player wants the view to turn: a factor on the game's tenth of a
// degree per pixel of mouse motion, and the vertical upside down. Set by the
// application from the player's settings; the defaults are the game's own.
struct LookSettings {
    float mouseSensitivity = 1.0f;
    bool invertY = false;
    float gamepadSensitivity = 1.0f;
};

// This step's turn of the view from a gamepad's right stick, in degrees
// (the player's gamepad sensitivity and invert-Y applied).
struct PadLook {
    float yawDegrees = 0.0f;
    float pitchDegrees = 0.0f;
};

// One frame of injected input: which keys and buttons are down, and where
// the cursor is in window-client coordinates.
struct InputFrame {
    bool keys[static_cast<int>(Key::Count)] = {};
    Point cursor{640, 360};
    // When true the cursor is taken as an offset from where the game last
    // put it (SetCursorPos) rather than as an absolute client position:
    // scripts that "move the mouse by dx, dy" use this.
    bool relativeCursor = false;
    bool Down(Key k) const { return keys[static_cast<int>(k)]; }
    InputFrame& Set(Key k, bool down = true) { keys[static_cast<int>(k)] = down; return *this; }
};

// A source of injected input. Advance() is called once per game step by the
// frame loop (or the test) before the step's scene update.
class InputScript {
public:
    virtual ~InputScript() = default;
    // State for the frame that is about to run. Returning false ends the
    // script (the application then closes its window).
    virtual bool Next(InputFrame& frame) = 0;
};

// A script that plays a fixed list of frames, then holds the last one.
class FrameListScript : public InputScript {
public:
    explicit FrameListScript(std::vector<InputFrame> frames) : frames_(std::move(frames)) {}
    bool Next(InputFrame& frame) override;
    size_t Position() const { return pos_; }
private:
    std::vector<InputFrame> frames_;
    size_t pos_ = 0;
};

class Input {
public:
    static Input& GetInstance();

    // Key or button down in this step (before the first BeginStep: at this
    // moment).
    bool IsKeyDown(Key key) const;

    // Called by the frame loop before every game step. From SDL: takes the
    // keys and buttons held now, plus those pressed since the last step
    // (and perhaps released again), as this step's state, so that a click
    // shorter than a drawn frame reaches one step and a held key every
    // step. Injected input already comes a step at a time. A frame that
    // runs no step (paused) calls it with gameStep false: presses made
    // meanwhile are spent, and no game step is counted.
    void BeginStep(bool gameStep = true);
    // Every event the window's pump takes: presses are remembered for the
    // next step; relative mouse motion goes to AddRelativeMotion.
    void HandleEvent(const SDL_Event& event);

    // Cursor in screen coordinates.
    Point GetCursorPos() const;
    void SetCursorPos(Point screen);
    // "Client" points are in the game's 1280 x 720 picture. The window
    // origin is added / subtracted (no window: origin 0, 0), and where the
    // picture is scaled into a larger window (full screen) the picture's
    // place and scale there too.
    Point ClientToScreen(Point client) const;
    Point ScreenToClient(Point screen) const;
    // Where the picture lies in the window (set by the application whenever
    // the window's size changes). The pointer, if the game keeps it caught,
    // is put back at the same picture point in the new place.
    void SetPictureMapping(const Letterbox& box);
    const Letterbox& GetPictureMapping() const { return mapping_; }
    // True while the game keeps the pointer caught: hidden, and put back by
    // the last game step (the first-person view's mouse look).
    bool IsCursorCaught() const;
    // Puts a caught pointer back where the game last put it: after a pause
    // during which the player moved it freely, so that the view does not
    // jump when the game goes on. A free pointer is left where it is.
    void RestoreCursor();
    // Display counter: +1 for true, -1 for false; returns the new counter.
    // The cursor is visible while the counter is >= 0 (which also ends the
    // relative motion of a display that cannot warp the pointer).
    int ShowCursor(bool show);
    int CursorCounter() const { return cursorCounter_; }

    // Injection. Set a script (ownership stays with the caller) or nullptr
    // to go back to SDL. Advance() takes the next scripted frame; it returns
    // false when the script has ended.
    void SetScript(InputScript* script);
    bool HasScript() const { return script_ != nullptr; }
    bool Advance();
    // Directly set the state (tests that drive single frames). Like a
    // script, this takes the input away from SDL until SetScript(nullptr)
    // or Reset().
    void SetFrame(const InputFrame& frame);
    // True while the state comes from a script or SetFrame, not from SDL.
    bool IsInjected() const { return script_ != nullptr || manual_; }
    const InputFrame& CurrentFrame() const { return frame_; }

    // Called by the window layer with SDL's relative mouse motion when the
    // platform cannot warp the pointer; accumulates into the cursor so that
    // the cursor-minus-centre offset per frame is the same as with warping.
    void AddRelativeMotion(int dx, int dy);
    // Switches the cursor to accumulated relative motion (done by itself
    // when warping the hidden pointer fails; tests switch it on directly).
    void UseRelativeMotion(bool on);
    bool UsesRelativeMotion() const { return useRelative_; }
    // Window position on the screen, used while no window is attached.
    void SetWindowOrigin(Point origin) { windowOrigin_ = origin; }
    // The window whose position is the client origin (set by the window
    // layer on creation, nullptr on destruction).
    void SetWindow(SDL_Window* window) { window_ = window; }
    Point WindowOrigin() const;

    // Gamepads (SDL game controllers, plugged in and out at any time; the
    // window layer passes their events to HandleEvent). Their controls read
    // as the game's keys: the left stick walks (W, A, S, D past a dead
    // zone), the right trigger is the left button (fire, and click on the
    // title and result screens), the left trigger or A the right button
    // (use), X is R (reload). The right stick turns the view (GetPadLook)
    // and A also presses the button shown on the title and result screens
    // (ConfirmPressed).
    static constexpr float kStickDeadZone = 0.25f;
    static constexpr float kWalkThreshold = 0.5f;
    static constexpr float kTriggerThreshold = 0.35f;
    // Degrees a step at full right-stick deflection and sensitivity 1
    // (180 degrees a second).
    static constexpr float kPadTurnPerStep = 3.0f;
    PadLook GetPadLook() const { return stepLook_; }
    // A was pressed since the step before this one (once per press).
    bool ConfirmPressed() const { return stepConfirm_; }
    int ConnectedPads() const { return static_cast<int>(pads_.size()); }
    // Closes every open gamepad (shutdown).
    void ClosePads();

    void SetLookSettings(const LookSettings& look) { look_ = look; }
    const LookSettings& GetLookSettings() const { return look_; }

    // Clears all state, the look settings too (tests).
    void Reset();

private:
    Input() = default;
    // SDL's state of the key as of the last event pump (keyboard, mouse
    // and gamepads).
    bool HeldNow(Key key) const;
    bool PadHeld(Key key) const;
    PadLook ReadPadLook() const;
    std::vector<void*> pads_;  // SDL_GameController*
    PadLook stepLook_;
    bool stepConfirm_ = false;
    bool confirmSinceStep_ = false;
    InputScript* script_ = nullptr;
    InputFrame frame_;
    Point scriptedCursorScreen_{640, 360};
    Point lastSetCursor_{640, 360};
    // The same point in the picture, and the game step that set it.
    Point lastSetClient_{640, 360};
    uint64_t gameSteps_ = 0;
    uint64_t setAtStep_ = 0;
    bool haveSetCursor_ = false;
    Letterbox mapping_;
    Point windowOrigin_{0, 0};
    Point relativeCursor_{0, 0};
    bool useRelative_ = false;
    int cursorCounter_ = 0;
    SDL_Window* window_ = nullptr;
    // Where the pointer was read last on X11 (screen), and in which game
    // step: putting the hidden pointer back in the same step moves it by
    // the difference, so that motion made between the read and the move is
    // kept for the next read instead of being overwritten.
    mutable Point readCursor_{0, 0};
    mutable uint64_t readAtStep_ = 0;
    mutable bool haveRead_ = false;
    bool manual_ = false;
    LookSettings look_;
    // The SDL source's state per step (valid once BeginStep has run) and
    // the presses since the last step.
    static constexpr int kKeys = static_cast<int>(Key::Count);
    bool stepping_ = false;
    bool stepDown_[kKeys] = {};
    bool pressedSinceStep_[kKeys] = {};
};

// Millisecond clock and sleep of the frame loop.
uint32_t TimeMs();
void SleepMs(uint32_t ms);

}  // namespace Platform

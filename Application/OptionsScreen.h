// The options and pause screen, drawn with Dear ImGui over the picture.
//
// F1 or P (or a gamepad's Start) opens and closes it; Escape closes it while
// it is open (and ends the game, as ever, while it is not). It also opens by
// itself when the window loses focus (the application decides), and says
// why. While it is open the
// game takes no steps and the pointer is free; closing it puts a caught
// pointer back where the game had it, so the view does not jump, and holds
// the click that pressed "Resume" back from the game (the click latch).
// The sounds that were playing hold while it is open and play on after.
//
// Every setting changes through the settings store: it takes effect at once
// and is saved.
#pragma once

#include <map>
#include <string>

union SDL_Event;

class OptionsScreen {
public:
    enum class Reason { Player, FocusLost };
    enum class Action { None, Resume, QuitToTitle };

    bool IsOpen() const { return open_; }
    Reason GetReason() const { return reason_; }
    // What becomes of the sounds held while the screen was open: they play
    // on when the game goes on, and stop when the player leaves it.
    enum class HeldSounds { Resume, Stop };
    void Open(Reason reason);
    void Close(HeldSounds held = HeldSounds::Resume);

    // The keys and pad buttons of the screen; true when the event was
    // taken.
    bool HandleEvent(const SDL_Event& event);

    // Builds and draws the screen into the bound framebuffer (the window).
    // offerQuitToTitle shows the button that leaves a game in progress.
    // Returns what the player chose this frame (the screen closes itself
    // for both).
    Action Draw(bool offerQuitToTitle);

    // Where each control was drawn last frame, in window pixels (its
    // label as key): for tests that click them as a player would.
    struct Rect {
        float x = 0, y = 0, width = 0, height = 0;
    };
    bool ControlRect(const std::string& label, Rect& rect) const;

private:
    void Remember(const char* label);

    bool open_ = false;
    Reason reason_ = Reason::Player;
    std::map<std::string, Rect> rects_;
};

// Dear ImGui at start-up: the context, the classic style, the SDL2 and
// OpenGL 3 back ends and the fonts (the default font with a Japanese gothic
// merged in). ImGui receives every window event; frames are built only while
// the options screen is open, drawn over the picture in the window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SDL_Window;
union SDL_Event;

namespace ImGuiSetup {

// Candidate Japanese gothic fonts, first found is merged.
extern const char* const kJapaneseFontPaths[];

// Creates the context and the back ends on the window's current OpenGL
// context. A missing Japanese font only gives a warning on stderr.
bool Init(SDL_Window* window);
void Shutdown();
bool IsActive();

// Hands an event to the SDL2 back end (nothing when ImGui is not up).
void ProcessEvent(const SDL_Event& event);
// True when ImGui claims the keyboard.
bool WantsKeyboard();

// True while a text field of ImGui is being edited.
bool WantsTextInput();
// Forgets ImGui's claim on keyboard and mouse once no more frames are built
// (the claim is only recomputed by the next frame).
void ReleaseInput();

// Starts a frame (false when ImGui is not up) and draws what was built
// into the bound framebuffer.
bool NewFrame();
void Render();

// The path of the Japanese font that was merged (empty when none).
const std::string& MergedFontPath();

// Glyph ranges of the Shift_JIS repertoire (ASCII, half-width katakana and
// JIS X 0208) as inclusive UTF-16 (first, last) pairs, zero-terminated.
// Derived with iconv the first time and kept for the process.
const std::vector<uint16_t>& ShiftJisGlyphRanges();

}  // namespace ImGuiSetup

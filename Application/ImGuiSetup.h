// Dear ImGui at start-up: the context, the classic style, the SDL2 and
// OpenGL 3 back ends and the fonts (the default font with a Japanese gothic
// merged in). The game never builds an ImGui frame; ImGui only receives the
// window's events and is shut down with the rest.
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

// The path of the Japanese font that was merged (empty when none).
const std::string& MergedFontPath();

// Glyph ranges of the Shift_JIS repertoire (ASCII, half-width katakana and
// JIS X 0208) as inclusive UTF-16 (first, last) pairs, zero-terminated.
// Derived with iconv the first time and kept for the process.
const std::vector<uint16_t>& ShiftJisGlyphRanges();

}  // namespace ImGuiSetup

// The click latch: while it is set, a held left mouse button is not a new
// click. A screen that acts on a click sets it, so that the same press does
// not act again on the next screen (the title's start click never fires the
// gun); the gun clears it whenever the button is up. One flag for the whole
// program, kept across screen switches.
#pragma once

namespace Platform {

bool IsClickLatched();
void SetClickLatched(bool latched);

}  // namespace Platform

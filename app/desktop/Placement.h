// Where the main window is: its bounds to save, and a saved place no monitor shows any more.
#pragma once

#include "toolkit/Win.h"

namespace kestrova {

// The bounds the window has when it is neither minimized nor maximized, in screen coordinates.
RECT RestoredBounds(HWND window);

// Moves a window whose title bar no monitor's work area shows any more onto the nearest one
// (the rule of Placement.h).
void KeepOnScreen(HWND window);

}  // namespace kestrova

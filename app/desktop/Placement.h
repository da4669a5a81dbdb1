// Where the main window is: its bounds to save, where saved bounds go on the monitors there are
// now, and a saved place no monitor shows any more.
#pragma once

#include "toolkit/Win.h"

namespace kestrova {

// The bounds the window has when it is neither minimized nor maximized, in screen coordinates.
RECT RestoredBounds(HWND window);

// Where a window saved with these outer bounds, measured on a monitor of savedDpi (0: not
// known), goes now: the same top-left corner, the size scaled for the DPI of the monitor the
// saved bounds lie on (SizeForDpi); and that DPI.
struct TSavedPlace {
  RECT bounds;
  UINT dpi;
};
TSavedPlace PlaceOfSaved(const RECT& saved, int savedDpi);

// Moves a window whose title bar no monitor's work area shows any more onto the nearest one
// (the rule of Placement.h).
void KeepOnScreen(HWND window);

}  // namespace kestrova

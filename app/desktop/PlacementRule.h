// Window-free placement rules: a window saved where no monitor shows its title bar any more (a
// monitor unplugged, a resolution lowered) is brought back onto the nearest one; a window that
// can still be reached stays exactly where it was saved; and a saved size is scaled from the
// DPI it was measured at to that of the monitor it opens on. No <windows.h> here: the host
// build tests this directly.
#pragma once

#include <span>

namespace kestrova {

// A rectangle in screen pixels: left and top inside, right and bottom just outside.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const Box&, const Box&) = default;
};

// Where a window of those bounds goes: as it is while its title bar (the top titleHeight
// pixels of it) meets one of the work areas; otherwise into the nearest work area, as near
// its saved place as it fits, its size kept where it fits and cut to the work area where not.
Box PlaceOnScreen(Box window, int titleHeight, std::span<const Box> workAreas, Box nearest);

// Whether a DPI read from the settings file is one a monitor can have (48 to 960; Windows
// scales from 96, 100 %, up to 500 %).
bool IsPlausibleDpi(long long dpi);

// A window's size (its width or height) measured at savedDpi, for a monitor of dpi: scaled and
// rounded to the nearest pixel. When savedDpi is not known (0, or not plausible) the size is
// taken as it stands: a size that says nothing of its DPI was measured on the monitor it is
// for.
int SizeForDpi(int size, long long savedDpi, int dpi);

}  // namespace kestrova

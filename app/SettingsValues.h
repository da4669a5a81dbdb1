// The program's settings as one value (the keys of "Kestrova.ini" with their defaults), and the
// rule for a file that another program changed while the window ran: a key that Kestrova did not
// change since it last read or wrote the file gets the file's value, a key it changed keeps
// Kestrova's. No <windows.h> here: the host build tests the rule directly.
#pragma once

#include <array>
#include <string>

#include "app/batch/ArchiveRules.h"

namespace kestrova {

struct TSettings {
  // The window's outer bounds in screen pixels; the size in pixels of the monitor it was on.
  int left = 300;
  int top = 300;
  int width = 288;
  int height = 300;
  // That monitor's DPI ("MainDPI", kept after the eleven keys when it is not 96); 0 when the
  // file does not say, as none written before it was kept does: the size is then taken as
  // measured on the monitor the window opens on, where every such file was written.
  int dpi = 0;
  std::wstring fileExt = L".rar";
  std::wstring winRARPath;
  std::array<std::wstring, 5> profiles{L"a -r -ep1 -m0 -rr3p", L"a -r -ep1 -m5 -rr3p", L"", L"",
                                       L""};
  // Kept in the file only when not the default, after the eleven keys.
  TExistingArchive existingArchive = TExistingArchive::Add;
  TTarget target = TTarget::Folder;

  bool operator==(const TSettings&) const = default;
};

// Each value is compared with the baseline: the value of the key as Kestrova last read it from
// the file, took it from the file, or wrote it there. A window value that differs from it is a
// change Kestrova made.

// What a save writes: the window's value of each key Kestrova changed, the file's of every other.
// The size and its DPI go together: the window's, where any of them changed (a DPI the baseline
// does not know is no change), else the file's. After the save the window's values are the
// baseline.
TSettings SavedSettings(const TSettings& baseline, const TSettings& window, const TSettings& file);

// What the window takes from a file changed outside: the file's value of each key Kestrova did
// not change, except the window's place (its four bounds), which stays the window's own; the
// baseline of each key taken becomes the file's value. A save then writes the file's bounds where
// the window has not been moved or sized.
TSettings TakenSettings(TSettings& baseline, const TSettings& window, const TSettings& file);

}  // namespace kestrova

// What the program asks of the system beyond windows: the paths of a shell drop, the
// clipboard, and COM for the shell's calls. shell32 and ole32 are bound when first needed
// (SystemCalls.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Win.h"

namespace kestrova {

// The paths of a shell drop, whole, in their long forms and in the order the shell gives them;
// the drop is released.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop);

// The path in its long form (GetLongPathNameW: every short 8.3 name in it replaced by its long
// name), at any length; the path as it stands where the system cannot say (nothing there, a
// folder on the way that may not be listed).
std::wstring LongPath(const std::wstring& path);
// The path in its short form (GetShortPathNameW) where it has one, at any length: for the calls
// that take at most MAX_PATH - 1 characters; the path as it stands where there is none.
std::wstring ShortPath(const std::wstring& path);

// Puts the text on the clipboard as Unicode text, for the window; false when the clipboard
// could not be had.
bool SetClipboardText(HWND owner, std::wstring_view text);

// The apartment-threaded COM of the user-interface thread, for the shell's calls; started once,
// when first needed. False where it cannot be had.
bool UseCom();

}  // namespace kestrova

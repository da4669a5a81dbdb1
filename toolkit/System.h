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

// Puts the text on the clipboard as Unicode text, for the window; false when the clipboard
// could not be had.
bool SetClipboardText(HWND owner, std::wstring_view text);

// The apartment-threaded COM of the user-interface thread, for the shell's calls; started once,
// when first needed. False where it cannot be had.
bool UseCom();

}  // namespace kestrova

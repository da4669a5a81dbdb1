// Functions of system DLLs looked up when first needed. Two reasons: the start of the program
// does not load shell32, comdlg32 or ole32 (it needs none of them to show its window), and
// functions newer than the oldest Windows the program runs on (Windows 7 SP1) are used only
// where they exist.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Win.h"

namespace kestrova {

// The module, loaded from the system folder when it is not loaded yet; null when missing.
HMODULE SystemModule(const wchar_t* dll);

// The function name of the system DLL as a pointer of type F; null where this Windows has
// none. Look it up once: static const auto f = SystemFunction<...>(...).
template <typename F>
F SystemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = SystemModule(dll);
  FARPROC proc = module != nullptr ? GetProcAddress(module, name) : nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(proc));
}

// The paths of a shell drop, whole and in the order the shell gives them; the drop is released.
std::vector<std::wstring> TakeDroppedPaths(HDROP drop);

// Puts the text on the clipboard as Unicode text, for the window; false when the clipboard
// could not be had.
bool SetClipboardText(HWND owner, std::wstring_view text);

// The apartment-threaded COM of the user-interface thread, for the shell's calls; started once,
// when first needed. False where it cannot be had.
bool UseCom();

}  // namespace kestrova

// The one place that includes <windows.h> for the toolkit and everything above it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

// The image the linker made (the program's exe), as its own base address.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kestrova {

// The module the toolkit is linked into: its string table, its bitmaps and icons, its window
// classes.
inline HINSTANCE ModuleInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

}  // namespace kestrova

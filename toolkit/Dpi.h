// The DPI of windows and of the system, and window sizes for a DPI. The per-monitor functions
// (Windows 10 1607 and later) are used where they exist; elsewhere the system DPI serves.
#pragma once

#include "toolkit/Win.h"

namespace kestrova {

UINT SystemDpi();
UINT WindowDpi(HWND hwnd);
// The DPI of a monitor (Windows 8.1 and later); elsewhere the system DPI, which every monitor
// has there.
UINT MonitorDpi(HMONITOR monitor);
// The outer size of a window whose client area is width x height at that DPI.
SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace kestrova

#include "app/desktop/Placement.h"

#include <vector>

#include "app/desktop/PlacementRule.h"
#include "toolkit/Dpi.h"

namespace kestrova {

namespace {

// The work areas of every monitor.
BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{sizeof(info)};
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<Box>*>(areas)->push_back(
        Box{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
  }
  return TRUE;
}

}  // namespace

RECT RestoredBounds(HWND window) {
  RECT bounds{};
  if (!IsIconic(window) && !IsZoomed(window)) {
    GetWindowRect(window, &bounds);
    return bounds;
  }
  // The placement's normal rectangle is in workspace coordinates, which differ from screen
  // coordinates by the work area's offset on its monitor (a taskbar at the top or left).
  WINDOWPLACEMENT placement{sizeof(placement)};
  GetWindowPlacement(window, &placement);
  bounds = placement.rcNormalPosition;
  MONITORINFO monitor{sizeof(monitor)};
  if (GetMonitorInfoW(MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &monitor)) {
    OffsetRect(&bounds, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return bounds;
}

TSavedPlace PlaceOfSaved(const RECT& saved, int savedDpi) {
  // The monitor the window will be on: the one with the largest part of it.
  const UINT dpi = MonitorDpi(MonitorFromRect(&saved, MONITOR_DEFAULTTONEAREST));
  const int width = SizeForDpi(saved.right - saved.left, savedDpi, static_cast<int>(dpi));
  const int height = SizeForDpi(saved.bottom - saved.top, savedDpi, static_cast<int>(dpi));
  return TSavedPlace{RECT{saved.left, saved.top, saved.left + width, saved.top + height}, dpi};
}

void KeepOnScreen(HWND window) {
  RECT bounds{};
  GetWindowRect(window, &bounds);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  std::vector<Box> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  MONITORINFO nearest{sizeof(nearest)};
  if (!GetMonitorInfoW(MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &nearest)) return;
  const Box saved{bounds.left, bounds.top, bounds.right, bounds.bottom};
  const Box placed = PlaceOnScreen(
      saved, client.y - bounds.top, areas,
      Box{nearest.rcWork.left, nearest.rcWork.top, nearest.rcWork.right, nearest.rcWork.bottom});
  if (placed == saved) return;
  SetWindowPos(window, nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kestrova

#include "toolkit/Dpi.h"

#include "toolkit/SystemCalls.h"

namespace kestrova {

UINT SystemDpi() {
  if (const auto getDpiForSystem = sys::User32().GetDpiForSystem) return getDpiForSystem();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND hwnd) {
  const auto getDpiForWindow = sys::User32().GetDpiForWindow;
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(hwnd) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

UINT MonitorDpi(HMONITOR monitor) {
  UINT dpiX = 0, dpiY = 0;
  const auto getDpiForMonitor = sys::Shcore().GetDpiForMonitor;
  if (getDpiForMonitor != nullptr && monitor != nullptr &&
      SUCCEEDED(getDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) && dpiX != 0) {
    return dpiX;
  }
  return SystemDpi();
}

SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  RECT frame{0, 0, width, height};
  if (const auto adjustForDpi = sys::User32().AdjustWindowRectExForDpi) {
    adjustForDpi(&frame, style, FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace kestrova

#include "toolkit/Dpi.h"

#include "toolkit/System.h"

namespace kestrova {

UINT SystemDpi() {
  static const auto getDpiForSystem = SystemFunction<UINT(WINAPI*)()>(L"user32.dll", "GetDpiForSystem");
  if (getDpiForSystem != nullptr) return getDpiForSystem();
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

UINT WindowDpi(HWND hwnd) {
  static const auto getDpiForWindow =
      SystemFunction<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
  const UINT dpi = getDpiForWindow != nullptr ? getDpiForWindow(hwnd) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

SIZE FrameSize(int width, int height, DWORD style, DWORD exStyle, UINT dpi) {
  static const auto adjustForDpi = SystemFunction<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>(
      L"user32.dll", "AdjustWindowRectExForDpi");
  RECT frame{0, 0, width, height};
  if (adjustForDpi != nullptr) {
    adjustForDpi(&frame, style, FALSE, exStyle, dpi);
  } else {
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  }
  return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace kestrova

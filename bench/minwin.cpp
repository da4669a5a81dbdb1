// bench_minwin: the floor of start-up. One top-level window of the main window's default size,
// style and background, shown and painted the way Kestrova shows its own (ShowWindow, then
// UpdateWindow), then a message loop. Built twice: bare, and with BENCH_COMMON_CONTROLS and
// the program's resources (its manifest) and InitCommonControlsEx: what a start costs before
// any of Kestrova's own code runs.
#include <windows.h>
#ifdef BENCH_COMMON_CONTROLS
#include <commctrl.h>
#endif

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
#ifdef BENCH_COMMON_CONTROLS
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
#endif
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"KestrovaBenchMinimal";
  if (!RegisterClassExW(&wc)) return 1;
  // Kestrova's defaults at 96 DPI: 300,300 and 288 x 300 outside.
  HWND hwnd = CreateWindowExW(
      WS_EX_CONTROLPARENT, wc.lpszClassName, L"Kestrova",
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN,
      300, 300, 288, 300, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 1;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

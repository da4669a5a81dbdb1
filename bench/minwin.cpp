// bench_minwin: the floor of start-up. One top-level window of the main window's default size,
// style and background, shown and painted the way Kestrova shows its own (ShowWindow, then
// UpdateWindow), then a message loop. Built twice: bare, and with BENCH_COMMON_CONTROLS and
// the program's resources (its manifest) and InitCommonControlsEx: what a start costs before
// any of Kestrova's own code runs. Built a third time with BENCH_CONTROLS: that window with the
// main window's native controls (panel, edit, button, drop-down list, result list) of the same
// sizes, styles and font, made directly with CreateWindowExW: what the controls themselves cost.
#include <windows.h>
#ifdef BENCH_COMMON_CONTROLS
#include <commctrl.h>
#endif

namespace {

#ifdef BENCH_CONTROLS
void CreateControls(HWND hwnd) {
  LOGFONTW lf{};
  lf.lfHeight = -12;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lstrcpyW(lf.lfFaceName, L"ＭＳ Ｐゴシック");
  const HFONT font = CreateFontIndirectW(&lf);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  auto make = [&](HWND parent, DWORD exStyle, const wchar_t* cls, const wchar_t* text,
                  DWORD style, int x, int y, int w, int h) {
    HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h,
                                 parent, nullptr, instance, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
  };
  HWND panel = make(hwnd, WS_EX_CONTROLPARENT, L"STATIC", L"", 0, 0, 0, 282, 57);
  make(panel, WS_EX_CLIENTEDGE, L"EDIT", L".rar", WS_TABSTOP | ES_AUTOHSCROLL, 8, 8, 105, 20);
  make(panel, 0, L"BUTTON", L"About", WS_TABSTOP | BS_PUSHBUTTON, 234, 12, 38, 16);
  HWND combo = make(panel, 0, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 8,
                    32, 265, 200);
  for (int i = 0; i < 5; ++i) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"a"));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  make(hwnd, WS_EX_CLIENTEDGE, L"LISTBOX", L"",
       WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 57, 282,
       240);
}
#endif

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
#ifdef BENCH_CONTROLS
  if (msg == WM_CREATE) CreateControls(hwnd);
#endif
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

#include "toolkit/Window.h"

#include "toolkit/Application.h"
#include "toolkit/Error.h"

namespace kestrova {

namespace {

void Register(const WindowClass& windowClass, WNDPROC proc) {
  WNDCLASSEXW existing{sizeof(existing)};
  if (GetClassInfoExW(Application.Instance(), windowClass.name, &existing)) return;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = windowClass.style;
  wc.lpfnWndProc = proc;
  wc.hInstance = Application.Instance();
  wc.hCursor = windowClass.cursor != nullptr ? LoadCursorW(nullptr, windowClass.cursor) : nullptr;
  if (windowClass.backgroundColor >= 0) {
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(windowClass.backgroundColor + 1));
  }
  wc.lpszClassName = windowClass.name;
  if (!RegisterClassExW(&wc)) ThrowLastError(L"RegisterClassExW");
}

}  // namespace

Window::~Window() { Destroy(); }

void Window::Create(const WindowClass& windowClass, DWORD exStyle, DWORD style,
                    const wchar_t* text, RECT bounds, HWND parent, int id) {
  Register(windowClass, EntryProc);
  // hwnd_ is set at WM_NCCREATE, before the window's first messages reach OnMessage.
  HWND hwnd = CreateWindowExW(exStyle, windowClass.name, text, style, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              Application.Instance(), this);
  if (hwnd == nullptr) ThrowLastError(L"CreateWindowExW");
}

void Window::CreateNative(const wchar_t* className, DWORD exStyle, DWORD style,
                          const wchar_t* text, RECT bounds, HWND parent, int id) {
  hwnd_ = CreateWindowExW(exStyle, className, text, style, bounds.left, bounds.top,
                          bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          Application.Instance(), nullptr);
  if (hwnd_ == nullptr) ThrowLastError(L"CreateWindowExW");
}

void Window::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK Window::EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  const bool handled = Application.Guarded(
      hwnd, msg, result, [&] { return window->OnMessage(msg, wParam, lParam, result); });
  if (!handled) result = DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
  }
  return result;
}

void Subclass::Attach(HWND hwnd) {
  Detach();
  hwnd_ = hwnd;
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  original_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EntryProc)));
}

void Subclass::Detach() {
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
}

LRESULT Subclass::CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return CallWindowProcW(original_, hwnd_, msg, wParam, lParam);
}

LRESULT CALLBACK Subclass::EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* subclass = reinterpret_cast<Subclass*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (subclass == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    // The control's last message: it goes back to its own procedure for good.
    const WNDPROC original = subclass->original_;
    subclass->Detach();
    return CallWindowProcW(original, hwnd, msg, wParam, lParam);
  }
  LRESULT result = 0;
  const bool handled = Application.Guarded(
      hwnd, msg, result, [&] { return subclass->OnMessage(msg, wParam, lParam, result); });
  if (!handled) result = subclass->CallOriginal(msg, wParam, lParam);
  return result;
}

}  // namespace kestrova

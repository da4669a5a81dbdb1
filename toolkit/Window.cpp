#include "toolkit/Window.h"

#include "toolkit/Application.h"
#include "toolkit/Error.h"
#include "toolkit/Text.h"

namespace kestrova {

namespace {

void Register(const WindowClass& windowClass, WNDPROC proc) {
  WNDCLASSEXW existing{sizeof(existing)};
  if (GetClassInfoExW(ModuleInstance(), windowClass.name, &existing)) return;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = windowClass.style;
  wc.lpfnWndProc = proc;
  wc.hInstance = ModuleInstance();
  wc.hCursor = windowClass.cursor != nullptr ? LoadCursorW(nullptr, windowClass.cursor) : nullptr;
  if (windowClass.backgroundColor >= 0) {
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(windowClass.backgroundColor + 1));
  }
  wc.lpszClassName = windowClass.name;
  if (!RegisterClassExW(&wc)) ThrowLastError(L"RegisterClassExW");
}

}  // namespace

// Handle

std::wstring Window::Text() const { return WindowText(hwnd_); }

void Window::SetText(std::wstring_view text) const {
  const std::wstring copy(text);
  SetWindowTextW(hwnd_, copy.c_str());
}

void Window::SetBounds(int left, int top, int width, int height) const {
  SetWindowPos(hwnd_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateNativeWindow(const wchar_t* className, DWORD exStyle, DWORD style,
                        const wchar_t* text, RECT bounds, HWND parent, int id) {
  const HWND hwnd = CreateWindowExW(exStyle, className, text, style, bounds.left, bounds.top,
                                    bounds.right - bounds.left, bounds.bottom - bounds.top,
                                    parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    ModuleInstance(), nullptr);
  if (hwnd == nullptr) ThrowLastError(L"CreateWindowExW");
  return hwnd;
}

// Procedure

WindowImpl::~WindowImpl() { Destroy(); }

void WindowImpl::Create(const WindowClass& windowClass, DWORD exStyle, DWORD style,
                        const wchar_t* text, RECT bounds, HWND parent, int id) {
  Register(windowClass, ClassEntryProc);
  // hwnd_ is set at WM_NCCREATE, before the window's first messages reach OnMessage.
  const HWND hwnd = CreateWindowExW(exStyle, windowClass.name, text, style, bounds.left,
                                    bounds.top, bounds.right - bounds.left,
                                    bounds.bottom - bounds.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    ModuleInstance(), this);
  if (hwnd == nullptr) ThrowLastError(L"CreateWindowExW");
}

void WindowImpl::CreateNative(const wchar_t* className, DWORD exStyle, DWORD style,
                              const wchar_t* text, RECT bounds, HWND parent, int id) {
  hwnd_ = CreateNativeWindow(className, exStyle, style, text, bounds, parent, id);
}

void WindowImpl::Destroy() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
}

bool WindowImpl::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT WindowImpl::CallDefault(UINT msg, WPARAM wParam, LPARAM lParam) const {
  if (native_ != nullptr) return CallWindowProcW(native_, hwnd_, msg, wParam, lParam);
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void WindowImpl::CallDefault(TMessage& message) const {
  message.Result = CallDefault(message.Msg, message.WParam, message.LParam);
}

LRESULT CALLBACK WindowImpl::ClassEntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* window =
        static_cast<WindowImpl*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    window->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<WindowImpl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  const bool handled = TApplication::Guarded(
      hwnd, msg, result, [&] { return window->OnMessage(msg, wParam, lParam, result); });
  if (!handled) result = window->CallDefault(msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
  }
  return result;
}

void WindowImpl::Subclass() {
  // Swapped by hand rather than through comctl32's SetWindowSubclass, whose procedure looks its
  // data up at every message (a window property: under Wine a server round trip, 40-180 us a
  // message against 0.6 us here: bench/REPORT.md). The object sits in GWLP_USERDATA instead.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  native_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassEntryProc)));
}

void WindowImpl::Unsubclass() {
  // A procedure put in front of ours since (a test's spy, an accessibility tool) stays, and
  // calls ours, which then hands everything to the control's own.
  if (GetWindowLongPtrW(hwnd_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassEntryProc)) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(native_));
  }
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  native_ = nullptr;
}

LRESULT CALLBACK WindowImpl::SubclassEntryProc(HWND hwnd, UINT msg, WPARAM wParam,
                                               LPARAM lParam) {
  auto* window = reinterpret_cast<WindowImpl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) {
    // Called after its object let go of the control: the control's own procedure, which is
    // its class's (it is subclassed as soon as it exists).
    const auto native = reinterpret_cast<WNDPROC>(GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    return CallWindowProcW(native, hwnd, msg, wParam, lParam);
  }
  if (msg == WM_NCDESTROY) {
    const WNDPROC native = window->native_;
    window->Unsubclass();
    window->hwnd_ = nullptr;
    return CallWindowProcW(native, hwnd, msg, wParam, lParam);
  }
  LRESULT result = 0;
  const bool handled = TApplication::Guarded(
      hwnd, msg, result, [&] { return window->OnMessage(msg, wParam, lParam, result); });
  if (!handled) result = window->CallDefault(msg, wParam, lParam);
  return result;
}

}  // namespace kestrova

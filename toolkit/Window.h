// A window's handle and a window's procedure, kept apart:
//
//  * Window: the handle. A thin value over an HWND that neither owns the window nor gets its
//    messages; its methods are one-line requests to the window.
//  * WindowImpl: a window whose messages come to its object, which owns it (the window goes
//    with the object). Either a window of a class registered here, which gets its messages
//    from WM_NCCREATE on through the class's entry procedure, or a native control (the
//    LISTBOX) subclassed: its procedure is replaced, so that OnMessage sees every request it
//    gets before the control does.
//
// OnMessage says whether it handled the message (and sets its result); what it leaves goes to
// CallDefault. Exceptions stop at the entry procedure (TApplication::Guarded).
#pragma once

#include <string>
#include <string_view>

#include "toolkit/Message.h"
#include "toolkit/Win.h"

namespace kestrova {

class Window {
 public:
  Window() = default;
  explicit Window(HWND hwnd) : hwnd_(hwnd) {}

  HWND Handle() const { return hwnd_; }

  std::wstring Text() const;
  void SetText(std::wstring_view text) const;
  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) const { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  void SetFocus() const { ::SetFocus(hwnd_); }
  // Place and size in the parent's client area.
  void SetBounds(int left, int top, int width, int height) const;

 protected:
  HWND hwnd_ = nullptr;
};

// Creates a native window (a control, a tooltip) that keeps its own procedure; throws when the
// platform refuses.
HWND CreateNativeWindow(const wchar_t* className, DWORD exStyle, DWORD style,
                        const wchar_t* text, RECT bounds, HWND parent, int id);

// A window class of ours: registered, with WindowImpl's entry procedure, when first used. It is
// named after the class that registers it (TPanel, TImage, TCustomLabel), as the forms' are.
struct WindowClass {
  const wchar_t* name;
  UINT style = 0;
  const wchar_t* cursor = IDC_ARROW;  // a system cursor; null: the window sets its own
  int backgroundColor = -1;           // a system colour index, or -1 for no background brush
};

class WindowImpl : public Window {
 public:
  WindowImpl() = default;
  // The window goes with the object.
  virtual ~WindowImpl();
  WindowImpl(const WindowImpl&) = delete;
  WindowImpl& operator=(const WindowImpl&) = delete;

 protected:
  // Creates a window of a class of ours; it sends its first messages to OnMessage already.
  void Create(const WindowClass& windowClass, DWORD exStyle, DWORD style, const wchar_t* text,
              RECT bounds, HWND parent, int id);
  // Creates a native control that keeps its own procedure: OnMessage gets none of its
  // messages unless it is subclassed.
  void CreateNative(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* text,
                    RECT bounds, HWND parent, int id);
  // Puts this object's procedure in front of the native control's own, until the control's
  // last message (WM_NCDESTROY).
  void Subclass();
  void Destroy();

  // A message for the window; false leaves it to CallDefault.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // What a message gets that OnMessage leaves: the native control's own procedure, or
  // DefWindowProcW for a window of our class.
  LRESULT CallDefault(UINT msg, WPARAM wParam, LPARAM lParam) const;
  void CallDefault(TMessage& message) const;

 private:
  static LRESULT CALLBACK ClassEntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassEntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // The control's last message: its own procedure goes back in, where ours is still the one
  // in front.
  void Unsubclass();

  // The native control's own procedure while it is subclassed.
  WNDPROC native_ = nullptr;
};

}  // namespace kestrova

// The two ways a window of ours gets its messages, each with one entry procedure:
//
//  * Window: a window of a class registered here. The entry procedure keeps the object from
//    WM_NCCREATE on and hands every message to OnMessage.
//  * Subclass: a native control (a LISTBOX) whose procedure is replaced, the object kept in the
//    window's user data; OnMessage sees every request before the control does.
//
// OnMessage says whether it handled the message (and sets its result); what it does not handle
// goes to the platform. Exceptions stop at the entry procedure: the standard error box shows
// them (TApplication::HandleException).
#pragma once

#include <string>

#include "toolkit/Win.h"

namespace kestrova {

// A window class of ours: registered, with Window's entry procedure, when first used.
struct WindowClass {
  const wchar_t* name;
  UINT style = 0;
  const wchar_t* cursor = IDC_ARROW;  // a system cursor; null: the window sets its own
  int backgroundColor = -1;           // a system colour index, or -1 for no background brush
};

class Window {
 public:
  Window() = default;
  // The window goes with the object.
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND Handle() const { return hwnd_; }

  // Creates a native window (a control, a tooltip...), which keeps its own procedure.
  void CreateNative(const wchar_t* className, DWORD exStyle, DWORD style, const wchar_t* text,
                    RECT bounds, HWND parent, int id);

 protected:
  // Creates a window of a class of ours; it sends its first messages to OnMessage already.
  void Create(const WindowClass& windowClass, DWORD exStyle, DWORD style, const wchar_t* text,
              RECT bounds, HWND parent, int id);
  void Destroy();

  // A message for the window; false leaves it to the platform.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static LRESULT CALLBACK EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
};

class Subclass {
 public:
  Subclass() = default;
  virtual ~Subclass() { Detach(); }
  Subclass(const Subclass&) = delete;
  Subclass& operator=(const Subclass&) = delete;

 protected:
  void Attach(HWND hwnd);
  void Detach();
  // The control's own handling of a request, and its result.
  LRESULT CallOriginal(UINT msg, WPARAM wParam, LPARAM lParam) const;

  // A request for the control; false leaves it to the control.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

 private:
  static LRESULT CALLBACK EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;
};

}  // namespace kestrova

// The form base: a top-level window built from a layout, its message routing to handler
// methods, showing (plain and modal) and closing. A form is a thin value over its window;
// every exception escaping a handler is caught where the message was delivered and shown
// in the standard error box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Handles.h"
#include "toolkit/Layout.h"
#include "toolkit/Message.h"

namespace kestrova {

class TWinControl;

class TForm {
 public:
  explicit TForm(const FormLayout& layout);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  HWND Handle() const { return hwnd_; }
  const FormLayout& Layout() const { return layout_; }
  UINT Dpi() const { return dpi_; }
  int Scale(int value96) const { return ScaleForDpi(value96, dpi_); }
  HFONT Font() const { return font_.Get(); }

  std::wstring Caption() const;
  void SetCaption(std::wstring_view caption);

  // Outer bounds in screen coordinates.
  RECT Bounds() const;
  void SetLeft(int left);
  void SetTop(int top);
  void SetWidth(int width);
  void SetHeight(int height);

  bool Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
  void SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool Visible() const { return IsWindowVisible(hwnd_) != FALSE; }

  // Shows the form; the first time, FormShow runs before it becomes visible.
  void Show();
  void Hide();
  // Shows the form modally over the application's other windows; returns its modal result
  // when it closes.
  int ShowModal();
  // Runs FormClose; then ends the application (main form) or the modal showing, or hides.
  void Close();

  // The first activation of the main form, raised once by the application before its message
  // loop starts; later activations never raise it.
  void ActivateFirst();

  // Child controls register themselves here, in creation order (which is tab order).
  void AddControl(TWinControl* control) { controls_.push_back(control); }
  TWinControl* FindControl(int id) const;

  // The form's message map; the default sends everything to DefaultHandler.
  virtual void Dispatch(TMessage& message);
  void DefaultHandler(TMessage& message);

 protected:
  // Builds the window and its controls (hidden). Call at the end of the derived constructor.
  void CreateForm();

  virtual void FormShow() {}
  virtual void FormActivate() {}
  virtual void FormClose() {}
  // A notification (WM_COMMAND) from one of the form's controls.
  virtual void ControlCommand(int id, int code) {}
  // Places aligned controls (top-aligned first, then the one that fills the rest).
  virtual void Realign();
  // Runs once the layout and fonts have been rebuilt for a new DPI.
  virtual void DpiChanged() {}

  // Rebuilds the layout and the fonts from their 96-DPI values for another DPI.
  void ApplyDpi(UINT dpi);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void RegisterWindowClass();

  const FormLayout& layout_;
  HWND hwnd_ = nullptr;
  UINT dpi_ = 96;
  FontHandle font_;
  BrushHandle background_;
  std::vector<TWinControl*> controls_;
  HWND lastFocus_ = nullptr;
  bool shownOnce_ = false;
  bool activatedOnce_ = false;
  bool modal_ = false;
  int modalResult_ = 0;
};

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrCancel = 2;

}  // namespace kestrova

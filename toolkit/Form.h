// The form base: a top-level window laid out from a FormLayout. A form is a dialog of the
// platform's dialog manager with a window class of its own (its name and icon are the
// layout's): the manager gives it Tab and arrow keys, the default button, Esc, and keeps the
// focused control across deactivation. A modeless form (the main window) has its window from
// its construction on, hidden, and joins the application's message loop for its dialog keys
// until it goes; a modal one (ShowModal) has its window while it is shown, runs the dialog
// manager's own loop, and builds its controls in OnCreate. Controls register with their form
// in creation order (tab order).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/Handles.h"
#include "toolkit/Layout.h"
#include "toolkit/Window.h"

namespace kestrova {

class TApplication;
class TWinControl;

// The form owns its window, which goes with it; the handle (Window) is set while the window
// exists.
class TForm : public Window {
 public:
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  const FormLayout& Layout() const { return layout_; }
  UINT Dpi() const { return dpi_; }
  int Scale(int value96) const { return ScaleForDpi(value96, dpi_); }
  HFONT Font() const { return font_.Get(); }

  std::wstring Caption() const { return Text(); }
  void SetCaption(std::wstring_view caption) { SetText(caption); }
  // Outer bounds in screen coordinates.
  RECT Bounds() const;
  // Moves and sizes the window to outer bounds meant for a monitor of that DPI (the monitor
  // they lie on). The DPI change this move brings rebuilds the layout and fonts for the new DPI
  // and keeps these bounds, rather than scaling them again from the DPI the window had.
  void PlaceAt(const RECT& bounds, UINT dpi);

  // A modeless form: shows it; the first time, FormShow runs before it becomes visible and the
  // focus goes to the first control.
  void Show();
  // The first activation of the main form, raised once by the application before its message
  // loop starts; later activations never raise it.
  void ActivateFirst();

  // The form's keys: a key of its accelerator table, pressed in the form, becomes the
  // WM_COMMAND of its command (a table of the resources, never destroyed).
  HACCEL Accelerators() const { return accelerators_; }
  void SetAccelerators(HACCEL accelerators) { accelerators_ = accelerators; }

  // Busy: the controls take no input until EndBusy. The focus, where one of them has it, goes to
  // keeper meanwhile (a control that goes disabled loses it on Windows), and comes back after,
  // while the form is the active window.
  void BeginBusy(std::span<const Window* const> controls, const Window& keeper);
  void EndBusy(std::span<const Window* const> controls);

  void AddControl(TWinControl* control) { controls_.push_back(control); }
  void RemoveControl(TWinControl* control);
  TWinControl* FindControl(int id) const;

 protected:
  enum class Showing { Modeless, Modal };
  TForm(const FormLayout& layout, Showing showing);

  // A modal form: runs it over owner until it ends; returns what EndModal gave.
  INT_PTR ShowModal(HWND owner);
  void EndModal(INT_PTR result);

  // The window exists, sized for its DPI; a modal form builds its controls here.
  virtual void OnCreate() {}
  virtual void FormShow() {}
  virtual void FormActivate() {}
  // A notification from one of the form's controls.
  virtual void ControlCommand(int id, int code) {}
  // The close box, Alt+F4 or the taskbar's close. A modal form ends; a modeless one ends the
  // application.
  virtual void CloseRequested();
  // The layout and fonts were rebuilt for a new DPI.
  virtual void DpiChanged() {}

  // Every message of the form; derived forms handle theirs and pass the rest on to this.
  virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Places aligned controls: the top-aligned ones first, then the one that fills the rest.
  void Realign();
  // Rebuilds the layout and the fonts from their 96-DPI values for another DPI.
  void ApplyDpi(UINT dpi);

 private:
  static INT_PTR CALLBACK EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  void InitDialog();
  std::vector<WORD> Template() const;

  const FormLayout& layout_;
  const Showing showing_;
  UINT dpi_ = 96;
  FontHandle font_;
  // Where the focus was as the form became busy.
  HWND focusBeforeBusy_ = nullptr;
  BrushHandle background_;
  std::vector<TWinControl*> controls_;
  // The application whose message loop a modeless form joined.
  TApplication* application_ = nullptr;
  // A placement whose DPI change has not come yet: its bounds, the DPI they are meant for, and
  // whether PlaceAt is moving the window now.
  struct Placing {
    RECT bounds;
    UINT dpi;
    bool moving;
  };
  std::optional<Placing> placing_;
  bool shownOnce_ = false;
  bool activatedOnce_ = false;
  HACCEL accelerators_ = nullptr;
};

}  // namespace kestrova

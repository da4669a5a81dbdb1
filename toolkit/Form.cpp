#include "toolkit/Form.h"

#include <algorithm>
#include <utility>

#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/Dpi.h"
#include "toolkit/SystemCalls.h"
#include "toolkit/Text.h"

namespace kestrova {

namespace {

// The form's window class: the dialog manager's procedure with the layout's name and icon.
void RegisterFormClass(const FormLayout& layout) {
  WNDCLASSEXW existing{sizeof(existing)};
  if (GetClassInfoExW(ModuleInstance(), layout.className, &existing)) return;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefDlgProcW;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.hInstance = ModuleInstance();
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  if (layout.iconId != 0) {
    wc.hIcon = LoadIconW(ModuleInstance(), MAKEINTRESOURCEW(layout.iconId));
  }
  wc.lpszClassName = layout.className;
  if (!RegisterClassExW(&wc)) ThrowLastError(L"RegisterClassExW");
}

// Messages whose result a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT msg) {
  switch (msg) {
    case WM_INITDIALOG:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return true;
    default:
      return false;
  }
}

}  // namespace

TForm::TForm(const FormLayout& layout, Showing showing) : layout_(layout), showing_(showing) {
  RegisterFormClass(layout_);
  if (showing_ == Showing::Modeless) {
    const std::vector<WORD> dialog = Template();
    if (CreateDialogIndirectParamW(ModuleInstance(),
                                   reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), nullptr,
                                   EntryProc, reinterpret_cast<LPARAM>(this)) == nullptr) {
      ThrowLastError(L"CreateDialogIndirectParamW");
    }
    // Its message loop gives it its dialog keys from now on.
    application_ = &Application();
    application_->AddModeless(this);
  }
}

TForm::~TForm() {
  if (application_ != nullptr) application_->RemoveModeless(this);
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

std::vector<WORD> TForm::Template() const {
  // DLGTEMPLATE: no controls, no size (InitDialog sizes it for its DPI), no menu, the form's
  // class and caption.
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = layout_.style & ~WS_VISIBLE;
  header->dwExtendedStyle = layout_.exStyle;
  words.push_back(0);  // no menu
  for (const wchar_t* c = layout_.className; *c != L'\0'; ++c) words.push_back(*c);
  words.push_back(0);
  const std::wstring caption =
      layout_.captionId != 0 ? LoadStr(layout_.captionId) : L"";
  for (wchar_t c : caption) words.push_back(c);
  words.push_back(0);
  return words;
}

INT_PTR TForm::ShowModal(HWND owner) {
  const std::vector<WORD> dialog = Template();
  const INT_PTR result = DialogBoxIndirectParamW(
      ModuleInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(dialog.data()), owner, EntryProc,
      reinterpret_cast<LPARAM>(this));
  if (result == -1) ThrowLastError(L"DialogBoxIndirectParamW");
  return result;
}

void TForm::EndModal(INT_PTR result) { EndDialog(hwnd_, result); }

void TForm::InitDialog() {
  dpi_ = WindowDpi(hwnd_);
  const SIZE frame = FrameSize(Scale(layout_.clientWidth), Scale(layout_.clientHeight),
                               layout_.style, layout_.exStyle, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.cx, frame.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  font_.Reset(CreateLayoutFont(layout_.font, dpi_));
  background_.Reset(CreateSolidBrush(ColorToRGB(layout_.color)));
  // The layout follows the DPI here, not the dialog manager's scaling of templates.
  if (const auto setBehavior = sys::User32().SetDialogDpiChangeBehavior) {
    constexpr auto kNone =
        static_cast<DIALOG_DPI_CHANGE_BEHAVIORS>(DDC_DISABLE_ALL | DDC_DISABLE_RESIZE);
    setBehavior(hwnd_, kNone, kNone);
  }
  OnCreate();
}

RECT TForm::Bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r;
}

void TForm::PlaceAt(const RECT& bounds, UINT dpi) {
  placing_ = Placing{bounds, dpi, true};
  SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
               bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // The window has that DPI now: the change came with the move, or none was due. Otherwise it
  // is still to come, and is known by the window being where it was placed.
  if (WindowDpi(hwnd_) == dpi) {
    placing_.reset();
  } else if (placing_) {
    placing_->moving = false;
  }
}

void TForm::Show() {
  const bool first = !shownOnce_;
  if (first) {
    shownOnce_ = true;
    FormShow();
  }
  Realign();
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  if (first) {
    if (HWND control = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) {
      SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    }
  }
}

void TForm::ActivateFirst() {
  if (activatedOnce_) return;
  activatedOnce_ = true;
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  FormActivate();
}

void TForm::RemoveControl(TWinControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

TWinControl* TForm::FindControl(int id) const {
  for (TWinControl* control : controls_) {
    if (control->Id() == id) return control;
  }
  return nullptr;
}

void TForm::CloseRequested() {
  if (showing_ == Showing::Modal) {
    EndModal(IDCANCEL);
  } else {
    Application().Terminate();
  }
}

void TForm::ApplyDpi(UINT dpi) {
  if (dpi == 0) return;
  dpi_ = dpi;
  // The old font goes once every control draws with the new one.
  const FontHandle old = std::move(font_);
  font_.Reset(CreateLayoutFont(layout_.font, dpi_));
  for (TWinControl* control : controls_) control->ApplyDpi(dpi_);
  Realign();
  DpiChanged();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TForm::Realign() {
  RECT client{};
  GetClientRect(hwnd_, &client);
  int top = 0;
  for (TWinControl* control : controls_) {
    const ControlLayout& layout = control->Layout();
    if (layout.parent == 0 && layout.align == Align::Top) {
      const int height = Scale(layout.height);
      control->SetBounds(0, top, client.right, height);
      top += height;
    }
  }
  for (TWinControl* control : controls_) {
    const ControlLayout& layout = control->Layout();
    if (layout.parent == 0 && layout.align == Align::Client) {
      control->SetBounds(0, top, client.right, std::max<int>(client.bottom - top, 0));
    }
  }
}

bool TForm::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_INITDIALOG:
      InitDialog();
      result = TRUE;  // the dialog manager focuses the first control
      return true;
    case WM_CTLCOLORDLG:
      result = reinterpret_cast<LRESULT>(background_.Get());
      return true;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Realign();
      return false;
    case TApplication::kShowPendingErrors:
      Application().ShowPendingErrors();
      return true;
    case WM_CLOSE:
      CloseRequested();
      return true;
    case WM_COMMAND:
      if (lParam != 0 && LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) {
        ControlCommand(LOWORD(wParam), HIWORD(wParam));
      } else if (LOWORD(wParam) == IDCANCEL && showing_ == Showing::Modal) {
        CloseRequested();  // Esc ends a modal form as its close box does
      }
      return true;
    case WM_GETMINMAXINFO: {
      if (layout_.minClientWidth == 0 && layout_.minClientHeight == 0) return false;
      const SIZE frame = FrameSize(Scale(layout_.minClientWidth), Scale(layout_.minClientHeight),
                                   layout_.style, layout_.exStyle, dpi_);
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = frame.cx;
      info->ptMinTrackSize.y = frame.cy;
      return true;
    }
    case WM_DPICHANGED: {
      const UINT dpi = HIWORD(wParam);
      ApplyDpi(dpi);
      RECT bounds = *reinterpret_cast<const RECT*>(lParam);
      // The change that PlaceAt brought (sent while it moves the window, or later while the
      // window is still where it was placed): the placed bounds are kept, scaled only when the
      // window landed on a monitor of another DPI after all. The suggested bounds would scale
      // them once more from the DPI the window had before.
      const std::optional<Placing> placed = std::exchange(placing_, std::nullopt);
      RECT now{};
      GetWindowRect(hwnd_, &now);
      const auto at = [&now](const RECT& r) {
        return now.left == r.left && now.top == r.top && now.right == r.right &&
               now.bottom == r.bottom;
      };
      if (placed && placed->dpi != 0 && (placed->moving || at(placed->bounds))) {
        const RECT& ours = placed->bounds;
        bounds.left = ours.left;
        bounds.top = ours.top;
        bounds.right = ours.left + MulDiv(ours.right - ours.left, dpi, placed->dpi);
        bounds.bottom = ours.top + MulDiv(ours.bottom - ours.top, dpi, placed->dpi);
      }
      if (!at(bounds)) {
        SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
      }
      return true;
    }
    default:
      return false;
  }
}

INT_PTR CALLBACK TForm::EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* form = reinterpret_cast<TForm*>(lParam);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  }
  auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (form == nullptr) return FALSE;
  LRESULT result = 0;
  const bool handled = TApplication::Guarded(
      hwnd, msg, result, [&] { return form->OnMessage(msg, wParam, lParam, result); });
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    form->hwnd_ = nullptr;
  }
  if (!handled) return FALSE;
  if (ReturnsDirectly(msg)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
  return TRUE;
}

void TForm::BeginBusy(std::span<const Window* const> controls, const Window& keeper) {
  const HWND focus = GetFocus();
  focusBeforeBusy_ = focus != nullptr && IsChild(Handle(), focus) ? focus : nullptr;
  for (const Window* control : controls) {
    if (focus != nullptr && (focus == control->Handle() || IsChild(control->Handle(), focus))) {
      SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(keeper.Handle()), TRUE);
    }
    control->SetEnabled(false);
  }
}

void TForm::EndBusy(std::span<const Window* const> controls) {
  for (const Window* control : controls) control->SetEnabled(true);
  // Back where it was, through the dialog manager (so that a button becomes the default one
  // again); only while the form is the active window, which it then stays.
  const HWND focus = std::exchange(focusBeforeBusy_, nullptr);
  if (focus != nullptr && IsWindow(focus) && GetActiveWindow() == Handle() &&
      GetFocus() != focus) {
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
  }
}

}  // namespace kestrova

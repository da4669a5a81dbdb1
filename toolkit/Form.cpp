#include "toolkit/Form.h"

#include <algorithm>

#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/Text.h"

namespace kestrova {

const ControlLayout& FormLayout::Control(int id) const {
  for (const ControlLayout& control : controls) {
    if (control.id == id) return control;
  }
  throw Exception(L"layout has no control " + std::to_wstring(id));
}

HFONT CreateLayoutFont(const FontSpec& spec, UINT dpi) {
  LOGFONTW font{};
  font.lfHeight = -ScaleForDpi(spec.height, dpi);
  font.lfWeight = spec.bold ? FW_BOLD : FW_NORMAL;
  font.lfUnderline = spec.underline ? TRUE : FALSE;
  font.lfCharSet = spec.charset;
  font.lfQuality = DEFAULT_QUALITY;
  lstrcpynW(font.lfFaceName, spec.face, LF_FACESIZE);
  return CreateFontIndirectW(&font);
}

TForm::TForm(const FormLayout& layout) : layout_(layout) { Application.RegisterForm(this); }

TForm::~TForm() {
  Application.UnregisterForm(this);
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void TForm::RegisterWindowClass() {
  WNDCLASSEXW existing{sizeof(existing)};
  if (GetClassInfoExW(Application.Instance(), layout_.className, &existing)) return;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = Application.Instance();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = layout_.className;
  if (layout_.iconId != 0) {
    wc.hIcon = LoadIconW(Application.Instance(), MAKEINTRESOURCEW(layout_.iconId));
  }
  // The background is painted in WM_ERASEBKGND from the form's own brush.
  if (!RegisterClassExW(&wc)) throw Exception(L"RegisterClassEx failed");
}

void TForm::CreateForm() {
  RegisterWindowClass();
  dpi_ = GetDpiForSystem();
  RECT frame{0, 0, Scale(layout_.clientWidth), Scale(layout_.clientHeight)};
  AdjustWindowRectExForDpi(&frame, layout_.style, FALSE, layout_.exStyle, dpi_);
  HWND owner = nullptr;
  if (Application.MainForm() != nullptr && Application.MainForm() != this) {
    owner = Application.MainForm()->Handle();
  }
  const std::wstring caption = layout_.captionId != 0 ? LoadStr(layout_.captionId) : L"";
  hwnd_ = CreateWindowExW(layout_.exStyle, layout_.className, caption.c_str(), layout_.style,
                          CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                          frame.bottom - frame.top, owner, nullptr, Application.Instance(), this);
  if (hwnd_ == nullptr) throw Exception(L"CreateWindowEx failed");

  // The window may sit on a monitor whose DPI is not the system's.
  UINT windowDpi = GetDpiForWindow(hwnd_);
  if (windowDpi != 0 && windowDpi != dpi_) {
    dpi_ = windowDpi;
    frame = RECT{0, 0, Scale(layout_.clientWidth), Scale(layout_.clientHeight)};
    AdjustWindowRectExForDpi(&frame, layout_.style, FALSE, layout_.exStyle, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  font_.Reset(CreateLayoutFont(layout_.font, dpi_));
  background_.Reset(CreateSolidBrush(ColorToRGB(layout_.color)));

  for (TWinControl* control : controls_) control->Handle();
  Realign();
}

TWinControl* TForm::FindControl(int id) const {
  for (TWinControl* control : controls_) {
    if (control->Id() == id) return control;
  }
  return nullptr;
}

std::wstring TForm::Caption() const { return WindowText(hwnd_); }

void TForm::SetCaption(std::wstring_view caption) {
  const std::wstring text(caption);
  SetWindowTextW(hwnd_, text.c_str());
}

RECT TForm::Bounds() const {
  RECT r{};
  GetWindowRect(hwnd_, &r);
  return r;
}

void TForm::SetLeft(int left) {
  RECT r = Bounds();
  SetWindowPos(hwnd_, nullptr, left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetTop(int top) {
  RECT r = Bounds();
  SetWindowPos(hwnd_, nullptr, r.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetWidth(int width) {
  RECT r = Bounds();
  SetWindowPos(hwnd_, nullptr, 0, 0, width, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetHeight(int height) {
  RECT r = Bounds();
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show() {
  if (!shownOnce_) {
    shownOnce_ = true;
    FormShow();
  }
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

void TForm::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void TForm::ActivateFirst() {
  if (activatedOnce_) return;
  activatedOnce_ = true;
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  FormActivate();
}

int TForm::ShowModal() {
  // Every other enabled window of this thread is disabled while the form is up, as a dialog
  // box does with its owner.
  std::vector<HWND> disabled;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* list = reinterpret_cast<std::vector<HWND>*>(param);
        if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) list->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&disabled));
  disabled.erase(std::remove(disabled.begin(), disabled.end(), hwnd_), disabled.end());
  HWND previousActive = GetActiveWindow();
  for (HWND hwnd : disabled) EnableWindow(hwnd, FALSE);

  modal_ = true;
  modalResult_ = mrNone;
  Show();
  SetActiveWindow(hwnd_);
  SetForegroundWindow(hwnd_);

  MSG msg;
  while (modalResult_ == mrNone && !Application.Terminated()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      // The outer loop ends on it too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    Application.Deliver(msg);
  }

  // Give the activation back before hiding, so it returns to the owner and not elsewhere.
  for (HWND hwnd : disabled) EnableWindow(hwnd, TRUE);
  if (previousActive != nullptr && previousActive != hwnd_) SetActiveWindow(previousActive);
  Hide();
  modal_ = false;
  int result = modalResult_ == mrNone ? mrCancel : modalResult_;
  modalResult_ = mrNone;
  return result;
}

void TForm::Close() {
  FormClose();
  if (modal_) {
    modalResult_ = mrCancel;
  } else if (Application.MainForm() == this) {
    Application.Terminate();
  } else {
    Hide();
  }
}

void TForm::ApplyDpi(UINT dpi) {
  if (dpi == 0) return;
  dpi_ = dpi;
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
    if (layout.parent != 0) continue;
    if (layout.align == Align::Top) {
      int height = Scale(layout.height);
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

void TForm::Dispatch(TMessage& message) {
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    case WM_SIZE:
      if (message.WParam != SIZE_MINIMIZED) Realign();
      DefaultHandler(message);
      return;
    case WM_ERASEBKGND: {
      RECT client{};
      GetClientRect(hwnd_, &client);
      FillRect(reinterpret_cast<HDC>(message.WParam), &client, background_.Get());
      message.Result = 1;
      return;
    }
    case WM_ACTIVATE:
      // Keep the focused control across deactivation, as a dialog box does.
      if (LOWORD(message.WParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else if (!IsIconic(hwnd_)) {
        HWND target = lastFocus_ != nullptr && IsWindow(lastFocus_)
                          ? lastFocus_
                          : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
        if (target != nullptr) ::SetFocus(target);
        message.Result = 0;
        return;
      }
      DefaultHandler(message);
      return;
    case WM_COMMAND:
      if (message.LParam != 0) {
        ControlCommand(LOWORD(message.WParam), HIWORD(message.WParam));
        message.Result = 0;
        return;
      }
      if (LOWORD(message.WParam) == IDOK) {
        // Enter, as the dialog keys deliver it: a focused push button is pressed.
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus) &&
            (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON) != 0) {
          SendMessageW(focus, BM_CLICK, 0, 0);
        }
      } else if (LOWORD(message.WParam) == IDCANCEL && modal_) {
        // Esc closes a modal form as its close box does.
        Close();
      }
      message.Result = 0;
      return;
    case WM_GETMINMAXINFO:
      if (layout_.minClientWidth > 0 || layout_.minClientHeight > 0) {
        RECT frame{0, 0, Scale(layout_.minClientWidth), Scale(layout_.minClientHeight)};
        AdjustWindowRectExForDpi(&frame, layout_.style, FALSE, layout_.exStyle, dpi_);
        auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
        info->ptMinTrackSize.x = frame.right - frame.left;
        info->ptMinTrackSize.y = frame.bottom - frame.top;
        message.Result = 0;
        return;
      }
      DefaultHandler(message);
      return;
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(message.WParam));
      const auto* suggested = reinterpret_cast<const RECT*>(message.LParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      message.Result = 0;
      return;
    }
    default:
      DefaultHandler(message);
      return;
  }
}

void TForm::DefaultHandler(TMessage& message) {
  message.Result = DefWindowProcW(hwnd_, message.Msg, message.WParam, message.LParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* form = static_cast<TForm*>(create->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<TForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
  TMessage message{msg, wParam, lParam, 0};
  try {
    form->Dispatch(message);
  } catch (...) {
    Application.HandleException();
    message.Result = 0;
  }
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
  }
  return message.Result;
}

}  // namespace kestrova

#include "toolkit/Application.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "toolkit/Form.h"
#include "toolkit/Handles.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

bool Paints(UINT msg) {
  switch (msg) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
    case WM_DRAWITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC:
      return true;
    default:
      return false;
  }
}

}  // namespace

TApplication& Application() {
  if (TApplication::current_ == nullptr) throw std::logic_error("no application");
  return *TApplication::current_;
}

TApplication::TApplication(std::wstring title, ErrorTextFunction errorText)
    : title_(std::move(title)), errorText_(std::move(errorText)) {
  if (current_ != nullptr) throw std::logic_error("an application exists already");
  current_ = this;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

TApplication::~TApplication() {
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  current_ = nullptr;
}

void TApplication::Deliver(MSG& msg) {
  if (msg.hwnd == nullptr && msg.message == kShowPendingErrors) {
    ShowPendingErrors();
    return;
  }
  for (TForm* form : modeless_) {
    const HWND window = form->Handle();
    if (form->Accelerators() != nullptr && (msg.hwnd == window || IsChild(window, msg.hwnd)) &&
        TranslateAcceleratorW(window, form->Accelerators(), &msg)) {
      return;
    }
    if (IsDialogMessageW(window, &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void TApplication::AddModeless(TForm* form) { modeless_.push_back(form); }

void TApplication::RemoveModeless(TForm* form) {
  modeless_.erase(std::remove(modeless_.begin(), modeless_.end(), form), modeless_.end());
}

bool TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    Deliver(msg);
  }
  return true;
}

int TApplication::Run(TForm& mainForm, const std::function<void()>& shown) {
  mainForm_ = &mainForm;
  const ScopeExit ran([this] { mainForm_ = nullptr; });
  try {
    mainForm.Show();
    if (shown) shown();
    mainForm.ActivateFirst();
  } catch (...) {
    HandleException(mainForm.Handle(), 0);
  }
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) > 0) Deliver(msg);
  if (got == -1) ThrowLastError(L"GetMessageW");
  return static_cast<int>(msg.wParam);
}

void TApplication::Terminate(int exitCode) { PostQuitMessage(exitCode); }

void TApplication::HandleException(HWND window, UINT msg) noexcept {
  try {
    std::wstring text;
    try {
      throw;
    } catch (const Error& e) {
      text = errorText_(e);
    } catch (const std::exception& e) {
      // The library's own errors (bad_alloc and the like) say what they are in ASCII.
      const std::string_view what = e.what();
      text.assign(what.begin(), what.end());
    } catch (...) {
    }
    if (Paints(msg)) {
      // Whatever failed to paint is not asked to paint again for this.
      if (msg == WM_PAINT) ValidateRect(window, nullptr);
      ShowLater(std::move(text));
    } else {
      ShowErrorBox(text);
    }
  } catch (...) {
    // Nothing is left to report with.
  }
}

void TApplication::ShowLater(std::wstring text) {
  // A paint that fails fails again at every paint: one box for it until it is shown.
  for (const std::wstring& waiting : pending_) {
    if (waiting == text) return;
  }
  pending_.push_back(std::move(text));
  if (mainForm_ != nullptr && PostMessageW(mainForm_->Handle(), kShowPendingErrors, 0, 0)) return;
  PostThreadMessageW(GetCurrentThreadId(), kShowPendingErrors, 0, 0);
}

void TApplication::ShowPendingErrors() {
  std::vector<std::wstring> texts;
  texts.swap(pending_);
  for (const std::wstring& text : texts) ShowErrorBox(text);
}

void TApplication::ShowErrorBox(std::wstring_view message) noexcept {
  try {
    const std::wstring text = ErrorBoxText(message);
    HWND owner = GetActiveWindow();
    if (owner == nullptr && mainForm_ != nullptr) owner = mainForm_->Handle();
    MessageBoxW(owner, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR);
  } catch (...) {
    // Nothing is left to report with.
  }
}

}  // namespace kestrova

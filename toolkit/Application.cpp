#include "toolkit/Application.h"

#include <algorithm>
#include <exception>

#include "toolkit/Form.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"

namespace kestrova {

TApplication Application;

std::wstring LoadStr(UINT id) { return LoadString(Application.Instance(), id); }

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

void TApplication::Initialize(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

void TApplication::Deliver(MSG& msg) {
  if (msg.hwnd == nullptr && msg.message == kShowPendingErrors) {
    ShowPendingErrors();
    return;
  }
  for (TForm* form : modeless_) {
    if (IsDialogMessageW(form->Handle(), &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void TApplication::AddModeless(TForm* form) { modeless_.push_back(form); }

void TApplication::RemoveModeless(TForm* form) {
  modeless_.erase(std::remove(modeless_.begin(), modeless_.end(), form), modeless_.end());
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      continue;
    }
    Deliver(msg);
  }
}

int TApplication::Run(TForm& mainForm) {
  mainForm_ = &mainForm;
  try {
    mainForm.Show();
    mainForm.ActivateFirst();
  } catch (...) {
    HandleException(mainForm.Handle(), 0);
  }
  MSG msg;
  while (!terminated_) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Deliver(msg);
  }
  terminated_ = true;
  mainForm_ = nullptr;
  return 0;
}

void TApplication::Terminate() { PostQuitMessage(0); }

std::wstring TApplication::TextOf(const Error& error) const {
  if (ErrorText) return ErrorText(error);
  switch (error.GetKind()) {
    case Error::Kind::Platform:
      return error.Subject() + L": " + SystemMessage(error.Code());
    case Error::Kind::CannotWrite:
      return L"Cannot write " + error.Subject();
    case Error::Kind::ListIndex:
      return L"List index out of bounds";
    case Error::Kind::ListInsert:
      return L"The list refused a line";
    case Error::Kind::Message:
      break;
  }
  return error.Subject();
}

void TApplication::HandleException(HWND window, UINT msg) noexcept {
  try {
    std::wstring text;
    try {
      throw;
    } catch (const Error& e) {
      text = TextOf(e);
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

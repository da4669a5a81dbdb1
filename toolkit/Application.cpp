#include "toolkit/Application.h"

#include <algorithm>
#include <exception>

#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"

namespace kestrova {

TApplication Application;

std::wstring LoadStr(UINT id) { return LoadString(Application.Instance(), id); }

void TApplication::Initialize(HINSTANCE instance) {
  instance_ = instance;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

void TApplication::RegisterForm(TForm* form) {
  if (mainForm_ == nullptr) mainForm_ = form;
  forms_.push_back(form);
}

void TApplication::UnregisterForm(TForm* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::Deliver(MSG& msg) {
  // Tab, Shift+Tab, arrows, Enter and Esc work in every form as in a dialog.
  if (msg.hwnd != nullptr) {
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (TForm* form : forms_) {
      if (form->Handle() == root && IsDialogMessageW(root, &msg)) return;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      NoteQuit();
      continue;
    }
    Deliver(msg);
  }
}

DWORD TApplication::WaitPumping(HANDLE handle, DWORD timeoutMs) {
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const ULONGLONG elapsed = GetTickCount64() - start;
    const DWORD left = elapsed >= timeoutMs ? 0 : static_cast<DWORD>(timeoutMs - elapsed);
    DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, left, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) return WAIT_OBJECT_0;
    if (result == WAIT_OBJECT_0 + 1) {
      ProcessMessages();
      if (left == 0) return WAIT_TIMEOUT;
      continue;
    }
    if (result == WAIT_TIMEOUT) return WAIT_TIMEOUT;
    return WAIT_FAILED;
  }
}

int TApplication::Run() {
  if (mainForm_ == nullptr) return 0;
  try {
    mainForm_->Show();
  } catch (...) {
    HandleException();
  }
  try {
    mainForm_->ActivateFirst();
  } catch (...) {
    HandleException();
  }
  MSG msg;
  while (!terminated_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Deliver(msg);
  }
  terminated_ = true;
  return 0;
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::HandleException() noexcept {
  try {
    throw;
  } catch (const Exception& e) {
    ShowErrorBox(e.Message());
  } catch (const std::exception& e) {
    // The library's own errors (bad_alloc and the like) say what they are in ASCII.
    const std::string_view what = e.what();
    ShowErrorBox(std::wstring(what.begin(), what.end()));
  } catch (...) {
    ShowErrorBox(L"");
  }
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

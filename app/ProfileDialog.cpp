#include "app/ProfileDialog.h"

#include <algorithm>

#include "resources/Layouts.h"
#include "toolkit/IniFile.h"

namespace kestrova {

TKSTV_PROFILES::TKSTV_PROFILES() : TForm(layouts::kProfiles, Showing::Modal) {}

TKSTV_PROFILES::Controls::Controls(TKSTV_PROFILES& form)
    : Label1(form, layouts::kProfiles.Control(IDC_PROFILE_LABEL_BASE + 0)),
      E_Profile1(form, layouts::kProfiles.Control(IDC_PROFILE_EDIT_BASE + 0)),
      Label2(form, layouts::kProfiles.Control(IDC_PROFILE_LABEL_BASE + 1)),
      E_Profile2(form, layouts::kProfiles.Control(IDC_PROFILE_EDIT_BASE + 1)),
      Label3(form, layouts::kProfiles.Control(IDC_PROFILE_LABEL_BASE + 2)),
      E_Profile3(form, layouts::kProfiles.Control(IDC_PROFILE_EDIT_BASE + 2)),
      Label4(form, layouts::kProfiles.Control(IDC_PROFILE_LABEL_BASE + 3)),
      E_Profile4(form, layouts::kProfiles.Control(IDC_PROFILE_EDIT_BASE + 3)),
      Label5(form, layouts::kProfiles.Control(IDC_PROFILE_LABEL_BASE + 4)),
      E_Profile5(form, layouts::kProfiles.Control(IDC_PROFILE_EDIT_BASE + 4)),
      B_OK(form, layouts::kProfiles.Control(IDC_PROFILES_OK)),
      B_Cancel(form, layouts::kProfiles.Control(IDC_PROFILES_CANCEL)) {}

bool TKSTV_PROFILES::Execute(HWND owner, std::array<std::wstring, 5>& profiles) {
  profiles_ = &profiles;
  const bool ok = ShowModal(owner) == IDOK;
  profiles_ = nullptr;
  return ok;
}

void TKSTV_PROFILES::OnCreate() {
  Shown.emplace(*this);
  const std::array<TEdit*, 5> boxes = Shown->Boxes();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    // No more than the settings file keeps of a value.
    SendMessageW(boxes[i]->Handle(), EM_SETLIMITTEXT, TIniFile::kMaxValueLength, 0);
    boxes[i]->SetText((*profiles_)[i]);
  }
  SendMessageW(Handle(), DM_SETDEFID, IDC_PROFILES_OK, 0);

  // Centred on the owner, within the work area of the owner's monitor.
  RECT own{}, owner{};
  GetWindowRect(Handle(), &own);
  // A popup's parent is its owner.
  const HWND ownerWindow = GetParent(Handle());
  if (ownerWindow == nullptr || !GetWindowRect(ownerWindow, &owner)) return;
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  int left = owner.left + (owner.right - owner.left - width) / 2;
  int top = owner.top + (owner.bottom - owner.top - height) / 2;
  MONITORINFO monitor{sizeof(monitor)};
  if (GetMonitorInfoW(MonitorFromRect(&owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& area = monitor.rcWork;
    left = std::max<int>(area.left, std::min<int>(left, area.right - width));
    top = std::max<int>(area.top, std::min<int>(top, area.bottom - height));
  }
  SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TKSTV_PROFILES::ControlCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == IDC_PROFILES_OK) {
    const std::array<TEdit*, 5> boxes = Shown->Boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i) (*profiles_)[i] = boxes[i]->Text();
    EndModal(IDOK);
  } else if (id == IDC_PROFILES_CANCEL) {
    EndModal(IDCANCEL);
  }
}

bool TKSTV_PROFILES::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool handled = TForm::OnMessage(msg, wParam, lParam, result);
  if (msg == WM_INITDIALOG) {
    // The first box, its text selected, whatever the system would pick.
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Shown->E_Profile1.Handle()),
                 TRUE);
    result = FALSE;
  }
  // The controls go with the window.
  if (msg == WM_DESTROY) Shown.reset();
  return handled;
}

bool EditProfiles(HWND owner, std::array<std::wstring, 5>& profiles) {
  TKSTV_PROFILES dialog;
  return dialog.Execute(owner, profiles);
}

}  // namespace kestrova

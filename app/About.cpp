#include "app/About.h"

#include "resources/Layouts.h"
#include "toolkit/Application.h"

namespace kestrova {

TKSTV_ABOUT::TKSTV_ABOUT() : TForm(layouts::kAbout, Showing::Modal) {}

TKSTV_ABOUT::Controls::Controls(TKSTV_ABOUT& form)
    : Label1(form, layouts::kAbout.Control(IDC_LABEL1)),
      Label2(form, layouts::kAbout.Control(IDC_LABEL2)),
      L_URL(form, layouts::kAbout.Control(IDC_URL), &layouts::kMakerUrl),
      L_EMail(form, layouts::kAbout.Control(IDC_EMAIL), &layouts::kMakerMail),
      Image2(form, layouts::kAbout.Control(IDC_IMAGE2), IDB_LOGO) {
  Label1.SetCaption(Application().Title());
}

void TKSTV_ABOUT::ShowModalAt(HWND owner, POINT topLeft) {
  place_ = topLeft;
  ShowModal(owner);
}

void TKSTV_ABOUT::OnCreate() {
  SetWindowPos(Handle(), nullptr, place_.x, place_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Shown.emplace(*this);
}

bool TKSTV_ABOUT::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  // It opens with no link focused, so that Enter closes it as Esc does (it has no button);
  // Tab reaches the links, which take Enter and Space themselves.
  switch (msg) {
    case WM_SETFOCUS:
      // The focus on the dialog itself stays there: the dialog manager would pass it on to the
      // first link.
      return true;
    case WM_NEXTDLGCTL:
      if (LOWORD(lParam) == FALSE && GetFocus() == Handle()) {
        // Tab or Shift+Tab from no link: the first or the last one.
        if (HWND link = GetNextDlgTabItem(Handle(), nullptr, wParam != 0)) {
          SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(link), TRUE);
        }
        return true;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK && lParam == 0) {
        EndModal(IDOK);
        return true;
      }
      break;
    default:
      break;
  }
  const bool handled = TForm::OnMessage(msg, wParam, lParam, result);
  if (msg == WM_INITDIALOG) {
    ::SetFocus(Handle());
    result = FALSE;  // the system sets no focus of its own
  }
  // The controls go with the window.
  if (msg == WM_DESTROY) Shown.reset();
  return handled;
}

}  // namespace kestrova

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
  const bool handled = TForm::OnMessage(msg, wParam, lParam, result);
  // The controls go with the window.
  if (msg == WM_DESTROY) Shown.reset();
  return handled;
}

}  // namespace kestrova

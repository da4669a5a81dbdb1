#include "app/Main.h"

#include "app/About.h"
#include "resources/Layouts.h"
#include "toolkit/Application.h"

namespace kestrova {

std::string WinRARPath;
TKSTV_MAIN* KSTV_MAIN = nullptr;

TKSTV_MAIN::TKSTV_MAIN()
    : TForm(layouts::kMain),
      Panel(*this, layouts::kMain.Control(IDC_PANEL)),
      E_Ext(*this, layouts::kMain.Control(IDC_EXT)),
      B_About(*this, layouts::kMain.Control(IDC_ABOUT)),
      CB_Profile(*this, layouts::kMain.Control(IDC_PROFILE)),
      LIST(*this, layouts::kMain.Control(IDC_LIST)) {
  CreateForm();
  SetCaption(Application.Title());
  DragAcceptFiles(Handle(), TRUE);
}

void TKSTV_MAIN::Dispatch(TMessage& message) {
  if (message.Msg == WM_DROPFILES) {
    WMDropFiles(message);
    return;
  }
  TForm::Dispatch(message);
}

void TKSTV_MAIN::ControlCommand(int id, int code) {
  if (id == IDC_ABOUT && code == BN_CLICKED) B_AboutClick();
}

void TKSTV_MAIN::B_AboutClick() {
  RECT main = Bounds();
  SetWindowPos(KSTV_ABOUT->Handle(), nullptr, main.left, main.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  KSTV_ABOUT->ShowModal();
}

void TKSTV_MAIN::FormShow() {}

void TKSTV_MAIN::FormActivate() {}

void TKSTV_MAIN::FormClose() {}

void TKSTV_MAIN::WMDropFiles(TMessage& message) {
  DragFinish(reinterpret_cast<HDROP>(message.WParam));
}

}  // namespace kestrova

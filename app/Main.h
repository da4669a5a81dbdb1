// The main window: the extension box, the profile selector, the about button and the result
// list; it takes folders dropped on it and routes its events to the work.
#pragma once

#include <string>

#include "controls/ListBoxEx.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"

namespace kestrova {

// Full path of the archiver: filled by the settings load, read by every job, saved on close.
extern std::string WinRARPath;

class TKSTV_MAIN : public TForm {
 public:
  TKSTV_MAIN();

  TPanel Panel;
  TEdit E_Ext;
  TButton B_About;
  TComboBox CB_Profile;
  TListBoxEx LIST;

  // Sends WM_DROPFILES to WMDropFiles and everything else to the form's own handling.
  void Dispatch(TMessage& message) override;

  void WMDropFiles(TMessage& message);
  void B_AboutClick();

 protected:
  void FormShow() override;
  void FormActivate() override;
  void FormClose() override;
  void ControlCommand(int id, int code) override;
};

extern TKSTV_MAIN* KSTV_MAIN;

}  // namespace kestrova

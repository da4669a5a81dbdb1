// The main window: the extension box, the profile selector, the about button and the result
// list. It loads the settings when first shown and saves them when closed, takes folders
// dropped on it or named on the command line, and archives each with one archiver run.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "controls/ListBoxEx.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/OpenDialog.h"

namespace kestrova {

// Full path of the archiver: filled by the settings load, read by every job, saved on close.
extern std::wstring WinRARPath;

class TKSTV_MAIN : public TForm {
 public:
  TKSTV_MAIN();

  TPanel Panel;
  TEdit E_Ext;
  TButton B_About;
  TComboBox CB_Profile;
  TListBoxEx LIST;
  TOpenDialog OpenDialog;

  // Sends WM_DROPFILES to WMDropFiles and everything else to the form's own handling.
  void Dispatch(TMessage& message) override;

  void WMDropFiles(TMessage& message);
  void B_AboutClick();

  // "Kestrova.ini" beside the executable.
  static std::wstring SettingsPath();
  // The settings load and save that FormShow and FormClose run.
  void LoadSettings();
  void SaveSettings();

  // One archive job: runs the archiver on the folder and adds its result line.
  void ArchiveFolder(std::wstring_view folder);
  // A batch: checks the profile, clears the list, archives the folders among the items in
  // order. Items arriving while a batch runs join its queue instead.
  void RunBatch(std::vector<std::wstring> items);
  bool BatchRunning() const { return batchRunning_; }

 protected:
  void FormShow() override;
  void FormActivate() override;
  void FormClose() override;
  void ControlCommand(int id, int code) override;
  void DpiChanged() override;

 private:
  // Starts the archiver and waits for it; true when it ran and exited with code 0.
  bool RunArchiver(std::wstring commandLine);

  std::deque<std::wstring> batchQueue_;
  bool batchRunning_ = false;
};

extern TKSTV_MAIN* KSTV_MAIN;

}  // namespace kestrova

// The main window: the extension box, the profile selector, the about button and the result
// list. It loads the settings when first shown and saves them when closed, takes folders
// dropped on it or named on the command line, and archives each with one archiver run.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/About.h"
#include "app/Settings.h"
#include "controls/ListBoxEx.h"
#include "toolkit/Controls.h"
#include "toolkit/Error.h"
#include "toolkit/Form.h"
#include "toolkit/OpenDialog.h"

namespace kestrova {

class TKSTV_MAIN : public TForm {
 public:
  explicit TKSTV_MAIN(TKSTV_ABOUT& about);

  TPanel Panel;
  TEdit E_Ext;
  TButton B_About;
  TComboBox CB_Profile;
  TListBoxEx LIST;
  TOpenDialog OpenDialog;

  // Full path of the archiver: filled by the settings load, read by every job, saved on close.
  std::wstring WinRARPath;

  void WMDropFiles(HDROP drop);
  void B_AboutClick();

  // What became of a folder of the batch: its archive's path, and why it failed (empty when
  // it did not). Kept with its line of the list (the line's item data is its place here + 1).
  struct TResult {
    std::wstring folder;
    std::wstring archive;
    std::wstring reason;
  };
  // The result of the line at that position; null for a line that has none.
  const TResult* ResultOf(int line) const;
  // Opens Explorer on the line's archive, selected in its folder (on the folder itself when
  // there is no archive).
  void OpenPlaceOf(int line);

  // How a place is shown in Explorer: SHOpenFolderAndSelectItems unless replaced (tests).
  std::function<void(const std::wstring& path)> ShowInFolder;
  // How the taskbar button shows a batch: done of total, in the error state once a folder
  // failed; total 0 clears it. ITaskbarList3 unless replaced (tests).
  std::function<void(int done, int total, bool failed)> TaskbarProgress;

  // The settings load and save that FormShow and FormClose run: read the file, apply it to
  // the window, locate the archiver when none is known (a cancel closes the window), select
  // the first profile; and save the window's settings.
  void LoadSettings();
  void SaveSettings();
  void ApplySettings(const TSettings& settings);
  TSettings CurrentSettings() const;
  // Asks for the archiver, starting in ProgramFiles\WinRAR when there is one; false when the
  // user cancelled.
  bool LocateArchiver();
  // Where the settings are read from and saved to.
  TSettingsFile SettingsFile;

  // One archive job: runs the archiver on the folder and adds its result line. While it runs
  // the controls that would change a job (extension, profile, About) take no input; the window
  // itself stays enabled, so that it takes drops, scrolls its list and can be closed.
  void ArchiveFolder(std::wstring_view folder);
  // A batch: checks the profile, clears the list, archives the folders among the items in
  // order. Items arriving while a batch runs join its queue instead.
  void RunBatch(std::vector<std::wstring> items);
  bool BatchRunning() const { return batchRunning_; }

 protected:
  void FormShow() override;
  void FormActivate() override;
  void FormClose();
  // Closes: saves (asking whether to end unsaved when the file refuses) and ends. During a
  // batch it first asks whether to stop it: no further folder starts, the running one ends,
  // then the window closes.
  void CloseRequested() override;
  void ControlCommand(int id, int code) override;
  void DpiChanged() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // Starts the archiver and waits for it; empty when it ran and exited with code 0, otherwise
  // why it failed.
  std::wstring RunArchiver(std::wstring commandLine);
  // The result list's context menu, at a screen point (-1, -1: at the selected line).
  void ShowListMenu(POINT at);
  // Saves; when the file refuses, asks whether to end without the settings. False: stay.
  bool SaveOrAskToQuit();
  // Moves a window that no monitor shows any more back onto the nearest one.
  void KeepOnScreen();
  // Busy: the controls that change a job take no input; the focus they had comes back after.
  void BeginBusy();
  void EndBusy();
  void EnableJobControls(bool enable);

  TKSTV_ABOUT& about_;
  // The batch's items; the next one to take. Items dropped during the batch join its end.
  std::vector<std::wstring> batchQueue_;
  std::size_t batchNext_ = 0;
  bool batchRunning_ = false;
  bool closeAfterBatch_ = false;
  bool askingToStop_ = false;
  int busyDepth_ = 0;
  HWND focusBeforeBusy_ = nullptr;
  std::vector<TResult> results_;
  // Whether the archiver is a console program, for the path last looked at in this batch.
  std::wstring consoleCheckedFor_;
  bool consoleArchiver_ = false;
  // The taskbar's button was (re)created: the progress is shown again.
  UINT taskbarButtonCreated_ = 0;
  int progressDone_ = 0, progressTotal_ = 0;
  bool progressFailed_ = false;
};

// The program's texts for the toolkit's errors.
std::wstring ErrorText(const Error& error);

}  // namespace kestrova

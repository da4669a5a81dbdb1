// The main window: the extension box, the profile selector, the about button and the result
// list. It loads the settings when first shown and saves them when closed, takes folders
// dropped on it, named on the command line or handed over by a second start, and has each
// batch run by its batch runner (app/batch/BatchRunner), which archives the folders one at a
// time on the window's worker thread. The window shows what the runner tells it, asks the
// user's questions, and keeps the focus and the taskbar button in step.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/About.h"
#include "app/ListMenu.h"
#include "app/Settings.h"
#include "app/batch/BatchRunner.h"
#include "app/desktop/Taskbar.h"
#include "controls/ListBoxEx.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/OpenDialog.h"

namespace kestrova {

// Where tests stand in for the desktop.
struct TMainSeams {
  // How a place is shown in Explorer (SHOpenFolderAndSelectItems).
  std::function<void(const std::wstring& path)> showInFolder;
  // How the taskbar button shows a batch: done of total, in the error state once a folder
  // failed; total 0 clears it (ITaskbarList3).
  std::function<void(int done, int total, bool failed)> taskbarProgress;
  // How the taskbar button asks for attention when a long batch ends while the window is not
  // in front (FlashWindowEx until the window comes to the front), and how long is long.
  std::function<void()> flash;
  ULONGLONG longBatchMs = 5000;
};

class TKSTV_MAIN : public TForm, private TBatchListener {
 public:
  explicit TKSTV_MAIN(TKSTV_ABOUT& about);

  TPanel Panel;
  TEdit E_Ext;
  TButton B_About;
  TComboBox CB_Profile;
  TListBoxEx LIST;
  TOpenDialog OpenDialog;

  // Full path of the archiver: filled by the settings load, read by every batch, saved on close.
  std::wstring WinRARPath;
  // The paths named on the command line, full (ProgramArguments): the batch of FormActivate.
  std::vector<std::wstring> Arguments;
  // What the next batch does with an archive that is there already, and what a given folder
  // stands for: chosen in the list's context menu, kept with the settings.
  TExistingArchive ExistingArchive = TExistingArchive::Add;
  TTarget Target = TTarget::Folder;
  // Where the settings are read from and saved to.
  TSettingsFile SettingsFile;

  void WMDropFiles(HDROP drop);
  void B_AboutClick();

  // The settings load and save that FormShow and FormClose run: read the file, apply it to
  // the window, locate the archiver when none is known (a cancel ends the program once the
  // window has been shown and activated), select the first profile; and save the window's
  // settings.
  void LoadSettings();
  void SaveSettings();
  void ApplySettings(const TSettings& settings);

  // A batch: checks the profile, clears the list and has the runner archive the folders among
  // the items, one at a time and in order; returns at once. While it runs the controls that
  // would change a job take no input; the window itself stays enabled, takes drops (they join
  // the batch), scrolls its list and can be closed. Items given while a batch runs join it.
  void RunBatch(std::vector<std::wstring> items);
  bool BatchRunning() const { return runner_.Running(); }

  TMainSeams Seams;
  TWorkerSeams& WorkerSeams() { return runner_.Seams; }

 protected:
  void FormShow() override;
  void FormActivate() override;
  void FormClose();
  // Closes: saves (asking whether to end unsaved when the file refuses) and ends. During a
  // batch it asks first, as a stop does, and closes once the batch has ended.
  void CloseRequested() override;
  void ControlCommand(int id, int code) override;
  void DpiChanged() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  // What the runner tells.
  void ItemStarts(const std::wstring& name) override;
  void ResultAdded(std::size_t index, const TResult& result) override;
  void ProgressChanged(int done, int total, bool failed) override;
  void BatchEnded(TBatch::Ended ended) override;

  // Begins a batch of these items with the choices selected now.
  void Begin(std::vector<TBatchItem> items);
  // Esc or the menu's stop: asks whether to stop the batch (or end its archiver), and acts.
  void AskToStop(TBatch::After after);
  // The result of the line at that position; null for a line that has none.
  const TResult* ResultOf(int line) const;
  // Explorer on the line's archive, selected in its folder (on the folder when there is none).
  void OpenPlaceOf(int line);
  // The list's context menu at a screen point (-1, -1: at the selected line).
  void ShowListMenu(POINT at);
  void RunCommand(TListCommand command, int line);
  // Asks for the archiver, starting in WinRAR's usual folder when there is one; false when the
  // user cancelled.
  bool LocateArchiver();
  TSettings CurrentSettings() const;
  // What another program changed in the settings file since the window last read or wrote it,
  // taken into the window (profiles, archiver, extension, the choices; not its place): at every
  // activation while no batch runs.
  void TakeOutsideEdits();
  // The settings but the window's place; the profiles in place, the same one selected.
  void ApplyValues(const TSettings& settings);
  void SetProfiles(const std::array<std::wstring, 5>& profiles);
  // The profile dialog; OK puts its texts in place and saves at once.
  void EditProfiles();
  // Saves now, after a change the user made in the window: a refusal is shown, and the close
  // asks again.
  void SaveNow();
  // Saves; when the file refuses, asks whether to end without the settings. False: stay.
  bool SaveOrAskToQuit();
  // Saves (or asks) and ends.
  void Close();
  // Busy: the controls that change a job take no input; the focus they had comes back after.
  void BeginBusy();
  void EndBusy();
  std::array<const Window*, 3> JobControls() const { return {&E_Ext, &CB_Profile, &B_About}; }

  TKSTV_ABOUT& about_;
  TBatchRunner runner_{Handle(), *this};
  HWND focusBeforeBatch_ = nullptr;
  TTaskbarButton taskbar_;
  // The taskbar's button was (re)created: the progress is shown again.
  UINT taskbarButtonCreated_ = 0;
  // Closing: a hand-over now would be lost.
  bool closing_ = false;
  // When the batch began (GetTickCount64).
  ULONGLONG batchBegan_ = 0;
};

}  // namespace kestrova

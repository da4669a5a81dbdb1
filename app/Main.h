// The main window: the extension box, the profile selector, the about button and the result
// list. It loads the settings when first shown and saves them when closed, takes folders
// dropped on it or named on the command line, and archives each with one archiver run. Its
// thread never waits for the file system or a process: each item of a batch is looked at and
// archived on a thread of its own (app/Job), one at a time, and the batch's rules live in
// TBatch (app/Batch).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/About.h"
#include "app/Batch.h"
#include "app/Job.h"
#include "app/Settings.h"
#include "app/Taskbar.h"
#include "controls/ListBoxEx.h"
#include "toolkit/Controls.h"
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

  // Full path of the archiver: filled by the settings load, read by every batch, saved on close.
  std::wstring WinRARPath;
  // The paths named on the command line, full (ProgramArguments): the batch of FormActivate.
  std::vector<std::wstring> Arguments;

  void WMDropFiles(HDROP drop);
  void B_AboutClick();

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
  // Runs on an item's thread before it looks at its item and before its archiver starts
  // (tests make it slow); nothing unless set.
  std::function<void()> PauseItem;

  // The settings load and save that FormShow and FormClose run: read the file, apply it to
  // the window, locate the archiver when none is known (a cancel ends the program once the
  // window has been shown and activated), select the first profile; and save the window's
  // settings.
  void LoadSettings();
  void SaveSettings();
  void ApplySettings(const TSettings& settings);
  TSettings CurrentSettings() const;
  // Asks for the archiver, starting in ProgramFiles\WinRAR when there is one; false when the
  // user cancelled.
  bool LocateArchiver();
  // Where the settings are read from and saved to.
  TSettingsFile SettingsFile;

  // A batch: checks the profile, clears the list and archives the folders among the items, one
  // at a time and in order; returns at once. While it runs the controls that would change a job
  // (extension, profile, About) take no input, and it keeps the extension and profile it began
  // with; the window itself stays enabled, takes drops (they join the batch), scrolls its list
  // and can be closed. Items given while a batch runs join it.
  void RunBatch(std::vector<std::wstring> items);
  bool BatchRunning() const { return batch_.Running(); }
  // Esc or the list menu's "中止" during a batch: asks whether to stop it; once it is stopping
  // and its archiver still runs, whether to end that archiver.
  void StopRequested();

  // What the next batch does with an archive that is there already, and what a given folder
  // stands for: chosen in the list's context menu, kept with the settings.
  TExistingArchive ExistingArchive = TExistingArchive::Add;
  TTarget Target = TTarget::Folder;

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
  // Asks the question the batch gives for a stop that after follows, and acts on the answer.
  void AskToStop(TBatch::After after);
  // Takes the batch's next item to a thread of its own, or ends the batch when there is none.
  void NextItem();
  // An item's thread asks whether its archiver may start: the caption shows the folder then.
  bool ItemMayStart(std::uint64_t id, const std::wstring& name);
  void ItemDone(const TItemOutcome& outcome);
  // A folder's line and its result.
  void AddResultLine(std::size_t index);
  void EndBatch();
  void ShowProgress();
  // The result list's context menu, at a screen point (-1, -1: at the selected line).
  void ShowListMenu(POINT at);
  // Saves; when the file refuses, asks whether to end without the settings. False: stay.
  bool SaveOrAskToQuit();
  // Saves (or asks) and ends.
  void Close();
  // Busy: the controls that change a job take no input; the focus they had comes back after.
  void BeginBusy();
  void EndBusy();
  void EnableJobControls(bool enable);

  TKSTV_ABOUT& about_;
  TBatch batch_;
  // What the batch's folders get, taken as it began.
  TJobSettings jobSettings_;
  // The item in hand: its number (messages of other items are not its) and how to end its
  // archiver.
  std::uint64_t itemId_ = 0;
  std::shared_ptr<TJobControl> job_;
  TItemWorker worker_{Handle()};
  HWND focusBeforeBatch_ = nullptr;
  TTaskbarButton taskbar_;
  // The taskbar's button was (re)created: the progress is shown again.
  UINT taskbarButtonCreated_ = 0;
};

}  // namespace kestrova

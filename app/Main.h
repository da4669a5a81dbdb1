// The main window: the extension box, the profile selector, the about button and the result
// list. It routes its messages: its settings to TMainSettings (loaded when first shown, saved
// when closed), folders dropped, named on the command line or handed over by a second start to
// its batch runner (app/batch/BatchRunner), which archives them one at a time on the window's
// worker thread. The window shows what the runner tells it, asks the user's questions, and
// keeps the focus and the taskbar button in step.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/About.h"
#include "app/ListMenu.h"
#include "app/MainSettings.h"
#include "app/batch/BatchRunner.h"
#include "app/batch/ResultsFile.h"
#include "app/desktop/Explorer.h"
#include "app/desktop/PowerRequest.h"
#include "app/desktop/Taskbar.h"
#include "controls/ListBoxEx.h"
#include "toolkit/Announce.h"
#include "toolkit/Controls.h"
#include "toolkit/FolderWatch.h"
#include "toolkit/Form.h"
#include "toolkit/OpenDialog.h"
#include "toolkit/Text.h"

namespace kestrova {

// Where tests stand in for the desktop.
struct TMainSeams {
  // How a place is shown in Explorer (SHOpenFolderAndSelectItems).
  std::function<void(const std::wstring& path)> showInFolder = &ShowInExplorer;
  // How the taskbar button shows a batch: completed of total, in hundredths of a folder (the
  // folders done and the percentage of the one in hand), in the error state once a folder
  // failed, paused while the batch is; total 0 clears it (ITaskbarList3).
  std::function<void(ULONGLONG completed, ULONGLONG total, TTaskbarState state)> taskbarProgress;
  // How the system is kept awake while a batch runs (true) and let sleep again (false): from
  // its first item to its end, but while it is paused (TPowerRequest).
  std::function<void(bool awake)> keepAwake;
  // How the taskbar button asks for attention when a long batch ends while the window is not
  // in front (FlashWindowEx until the window comes to the front), and how long is long.
  std::function<void(HWND window)> flash = &FlashUntilInFront;
  ULONGLONG longBatchMs = 5000;
  // How screen readers are told that a batch ended, in the caption's words (UI Automation's
  // notification).
  std::function<void(HWND window, const std::wstring& text, TAnnounced kind)> announce =
      [](HWND window, const std::wstring& text, TAnnounced kind) {
        Announce(window, text, kind, L"Kestrova.BatchEnded");
      };
};

class TKSTV_MAIN : public TForm, private TBatchListener {
 public:
  // arguments: the paths named on the command line, full (ProgramArguments): the batch of
  // FormActivate.
  explicit TKSTV_MAIN(TKSTV_ABOUT& about, std::vector<std::wstring> arguments = {});

  TPanel Panel;
  TEdit E_Ext;
  // How far a batch is (ProgressText); empty when none runs.
  TStaticText L_Progress;
  TButton B_About;
  TComboBox CB_Profile;
  TListBoxEx LIST;
  TOpenDialog OpenDialog;

  // Full path of the archiver: filled by the settings load, read by every batch, saved on close.
  std::wstring WinRARPath;
  // The list menu's choices for the next batch, kept with the settings.
  TJobChoices Choices;
  // The settings: where they are kept, and the window's values as one.
  TMainSettings Settings{*this, E_Ext, CB_Profile, WinRARPath, Choices};

  // The load that FormShow runs: the file read and applied, the archiver located when none is
  // known (a cancel ends the program once the window has been shown and activated), the first
  // profile selected. The save that FormClose runs.
  void LoadSettings();
  void SaveSettings() { Settings.Save(); }
  // Called right before the load asks for the archiver (the start lock is let go: the question
  // waits for the user).
  std::function<void()> OnAskForArchiver;

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
  // Closes: saves (asking whether to end unsaved when the file refuses) and ends. During a
  // batch it asks first, as a stop does, and closes once the batch has ended.
  void CloseRequested() override;
  void ControlCommand(int id, int code) override;
  void DpiChanged() override;
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void FormClose() { SaveSettings(); }
  void WMDropFiles(HDROP drop);
  void B_AboutClick();
  // A second start's paths; whether the window took them.
  bool HandOverArrived(const COPYDATASTRUCT& data);
  // The archiver's question was cancelled: the program ends, after the batch if one runs.
  void EndAfterStart();
  // Ends the program without a save; hand-overs are refused from now on.
  void Quit();
  // Looks whether the Send To shortcut is there off the window's thread, now and at each change
  // in the Send To folder.
  void WatchSendTo();
  // The session ends now (WM_ENDSESSION with wParam TRUE).
  void SessionEnds(bool closeApp);
  // Enter, Esc and the window's keys, as WM_COMMAND gives them to the form; false for others.
  bool KeyCommand(WPARAM wParam, LPARAM lParam);

  // What the runner tells.
  void ItemStarts(TStep step, const std::wstring& name) override;
  void ResultAdded(std::size_t index, const TResult& result) override;
  void ProgressChanged(const TBatchProgress& progress) override;
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
  // Every line with its result, as the results file holds them.
  std::vector<TResultsLine> ResultsLines() const;
  // Saves (or asks) and ends.
  void Close();
  std::array<const Window*, 3> JobControls() const { return {&E_Ext, &CB_Profile, &B_About}; }

  TKSTV_ABOUT& about_;
  const std::vector<std::wstring> arguments_;
  TBatchRunner runner_{Handle(), *this};
  TTaskbarButton taskbar_;
  TPowerRequest power_{LoadStr(IDS_POWER_REASON)};
  bool awake_ = false;
  // The taskbar's button was (re)created: the progress is shown again.
  UINT taskbarButtonCreated_ = 0;
  // When the batch began (GetTickCount64).
  ULONGLONG batchBegan_ = 0;
  // Whether the Send To shortcut is there, as last seen, and the watch that sees it.
  TSendTo sendTo_ = TSendTo::NotOffered;
  std::unique_ptr<TFolderWatch> sendToWatch_;
};

}  // namespace kestrova

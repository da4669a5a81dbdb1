#include "app/Main.h"

#include <utility>

#include "app/SaveResults.h"
#include "app/batch/AfterArchiveRules.h"
#include "app/desktop/Explorer.h"
#include "app/desktop/MessageFilter.h"
#include "app/desktop/SecondStart.h"
#include "resources/Layouts.h"
#include "toolkit/Application.h"
#include "toolkit/OwnedMessage.h"
#include "toolkit/System.h"
#include "toolkit/Paths.h"
#include "toolkit/Text.h"

namespace kestrova {

namespace msg {
// Posted when the question for the archiver was cancelled: the program ends once the window
// has been shown and activated and the command-line batch (if any) has run.
constexpr UINT kEndAfterStart = kAfterBatchMessages;
// Posted with the paths a second start handed over: lParam an owned std::vector<std::wstring>.
// They are taken as a drop once the second start has its answer.
constexpr UINT kHandedOver = kAfterBatchMessages + 1;
// Posted by the settings file's watch with a reading of the file: lParam an owned TSettingsRead.
constexpr UINT kSettingsRead = kAfterBatchMessages + 2;
// Posted by the Send To folder's watch: wParam the TSendTo it found.
constexpr UINT kSendToRead = kAfterBatchMessages + 3;
}  // namespace msg

namespace {
bool Handled(LRESULT& result, LRESULT value) {
  result = value;
  return true;
}

// Whether the window, or a window it owns (its message box, its dialogs), is the one in front.
bool InFront(HWND window) {
  const HWND front = GetForegroundWindow();
  return front != nullptr && (front == window || GetAncestor(front, GA_ROOTOWNER) == window);
}

void ShowError(HWND owner, const std::wstring& text) {
  MessageBoxW(owner, text.c_str(), LoadStr(IDS_EMPTY_PROFILE_CAPTION).c_str(),
              MB_OK | MB_ICONERROR);
}
}  // namespace

TKSTV_MAIN::TKSTV_MAIN(TKSTV_ABOUT& about, std::vector<std::wstring> arguments)
    : TForm(layouts::kMain, Showing::Modeless),
      Panel(*this, layouts::kMain.Control(IDC_PANEL)),
      E_Ext(*this, layouts::kMain.Control(IDC_EXT)),
      L_Progress(*this, layouts::kMain.Control(IDC_STRIP)),
      B_About(*this, layouts::kMain.Control(IDC_ABOUT)),
      CB_Profile(*this, layouts::kMain.Control(IDC_PROFILE)),
      LIST(*this, layouts::kMain.Control(IDC_LIST)),
      about_(about),
      arguments_(std::move(arguments)) {
  Seams.taskbarProgress = [this](ULONGLONG completed, ULONGLONG total, TTaskbarState state) {
    taskbar_.Show(Handle(), completed, total, state);
  };
  Seams.keepAwake = [this](bool awake) {
    if (awake) {
      power_.Take();
    } else {
      power_.Release();
    }
  };
  taskbarButtonCreated_ = RegisterWindowMessageW(L"TaskbarButtonCreated");
  SetAccelerators(LoadAcceleratorsW(ModuleInstance(), MAKEINTRESOURCEW(IDA_MAIN)));
  LIST.SetItemTips([this](int line) {
    const TResult* result = ResultOf(line);
    return result != nullptr ? result->reason : std::wstring();
  });
  // A first-time user sees where folders go and that the list has a menu.
  LIST.SetEmptyText(LoadStr(IDS_EMPTY_LIST_DROP) + L"\n" + LoadStr(IDS_EMPTY_LIST_MENU));
  OpenDialog.Title = LoadStr(IDS_LOCATE_TITLE);
  OpenDialog.FilterName = LoadStr(IDS_LOCATE_FILTER_NAME);
  OpenDialog.FilterPattern = LoadStr(IDS_LOCATE_FILTER_PATTERN);
  OpenDialog.DefaultExt = LoadStr(IDS_LOCATE_DEFAULT_EXT);
  // The window takes drops from the start (its layout gives it WS_EX_ACCEPTFILES); when it runs
  // elevated, also from Explorer at the normal level, but no hand-over from there, and no edit
  // of what runs from the settings file, which programs at the normal level can write.
  Settings.Elevated = RunsElevated();
  OpenToLowerLevels(Handle(), MessagesFromLowerLevels(Settings.Elevated, taskbarButtonCreated_));
  SetCaption(Application().Title());
}

bool TKSTV_MAIN::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (runner_.OnMessage(msg, wParam, lParam, result)) return true;
  switch (msg) {
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wParam));
      return Handled(result, 0);
    case WM_COPYDATA:
      return Handled(result, HandOverArrived(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
    case msg::kHandedOver:
      RunBatch(std::move(*msg::TakeOwned<std::vector<std::wstring>>(lParam)));
      return true;
    case msg::kEndAfterStart:
      EndAfterStart();
      return true;
    case msg::kSettingsRead:
      Settings.Arrived(msg::TakeOwned<TSettingsRead>(lParam));
      // Read while the window is the active one: taken now, not at the next activation.
      if (GetActiveWindow() == Handle() && !runner_.Running()) Settings.TakeOutsideEdits();
      return true;
    case msg::kSendToRead:
      sendTo_ = static_cast<TSendTo>(wParam);
      return true;
    case WM_QUERYENDSESSION:
      // Not while a batch runs: its block reason, registered as it began, tells the user why.
      return Handled(result, runner_.Running() ? FALSE : TRUE);
    case WM_ENDSESSION:
      if (wParam) SessionEnds((lParam & ENDSESSION_CLOSEAPP) != 0);
      return Handled(result, 0);
    case WM_ACTIVATE:
      // A batch keeps the settings it began with; an edit made meanwhile waits for its end. The
      // file is read once more on the watch's thread, for a share that does not tell every change.
      if (LOWORD(wParam) != WA_INACTIVE && !runner_.Running()) {
        Settings.TakeOutsideEdits();
        Settings.ReadAgain();
      }
      break;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != LIST.Handle()) return false;
      ShowListMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return true;
    case WM_COMMAND:
      if (KeyCommand(wParam, lParam)) return true;
      break;
    default:
      // Explorer made (or made again) the taskbar's button: it shows the batch from now on.
      if (msg == taskbarButtonCreated_ && taskbarButtonCreated_ != 0) {
        runner_.ShowProgress();
        return true;
      }
      break;
  }
  return TForm::OnMessage(msg, wParam, lParam, result);
}

bool TKSTV_MAIN::HandOverArrived(const COPYDATASTRUCT& data) {
  // Its answer comes at once, a new batch after.
  std::optional<std::vector<std::wstring>> paths = HandedOver(data);
  if (!paths) return false;
  switch (runner_.TakeHandOver(*paths)) {
    case TBatchRunner::HandOver::Refused:
      return false;
    case TBatchRunner::HandOver::Joined:
      return true;
    case TBatchRunner::HandOver::Later:
      break;
  }
  auto posted = std::make_unique<std::vector<std::wstring>>(std::move(*paths));
  return msg::PostOwned(Handle(), msg::kHandedOver, 0, posted);
}

void TKSTV_MAIN::EndAfterStart() {
  if (runner_.Running()) {
    runner_.ThenDo(TBatch::After::Quit);
  } else {
    Quit();
  }
}

void TKSTV_MAIN::Quit() {
  // A hand-over arriving now would be taken and cut off: the second start opens its own window.
  runner_.SetClosing(true);
  TForm::CloseRequested();
}

void TKSTV_MAIN::SessionEnds(bool closeApp) {
  // The settings first, while Windows' allowance lasts; then no archiver starts any more, the
  // running one is ended and waited for a moment, and nothing can be shown. Asked to close by
  // the Restart Manager, the program ends.
  try {
    SaveSettings();
  } catch (...) {
  }
  runner_.EndSession();
  if (closeApp && !runner_.Running()) Quit();
}

bool TKSTV_MAIN::KeyCommand(WPARAM wParam, LPARAM lParam) {
  // Enter on a line of the list opens its place, Esc stops a batch (the dialog manager hands
  // them to the form as IDOK and IDCANCEL); the window's keys give the menu's commands.
  if (LOWORD(wParam) == IDOK && GetFocus() == LIST.Handle()) {
    OpenPlaceOf(LIST.ItemIndex());
  } else if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
    if (runner_.Running()) AskToStop(TBatch::After::Stay);
  } else if (HIWORD(wParam) == 1 && lParam == 0) {
    RunCommand(static_cast<TListCommand>(LOWORD(wParam)), LIST.ItemIndex());
  } else {
    return false;
  }
  return true;
}

void TKSTV_MAIN::ControlCommand(int id, int code) {
  if (id == IDC_ABOUT && code == BN_CLICKED) B_AboutClick();
  if (id == IDC_LIST && code == LBN_DBLCLK) OpenPlaceOf(LIST.ItemIndex());
}

void TKSTV_MAIN::DpiChanged() {
  // The list draws in the new font now: its widest line is measured again.
  LIST.Remeasure();
}

void TKSTV_MAIN::B_AboutClick() {
  const RECT main = Bounds();
  about_.ShowModalAt(Handle(), POINT{main.left, main.top});
}

// The result list

const TResult* TKSTV_MAIN::ResultOf(int line) const {
  const LPARAM data = LIST.ItemData(line);
  return data > 0 ? runner_.Result(static_cast<std::size_t>(data) - 1) : nullptr;
}

void TKSTV_MAIN::OpenPlaceOf(int line) {
  const TResult* result = ResultOf(line);
  if (result == nullptr || !Seams.showInFolder) return;
  Seams.showInFolder(IsFile(result->archive) ? result->archive : result->folder);
}

void TKSTV_MAIN::ShowListMenu(POINT at) {
  const int line = MenuLine(LIST, at);
  TListMenuState state;
  state.hasLines = LIST.Items.Count() > 0;
  state.lineHasResult = ResultOf(line) != nullptr;
  state.running = runner_.Running();
  state.paused = runner_.Paused();
  state.canRetry = !runner_.FailedFolders().empty();
  state.choices = Choices;
  // As last seen off the window's thread: the Send To folder may be on a share that sleeps.
  state.sendTo = sendTo_;
  RunCommand(kestrova::ShowListMenu(Handle(), at, state), line);
}

void TKSTV_MAIN::RunCommand(TListCommand command, int line) {
  const bool running = runner_.Running();
  if (ChoiceOf(command, Choices)) return;
  switch (command) {
    case TListCommand::Copy:
      SendMessageW(LIST.Handle(), WM_COPY, 0, 0);
      break;
    case TListCommand::OpenPlace:
      OpenPlaceOf(line);
      break;
    case TListCommand::Stop:
      if (running) AskToStop(TBatch::After::Stay);
      break;
    case TListCommand::Pause:
      if (runner_.Paused()) {
        runner_.Resume();
      } else if (running) {
        runner_.Pause();
      }
      break;
    case TListCommand::RetryFailed:
      if (std::vector<TBatchItem> failed = runner_.FailedFolders(); !failed.empty()) {
        Begin(std::move(failed));
      }
      break;
    case TListCommand::EditProfiles:
      if (!running) Settings.EditProfiles();
      break;
    case TListCommand::LocateArchiver:
      if (!running && Settings.LocateArchiver(OpenDialog)) Settings.SaveNow();
      break;
    case TListCommand::SendToAdd: {
      const std::wstring shortcut = SendToShortcut(true);
      if (MakeShortcut(shortcut, ProgramPath())) {
        sendTo_ = TSendTo::Present;
      } else {
        ShowError(Handle(), Format(IDS_SENDTO_NOT_MADE, shortcut));
      }
      break;
    }
    case TListCommand::SendToRemove: {
      const std::wstring shortcut = SendToShortcut(false);
      if (DeleteFileW(shortcut.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) {
        sendTo_ = TSendTo::Absent;
      } else {
        ShowError(Handle(), Format(IDS_SENDTO_NOT_REMOVED, shortcut));
      }
      break;
    }
    case TListCommand::SaveResults:
      if (!running && LIST.Items.Count() > 0) SaveResults(Handle(), ResultsLines());
      break;
    default:
      break;
  }
}

std::vector<TResultsLine> TKSTV_MAIN::ResultsLines() const {
  std::vector<TResultsLine> lines;
  const int count = LIST.Items.Count();
  for (int line = 0; line < count; ++line) {
    std::wstring shown = LIST.Items.Get(line);
    const TResult* result = ResultOf(line);
    lines.push_back(result != nullptr ? ResultsLineOf(std::move(shown), *result)
                                      : TResultsLine{std::move(shown)});
  }
  return lines;
}

// Settings

void TKSTV_MAIN::LoadSettings() {
  Settings.Load();
  Settings.Watch(msg::kSettingsRead);
  WatchSendTo();
  // The question waits for the user: a second start meanwhile opens its own window rather than
  // wait for this one.
  if (WinRARPath.empty() && OnAskForArchiver) OnAskForArchiver();
  if (WinRARPath.empty() && !Settings.LocateArchiver(OpenDialog)) {
    // Cancelled: the settings are saved where they can be, and the end comes whatever happens
    // to the save; the load still finishes, and the window is still shown and activated, so a
    // command-line batch still runs first.
    try {
      FormClose();
    } catch (...) {
    }
    PostMessageW(Handle(), msg::kEndAfterStart, 0, 0);
  }
  CB_Profile.SetItemIndex(0);
}

void TKSTV_MAIN::WatchSendTo() {
  // Where the folder is needs no file system; whether the shortcut is there is looked at by the
  // watch's thread.
  const std::wstring folder = KnownFolderPath(FOLDERID_SendTo, KF_FLAG_DONT_VERIFY);
  if (folder.empty()) {
    sendTo_ = TSendTo::NotOffered;
    return;
  }
  sendToWatch_ = std::make_unique<TFolderWatch>(folder, [window = Handle()] {
    PostMessageW(window, msg::kSendToRead, static_cast<WPARAM>(SendToState()), 0);
  });
}

void TKSTV_MAIN::FormShow() { LoadSettings(); }

void TKSTV_MAIN::CloseRequested() {
  // Stopping already, with only a look at a folder left (a share that no longer answers can
  // hold a look for as long as the network takes): the close need not wait for it.
  if (runner_.Running() && !runner_.OnlyLooking()) {
    AskToStop(TBatch::After::Close);
    return;
  }
  Close();
}

void TKSTV_MAIN::Close() {
  runner_.SetClosing(true);
  if (!Settings.SaveOrAskToQuit()) {
    runner_.SetClosing(false);
    return;
  }
  TForm::CloseRequested();
}

// Batches

void TKSTV_MAIN::FormActivate() {
  if (!arguments_.empty()) RunBatch(arguments_);
}

void TKSTV_MAIN::WMDropFiles(HDROP drop) {
  // Nothing of the drop outlives this handler.
  RunBatch(TakeDroppedPaths(drop));
}

void TKSTV_MAIN::RunBatch(std::vector<std::wstring> items) {
  if (runner_.Running()) {
    runner_.Add(std::move(items));
    return;
  }
  std::vector<TBatchItem> given;
  given.reserve(items.size());
  for (std::wstring& item : items) given.push_back(TBatchItem{std::move(item), false});
  Begin(std::move(given));
}

void TKSTV_MAIN::Begin(std::vector<TBatchItem> items) {
  if (CB_Profile.SelectedText().empty()) {
    ShowError(Handle(), LoadStr(IDS_EMPTY_PROFILE));
    return;
  }
  if (!UsableExtension(E_Ext.Text())) {
    ShowError(Handle(), Format(IDS_BAD_EXTENSION, E_Ext.Text()));
    return;
  }
  // Folders to the bin while the archiver deletes or moves their files: refused the same way.
  if (RefusesStart(Choices.afterArchive, CB_Profile.SelectedText())) {
    const std::wstring text = LoadStr(IDS_RECYCLE_DELETING_PROFILE);
    const std::wstring caption = LoadStr(IDS_EMPTY_PROFILE_CAPTION);
    MessageBoxW(Handle(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return;
  }
  LIST.Items.Clear();
  // Registered as the batch begins, as Windows asks of work that must not be cut: a log-off
  // meanwhile waits and shows why.
  ShutdownBlockReasonCreate(Handle(), LoadStr(IDS_BUSY_REASON).c_str());
  BeginBusy(JobControls(), LIST);
  batchBegan_ = GetTickCount64();
  // The folders that hold the program or its settings never go to the bin.
  runner_.Begin(std::move(items), TJobSettings{WinRARPath, CB_Profile.SelectedText(), E_Ext.Text(),
                                               Choices, {ProgramPath(), Settings.File.Path()}});
}

void TKSTV_MAIN::AskToStop(TBatch::After after) {
  const TBatch::Question question = runner_.RequestStop(after);
  if (question == TBatch::Question::None) return;
  const bool force = question == TBatch::Question::ForceStop;
  const std::wstring text = LoadStr(force                           ? IDS_FORCE_STOP
                                    : after == TBatch::After::Close ? IDS_STOP_BATCH
                                                                    : IDS_STOP_QUESTION);
  const bool yes = MessageBoxW(Handle(), text.c_str(), Application().Title().c_str(),
                               MB_YESNO | MB_DEFBUTTON2 |
                                   (force ? MB_ICONWARNING : MB_ICONQUESTION)) == IDYES;
  // Yes to a close while only a look is left: the window closes now, the look ends by itself.
  if (runner_.Answer(yes) || (yes && after != TBatch::After::Stay && runner_.OnlyLooking())) {
    Close();
  }
}

void TKSTV_MAIN::ItemStarts(TStep step, const std::wstring& name) {
  // The move to the bin is quick: the test's caption stays.
  if (step == TStep::Recycle) return;
  SetCaption(LoadStr(step == TStep::Test ? IDS_CAPTION_TESTING : IDS_CAPTION_BUSY) + name);
}

void TKSTV_MAIN::ResultAdded(std::size_t index, const TResult& result) {
  const UINT prefix = result.kind == TResult::Kind::Ok       ? IDS_RESULT_OK
                      : result.kind == TResult::Kind::Failed ? IDS_RESULT_NG
                                                             : IDS_RESULT_SKIPPED;
  LIST.SetItemData(LIST.Items.Add(LoadStr(prefix) + result.name), static_cast<LPARAM>(index + 1));
  SetCaption(LoadStr(IDS_CAPTION_DONE));
}

void TKSTV_MAIN::ProgressChanged(const TBatchProgress& progress) {
  const std::wstring text = ProgressText(progress, LoadStr(IDS_STRIP_PAUSED));
  if (text != L_Progress.Text()) L_Progress.SetText(text);
  if (Seams.taskbarProgress) {
    const TTaskbarState state = progress.paused   ? TTaskbarState::Paused
                                : progress.failed ? TTaskbarState::Error
                                                  : TTaskbarState::Normal;
    Seams.taskbarProgress(
        static_cast<ULONGLONG>(progress.done) * 100 + progress.percent.value_or(0),
        static_cast<ULONGLONG>(progress.total) * 100, state);
  }
  const bool awake = progress.total > 0 && !progress.paused;
  if (awake != awake_ && Seams.keepAwake) {
    awake_ = awake;
    Seams.keepAwake(awake);
  }
}

void TKSTV_MAIN::BatchEnded(TBatch::Ended ended) {
  ShutdownBlockReasonDestroy(Handle());
  EndBusy(JobControls());
  // An edit made outside during the batch, taken now rather than at the next activation.
  if (GetActiveWindow() == Handle()) Settings.TakeOutsideEdits();
  // Long work done while the user works elsewhere: the taskbar button says so (not while the
  // window's own message box or dialog is in front).
  if (GetTickCount64() - batchBegan_ >= Seams.longBatchMs && !InFront(Handle()) && Seams.flash) {
    Seams.flash(Handle());
  }
  if (ended.stopped) SetCaption(LoadStr(IDS_CAPTION_STOPPED));
  // Whatever has the focus, screen readers hear how it ended.
  if (Seams.announce) {
    Seams.announce(Handle(), LoadStr(ended.stopped ? IDS_CAPTION_STOPPED : IDS_CAPTION_DONE),
                   ended.stopped ? TAnnounced::Aborted : TAnnounced::Completed);
  }
  switch (ended.after) {
    case TBatch::After::Close:
      Close();
      return;
    case TBatch::After::Quit:
      Quit();
      return;
    case TBatch::After::Stay:
      break;
  }
  // What was dropped while it stopped is a batch of its own.
  if (!ended.next.empty()) RunBatch(std::move(ended.next));
}

}  // namespace kestrova

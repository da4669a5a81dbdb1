#include "app/Main.h"

#include <utility>

#include "app/ErrorText.h"
#include "app/Messages.h"
#include "app/ProfileDialog.h"
#include "app/Program.h"
#include "app/batch/Files.h"
#include "app/desktop/Explorer.h"
#include "app/desktop/MessageFilter.h"
#include "app/desktop/Placement.h"
#include "app/desktop/SecondStart.h"
#include "resources/Layouts.h"
#include "toolkit/Application.h"
#include "toolkit/System.h"
#include "toolkit/TextRules.h"
#include "toolkit/Text.h"

namespace kestrova {

TKSTV_MAIN::TKSTV_MAIN(TKSTV_ABOUT& about)
    : TForm(layouts::kMain, Showing::Modeless),
      Panel(*this, layouts::kMain.Control(IDC_PANEL)),
      E_Ext(*this, layouts::kMain.Control(IDC_EXT)),
      B_About(*this, layouts::kMain.Control(IDC_ABOUT)),
      CB_Profile(*this, layouts::kMain.Control(IDC_PROFILE)),
      LIST(*this, layouts::kMain.Control(IDC_LIST)),
      about_(about) {
  Seams.showInFolder = &ShowInExplorer;
  Seams.taskbarProgress = [this](int done, int total, bool failed) {
    taskbar_.Show(Handle(), done, total, failed);
  };
  Seams.flash = [this] {
    FLASHWINFO flash{sizeof(flash), Handle(), FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
  };
  taskbarButtonCreated_ = RegisterWindowMessageW(L"TaskbarButtonCreated");
  SetAccelerators(LoadAcceleratorsW(ModuleInstance(), MAKEINTRESOURCEW(IDA_MAIN)));
  LIST.SetItemTips([this](int line) {
    const TResult* result = ResultOf(line);
    return result != nullptr ? result->reason : std::wstring();
  });
  OpenDialog.Title = LoadStr(IDS_LOCATE_TITLE);
  OpenDialog.FilterName = LoadStr(IDS_LOCATE_FILTER_NAME);
  OpenDialog.FilterPattern = LoadStr(IDS_LOCATE_FILTER_PATTERN);
  OpenDialog.DefaultExt = LoadStr(IDS_LOCATE_DEFAULT_EXT);
  // The window takes drops from the start (its layout gives it WS_EX_ACCEPTFILES); when it runs
  // elevated, also from Explorer and a second start at the normal level.
  AcceptHandOversFromBelow(Handle(), {WM_DROPFILES, WM_COPYDATA, 0x0049 /* WM_COPYGLOBALDATA */,
                                      taskbarButtonCreated_});
  SetCaption(Application().Title());
}

bool TKSTV_MAIN::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (runner_.OnMessage(msg, wParam, lParam, result)) return true;
  switch (msg) {
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wParam));
      result = 0;
      return true;
    case WM_COPYDATA: {
      // A second start's paths: taken only when they will be archived, so that one the window
      // will not take opens a window of its own. Its answer comes at once, a new batch after.
      result = FALSE;
      std::optional<std::vector<std::wstring>> paths =
          HandedOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      if (!paths || closing_ || !runner_.TakesHandOver()) return true;
      if (runner_.Running()) {
        runner_.Add(std::move(*paths));
        result = TRUE;
        return true;
      }
      auto posted = std::make_unique<std::vector<std::wstring>>(std::move(*paths));
      result = msg::PostOwned(Handle(), msg::kHandedOver, 0, posted) ? TRUE : FALSE;
      return true;
    }
    case msg::kHandedOver:
      RunBatch(std::move(*msg::TakeOwned<std::vector<std::wstring>>(lParam)));
      return true;
    case msg::kEndAfterStart:
      if (runner_.Running()) {
        runner_.ThenDo(TBatch::After::Quit);
      } else {
        TForm::CloseRequested();
      }
      return true;
    case WM_QUERYENDSESSION:
      // Not while a batch runs: its block reason, registered as it began, tells the user why.
      result = runner_.Running() ? FALSE : TRUE;
      return true;
    case WM_ENDSESSION:
      if (wParam) {
        // The session ends now: no archiver starts any more, the settings are saved, and
        // nothing can be shown. Asked to close by the Restart Manager, the program ends.
        runner_.EndSession();
        try {
          SaveSettings();
        } catch (...) {
        }
        if ((lParam & ENDSESSION_CLOSEAPP) != 0 && !runner_.Running()) TForm::CloseRequested();
      }
      result = 0;
      return true;
    case WM_ACTIVATE:
      // A batch keeps the settings it began with; an edit made meanwhile waits for its end.
      if (LOWORD(wParam) != WA_INACTIVE && !runner_.Running()) TakeOutsideEdits();
      return TForm::OnMessage(msg, wParam, lParam, result);
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != LIST.Handle()) return false;
      ShowListMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return true;
    case WM_COMMAND:
      // Enter on a line of the list opens its place, Esc stops a batch (the dialog manager
      // hands them to the form as IDOK and IDCANCEL); the window's keys give the menu's
      // commands.
      if (LOWORD(wParam) == IDOK && GetFocus() == LIST.Handle()) {
        OpenPlaceOf(LIST.ItemIndex());
        return true;
      }
      if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
        if (runner_.Running()) AskToStop(TBatch::After::Stay);
        return true;
      }
      if (HIWORD(wParam) == 1 && lParam == 0) {
        RunCommand(static_cast<TListCommand>(LOWORD(wParam)), LIST.ItemIndex());
        return true;
      }
      return TForm::OnMessage(msg, wParam, lParam, result);
    default:
      if (msg == taskbarButtonCreated_ && taskbarButtonCreated_ != 0) {
        // Explorer made (or made again) the button: it shows the batch from now on.
        runner_.ShowProgress();
        return true;
      }
      return TForm::OnMessage(msg, wParam, lParam, result);
  }
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
  int line = LIST.ItemIndex();
  if (at.x == -1 && at.y == -1) {
    // From the keyboard: at the selected line, or the list's corner.
    const RECT place = LIST.ItemRect(line).value_or(RECT{});
    at = POINT{place.left, place.bottom};
    ClientToScreen(LIST.Handle(), &at);
  } else {
    // A right click selects the line under the pointer first.
    POINT client = at;
    ScreenToClient(LIST.Handle(), &client);
    if (const int hit = LIST.ItemAt(client); hit >= 0) LIST.SetItemIndex(line = hit);
  }
  TListMenuState state;
  state.hasLines = LIST.Items.Count() > 0;
  state.lineHasResult = ResultOf(line) != nullptr;
  state.running = runner_.Running();
  state.canRetry = !runner_.FailedFolders().empty();
  state.existingArchive = ExistingArchive;
  state.target = Target;
  state.sendTo = SendToState();
  RunCommand(kestrova::ShowListMenu(Handle(), at, state), line);
}

void TKSTV_MAIN::RunCommand(TListCommand command, int line) {
  const bool running = runner_.Running();
  if (ChoiceOf(command, ExistingArchive) || ChoiceOf(command, Target)) return;
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
    case TListCommand::RetryFailed:
      if (std::vector<TBatchItem> failed = runner_.FailedFolders(); !failed.empty()) {
        Begin(std::move(failed));
      }
      break;
    case TListCommand::EditProfiles:
      if (!running) EditProfiles();
      break;
    case TListCommand::LocateArchiver:
      if (!running && LocateArchiver()) SaveNow();
      break;
    case TListCommand::SendToAdd:
      MakeShortcut(SendToShortcut(true), ProgramPath());
      break;
    case TListCommand::SendToRemove:
      DeleteFileW(SendToShortcut(false).c_str());
      break;
    default:
      break;
  }
}

// Settings

void TKSTV_MAIN::ApplySettings(const TSettings& settings) {
  // Sized once, for the monitor the saved place lies on; the DPI change the move brings keeps
  // that size.
  const TSavedPlace place =
      PlaceOfSaved(RECT{settings.left, settings.top, settings.left + settings.width,
                        settings.top + settings.height},
                   settings.dpi);
  PlaceAt(place.bounds, place.dpi);
  KeepOnScreen(Handle());
  ApplyValues(settings);
}

void TKSTV_MAIN::ApplyValues(const TSettings& settings) {
  E_Ext.SetText(settings.fileExt);
  WinRARPath = settings.winRARPath;
  SetProfiles(settings.profiles);
  ExistingArchive = settings.existingArchive;
  Target = settings.target;
}

void TKSTV_MAIN::SetProfiles(const std::array<std::wstring, 5>& profiles) {
  const int selected = CB_Profile.ItemIndex();
  CB_Profile.Clear();
  for (const std::wstring& profile : profiles) CB_Profile.Add(profile);
  CB_Profile.SetItemIndex(selected);
}

void TKSTV_MAIN::TakeOutsideEdits() {
  if (const std::optional<TSettings> taken = SettingsFile.ChangedOutside(CurrentSettings())) {
    ApplyValues(*taken);
  }
}

void TKSTV_MAIN::EditProfiles() {
  std::array<std::wstring, 5> profiles;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    profiles[i] = CB_Profile.Item(static_cast<int>(i));
  }
  if (!kestrova::EditProfiles(Handle(), profiles)) return;
  SetProfiles(profiles);
  SaveNow();
}

void TKSTV_MAIN::SaveNow() {
  try {
    SaveSettings();
  } catch (const Error& e) {
    if (e.GetKind() != Error::Kind::CannotWrite) throw;
    const std::wstring text = ErrorBoxText(ErrorText(e));
    MessageBoxW(Handle(), text.c_str(), Application().Title().c_str(), MB_OK | MB_ICONERROR);
  }
}

TSettings TKSTV_MAIN::CurrentSettings() const {
  TSettings settings;
  const RECT bounds = RestoredBounds(Handle());
  settings.left = bounds.left;
  settings.top = bounds.top;
  settings.width = bounds.right - bounds.left;
  settings.height = bounds.bottom - bounds.top;
  settings.dpi = static_cast<int>(Dpi());
  settings.fileExt = E_Ext.Text();
  settings.winRARPath = WinRARPath;
  for (std::size_t i = 0; i < settings.profiles.size(); ++i) {
    settings.profiles[i] = CB_Profile.Item(static_cast<int>(i));
  }
  settings.existingArchive = ExistingArchive;
  settings.target = Target;
  return settings;
}

bool TKSTV_MAIN::LocateArchiver() {
  OpenDialog.InitialDir = ArchiverFolderToOffer(WinRARPath);
  if (!OpenDialog.Execute(Handle())) return false;
  WinRARPath = OpenDialog.FileName;
  return true;
}

void TKSTV_MAIN::LoadSettings() {
  ApplySettings(SettingsFile.Load(Dpi()));
  if (WinRARPath.empty() && !LocateArchiver()) {
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

void TKSTV_MAIN::SaveSettings() { SettingsFile.Save(CurrentSettings()); }

void TKSTV_MAIN::FormShow() { LoadSettings(); }

void TKSTV_MAIN::FormClose() { SaveSettings(); }

void TKSTV_MAIN::CloseRequested() {
  if (runner_.Running()) {
    AskToStop(TBatch::After::Close);
    return;
  }
  Close();
}

void TKSTV_MAIN::Close() {
  closing_ = true;
  if (!SaveOrAskToQuit()) {
    closing_ = false;
    return;
  }
  TForm::CloseRequested();
}

bool TKSTV_MAIN::SaveOrAskToQuit() {
  try {
    FormClose();
    return true;
  } catch (const Error& e) {
    if (e.GetKind() != Error::Kind::CannotWrite) throw;
    const std::wstring text = ErrorBoxText(ErrorText(e)) + L"\n" + LoadStr(IDS_QUIT_UNSAVED);
    return MessageBoxW(Handle(), text.c_str(), Application().Title().c_str(),
                       MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2) == IDYES;
  }
}

// Batches

void TKSTV_MAIN::FormActivate() {
  if (!Arguments.empty()) RunBatch(Arguments);
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
    const std::wstring text = LoadStr(IDS_EMPTY_PROFILE);
    const std::wstring caption = LoadStr(IDS_EMPTY_PROFILE_CAPTION);
    MessageBoxW(Handle(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return;
  }
  LIST.Items.Clear();
  // Registered as the batch begins, as Windows asks of work that must not be cut: a log-off
  // meanwhile waits and shows why.
  ShutdownBlockReasonCreate(Handle(), LoadStr(IDS_BUSY_REASON).c_str());
  BeginBusy();
  batchBegan_ = GetTickCount64();
  runner_.Begin(std::move(items), TJobSettings{WinRARPath, CB_Profile.SelectedText(),
                                               E_Ext.Text(), ExistingArchive, Target});
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
  if (runner_.Answer(yes)) Close();
}

void TKSTV_MAIN::ItemStarts(const std::wstring& name) {
  SetCaption(LoadStr(IDS_CAPTION_BUSY) + name);
}

void TKSTV_MAIN::ResultAdded(std::size_t index, const TResult& result) {
  const UINT prefix = result.kind == TResult::Kind::Ok       ? IDS_RESULT_OK
                      : result.kind == TResult::Kind::Failed ? IDS_RESULT_NG
                                                             : IDS_RESULT_SKIPPED;
  LIST.SetItemData(LIST.Items.Add(LoadStr(prefix) + result.name), static_cast<LPARAM>(index + 1));
  SetCaption(LoadStr(IDS_CAPTION_DONE));
}

void TKSTV_MAIN::ProgressChanged(int done, int total, bool failed) {
  if (Seams.taskbarProgress) Seams.taskbarProgress(done, total, failed);
}

void TKSTV_MAIN::BatchEnded(TBatch::Ended ended) {
  ShutdownBlockReasonDestroy(Handle());
  EndBusy();
  // An edit made outside during the batch, taken now rather than at the next activation.
  if (GetActiveWindow() == Handle()) TakeOutsideEdits();
  // Long work done while the user works elsewhere: the taskbar button says so.
  if (GetTickCount64() - batchBegan_ >= Seams.longBatchMs && GetForegroundWindow() != Handle() &&
      Seams.flash) {
    Seams.flash();
  }
  if (ended.stopped) SetCaption(LoadStr(IDS_CAPTION_STOPPED));
  switch (ended.after) {
    case TBatch::After::Close:
      Close();
      return;
    case TBatch::After::Quit:
      TForm::CloseRequested();
      return;
    case TBatch::After::Stay:
      break;
  }
  // What was dropped while it stopped is a batch of its own.
  if (!ended.next.empty()) RunBatch(std::move(ended.next));
}

void TKSTV_MAIN::BeginBusy() {
  // Where the focus is now, to give it back. A control that goes disabled loses it on Windows:
  // the list takes it meanwhile, so that the keyboard still reaches the window (Esc stops).
  const HWND focus = GetFocus();
  focusBeforeBatch_ = focus != nullptr && IsChild(Handle(), focus) ? focus : nullptr;
  for (const Window* control : JobControls()) {
    if (focus != nullptr && (focus == control->Handle() || IsChild(control->Handle(), focus))) {
      SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(LIST.Handle()), TRUE);
    }
    control->SetEnabled(false);
  }
}

void TKSTV_MAIN::EndBusy() {
  for (const Window* control : JobControls()) control->SetEnabled(true);
  // Back where it was, through the dialog manager (so that a button becomes the default one
  // again); only while the window is the active one, which it then stays.
  const HWND focus = std::exchange(focusBeforeBatch_, nullptr);
  if (focus != nullptr && IsWindow(focus) && GetActiveWindow() == Handle() &&
      GetFocus() != focus) {
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
  }
}

}  // namespace kestrova

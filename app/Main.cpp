#include "app/Main.h"

#include <utility>

#include "app/ItemKind.h"
#include "app/JobText.h"
#include "app/Reasons.h"
#include "app/SecondStart.h"
#include "app/Shell.h"
#include "app/WindowPlace.h"
#include "resources/Layouts.h"
#include "toolkit/Application.h"
#include "toolkit/Handles.h"
#include "toolkit/System.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

// Posted when the question for the archiver was cancelled: the program ends once the window
// has been shown and activated and the command-line batch (if any) has run.
constexpr UINT kEndAfterStart = WM_APP + 3;
// Posted with the paths a second start handed over (lParam: a std::vector<std::wstring>* that
// the window deletes): they are taken as a drop once the second start has its answer.
constexpr UINT kHandedOver = WM_APP + 4;

// Each item of a batch has its own number, across windows: a message from the thread of an
// item that is not the window's own is ignored.
std::uint64_t NextItemId() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

TKSTV_MAIN::TKSTV_MAIN(TKSTV_ABOUT& about)
    : TForm(layouts::kMain, Showing::Modeless),
      Panel(*this, layouts::kMain.Control(IDC_PANEL)),
      E_Ext(*this, layouts::kMain.Control(IDC_EXT)),
      B_About(*this, layouts::kMain.Control(IDC_ABOUT)),
      CB_Profile(*this, layouts::kMain.Control(IDC_PROFILE)),
      LIST(*this, layouts::kMain.Control(IDC_LIST)),
      about_(about) {
  ShowInFolder = &ShowInExplorer;
  TaskbarProgress = [this](int done, int total, bool failed) {
    taskbar_.Show(Handle(), done, total, failed);
  };
  taskbarButtonCreated_ = RegisterWindowMessageW(L"TaskbarButtonCreated");
  LIST.SetItemTips([this](int line) {
    const TResult* result = ResultOf(line);
    return result != nullptr ? result->reason : std::wstring();
  });
  OpenDialog.Title = LoadStr(IDS_LOCATE_TITLE);
  OpenDialog.FilterName = LoadStr(IDS_LOCATE_FILTER_NAME);
  OpenDialog.FilterPattern = LoadStr(IDS_LOCATE_FILTER_PATTERN);
  OpenDialog.DefaultExt = LoadStr(IDS_LOCATE_DEFAULT_EXT);
  // The window takes drops from the start (its layout gives it WS_EX_ACCEPTFILES), also when
  // it runs elevated and Explorer does not.
  AllowMessagesFromLowerIntegrity(Handle(), {WM_DROPFILES, WM_COPYDATA,
                                             0x0049 /* WM_COPYGLOBALDATA */,
                                             taskbarButtonCreated_});
  SetCaption(Application().Title());
}

bool TKSTV_MAIN::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wParam));
      result = 0;
      return true;
    case kItemMayStart:
      result = ItemMayStart(wParam, *reinterpret_cast<const std::wstring*>(lParam)) ? 1 : 0;
      return true;
    case kItemDone: {
      const std::unique_ptr<TItemOutcome> outcome(reinterpret_cast<TItemOutcome*>(lParam));
      ItemDone(*outcome);
      result = 0;
      return true;
    }
    case WM_COPYDATA:
      // A second start's paths; its answer comes at once, the batch after.
      if (std::optional<std::vector<std::wstring>> paths =
              HandedOver(*reinterpret_cast<const COPYDATASTRUCT*>(lParam))) {
        auto* posted = new std::vector<std::wstring>(std::move(*paths));
        if (PostMessageW(Handle(), kHandedOver, 0, reinterpret_cast<LPARAM>(posted))) {
          result = TRUE;
          return true;
        }
        delete posted;
      }
      result = FALSE;
      return true;
    case kHandedOver: {
      const std::unique_ptr<std::vector<std::wstring>> paths(
          reinterpret_cast<std::vector<std::wstring>*>(lParam));
      RunBatch(std::move(*paths));
      return true;
    }
    case kEndAfterStart:
      if (batch_.Running()) {
        batch_.ThenDo(TBatch::After::Quit);
      } else {
        TForm::CloseRequested();
      }
      return true;
    case WM_QUERYENDSESSION:
      // Not while a batch runs: its block reason, registered as it began, tells the user why.
      result = batch_.Running() ? FALSE : TRUE;
      return true;
    case WM_ENDSESSION:
      if (wParam) {
        // The session ends now: no archiver starts any more, the settings are saved, and
        // nothing can be shown. Asked to close by the Restart Manager, the program ends.
        batch_.EndSession();
        try {
          SaveSettings();
        } catch (...) {
        }
        if ((lParam & ENDSESSION_CLOSEAPP) != 0 && !batch_.Running()) TForm::CloseRequested();
      }
      result = 0;
      return true;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != LIST.Handle()) return false;
      ShowListMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return true;
    case WM_COMMAND:
      // Enter on a line of the list opens its place, Esc stops a batch (the dialog manager
      // hands them to the form as IDOK and IDCANCEL).
      if (LOWORD(wParam) == IDOK && GetFocus() == LIST.Handle()) {
        OpenPlaceOf(static_cast<int>(SendMessageW(LIST.Handle(), LB_GETCURSEL, 0, 0)));
        return true;
      }
      if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
        if (batch_.Running()) StopRequested();
        return true;
      }
      return TForm::OnMessage(msg, wParam, lParam, result);
    default:
      if (msg == taskbarButtonCreated_ && taskbarButtonCreated_ != 0) {
        // Explorer made (or made again) the button: it shows the batch from now on.
        if (batch_.Running()) ShowProgress();
        return true;
      }
      return TForm::OnMessage(msg, wParam, lParam, result);
  }
}

void TKSTV_MAIN::ControlCommand(int id, int code) {
  if (id == IDC_ABOUT && code == BN_CLICKED) B_AboutClick();
  if (id == IDC_LIST && code == LBN_DBLCLK) {
    OpenPlaceOf(static_cast<int>(SendMessageW(LIST.Handle(), LB_GETCURSEL, 0, 0)));
  }
}

const TResult* TKSTV_MAIN::ResultOf(int line) const {
  if (line < 0) return nullptr;
  const LRESULT data = SendMessageW(LIST.Handle(), LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
  if (data <= 0) return nullptr;
  return batch_.Result(static_cast<std::size_t>(data) - 1);
}

void TKSTV_MAIN::OpenPlaceOf(int line) {
  const TResult* result = ResultOf(line);
  if (result == nullptr || !ShowInFolder) return;
  ShowInFolder(IsFile(result->archive) ? result->archive : result->folder);
}

void TKSTV_MAIN::ShowListMenu(POINT at) {
  const HWND list = LIST.Handle();
  int line = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  if (at.x == -1 && at.y == -1) {
    // From the keyboard: at the selected line, or the list's corner.
    RECT place{};
    if (line < 0 || SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(line),
                                 reinterpret_cast<LPARAM>(&place)) == LB_ERR) {
      place = RECT{};
    }
    at = POINT{place.left, place.bottom};
    ClientToScreen(list, &at);
  } else {
    // A right click selects the line under the pointer first.
    POINT client = at;
    ScreenToClient(list, &client);
    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(client.x, client.y));
    if (HIWORD(hit) == 0) {
      line = LOWORD(hit);
      SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    }
  }
  // The items' commands are the ids of their texts.
  enum : UINT {
    kCopy = IDS_MENU_COPY,
    kOpenPlace = IDS_MENU_OPEN_PLACE,
    kStop = IDS_MENU_STOP,
    kAdd = IDS_MENU_EXISTING_ADD,
    kRename = IDS_MENU_EXISTING_RENAME,
    kFolder = IDS_MENU_TARGET_FOLDER,
    kChildren = IDS_MENU_TARGET_CHILDREN,
    kSendToAdd = IDS_MENU_SENDTO_ADD,
    kSendToRemove = IDS_MENU_SENDTO_REMOVE,
  };
  const HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  const ScopeExit destroy([menu] { DestroyMenu(menu); });
  auto add = [](HMENU to, UINT flags, UINT_PTR id, UINT text) {
    return AppendMenuW(to, flags, id, LoadStr(text).c_str()) != FALSE;
  };
  const bool running = batch_.Running();
  add(menu, MF_STRING | (LIST.Items.Count() > 0 ? 0 : MF_GRAYED), kCopy, IDS_MENU_COPY);
  add(menu, MF_STRING | (ResultOf(line) != nullptr ? 0 : MF_GRAYED), kOpenPlace,
      IDS_MENU_OPEN_PLACE);
  if (running) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(menu, MF_STRING, kStop, IDS_MENU_STOP);
  }
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  // The choices of the next batch, one of each group checked; a running batch keeps those it
  // began with. A submenu belongs to the menu once it is in it.
  struct Choice {
    UINT text, first, last, checked;
  };
  const Choice choices[] = {
      {IDS_MENU_EXISTING, kAdd, kRename, kAdd + static_cast<UINT>(ExistingArchive)},
      {IDS_MENU_TARGET, kFolder, kChildren, kFolder + static_cast<UINT>(Target)},
  };
  for (const Choice& choice : choices) {
    const HMENU sub = CreatePopupMenu();
    if (sub == nullptr) continue;
    for (UINT id = choice.first; id <= choice.last; ++id) add(sub, MF_STRING, id, id);
    CheckMenuRadioItem(sub, choice.first, choice.last, choice.checked, MF_BYCOMMAND);
    if (!add(menu, MF_POPUP | (running ? MF_GRAYED : 0), reinterpret_cast<UINT_PTR>(sub),
             choice.text)) {
      DestroyMenu(sub);
    }
  }
  // Explorer's Send To menu: a shortcut to this program there, made or taken away.
  const std::wstring shortcut = SendToShortcut();
  const bool sendTo = !shortcut.empty() && IsFile(shortcut);
  if (!shortcut.empty()) {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    add(menu, MF_STRING, sendTo ? kSendToRemove : kSendToAdd, sendTo ? kSendToRemove : kSendToAdd);
  }
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, Handle(), nullptr));
  switch (chosen) {
    case kCopy:
      SendMessageW(list, WM_COPY, 0, 0);
      break;
    case kOpenPlace:
      OpenPlaceOf(line);
      break;
    case kStop:
      StopRequested();
      break;
    case kAdd:
    case IDS_MENU_EXISTING_SKIP:
    case kRename:
      ExistingArchive = static_cast<TExistingArchive>(chosen - kAdd);
      break;
    case kFolder:
    case kChildren:
      Target = static_cast<TTarget>(chosen - kFolder);
      break;
    case kSendToAdd:
      MakeShortcut(shortcut, ProgramPath());
      break;
    case kSendToRemove:
      DeleteFileW(shortcut.c_str());
      break;
    default:
      break;
  }
}

void TKSTV_MAIN::DpiChanged() {
  // The list draws in the new font now: its widest line is measured again.
  LIST.Remeasure();
}

void TKSTV_MAIN::B_AboutClick() {
  const RECT main = Bounds();
  about_.ShowModalAt(Handle(), POINT{main.left, main.top});
}

// Settings

void TKSTV_MAIN::ApplySettings(const TSettings& settings) {
  SetWindowPos(Handle(), nullptr, settings.left, settings.top, settings.width, settings.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  KeepOnScreen(Handle());
  E_Ext.SetText(settings.fileExt);
  WinRARPath = settings.winRARPath;
  CB_Profile.Clear();
  for (const std::wstring& profile : settings.profiles) CB_Profile.Add(profile);
  ExistingArchive = settings.existingArchive;
  Target = settings.target;
}

TSettings TKSTV_MAIN::CurrentSettings() const {
  TSettings settings;
  const RECT bounds = RestoredBounds(Handle());
  settings.left = bounds.left;
  settings.top = bounds.top;
  settings.width = bounds.right - bounds.left;
  settings.height = bounds.bottom - bounds.top;
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
  std::wstring programFiles(MAX_PATH, L'\0');
  const DWORD length = GetEnvironmentVariableW(L"ProgramFiles", programFiles.data(), MAX_PATH);
  OpenDialog.InitialDir.clear();
  if (length > 0 && length < MAX_PATH) {
    programFiles.resize(length);
    const std::wstring usual = programFiles + L"\\WinRAR";
    // The file dialog cannot start in a folder of MAX_PATH - 2 characters or more (Wine's
    // crashes on one): such a folder is not offered.
    if (usual.size() + 2 < MAX_PATH && GetItemKind(usual) == ikFolder) {
      OpenDialog.InitialDir = usual;
    }
  }
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
    PostMessageW(Handle(), kEndAfterStart, 0, 0);
  }
  CB_Profile.SetItemIndex(0);
}

void TKSTV_MAIN::SaveSettings() { SettingsFile.Save(CurrentSettings()); }

void TKSTV_MAIN::FormShow() { LoadSettings(); }

void TKSTV_MAIN::FormClose() { SaveSettings(); }

void TKSTV_MAIN::CloseRequested() {
  if (batch_.Running()) {
    AskToStop(TBatch::After::Close);
    return;
  }
  Close();
}

void TKSTV_MAIN::Close() {
  if (!SaveOrAskToQuit()) return;
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
  if (batch_.Running()) {
    batch_.Add(std::move(items));
    ShowProgress();
    return;
  }
  if (CB_Profile.SelectedText().empty()) {
    const std::wstring text = LoadStr(IDS_EMPTY_PROFILE);
    const std::wstring caption = LoadStr(IDS_EMPTY_PROFILE_CAPTION);
    MessageBoxW(Handle(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return;
  }
  LIST.Items.Clear();
  jobSettings_ =
      TJobSettings{WinRARPath, CB_Profile.SelectedText(), E_Ext.Text(), ExistingArchive, Target};
  batch_.Begin(std::move(items));
  // Registered as the batch begins, as Windows asks of work that must not be cut: a log-off
  // meanwhile waits and shows why.
  ShutdownBlockReasonCreate(Handle(), LoadStr(IDS_BUSY_REASON).c_str());
  BeginBusy();
  NextItem();
}

void TKSTV_MAIN::StopRequested() { AskToStop(TBatch::After::Stay); }

void TKSTV_MAIN::AskToStop(TBatch::After after) {
  const TBatch::Question question = batch_.RequestStop(after);
  if (question == TBatch::Question::None) return;
  const bool force = question == TBatch::Question::ForceStop;
  const std::wstring text = LoadStr(force                           ? IDS_FORCE_STOP
                                    : after == TBatch::After::Close ? IDS_STOP_BATCH
                                                                    : IDS_STOP_QUESTION);
  const bool yes = MessageBoxW(Handle(), text.c_str(), Application().Title().c_str(),
                               MB_YESNO | MB_DEFBUTTON2 |
                                   (force ? MB_ICONWARNING : MB_ICONQUESTION)) == IDYES;
  switch (batch_.Answer(yes)) {
    case TBatch::Then::Kill:
      if (job_) job_->Kill();
      break;
    case TBatch::Then::Close:
      Close();
      break;
    case TBatch::Then::Nothing:
      break;
  }
}

void TKSTV_MAIN::NextItem() {
  while (std::optional<TBatchItem> item = batch_.Next()) {
    ShowProgress();
    itemId_ = NextItemId();
    job_ = std::make_shared<TJobControl>();
    if (worker_.Start(itemId_, *item, jobSettings_, job_, PauseItem)) return;
    // No thread for it: the folder fails as it would without memory.
    if (const std::optional<std::size_t> index = batch_.ItemDone(FolderResult(
            item->path, TResult::Kind::Failed, SystemMessage(ERROR_NOT_ENOUGH_MEMORY)))) {
      AddResultLine(*index);
    }
  }
  EndBatch();
}

bool TKSTV_MAIN::ItemMayStart(std::uint64_t id, const std::wstring& name) {
  if (id != itemId_ || !batch_.MayStart()) return false;
  SetCaption(LoadStr(IDS_CAPTION_BUSY) + name);
  return true;
}

void TKSTV_MAIN::ItemDone(const TItemOutcome& outcome) {
  if (outcome.id != itemId_ || !batch_.Running()) return;
  job_.reset();
  batch_.AddChildren(outcome.children);
  if (const std::optional<std::size_t> index = batch_.ItemDone(outcome.result)) {
    AddResultLine(*index);
  }
  NextItem();
}

void TKSTV_MAIN::AddResultLine(std::size_t index) {
  const TResult& result = *batch_.Result(index);
  const UINT prefix = result.kind == TResult::Kind::Ok       ? IDS_RESULT_OK
                     : result.kind == TResult::Kind::Failed ? IDS_RESULT_NG
                                                            : IDS_RESULT_SKIPPED;
  const int line = LIST.Items.Add(LoadStr(prefix) + result.name);
  SendMessageW(LIST.Handle(), LB_SETITEMDATA, static_cast<WPARAM>(line),
               static_cast<LPARAM>(index + 1));
  SetCaption(LoadStr(IDS_CAPTION_DONE));
}

void TKSTV_MAIN::EndBatch() {
  TBatch::Ended ended = batch_.End();
  itemId_ = 0;
  job_.reset();
  ShutdownBlockReasonDestroy(Handle());
  EndBusy();
  TaskbarProgress(0, 0, false);
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

void TKSTV_MAIN::ShowProgress() {
  if (TaskbarProgress) TaskbarProgress(batch_.Done(), batch_.Total(), batch_.Failed());
}

void TKSTV_MAIN::BeginBusy() {
  // Where the focus is now, to give it back. A control that goes disabled loses it on Windows:
  // the list takes it meanwhile, so that the keyboard still reaches the window (Esc stops).
  const HWND focus = GetFocus();
  focusBeforeBatch_ = focus != nullptr && IsChild(Handle(), focus) ? focus : nullptr;
  for (const HWND control : {E_Ext.Handle(), CB_Profile.Handle(), B_About.Handle()}) {
    if (focus != nullptr && (focus == control || IsChild(control, focus))) {
      SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(LIST.Handle()), TRUE);
    }
  }
  EnableJobControls(false);
}

void TKSTV_MAIN::EnableJobControls(bool enable) {
  E_Ext.SetEnabled(enable);
  CB_Profile.SetEnabled(enable);
  B_About.SetEnabled(enable);
}

void TKSTV_MAIN::EndBusy() {
  EnableJobControls(true);
  // Back where it was, through the dialog manager (so that a button becomes the default one
  // again); only while the window is the active one, which it then stays.
  const HWND focus = std::exchange(focusBeforeBatch_, nullptr);
  if (focus != nullptr && IsWindow(focus) && GetActiveWindow() == Handle() &&
      GetFocus() != focus) {
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
  }
}

}  // namespace kestrova

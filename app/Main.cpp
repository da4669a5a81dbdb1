#include "app/Main.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <utility>

#include "app/ItemKind.h"
#include "app/JobText.h"
#include "app/Placement.h"
#include "resources/Layouts.h"
#include "toolkit/Application.h"
#include "toolkit/Handles.h"
#include "toolkit/System.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

// The bounds the window has when it is neither minimized nor maximized, in screen
// coordinates. The placement's normal rectangle is in workspace coordinates, which differ from
// screen coordinates by the work area's offset on its monitor (a taskbar at the top or left).
RECT RestoredBounds(HWND hwnd) {
  RECT bounds{};
  if (!IsIconic(hwnd) && !IsZoomed(hwnd)) {
    GetWindowRect(hwnd, &bounds);
    return bounds;
  }
  WINDOWPLACEMENT placement{sizeof(placement)};
  GetWindowPlacement(hwnd, &placement);
  bounds = placement.rcNormalPosition;
  MONITORINFO monitor{sizeof(monitor)};
  if (GetMonitorInfoW(MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &monitor)) {
    OffsetRect(&bounds, monitor.rcWork.left - monitor.rcMonitor.left,
               monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return bounds;
}

// The work areas of every monitor.
BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas) {
  MONITORINFO info{sizeof(info)};
  if (GetMonitorInfoW(monitor, &info)) {
    reinterpret_cast<std::vector<Box>*>(areas)->push_back(
        Box{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
  }
  return TRUE;
}

// Lets drops (and what they need) through to a window that runs elevated: otherwise the
// system's integrity separation refuses messages from Explorer, which runs at a lower level.
void AllowDropsFromLowerIntegrity(HWND hwnd) {
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  static const auto changeFilter =
      SystemFunction<Filter>(L"user32.dll", "ChangeWindowMessageFilterEx");
  if (changeFilter == nullptr) return;
  for (UINT msg : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, UINT{0x0049} /* WM_COPYGLOBALDATA */}) {
    changeFilter(hwnd, msg, 1 /* MSGFLT_ALLOW */, nullptr);
  }
}

// Explorer at the path's folder, the path selected in it.
void ShowInExplorer(const std::wstring& path) {
  using CreateFromPath = PIDLIST_ABSOLUTE(WINAPI*)(PCWSTR);
  using OpenAndSelect = HRESULT(WINAPI*)(PCIDLIST_ABSOLUTE, UINT, PCUITEMID_CHILD_ARRAY, DWORD);
  using Free = void(WINAPI*)(PIDLIST_RELATIVE);
  static const auto create = SystemFunction<CreateFromPath>(L"shell32.dll", "ILCreateFromPathW");
  static const auto open =
      SystemFunction<OpenAndSelect>(L"shell32.dll", "SHOpenFolderAndSelectItems");
  static const auto free = SystemFunction<Free>(L"shell32.dll", "ILFree");
  if (create == nullptr || open == nullptr || free == nullptr || !UseCom()) return;
  PIDLIST_ABSOLUTE item = create(path.c_str());
  if (item == nullptr) return;
  // With no children given, the item itself is selected in its parent folder.
  open(item, 0, nullptr, 0);
  free(item);
}

// The taskbar button's progress, through ITaskbarList3 (Windows 7 on; the program may show
// none elsewhere).
class TaskbarButton {
 public:
  void Show(HWND window, int done, int total, bool failed) {
    ITaskbarList3* taskbar = List();
    if (taskbar == nullptr) return;
    if (total <= 0) {
      taskbar->SetProgressState(window, TBPF_NOPROGRESS);
      return;
    }
    taskbar->SetProgressState(window, failed ? TBPF_ERROR : TBPF_NORMAL);
    taskbar->SetProgressValue(window, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
  }
  ~TaskbarButton() {
    if (list_ != nullptr) list_->Release();
  }

 private:
  ITaskbarList3* List() {
    if (tried_) return list_;
    tried_ = true;
    using Create = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    static const auto create = SystemFunction<Create>(L"ole32.dll", "CoCreateInstance");
    if (create == nullptr || !UseCom()) return nullptr;
    ITaskbarList3* list = nullptr;
    if (SUCCEEDED(create(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                         reinterpret_cast<void**>(&list))) &&
        SUCCEEDED(list->HrInit())) {
      list_ = list;
    } else if (list != nullptr) {
      list->Release();
    }
    return list_;
  }

  ITaskbarList3* list_ = nullptr;
  bool tried_ = false;
};

// A string of the string table with "%s" replaced.
std::wstring Format(UINT id, std::wstring_view argument) {
  std::wstring text = LoadStr(id);
  const std::size_t at = text.find(L"%s");
  if (at == std::wstring::npos) return text + std::wstring(argument);
  return text.replace(at, 2, argument);
}

// Why an archiver's exit code means failure: its number and what the archivers document it to
// mean (WinRAR's table; the 7-Zip console uses the same numbers for the codes it has), or the
// crash it stands for.
std::wstring ReasonOfExit(DWORD code) {
  if (code >= 0xC0000000u) return Format(IDS_CRASHED, HexText(code));
  std::wstring text = Format(IDS_EXIT_CODE, DecimalText(code));
  if ((code >= 1 && code <= 12) || code == 255) {
    text += L": " + LoadStr(code == 255 ? IDS_EXIT_255 : IDS_EXIT_MEANING_BASE + code);
  }
  return text;
}

}  // namespace

std::wstring ErrorText(const Error& error) {
  switch (error.GetKind()) {
    case Error::Kind::Platform:
      return error.Subject() + L": " + SystemMessage(error.Code());
    case Error::Kind::CannotWrite:
      return Format(IDS_CANNOT_WRITE, error.Subject());
    case Error::Kind::ListIndex:
      return LoadStr(IDS_LIST_INDEX_ERROR);
    case Error::Kind::ListInsert:
      return LoadStr(IDS_LIST_INSERT_ERROR);
    case Error::Kind::Message:
      break;
  }
  return error.Subject();
}

TKSTV_MAIN::TKSTV_MAIN(TKSTV_ABOUT& about)
    : TForm(layouts::kMain, Showing::Modeless),
      Panel(*this, layouts::kMain.Control(IDC_PANEL)),
      E_Ext(*this, layouts::kMain.Control(IDC_EXT)),
      B_About(*this, layouts::kMain.Control(IDC_ABOUT)),
      CB_Profile(*this, layouts::kMain.Control(IDC_PROFILE)),
      LIST(*this, layouts::kMain.Control(IDC_LIST)),
      about_(about) {
  ShowInFolder = &ShowInExplorer;
  TaskbarProgress = [this, button = std::make_shared<TaskbarButton>()](int done, int total,
                                                                        bool failed) {
    button->Show(Handle(), done, total, failed);
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
  // The window takes drops from the start: its layout gives it WS_EX_ACCEPTFILES.
  AllowDropsFromLowerIntegrity(Handle());
  SetCaption(Application.Title());
}

bool TKSTV_MAIN::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wParam));
      result = 0;
      return true;
    case WM_QUERYENDSESSION:
      // Not while a batch runs: its block reason, registered as it began, tells the user why.
      result = batchRunning_ ? FALSE : TRUE;
      return true;
    case WM_ENDSESSION:
      // The session ends now: the settings are saved, and nothing can be shown any more.
      if (wParam) {
        try {
          SaveSettings();
        } catch (...) {
        }
      }
      result = 0;
      return true;
    case WM_CONTEXTMENU:
      if (reinterpret_cast<HWND>(wParam) != LIST.Handle()) return false;
      ShowListMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return true;
    case WM_COMMAND:
      // Enter on a line of the list opens its place (the dialog manager hands Enter to the
      // form as IDOK).
      if (LOWORD(wParam) == IDOK && GetFocus() == LIST.Handle()) {
        OpenPlaceOf(static_cast<int>(SendMessageW(LIST.Handle(), LB_GETCURSEL, 0, 0)));
        return true;
      }
      return TForm::OnMessage(msg, wParam, lParam, result);
    default:
      if (msg == taskbarButtonCreated_ && taskbarButtonCreated_ != 0) {
        // Explorer made (or made again) the button: it shows the batch from now on.
        if (progressTotal_ > 0) TaskbarProgress(progressDone_, progressTotal_, progressFailed_);
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

const TKSTV_MAIN::TResult* TKSTV_MAIN::ResultOf(int line) const {
  if (line < 0) return nullptr;
  const LRESULT data = SendMessageW(LIST.Handle(), LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
  if (data <= 0 || static_cast<std::size_t>(data) > results_.size()) return nullptr;
  return &results_[static_cast<std::size_t>(data) - 1];
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
  enum : UINT { kCopy = 1, kOpenPlace = 2 };
  const HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  const ScopeExit destroy([menu] { DestroyMenu(menu); });
  const bool hasLines = LIST.Items.Count() > 0;
  AppendMenuW(menu, MF_STRING | (hasLines ? 0 : MF_GRAYED), kCopy, LoadStr(IDS_MENU_COPY).c_str());
  AppendMenuW(menu, MF_STRING | (ResultOf(line) != nullptr ? 0 : MF_GRAYED), kOpenPlace,
              LoadStr(IDS_MENU_OPEN_PLACE).c_str());
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, Handle(), nullptr));
  if (chosen == kCopy) SendMessageW(list, WM_COPY, 0, 0);
  if (chosen == kOpenPlace) OpenPlaceOf(line);
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
  KeepOnScreen();
  E_Ext.SetText(settings.fileExt);
  WinRARPath = settings.winRARPath;
  CB_Profile.Clear();
  for (const std::wstring& profile : settings.profiles) CB_Profile.Add(profile);
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
  return settings;
}

void TKSTV_MAIN::KeepOnScreen() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  POINT client{0, 0};
  ClientToScreen(Handle(), &client);
  std::vector<Box> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  MONITORINFO nearest{sizeof(nearest)};
  if (!GetMonitorInfoW(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &nearest)) return;
  const Box saved{window.left, window.top, window.right, window.bottom};
  const Box placed = PlaceOnScreen(
      saved, client.y - window.top, areas,
      Box{nearest.rcWork.left, nearest.rcWork.top, nearest.rcWork.right, nearest.rcWork.bottom});
  if (placed == saved) return;
  SetWindowPos(Handle(), nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
               SWP_NOZORDER | SWP_NOACTIVATE);
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
    // Cancelled: the settings are saved where they can be, and the end is queued whatever
    // happens to the save; the load still finishes, and the window is still shown and
    // activated.
    try {
      FormClose();
    } catch (...) {
    }
    TForm::CloseRequested();
  }
  CB_Profile.SetItemIndex(0);
}

void TKSTV_MAIN::SaveSettings() { SettingsFile.Save(CurrentSettings()); }

void TKSTV_MAIN::FormShow() { LoadSettings(); }

void TKSTV_MAIN::FormClose() { SaveSettings(); }

void TKSTV_MAIN::CloseRequested() {
  if (batchRunning_) {
    if (askingToStop_ || closeAfterBatch_) return;
    askingToStop_ = true;
    const ScopeExit asked([this] { askingToStop_ = false; });
    const std::wstring text = LoadStr(IDS_STOP_BATCH);
    if (MessageBoxW(Handle(), text.c_str(), Application.Title().c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) {
      return;
    }
    // The running archiver is left to finish: a half-written archive is worse than a late
    // close. The batch ends after it and closes the window.
    closeAfterBatch_ = true;
    batchQueue_.clear();
    batchNext_ = 0;
    return;
  }
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
    return MessageBoxW(Handle(), text.c_str(), Application.Title().c_str(),
                       MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2) == IDYES;
  }
}

// Batches

void TKSTV_MAIN::FormActivate() {
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (words.size() <= 1) return;
  words.erase(words.begin());
  RunBatch(std::move(words));
}

void TKSTV_MAIN::WMDropFiles(HDROP drop) {
  // Nothing of the drop outlives this handler.
  RunBatch(TakeDroppedPaths(drop));
}

void TKSTV_MAIN::RunBatch(std::vector<std::wstring> items) {
  if (closeAfterBatch_) return;  // stopping: nothing new starts
  if (batchRunning_) {
    // A drop delivered while a batch pumps its messages joins that batch, behind its items.
    for (std::wstring& item : items) batchQueue_.push_back(std::move(item));
    return;
  }
  if (CB_Profile.SelectedText().empty()) {
    const std::wstring text = LoadStr(IDS_EMPTY_PROFILE);
    const std::wstring caption = LoadStr(IDS_EMPTY_PROFILE_CAPTION);
    MessageBoxW(Handle(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return;
  }
  LIST.Items.Clear();
  results_.clear();
  consoleCheckedFor_.clear();  // looked at again once per batch

  batchQueue_ = std::move(items);
  batchNext_ = 0;
  batchRunning_ = true;
  // Registered as the batch begins, as Windows asks of work that must not be cut: a log-off
  // meanwhile waits and shows why.
  ShutdownBlockReasonCreate(Handle(), LoadStr(IDS_BUSY_REASON).c_str());
  BeginBusy();
  {
    const ScopeExit endBatch([this] {
      batchRunning_ = false;
      batchQueue_.clear();
      batchNext_ = 0;
      ShutdownBlockReasonDestroy(Handle());
      EndBusy();
      progressDone_ = progressTotal_ = 0;
      progressFailed_ = false;
      TaskbarProgress(0, 0, false);
    });

    while (batchNext_ < batchQueue_.size()) {
      // The taskbar button: items done of those queued so far.
      progressTotal_ = progressDone_ + static_cast<int>(batchQueue_.size() - batchNext_);
      TaskbarProgress(progressDone_, progressTotal_, progressFailed_);
      // Taken out first: a drop handled below may grow the queue.
      const std::wstring item = std::move(batchQueue_[batchNext_++]);
      Application.ProcessMessages();
      if (GetItemKind(item) == ikFolder) {
        ArchiveFolder(item);
        if (!results_.empty() && !results_.back().reason.empty()) progressFailed_ = true;
      }
      ++progressDone_;
    }
  }
  if (closeAfterBatch_) {
    closeAfterBatch_ = false;
    CloseRequested();
  }
}

void TKSTV_MAIN::BeginBusy() {
  if (busyDepth_++ > 0) return;
  // Where the focus is now, to give it back: disabling a control takes it away on Windows.
  HWND focus = GetFocus();
  focusBeforeBusy_ = focus != nullptr && IsChild(Handle(), focus) ? focus : nullptr;
  EnableJobControls(false);
}

void TKSTV_MAIN::EnableJobControls(bool enable) {
  E_Ext.SetEnabled(enable);
  CB_Profile.SetEnabled(enable);
  B_About.SetEnabled(enable);
}

void TKSTV_MAIN::EndBusy() {
  if (--busyDepth_ > 0) return;
  EnableJobControls(true);
  // Back where it was, through the dialog manager (so that a button becomes the default one
  // again); only while the window is the active one, which it then stays.
  HWND focus = focusBeforeBusy_;
  focusBeforeBusy_ = nullptr;
  if (focus != nullptr && IsWindow(focus) && GetActiveWindow() == Handle() &&
      GetFocus() != focus) {
    SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
  }
}

// The archive job

void TKSTV_MAIN::ArchiveFolder(std::wstring_view given) {
  // "D:\Photos\" is archived as "D:\Photos"; a root keeps its separator.
  const std::wstring folder(WithoutTrailingSeparators(given));
  const std::wstring source = folder + L"\\";
  const std::wstring archive = folder + E_Ext.Text();
  const std::wstring name = FolderName(folder);
  SetCaption(LoadStr(IDS_CAPTION_BUSY) + name);
  BeginBusy();
  {
    const ScopeExit idle([this] { EndBusy(); });
    std::wstring reason =
        RunArchiver(ArchiverCommandLine(WinRARPath, CB_Profile.SelectedText(), archive, source));
    const int line = LIST.Items.Add(LoadStr(reason.empty() ? IDS_RESULT_OK : IDS_RESULT_NG) + name);
    results_.push_back(TResult{folder, archive, std::move(reason)});
    SendMessageW(LIST.Handle(), LB_SETITEMDATA, static_cast<WPARAM>(line),
                 static_cast<LPARAM>(results_.size()));
  }
  SetCaption(LoadStr(IDS_CAPTION_DONE));
}

std::wstring TKSTV_MAIN::RunArchiver(std::wstring commandLine) {
  if (!CommandLineFits(commandLine)) return LoadStr(IDS_TOO_LONG);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // A console archiver (the 7-Zip console, a console RAR) gets no console window of its own:
  // one per folder would flash up and take the foreground. WinRAR starts as it always did.
  if (consoleCheckedFor_ != WinRARPath || consoleCheckedFor_.empty()) {
    consoleArchiver_ = IsConsoleProgram(WinRARPath);
    consoleCheckedFor_ = WinRARPath;
  }
  const DWORD flags = NORMAL_PRIORITY_CLASS | (consoleArchiver_ ? CREATE_NO_WINDOW : 0);
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                      nullptr, &startup, &info)) {
    return LoadStr(IDS_CANNOT_START) + SystemMessage(GetLastError());
  }
  CloseHandle(info.hThread);
  const UniqueHandle process(info.hProcess);
  // Messages are handled as they arrive; the wait ends with the process.
  DWORD exitCode = 0;
  if (!Application.WaitPumping(process.Get()) || !GetExitCodeProcess(process.Get(), &exitCode)) {
    return SystemMessage(GetLastError());
  }
  return exitCode == 0 ? std::wstring() : ReasonOfExit(exitCode);
}

}  // namespace kestrova

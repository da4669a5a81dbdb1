#include "app/Main.h"

#include <utility>

#include "app/About.h"
#include "app/ItemKind.h"
#include "app/JobText.h"
#include "resources/Layouts.h"
#include "toolkit/Application.h"
#include "toolkit/Handles.h"
#include "toolkit/IniFile.h"

namespace kestrova {

std::wstring WinRARPath;
TKSTV_MAIN* KSTV_MAIN = nullptr;

namespace {

constexpr const wchar_t* kSection = L"Main";

struct ProfileKey {
  const wchar_t* key;
  const wchar_t* defaultValue;
};

// The five profiles, in the order of the selector's items.
constexpr ProfileKey kProfileKeys[] = {
    {L"WinRARCommandLine", L"a -r -ep1 -m0 -rr3p"},
    {L"WinRARCommandLine2", L"a -r -ep1 -m5 -rr3p"},
    {L"WinRARCommandLine3", L""},
    {L"WinRARCommandLine4", L""},
    {L"WinRARCommandLine5", L""},
};

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

// Re-enables the window when a job ends, however it ends.
class EnableOnExit {
 public:
  explicit EnableOnExit(TForm& form) : form_(form) {}
  EnableOnExit(const EnableOnExit&) = delete;
  EnableOnExit& operator=(const EnableOnExit&) = delete;
  ~EnableOnExit() { form_.SetEnabled(true); }

 private:
  TForm& form_;
};

}  // namespace

TKSTV_MAIN::TKSTV_MAIN()
    : TForm(layouts::kMain),
      Panel(*this, layouts::kMain.Control(IDC_PANEL)),
      E_Ext(*this, layouts::kMain.Control(IDC_EXT)),
      B_About(*this, layouts::kMain.Control(IDC_ABOUT)),
      CB_Profile(*this, layouts::kMain.Control(IDC_PROFILE)),
      LIST(*this, layouts::kMain.Control(IDC_LIST)) {
  OpenDialog.Title = LoadStr(IDS_LOCATE_TITLE);
  OpenDialog.FilterName = LoadStr(IDS_LOCATE_FILTER_NAME);
  OpenDialog.FilterPattern = LoadStr(IDS_LOCATE_FILTER_PATTERN);
  OpenDialog.DefaultExt = LoadStr(IDS_LOCATE_DEFAULT_EXT);
  CreateForm();
  SetCaption(Application.Title());
  DragAcceptFiles(Handle(), TRUE);
}

void TKSTV_MAIN::Dispatch(TMessage& message) {
  if (message.Msg == WM_DROPFILES) {
    WMDropFiles(message);
    return;
  }
  TForm::Dispatch(message);
}

void TKSTV_MAIN::ControlCommand(int id, int code) {
  if (id == IDC_ABOUT && code == BN_CLICKED) B_AboutClick();
}

void TKSTV_MAIN::DpiChanged() {
  // The list draws in the new font now: its widest line is measured again.
  LIST.Remeasure();
}

void TKSTV_MAIN::B_AboutClick() {
  RECT main = Bounds();
  SetWindowPos(KSTV_ABOUT->Handle(), nullptr, main.left, main.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  KSTV_ABOUT->ShowModal();
}

// Settings

std::wstring TKSTV_MAIN::SettingsPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L"Kestrova.ini";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Up to and including the last separator.
  path.resize(path.size() - FolderName(path).size());
  return path + L"Kestrova.ini";
}

void TKSTV_MAIN::LoadSettings() {
  {
    TIniFile ini(SettingsPath());
    SetLeft(ini.ReadInteger(kSection, L"MainX", 300));
    SetTop(ini.ReadInteger(kSection, L"MainY", 300));
    // The default size is for 96 DPI; a size from the file is taken as it stands.
    SetWidth(ini.ReadInteger(kSection, L"MainW", Scale(288)));
    SetHeight(ini.ReadInteger(kSection, L"MainH", Scale(300)));
    E_Ext.SetText(ini.ReadString(kSection, L"FileExt", L".rar"));
    WinRARPath = ini.ReadString(kSection, L"WinRARPath", L"");
    for (const ProfileKey& profile : kProfileKeys) {
      CB_Profile.Add(ini.ReadString(kSection, profile.key, profile.defaultValue));
    }
  }

  if (WinRARPath.empty()) {
    std::wstring programFiles(MAX_PATH, L'\0');
    const DWORD length = GetEnvironmentVariableW(L"ProgramFiles", programFiles.data(), MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      programFiles.resize(length);
      std::wstring usual = programFiles + L"\\WinRAR";
      // The file dialog cannot start in a folder of MAX_PATH - 2 characters or more (Wine's
      // crashes on one): such a folder is not offered.
      if (usual.size() + 2 < MAX_PATH && GetItemKind(usual) == ikFolder) {
        OpenDialog.InitialDir = usual;
      }
    }
    if (OpenDialog.Execute(Handle())) {
      WinRARPath = OpenDialog.FileName;
    } else {
      // Cancelled: close (the save runs) and queue the end; the load still finishes, and the
      // window is still shown and activated.
      try {
        Close();
      } catch (...) {
        Application.HandleException();
      }
    }
  }
  CB_Profile.SetItemIndex(0);
}

void TKSTV_MAIN::SaveSettings() {
  TIniFile ini(SettingsPath());
  RECT bounds = RestoredBounds(Handle());
  ini.WriteInteger(kSection, L"MainX", bounds.left);
  ini.WriteInteger(kSection, L"MainY", bounds.top);
  ini.WriteInteger(kSection, L"MainW", bounds.right - bounds.left);
  ini.WriteInteger(kSection, L"MainH", bounds.bottom - bounds.top);
  ini.WriteString(kSection, L"FileExt", E_Ext.Text());
  ini.WriteString(kSection, L"WinRARPath", WinRARPath);
  for (int i = 0; i < static_cast<int>(std::size(kProfileKeys)); ++i) {
    ini.WriteString(kSection, kProfileKeys[i].key, CB_Profile.Item(i));
  }
}

void TKSTV_MAIN::FormShow() { LoadSettings(); }

void TKSTV_MAIN::FormClose() { SaveSettings(); }

// Batches

void TKSTV_MAIN::FormActivate() {
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (words.size() <= 1) return;
  words.erase(words.begin());
  RunBatch(std::move(words));
}

void TKSTV_MAIN::WMDropFiles(TMessage& message) {
  HDROP drop = reinterpret_cast<HDROP>(message.WParam);
  std::vector<std::wstring> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  paths.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first, so no path is ever cut into another one.
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(got);
    paths.push_back(std::move(path));
  }
  // Nothing of the drop outlives this handler.
  DragFinish(drop);
  message.Result = 0;
  RunBatch(std::move(paths));
}

void TKSTV_MAIN::RunBatch(std::vector<std::wstring> items) {
  if (batchRunning_) {
    // A drop delivered while a batch pumps its messages joins that batch, behind its items.
    batchQueue_.insert(batchQueue_.end(), std::make_move_iterator(items.begin()),
                       std::make_move_iterator(items.end()));
    return;
  }
  if (CB_Profile.SelectedText().empty()) {
    const std::wstring text = LoadStr(IDS_EMPTY_PROFILE);
    const std::wstring caption = LoadStr(IDS_EMPTY_PROFILE_CAPTION);
    MessageBoxW(Handle(), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
    return;
  }
  LIST.Items.Clear();

  batchQueue_.assign(std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()));
  batchRunning_ = true;
  struct EndBatch {
    TKSTV_MAIN& main;
    ~EndBatch() {
      main.batchRunning_ = false;
      main.batchQueue_.clear();
    }
  } endBatch{*this};

  while (!batchQueue_.empty()) {
    std::wstring item = std::move(batchQueue_.front());
    batchQueue_.pop_front();
    Application.ProcessMessages();
    if (GetItemKind(item) == ikFolder) ArchiveFolder(item);
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
  SetEnabled(false);
  {
    EnableOnExit enable(*this);
    const std::wstring commandLine =
        ArchiverCommandLine(WinRARPath, CB_Profile.SelectedText(), archive, source);
    const bool ok = RunArchiver(commandLine);
    LIST.Items.Add(LoadStr(ok ? IDS_RESULT_OK : IDS_RESULT_NG) + name);
  }
  SetCaption(LoadStr(IDS_CAPTION_DONE));
}

bool TKSTV_MAIN::RunArchiver(std::wstring commandLine) {
  if (!CommandLineFits(commandLine)) return false;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS,
                      nullptr, nullptr, &startup, &info)) {
    return false;
  }
  UniqueHandle thread(info.hThread);
  UniqueHandle process(info.hProcess);
  thread.Reset();

  // Messages are handled as they arrive; the process is looked at least every 500 ms.
  DWORD waited;
  do {
    waited = Application.WaitPumping(process.Get(), 500);
  } while (waited == WAIT_TIMEOUT);
  if (waited != WAIT_OBJECT_0) return false;
  DWORD exitCode = 1;
  if (!GetExitCodeProcess(process.Get(), &exitCode)) return false;
  return exitCode == 0;
}

}  // namespace kestrova

#include "app/desktop/SecondStart.h"

#include "app/desktop/MessageFilter.h"
#include "app/desktop/ProgramText.h"
#include "resources/resource.h"
#include "toolkit/Handles.h"
#include "toolkit/Paths.h"

namespace kestrova {

namespace {

// Marks the data as a hand-over ("KSTV"): other programs' WM_COPYDATA is not taken for one.
constexpr ULONG_PTR kHandOverData = 0x4B535456;

// The path of a file as the file system names it once every link, substituted or mapped drive
// and short name is resolved, the same for every path to that file: from the file itself where
// it can be opened, else the long form of the path, else the path itself.
std::wstring FinalPath(const std::wstring& path) {
  const UniqueHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
  std::wstring named(MAX_PATH, L'\0');
  for (int attempt = 0; file && attempt < 2; ++attempt) {
    const DWORD length =
        GetFinalPathNameByHandleW(file.Get(), named.data(), static_cast<DWORD>(named.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) break;
    if (length < named.size()) {
      named.resize(length);
      return named;
    }
    named.resize(length);  // the size it needs, its zero included
  }
  const DWORD length =
      GetLongPathNameW(path.c_str(), named.data(), static_cast<DWORD>(named.size()));
  if (length == 0 || length >= named.size()) return path;
  named.resize(length);
  return named;
}

// The exe file of the process that owns the window (FinalPath); empty when it cannot be asked.
std::wstring ProgramOf(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  // Granted also for a process that runs elevated.
  const UniqueHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return {};
  std::wstring path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(handle.Get(), 0, path.data(), &length)) return {};
  path.resize(length);
  return FinalPath(path);
}

// This program's exe file (FinalPath).
std::wstring OwnProgram() { return FinalPath(ProgramPath()); }

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && a.size() == b.size() &&
         CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

TStartLock::TStartLock() {
  // One name for every path to the file: its final path, in capitals.
  const std::wstring path = OwnProgram();
  if (path.empty()) return;
  const int length = static_cast<int>(path.size());
  std::wstring upper(path.size(), L'\0');
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(), length, upper.data(),
                    length, nullptr, nullptr, 0) != length) {
    return;
  }
  const std::wstring name = StartLockName(upper);
  mutex_.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
  // Made by a start of higher integrity (elevated): this one may still wait for it.
  if (!mutex_ && GetLastError() == ERROR_ACCESS_DENIED) {
    mutex_.Reset(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
  }
  if (!mutex_) return;
  // A start that ended while it held the lock left it abandoned: it is this one's now.
  const DWORD waited = WaitForSingleObject(mutex_.Get(), kStartLockWaitMs);
  held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void TStartLock::Release() {
  if (held_) ReleaseMutex(mutex_.Get());
  held_ = false;
}

bool AtOwnLevel(HWND window) { return RunsElevated(window) == RunsElevated(); }

bool HandOverToRunning(const std::vector<std::wstring>& paths,
                       const std::function<bool(HWND)>& sameLevel) {
  const std::wstring self = OwnProgram();
  const std::wstring text = JoinPaths(paths);
  for (HWND window = FindWindowExW(nullptr, nullptr, L"" KESTROVA_MAIN_CLASS, nullptr);
       window != nullptr;
       window = FindWindowExW(nullptr, window, L"" KESTROVA_MAIN_CLASS, nullptr)) {
    if (!IsWindowVisible(window) || !SamePath(ProgramOf(window), self) || !sameLevel(window)) {
      continue;
    }
    COPYDATASTRUCT data{kHandOverData, static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(text.data())};
    DWORD_PTR taken = FALSE;
    // A window that hangs does not hang this start: it then opens a window of its own.
    if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                             SMTO_ABORTIFHUNG, 10000, &taken) ||
        taken != TRUE) {
      continue;
    }
    // This process was started by the user: it may bring the window to the front.
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    SetForegroundWindow(window);
    return true;
  }
  return false;
}

std::optional<std::vector<std::wstring>> HandedOver(const COPYDATASTRUCT& data) {
  if (data.dwData != kHandOverData || data.lpData == nullptr ||
      data.cbData % sizeof(wchar_t) != 0) {
    return std::nullopt;
  }
  return SplitPaths(std::wstring_view(static_cast<const wchar_t*>(data.lpData),
                                      data.cbData / sizeof(wchar_t)));
}

}  // namespace kestrova

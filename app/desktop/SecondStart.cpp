#include "app/desktop/SecondStart.h"

#include "app/Program.h"
#include "app/batch/Files.h"
#include "app/ProgramText.h"
#include "app/batch/ArchiveRules.h"
#include "resources/resource.h"
#include "toolkit/Handles.h"

namespace kestrova {

namespace {

// Marks the data as a hand-over ("KSTV"): other programs' WM_COPYDATA is not taken for one.
constexpr ULONG_PTR kHandOverData = 0x4B535456;

// The exe path of the process that owns the window; empty when it cannot be asked.
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
  return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && a.size() == b.size() &&
         CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool HandOverToRunning(const std::vector<std::wstring>& paths) {
  const std::wstring self = ProgramPath();
  const std::wstring text = JoinPaths(paths);
  for (HWND window = FindWindowExW(nullptr, nullptr, L"" KESTROVA_MAIN_CLASS, nullptr);
       window != nullptr;
       window = FindWindowExW(nullptr, window, L"" KESTROVA_MAIN_CLASS, nullptr)) {
    if (!IsWindowVisible(window) || !SamePath(ProgramOf(window), self)) continue;
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

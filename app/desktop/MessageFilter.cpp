#include "app/desktop/MessageFilter.h"

#include "toolkit/Handles.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

namespace {

constexpr UINT kCopyGlobalData = 0x0049;  // WM_COPYGLOBALDATA: a drop's data across processes

// Wine gives every process an administrator's elevated token (TokenElevationTypeFull) but has
// no integrity levels: no process is below another there, and there is nothing to refuse.
bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::optional<bool> ProcessRunsElevated(HANDLE process) {
  if (UnderWine()) return false;
  const auto open = sys::Advapi32().OpenProcessToken;
  const auto query = sys::Advapi32().GetTokenInformation;
  if (open == nullptr || query == nullptr) return std::nullopt;
  HANDLE token = nullptr;
  if (!open(process, TOKEN_QUERY, &token)) return std::nullopt;
  const UniqueHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  if (!query(token, TokenElevation, &elevation, sizeof elevation, &size)) return std::nullopt;
  return elevation.TokenIsElevated != 0;
}

}  // namespace

bool RunsElevated() { return ProcessRunsElevated(GetCurrentProcess()).value_or(false); }

std::optional<bool> RunsElevated(HWND window) {
  DWORD id = 0;
  if (GetWindowThreadProcessId(window, &id) == 0) return std::nullopt;
  if (id == GetCurrentProcessId()) return RunsElevated();
  const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) return std::nullopt;
  return ProcessRunsElevated(process.Get());
}

std::vector<UINT> MessagesFromLowerLevels(bool elevated, UINT taskbarButtonCreated) {
  if (!elevated) return {};
  std::vector<UINT> messages{WM_DROPFILES, kCopyGlobalData};
  if (taskbarButtonCreated != 0) messages.push_back(taskbarButtonCreated);
  return messages;
}

void OpenToLowerLevels(HWND window, const std::vector<UINT>& messages) {
  const auto changeFilter = sys::User32().ChangeWindowMessageFilterEx;
  if (changeFilter == nullptr) return;
  for (UINT msg : messages) changeFilter(window, msg, MSGFLT_ALLOW, nullptr);
}

}  // namespace kestrova

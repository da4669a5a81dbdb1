#include "app/desktop/MessageFilter.h"

#include "toolkit/Handles.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

bool RunsElevated() {
  const auto open = sys::Advapi32().OpenProcessToken;
  const auto query = sys::Advapi32().GetTokenInformation;
  if (open == nullptr || query == nullptr) return false;
  HANDLE token = nullptr;
  if (!open(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const UniqueHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return query(token, TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

bool AcceptHandOversFromBelow(HWND window, std::initializer_list<UINT> messages) {
  const auto changeFilter = sys::User32().ChangeWindowMessageFilterEx;
  if (changeFilter == nullptr || !RunsElevated()) return false;
  for (UINT msg : messages) changeFilter(window, msg, MSGFLT_ALLOW, nullptr);
  return true;
}

}  // namespace kestrova

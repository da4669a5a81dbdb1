#include "app/Shell.h"

#include <shlobj.h>

#include "toolkit/System.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

void ShowInExplorer(const std::wstring& path) {
  const auto create = sys::Shell32().ILCreateFromPathW;
  const auto open = sys::Shell32().SHOpenFolderAndSelectItems;
  const auto free = sys::Shell32().ILFree;
  if (create == nullptr || open == nullptr || free == nullptr || !UseCom()) return;
  PIDLIST_ABSOLUTE item = create(path.c_str());
  if (item == nullptr) return;
  // With no children given, the item itself is selected in its parent folder.
  open(item, 0, nullptr, 0);
  free(item);
}

void AllowMessagesFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages) {
  const auto changeFilter = sys::User32().ChangeWindowMessageFilterEx;
  if (changeFilter == nullptr) return;
  for (UINT msg : messages) changeFilter(window, msg, MSGFLT_ALLOW, nullptr);
}

}  // namespace kestrova

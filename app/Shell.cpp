#include "app/Shell.h"

#include <shlobj.h>

#include "toolkit/System.h"

namespace kestrova {

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

void AllowMessagesFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages) {
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  static const auto changeFilter =
      SystemFunction<Filter>(L"user32.dll", "ChangeWindowMessageFilterEx");
  if (changeFilter == nullptr) return;
  for (UINT msg : messages) changeFilter(window, msg, 1 /* MSGFLT_ALLOW */, nullptr);
}

}  // namespace kestrova

#include "app/Shell.h"

#include <shlobj.h>

#include "app/JobText.h"
#include "toolkit/Handles.h"
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

std::wstring KnownFolderPath(REFKNOWNFOLDERID folder, DWORD flags) {
  const auto known = sys::Shell32().SHGetKnownFolderPath;
  const auto free = sys::Ole32().CoTaskMemFree;
  if (known == nullptr || free == nullptr) return {};
  PWSTR path = nullptr;
  std::wstring found;
  if (SUCCEEDED(known(folder, flags, nullptr, &path))) found = path;
  free(path);
  return found;
}

std::wstring SendToShortcut() {
  const std::wstring folder = KnownFolderPath(FOLDERID_SendTo, KF_FLAG_CREATE);
  return folder.empty() ? folder : folder + L"\\Kestrova.lnk";
}

bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
  const auto create = sys::Ole32().CoCreateInstance;
  if (create == nullptr || !UseCom()) return false;
  ComPtr<IShellLinkW> shortcut;
  ComPtr<IPersistFile> file;
  const std::wstring folder = target.substr(0, target.size() - FolderName(target).size());
  return SUCCEEDED(create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                          shortcut.Receive())) &&
         SUCCEEDED(shortcut->SetPath(target.c_str())) &&
         SUCCEEDED(shortcut->SetWorkingDirectory(folder.c_str())) &&
         SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, file.Receive())) &&
         SUCCEEDED(file->Save(link.c_str(), TRUE));
}

void AllowMessagesFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages) {
  const auto changeFilter = sys::User32().ChangeWindowMessageFilterEx;
  if (changeFilter == nullptr) return;
  for (UINT msg : messages) changeFilter(window, msg, MSGFLT_ALLOW, nullptr);
}

}  // namespace kestrova

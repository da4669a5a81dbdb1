#include "app/Shell.h"

#include <shlobj.h>

#include "app/JobText.h"
#include "toolkit/Handles.h"
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

std::wstring SendToShortcut() {
  using KnownFolder = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
  using Free = void(WINAPI*)(LPVOID);
  static const auto known = SystemFunction<KnownFolder>(L"shell32.dll", "SHGetKnownFolderPath");
  static const auto free = SystemFunction<Free>(L"ole32.dll", "CoTaskMemFree");
  if (known == nullptr || free == nullptr) return {};
  PWSTR folder = nullptr;
  std::wstring link;
  if (SUCCEEDED(known(FOLDERID_SendTo, KF_FLAG_CREATE, nullptr, &folder))) {
    link = std::wstring(folder) + L"\\Kestrova.lnk";
  }
  free(folder);
  return link;
}

bool MakeShortcut(const std::wstring& link, const std::wstring& target) {
  using Create = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
  static const auto create = SystemFunction<Create>(L"ole32.dll", "CoCreateInstance");
  if (create == nullptr || !UseCom()) return false;
  IShellLinkW* shortcut = nullptr;
  if (FAILED(create(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                    reinterpret_cast<void**>(&shortcut)))) {
    return false;
  }
  const ScopeExit releaseShortcut([shortcut] { shortcut->Release(); });
  const std::wstring folder = target.substr(0, target.size() - FolderName(target).size());
  IPersistFile* file = nullptr;
  if (FAILED(shortcut->SetPath(target.c_str())) ||
      FAILED(shortcut->SetWorkingDirectory(folder.c_str())) ||
      FAILED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    return false;
  }
  const ScopeExit releaseFile([file] { file->Release(); });
  return SUCCEEDED(file->Save(link.c_str(), TRUE));
}

void AllowMessagesFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages) {
  using Filter = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  static const auto changeFilter =
      SystemFunction<Filter>(L"user32.dll", "ChangeWindowMessageFilterEx");
  if (changeFilter == nullptr) return;
  for (UINT msg : messages) changeFilter(window, msg, 1 /* MSGFLT_ALLOW */, nullptr);
}

}  // namespace kestrova

#include "app/desktop/Explorer.h"

#include <shlobj.h>

#include "toolkit/PathRules.h"
#include "toolkit/Paths.h"
#include "toolkit/Handles.h"
#include "toolkit/System.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

bool InTemporaryFolder(const std::wstring& path) {
  // Both in their long forms: the temporary folder often comes in its short one
  // ("C:\Users\ABCDEF~1\AppData\Local\Temp\").
  auto longForm = [](const std::wstring& given) {
    std::wstring form(given.size() + MAX_PATH, L'\0');
    const DWORD length = GetLongPathNameW(given.c_str(), form.data(), static_cast<DWORD>(form.size()));
    if (length == 0 || length >= form.size()) return given;
    form.resize(length);
    return form;
  };
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return false;
  std::wstring folder = longForm(std::wstring(temp, length));
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  const std::wstring full = longForm(path);
  return full.size() > folder.size() &&
         CompareStringOrdinal(full.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                              static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

void ShowInExplorer(const std::wstring& path) {
  const auto create = sys::Shell32().ILCreateFromPathW;
  const auto open = sys::Shell32().SHOpenFolderAndSelectItems;
  const auto free = sys::Shell32().ILFree;
  if (create == nullptr || open == nullptr || free == nullptr || !UseCom()) return;
  // The shell takes a path of fewer than MAX_PATH characters: a longer one is given in its short
  // form, or else the nearest folder above it that can be given is shown.
  std::wstring place = path;
  while (place.size() >= MAX_PATH) {
    if (const std::wstring shorter = ShortPath(place); shorter.size() < MAX_PATH) {
      place = shorter;
      break;
    }
    const std::wstring_view folder = WithoutTrailingSeparators(place);
    const std::wstring_view above =
        WithoutTrailingSeparators(folder.substr(0, folder.size() - FolderName(folder).size()));
    if (above.size() >= folder.size()) return;
    place = std::wstring(above);
  }
  PIDLIST_ABSOLUTE item = create(place.c_str());
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

std::wstring SendToShortcut(bool makeFolder) {
  // Without the folder, only its path: nothing is made by looking.
  const std::wstring folder = KnownFolderPath(FOLDERID_SendTo, makeFolder ? KF_FLAG_CREATE : KF_FLAG_DONT_VERIFY);
  return folder.empty() ? folder : folder + L"\\Kestrova.lnk";
}

TSendTo SendToState() {
  if (InTemporaryFolder(ProgramPath())) return TSendTo::NotOffered;
  const std::wstring shortcut = SendToShortcut(false);
  if (shortcut.empty()) return TSendTo::NotOffered;
  return IsFile(shortcut) ? TSendTo::Present : TSendTo::Absent;
}

std::wstring ArchiverFolderToOffer(const std::wstring& archiver) {
  // The file dialog cannot start in a folder of MAX_PATH - 2 characters or more (Wine's
  // crashes on one): such a folder is not offered.
  const auto usable = [](const std::wstring& folder) {
    return !folder.empty() && folder.size() + 2 < MAX_PATH && IsFolder(folder);
  };
  const std::wstring current(WithoutTrailingSeparators(
      std::wstring_view(archiver).substr(0, archiver.size() - FolderName(archiver).size())));
  if (usable(current)) return current;
  // WinRAR installs under the Program Files of its own bitness.
  for (REFKNOWNFOLDERID programFiles : {FOLDERID_ProgramFiles, FOLDERID_ProgramFilesX86}) {
    const std::wstring folder = KnownFolderPath(programFiles);
    if (!folder.empty() && usable(folder + L"\\WinRAR")) return folder + L"\\WinRAR";
  }
  return {};
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

}  // namespace kestrova

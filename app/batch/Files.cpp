#include "app/batch/Files.h"

#include <algorithm>

#include "app/batch/ArchiveRules.h"
#include "toolkit/PathRules.h"
#include "toolkit/Paths.h"
#include "toolkit/Handles.h"
#include "toolkit/SystemCalls.h"
#include "toolkit/Win.h"

namespace kestrova {

TItemKind GetItemKind(const std::wstring& path) {
  const std::wstring at = ServicePath(path);
  const DWORD attributes = GetFileAttributesW(at.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return ikFolder;
  }
  UniqueHandle file(CreateFileW(at.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ikUnreadable;
  // Zeroed, so a file shorter than two bytes compares as neither signature.
  unsigned char signature[2] = {};
  DWORD got = 0;
  ReadFile(file.Get(), signature, sizeof signature, &got, nullptr);
  if (signature[0] == 'P' && signature[1] == 'K') return ikZip;
  if (signature[0] == '7' && signature[1] == 'z') return ik7z;
  return ikOther;
}

std::vector<std::wstring> ChildFolders(const std::wstring& folder) {
  // "C:\" keeps its separator; any other folder gets one.
  std::wstring parent(WithoutTrailingSeparators(folder));
  if (parent.empty() || parent.back() != L'\\') parent += L'\\';
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry{};
  const HANDLE find = FindFirstFileExW(ServicePath(parent + L"*").c_str(), FindExInfoBasic,
                                       &entry, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    // The reparse tag, where there is one, is in dwReserved0.
    if (IsChildFolder(entry.cFileName, entry.dwFileAttributes, entry.dwReserved0)) {
      names.push_back(entry.cFileName);
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  // Explorer's order: numbers in names by their value.
  const auto logical = sys::Shlwapi().StrCmpLogicalW;
  std::sort(names.begin(), names.end(), [logical](const std::wstring& a, const std::wstring& b) {
    return logical != nullptr ? logical(a.c_str(), b.c_str()) < 0 : a < b;
  });
  for (std::wstring& name : names) name = parent + name;
  return names;
}

}  // namespace kestrova

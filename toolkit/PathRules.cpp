// Window-free rules of Windows paths.
#include "toolkit/PathRules.h"

namespace kestrova {

namespace {

bool IsPathSeparator(wchar_t c) { return c == L'\\' || c == L':'; }

// Whether path is the root of a share: "\\server\share", nothing after the share's name.
bool IsShareRoot(std::wstring_view path) {
  if (!path.starts_with(L"\\\\")) return false;
  std::wstring_view rest = path.substr(2);
  if (rest.starts_with(L"?\\UNC\\")) {
    rest.remove_prefix(6);
  } else if (rest.starts_with(L"?\\") || rest.starts_with(L".\\")) {
    return false;
  }
  const std::size_t server = rest.find(L'\\');
  if (server == 0 || server == std::wstring_view::npos) return false;
  const std::wstring_view share = rest.substr(server + 1);
  return !share.empty() && share.find(L'\\') == std::wstring_view::npos;
}

}  // namespace

std::wstring_view WithoutTrailingSeparators(std::wstring_view path) {
  while (path.size() > 1 && path.back() == L'\\') {
    const std::wstring_view shorter = path.substr(0, path.size() - 1);
    if (shorter.back() == L':' || IsShareRoot(shorter)) break;
    path = shorter;
  }
  return path;
}

std::wstring FolderName(std::wstring_view path) {
  std::size_t nameStart = 0;
  for (std::size_t pos = 0; pos < path.size(); ++pos) {
    if (IsPathSeparator(path[pos])) nameStart = pos + 1;
  }
  return std::wstring(path.substr(nameStart));
}

std::wstring ExtendedLengthPath(std::wstring_view fullPath) {
  if (fullPath.starts_with(L"\\\\?\\") || fullPath.starts_with(L"\\\\.\\")) {
    return std::wstring(fullPath);
  }
  if (fullPath.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + std::wstring(fullPath.substr(2));
  if (fullPath.size() >= 3 && fullPath[1] == L':' && fullPath[2] == L'\\') {
    return L"\\\\?\\" + std::wstring(fullPath);
  }
  return std::wstring(fullPath);
}

}  // namespace kestrova

// Paths as the file services take them.
#include "toolkit/Paths.h"

#include "toolkit/PathRules.h"
#include "toolkit/Win.h"

namespace kestrova {

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0) return path;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
  }
}

std::wstring ServicePath(const std::wstring& path) {
  const std::wstring full = FullPath(path);
  return full.size() < MAX_PATH ? path : ExtendedLengthPath(full);
}

namespace {

// The path through one of the name-form functions (GetLongPathNameW, GetShortPathNameW), in
// the form it came in: a "\\?\" taken for the call is taken off again.
std::wstring OtherForm(const std::wstring& path, DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD)) {
  if (path.empty()) return path;
  const std::wstring given = ServicePath(path);
  std::wstring form(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = convert(given.c_str(), form.data(), static_cast<DWORD>(form.size()));
    if (length == 0) return path;
    if (length < form.size()) {
      form.resize(length);
      if (given == path) return form;
      if (form.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + form.substr(8);
      return form.starts_with(L"\\\\?\\") ? form.substr(4) : form;
    }
    form.resize(length);  // the size it needs, its zero included
  }
  return path;
}

}  // namespace

std::wstring LongPath(const std::wstring& path) { return OtherForm(path, &GetLongPathNameW); }

std::wstring ShortPath(const std::wstring& path) { return OtherForm(path, &GetShortPathNameW); }

bool IsFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(ServicePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(ServicePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(ServicePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::uint64_t> FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(ServicePath(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return std::nullopt;
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace kestrova

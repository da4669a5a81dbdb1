#include "toolkit/System.h"

#include <algorithm>

#include "toolkit/SystemCalls.h"

namespace kestrova {

namespace {

// A full path as the file services take it at any length: "\\?\" before a drive path,
// "\\?\UNC\" for a share's; other paths (relative, already in that form) as they are.
std::wstring ExtendedForm(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\")) return path;
  if (path.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;
}

// The inverse of ExtendedForm, for a path it made.
std::wstring PlainForm(const std::wstring& path) {
  if (path.starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (path.starts_with(L"\\\\?\\")) return path.substr(4);
  return path;
}

// The path through one of the name-form functions (GetLongPathNameW, GetShortPathNameW), in
// the form the path came in.
std::wstring OtherForm(const std::wstring& path, DWORD(WINAPI* convert)(LPCWSTR, LPWSTR, DWORD)) {
  if (path.empty()) return path;
  const std::wstring given = path.size() >= MAX_PATH ? ExtendedForm(path) : path;
  const bool extended = given.size() != path.size();
  std::wstring form(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = convert(given.c_str(), form.data(), static_cast<DWORD>(form.size()));
    if (length == 0) return path;
    if (length < form.size()) {
      form.resize(length);
      return extended ? PlainForm(form) : form;
    }
    form.resize(length);  // the size it needs, its zero included
  }
  return path;
}

}  // namespace

std::wstring LongPath(const std::wstring& path) { return OtherForm(path, &GetLongPathNameW); }

std::wstring ShortPath(const std::wstring& path) { return OtherForm(path, &GetShortPathNameW); }

std::vector<std::wstring> TakeDroppedPaths(HDROP drop) {
  const auto queryFile = sys::Shell32().DragQueryFileW;
  const auto finish = sys::Shell32().DragFinish;
  std::vector<std::wstring> paths;
  if (queryFile == nullptr || finish == nullptr) return paths;
  const UINT count = queryFile(drop, 0xFFFFFFFF, nullptr, 0);
  paths.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first, so no path is ever cut into another one.
    const UINT length = queryFile(drop, i, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    path.resize(queryFile(drop, i, path.data(), length + 1));
    // Another program's drop may name a place by its short 8.3 names: an archive is named
    // after the folder's own name.
    paths.push_back(LongPath(path));
  }
  finish(drop);
  return paths;
}

bool SetClipboardText(HWND owner, std::wstring_view text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  auto* copy = static_cast<wchar_t*>(GlobalLock(memory));
  std::copy(text.begin(), text.end(), copy);
  copy[text.size()] = L'\0';
  GlobalUnlock(memory);
  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // The clipboard owns the memory once it has taken it.
  const bool taken = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  if (!taken) GlobalFree(memory);
  return taken;
}

bool UseCom() {
  static const bool ready = [] {
    const auto initialize = sys::Ole32().CoInitializeEx;
    // Kept for the life of the thread: the shell may call back into it at any time.
    return initialize != nullptr &&
           SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }();
  return ready;
}

}  // namespace kestrova

#include "toolkit/System.h"

#include <algorithm>

#include <objbase.h>
#include <shellapi.h>

namespace kestrova {

HMODULE SystemModule(const wchar_t* dll) {
  if (HMODULE loaded = GetModuleHandleW(dll)) return loaded;
  wchar_t path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 2 + lstrlenW(dll) >= MAX_PATH) return nullptr;
  lstrcatW(path, L"\\");
  lstrcatW(path, dll);
  return LoadLibraryW(path);
}

std::vector<std::wstring> TakeDroppedPaths(HDROP drop) {
  static const auto queryFile =
      SystemFunction<decltype(&DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
  static const auto finish = SystemFunction<decltype(&DragFinish)>(L"shell32.dll", "DragFinish");
  std::vector<std::wstring> paths;
  if (queryFile == nullptr || finish == nullptr) return paths;
  const UINT count = queryFile(drop, 0xFFFFFFFF, nullptr, 0);
  paths.reserve(count);
  for (UINT i = 0; i < count; ++i) {
    // Asked for its length first, so no path is ever cut into another one.
    const UINT length = queryFile(drop, i, nullptr, 0);
    std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
    path.resize(queryFile(drop, i, path.data(), length + 1));
    paths.push_back(std::move(path));
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
  using CoInitializeExFunction = HRESULT(WINAPI*)(LPVOID, DWORD);
  static const bool ready = [] {
    static const auto initialize =
        SystemFunction<CoInitializeExFunction>(L"ole32.dll", "CoInitializeEx");
    // Kept for the life of the thread: the shell may call back into it at any time.
    return initialize != nullptr &&
           SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  }();
  return ready;
}

}  // namespace kestrova

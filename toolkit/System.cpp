#include "toolkit/System.h"

#include <algorithm>

#include "toolkit/Paths.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

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

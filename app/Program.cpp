// The running program: its path and its arguments.
#include "app/Program.h"

#include "app/ProgramText.h"
#include "app/batch/Files.h"
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

std::vector<std::wstring> ProgramArguments() {
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (!words.empty()) words.erase(words.begin());
  for (std::wstring& word : words) word = FullPath(word);
  return words;
}

}  // namespace kestrova

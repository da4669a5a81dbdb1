// The running program: its path and its arguments.
#include "app/Program.h"

#include "app/desktop/ProgramText.h"
#include "toolkit/Paths.h"
#include "toolkit/Win.h"

namespace kestrova {

std::vector<std::wstring> ProgramArguments() {
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (!words.empty()) words.erase(words.begin());
  for (std::wstring& word : words) word = FullPath(word);
  return words;
}

}  // namespace kestrova

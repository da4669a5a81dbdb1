// The running program: its path and its arguments.
#include "app/Program.h"

#include "app/desktop/ProgramText.h"
#include "toolkit/Paths.h"
#include "toolkit/Win.h"

namespace kestrova {

std::vector<std::wstring> ProgramArguments() {
  std::vector<std::wstring> words = SplitCommandLine(GetCommandLineW());
  if (!words.empty()) words.erase(words.begin());
  // Full, and in the long form: a program that starts this one may name a folder by its short
  // 8.3 names, and an archive is named after the folder's own name.
  for (std::wstring& word : words) word = LongPath(FullPath(word));
  return words;
}

}  // namespace kestrova

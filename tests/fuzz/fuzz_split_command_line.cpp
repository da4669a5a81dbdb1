// SplitCommandLine: words are never empty and never hold a quote, they come only from the
// line's own characters, and words quoted and joined again split back to the same words.
// SplitPaths (what a second start hands over, from another process): only a text that joins
// back exactly is taken, as non-empty paths without a zero; the command line's words, which are
// never empty, always hand over whole (they hold no zero on a real command line).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "app/desktop/ProgramText.h"
#include "app/batch/ArchiveRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring line = FuzzUnits(data, size);
  std::vector<std::wstring> words = kestrova::SplitCommandLine(line);

  std::size_t total = 0;
  for (const std::wstring& word : words) {
    FUZZ_CHECK(!word.empty());
    FUZZ_CHECK(word.find(L'"') == std::wstring::npos);
    total += word.size();
  }
  FUZZ_CHECK(total <= line.size());

  // Quoting every word and joining with single blanks must give the same words back.
  std::wstring joined;
  for (const std::wstring& word : words) {
    if (!joined.empty()) joined += L' ';
    joined += L'"';
    joined += word;
    joined += L'"';
  }
  FUZZ_CHECK(kestrova::SplitCommandLine(joined) == words);

  // Words without blanks or quotes need no quoting at all.
  bool plain = !words.empty();
  std::wstring bare;
  for (const std::wstring& word : words) {
    for (wchar_t c : word) plain = plain && c > L' ';
    if (!bare.empty()) bare += L'\t';
    bare += word;
  }
  if (plain) FUZZ_CHECK(kestrova::SplitCommandLine(bare) == words);

  if (const auto paths = kestrova::SplitPaths(line)) {
    FUZZ_CHECK(kestrova::JoinPaths(*paths) == line);
    for (const std::wstring& path : *paths) {
      FUZZ_CHECK(!path.empty() && path.find(L'\0') == std::wstring::npos);
    }
  }
  // A real command line holds no zero (a quoted one here may).
  bool zeroFree = !words.empty();
  for (const std::wstring& word : words) zeroFree = zeroFree && word.find(L'\0') == std::wstring::npos;
  if (zeroFree) FUZZ_CHECK(kestrova::SplitPaths(kestrova::JoinPaths(words)) == words);
  return 0;
}

// SplitCommandLine: words are never empty and never hold a quote, they come only from the
// line's own characters, and words quoted and joined again split back to the same words.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "app/JobText.h"

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
  return 0;
}

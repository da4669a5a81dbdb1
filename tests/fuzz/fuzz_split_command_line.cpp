// SplitCommandLine: words are never empty and never hold a quote, they come only from the
// line's own bytes, and words quoted and joined again split back to the same words.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/JobText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words = kestrova::SplitCommandLine(line);

  std::size_t total = 0;
  for (const std::string& word : words) {
    FUZZ_CHECK(!word.empty());
    FUZZ_CHECK(word.find('"') == std::string::npos);
    total += word.size();
  }
  FUZZ_CHECK(total <= line.size());

  // Quoting every word and joining with single blanks must give the same words back.
  std::string joined;
  for (const std::string& word : words) {
    if (!joined.empty()) joined += ' ';
    joined += '"';
    joined += word;
    joined += '"';
  }
  FUZZ_CHECK(kestrova::SplitCommandLine(joined) == words);

  // The same for the arguments behind a plain program name.
  std::string rejoined = "prog";
  std::vector<std::string> expected{"prog"};
  for (std::size_t i = 1; i < words.size(); ++i) {
    rejoined += " \"" + words[i] + "\"";
    expected.push_back(words[i]);
  }
  FUZZ_CHECK(kestrova::SplitCommandLine(rejoined) == expected);

  // Words without blanks or quotes need no quoting at all.
  bool plain = !words.empty();
  std::string bare;
  for (const std::string& word : words) {
    for (char c : word) plain = plain && static_cast<unsigned char>(c) > ' ';
    if (!bare.empty()) bare += '\t';
    bare += word;
  }
  if (plain) FUZZ_CHECK(kestrova::SplitCommandLine(bare) == words);
  return 0;
}

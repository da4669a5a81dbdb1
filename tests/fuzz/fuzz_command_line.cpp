// ArchiverCommandLine, CommandLineFits, DeletesSources and the test's command line with the
// refusal that goes with them, from four parts cut out of the input at zero units. A first byte
// from 0xF8 up repeats the folder part 64 to 512 times, so that lines around the 32767-unit
// limit are reached too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/desktop/ProgramText.h"
#include "app/batch/AfterArchiveRules.h"
#include "app/batch/ArchiveRules.h"

namespace {

bool IsPlainWord(std::wstring_view text) {
  if (text.empty()) return false;
  for (wchar_t c : text) {
    if (c == L'"' || c <= L' ') return false;
  }
  return true;
}

bool HasNoQuote(std::wstring_view text) { return text.find(L'"') == std::wstring_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t repeat = data[0] >= 0xF8 ? (data[0] - 0xF7u) * 64 : 1;
  const std::wstring input = FuzzUnits(data + 1, size - 1);
  std::wstring_view rest = input;

  std::wstring_view parts[4];
  for (int i = 0; i < 3; ++i) {
    std::size_t cut = rest.find(L'\0');
    if (cut == std::wstring_view::npos) {
      parts[i] = rest;
      rest = {};
    } else {
      parts[i] = rest.substr(0, cut);
      rest.remove_prefix(cut + 1);
    }
  }
  parts[3] = rest;
  const std::wstring_view archiver = parts[0], profile = parts[1], archive = parts[2];
  std::wstring folder;
  for (std::size_t i = 0; i < repeat; ++i) folder += parts[3];

  const std::wstring line = kestrova::ArchiverCommandLine(archiver, profile, archive, folder);

  const std::wstring expected = L'"' + std::wstring(archiver) + L"\" " + std::wstring(profile) +
                                L" \"" + std::wstring(archive) + L"\" \"" + folder + L"*\"";
  FUZZ_CHECK(line == expected);
  FUZZ_CHECK(kestrova::CommandLineFits(line) == (line.size() < kestrova::kMaxCommandLineChars));
  // Whatever follows it, a profile that begins by moving or deleting the files does.
  kestrova::DeletesSources(profile);
  FUZZ_CHECK(kestrova::DeletesSources(L"m " + std::wstring(profile)));
  FUZZ_CHECK(kestrova::DeletesSources(L"a -DF " + std::wstring(profile)));

  // A batch that recycles refuses exactly the profiles that delete or move the files.
  FUZZ_CHECK(kestrova::RefusesStart(kestrova::TAfterArchive::Recycle, profile) ==
             kestrova::DeletesSources(profile));
  FUZZ_CHECK(!kestrova::RefusesStart(kestrova::TAfterArchive::Test, profile));

  // The test gets the archive as its last word, and of the profile only the switches of passwords
  // and charset: never the command nor a switch that deletes.
  const std::optional<std::wstring> test = kestrova::TestCommandLine(archiver, profile, archive);
  FUZZ_CHECK(test.has_value() == (!archive.empty() && archive.back() != L'\\' &&
                                  std::none_of(archive.begin(), archive.end(), [](wchar_t c) {
                                    return c == L'"' || c < L' ' || c == 0x7F;
                                  })));
  if (test && test->size() <= 4096 && IsPlainWord(archiver)) {
    const std::vector<std::wstring> words = kestrova::SplitCommandLine(*test);
    FUZZ_CHECK(words.size() >= 3);
    FUZZ_CHECK(words[0] == archiver && words[1] == L"t" && words.back() == archive);
    for (std::size_t i = 2; i + 1 < words.size(); ++i) {
      std::wstring word = words[i];
      FUZZ_CHECK(word.size() >= 2 && (word[0] == L'-' || word[0] == L'/'));
      for (wchar_t& c : word) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
      }
      const std::wstring_view name = std::wstring_view(word).substr(1);
      FUZZ_CHECK(name.starts_with(L"p") || name.starts_with(L"hp") || name.starts_with(L"scc") ||
                 (i == 2 && name == L"ibck"));
    }
  }

  // Our own splitter reads the line back as the archiver would, when the parts are simple.
  if (line.size() <= 4096 && IsPlainWord(archiver) && IsPlainWord(profile) &&
      HasNoQuote(archive) && !archive.empty() && HasNoQuote(folder)) {
    const std::vector<std::wstring> words{std::wstring(archiver), std::wstring(profile),
                                          std::wstring(archive), folder + L'*'};
    FUZZ_CHECK(kestrova::SplitCommandLine(line) == words);
  }
  return 0;
}

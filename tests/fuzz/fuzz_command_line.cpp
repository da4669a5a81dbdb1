// ArchiverCommandLine and CommandLineFits, from four parts cut out of the input at zero
// bytes. A first byte from 0xF8 up repeats the folder part 64 to 512 times, so that lines
// around the 32767-character limit are reached too; such lines are slow under the coverage
// hooks, so the other first bytes keep the folder part as it is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "app/JobText.h"

namespace {

bool NoLeadBytes(unsigned char) { return false; }

bool IsPlainWord(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c == '"' || static_cast<unsigned char>(c) <= ' ') return false;
  }
  return true;
}

bool HasNoQuote(std::string_view text) { return text.find('"') == std::string_view::npos; }

// Characters counted by their own loop: a lead byte takes the next byte with it if any.
std::size_t CountChars(std::string_view text, kestrova::LeadByteTest isLead) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); ++count) {
    pos += (isLead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size()) ? 2 : 1;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t repeat = data[0] >= 0xF8 ? (data[0] - 0xF7u) * 64 : 1;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

  std::string_view parts[4];
  for (int i = 0; i < 3; ++i) {
    std::size_t cut = rest.find('\0');
    if (cut == std::string_view::npos) {
      parts[i] = rest;
      rest = {};
    } else {
      parts[i] = rest.substr(0, cut);
      rest.remove_prefix(cut + 1);
    }
  }
  parts[3] = rest;
  const std::string_view archiver = parts[0], profile = parts[1], archive = parts[2];
  std::string folder;
  for (std::size_t i = 0; i < repeat; ++i) folder += parts[3];

  const std::string line = kestrova::ArchiverCommandLine(archiver, profile, archive, folder);

  const std::string head = '"' + std::string(archiver) + '"';
  FUZZ_CHECK(line.starts_with(head));
  FUZZ_CHECK(line.size() == archiver.size() + profile.size() + archive.size() +
                                folder.size() + 10);
  std::size_t at = head.size();
  FUZZ_CHECK(line.compare(at, 1, " ") == 0);
  at += 1;
  FUZZ_CHECK(line.compare(at, profile.size(), profile) == 0);
  at += profile.size();
  FUZZ_CHECK(line.compare(at, 2, " \"") == 0);
  at += 2;
  FUZZ_CHECK(line.compare(at, archive.size(), archive) == 0);
  at += archive.size();
  FUZZ_CHECK(line.compare(at, 3, "\" \"") == 0);
  at += 3;
  FUZZ_CHECK(line.compare(at, folder.size(), folder) == 0);
  at += folder.size();
  FUZZ_CHECK(line.compare(at, std::string::npos, "*\"") == 0);

  // Long lines are there for the limit only; the checks that do not depend on length stay
  // on the short ones, since every byte they walk costs a coverage hook.
  const bool shortLine = line.size() <= 4096;

  for (kestrova::LeadByteTest isLead : {kestrova::LeadByteTest{kestrova::ShiftJisLeadByte},
                                        kestrova::LeadByteTest{NoLeadBytes}}) {
    const std::size_t chars = kestrova::CharCount(line, isLead);
    if (shortLine) FUZZ_CHECK(chars == CountChars(line, isLead));
    FUZZ_CHECK(chars <= line.size() && 2 * chars >= line.size());
    FUZZ_CHECK(kestrova::CommandLineFits(line, isLead) ==
               (chars + 1 <= kestrova::kMaxCommandLineChars));
  }

  // Our own splitter reads the line back as the archiver would, when the parts are simple.
  if (shortLine && IsPlainWord(archiver) && IsPlainWord(profile) && HasNoQuote(archive) &&
      !archive.empty() && HasNoQuote(folder)) {
    const std::vector<std::string> expected{std::string(archiver), std::string(profile),
                                            std::string(archive), folder + '*'};
    FUZZ_CHECK(kestrova::SplitCommandLine(line) == expected);
  }
  return 0;
}

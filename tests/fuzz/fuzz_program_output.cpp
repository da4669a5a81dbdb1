// What a program wrote, as the reason of a failed folder takes it: IsUtf8 agrees with an
// independent decoder (well-formed exactly when every sequence decodes to a scalar value in its
// shortest form), and OutputTail's lines are parts of the output with no line end, no blank or
// control character at either end, at most 256 units, the last one last. TArchiverOutput gives
// the same whatever pieces the bytes come in, a percentage from 0 to 100 that never goes back,
// and lines with no control that moves the cursor, none empty, none ending in a blank; output
// with no frame to find ("%" or "M") and nothing to redraw keeps its lines as they were.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "app/batch/ArchiveRules.h"
#include "app/batch/ArchiverOutput.h"
#include "toolkit/TextRules.h"

namespace {

// Decodes one sequence at pos; false when it is no well-formed UTF-8.
bool DecodeOne(std::string_view bytes, std::size_t& pos) {
  const unsigned char lead = static_cast<unsigned char>(bytes[pos]);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3
                     : (lead >> 3) == 30 ? 4 : 0;
  if (length == 0 || bytes.size() - pos < length) return false;
  std::uint32_t value = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(bytes[pos + i]);
    if ((next >> 6) != 2) return false;
    value = (value << 6) | (next & 0x3F);
  }
  const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return false;
  }
  pos += length;
  return true;
}

bool Blank(wchar_t c) { return c <= L' ' || c == 0x7F || c == 0x3000; }

// The lines of output that has no frame and nothing redrawn: each one but the empty ones, blanks
// at its end dropped.
std::string PlainLines(std::string_view bytes) {
  std::string lines;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    if (!line.empty()) {
      lines += line;
      if (end != std::string_view::npos) lines += '\n';
    }
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + 1);
  }
  return lines;
}

void CheckArchiverOutput(std::string_view bytes) {
  using kestrova::TArchiverOutput;
  TArchiverOutput whole;
  whole.Take(bytes);
  const std::optional<int> percent = whole.Percent();
  if (percent) FUZZ_CHECK(*percent >= 0 && *percent <= 100);
  if (bytes.find('%') == std::string_view::npos) FUZZ_CHECK(!percent);
  // In two pieces, cut where the first byte says, and then in the rest's own bytes.
  const std::size_t cut =
      bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) * bytes.size() / 256;
  TArchiverOutput pieces;
  pieces.Take(bytes.substr(0, cut));
  const std::optional<int> first = pieces.Percent();
  const bool rose = pieces.Take(bytes.substr(cut));
  FUZZ_CHECK(pieces.Percent() == percent);
  FUZZ_CHECK(rose == (percent != first));
  if (first) FUZZ_CHECK(percent && *percent >= *first);
  const std::string lines = whole.Lines();
  FUZZ_CHECK(pieces.Lines() == lines);
  FUZZ_CHECK(lines.size() <= TArchiverOutput::kKeptBytes);
  FUZZ_CHECK(lines.find_first_of("\r\b") == std::string::npos);
  for (std::size_t start = 0; start < lines.size();) {
    const std::size_t end = std::min(lines.find('\n', start), lines.size());
    FUZZ_CHECK(end > start && end - start <= TArchiverOutput::kLongestLine);
    FUZZ_CHECK(lines[end - 1] != ' ');
    start = end + 1;
  }
  if (bytes.size() <= TArchiverOutput::kLongestLine &&
      bytes.find_first_of("\r\b%M") == std::string_view::npos) {
    FUZZ_CHECK(lines == PlainLines(bytes));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bool wellFormed = true;
  for (std::size_t pos = 0; pos < bytes.size() && wellFormed;) wellFormed = DecodeOne(bytes, pos);
  FUZZ_CHECK(kestrova::IsUtf8(bytes) == wellFormed);
  CheckArchiverOutput(bytes);

  const std::wstring output = FuzzUnits(data, size);
  // The last line alone: a part of the output, no line end, trimmed, at most 256 units.
  const std::wstring last = kestrova::OutputTail(output, 1);
  FUZZ_CHECK(last.size() <= 256);
  FUZZ_CHECK(output.find(last) != std::wstring::npos);
  FUZZ_CHECK(last.find_first_of(L"\r\n") == std::wstring::npos);
  if (!last.empty()) FUZZ_CHECK(!Blank(last.front()) && !Blank(last.back()));
  // Two lines end with that one; the first is such a line too.
  const std::wstring two = kestrova::OutputTail(output, 2);
  const std::size_t join =
      two == last ? 0 : std::wstring_view(two).ends_with(L" / " + last) ? 3 : 1;
  FUZZ_CHECK(two == last || (join == 3 || std::wstring_view(two).ends_with(L" " + last)));
  if (two != last) {
    FUZZ_CHECK(two.size() > last.size() + join);
    const std::wstring_view first = std::wstring_view(two).substr(0, two.size() - last.size() - join);
    if (join == 1) FUZZ_CHECK(first.back() == L':');
    FUZZ_CHECK(first.size() <= 256 && output.find(first) != std::wstring::npos);
    FUZZ_CHECK(!Blank(first.front()) && !Blank(first.back()));
  }
  FUZZ_CHECK(kestrova::OutputTail(output, 0).empty());
  return 0;
}

// What a program wrote, as the reason of a failed folder takes it: IsUtf8 agrees with an
// independent decoder (well-formed exactly when every sequence decodes to a scalar value in its
// shortest form), and OutputTail's lines are parts of the output with no line end, no blank or
// control character at either end, at most 256 units, the last one last.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "app/batch/ArchiveRules.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bool wellFormed = true;
  for (std::size_t pos = 0; pos < bytes.size() && wellFormed;) wellFormed = DecodeOne(bytes, pos);
  FUZZ_CHECK(kestrova::IsUtf8(bytes) == wellFormed);

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

// IniValueToWrite, IniValue, WithIniValue, WithoutIniKey, WithIniBytes and WholeCharacterPrefix. A value
// written for the profile services reads back unchanged (IniValue reads a file as they do: white
// space around a value dropped, then one pair of equal quotes around it), also among other keys
// and sections and whatever text it is written into, and a value between plain ASCII characters
// is written as it stands. The whole-character cut stays within its limit, never splits a surrogate
// pair, and stops only where the next character would not fit. On a file's raw bytes, a key's line
// changes by the same rules as on its text, byte for byte.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "toolkit/TextRules.h"

namespace {

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Every BMP character one unit, the rest (and the letters a to z, for variety) two.
std::size_t Size(std::wstring_view c) { return c.size() == 2 || (c[0] >= L'a' && c[0] <= L'z') ? 2 : 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t limit = data[0];
  std::wstring value = FuzzUnits(data + 1, size - 1);

  // A value is one line of the file: no line ends and no zero.
  std::wstring line;
  for (wchar_t c : value) {
    if (c != L'\r' && c != L'\n' && c != L'\0') line += c;
  }
  const std::wstring written = kestrova::IniValueToWrite(line);
  const std::wstring file = L"[Other]\r\nK=other\r\n[main]\r\n k =" + written +
                            L"\r\nK=later\r\n";
  FUZZ_CHECK(kestrova::IniValue(file, L"Main", L"K") == line);
  // Whatever the text, what is read is one line's part, with no white space around it.
  if (const std::optional<std::wstring> read = kestrova::IniValue(value, L"Main", L"K")) {
    FUZZ_CHECK(read->find_first_of(L"\r\n") == std::wstring::npos);
    FUZZ_CHECK(read->find(L'\0') == std::wstring::npos);
  }
  // Whatever the text, a value written into it is what is read back, a key taken out is gone,
  // and another section's key reads as before.
  const std::wstring edited = kestrova::WithIniValue(value, L"Main", L"K", line);
  FUZZ_CHECK(kestrova::IniValue(edited, L"Main", L"K") == line);
  FUZZ_CHECK(kestrova::IniValue(edited, L"Other", L"K") == kestrova::IniValue(value, L"Other", L"K"));
  const std::wstring removed = kestrova::WithoutIniKey(value, L"Main", L"K");
  FUZZ_CHECK(!kestrova::IniValue(removed, L"Main", L"K"));
  FUZZ_CHECK(kestrova::IniValue(removed, L"Other", L"K") == kestrova::IniValue(value, L"Other", L"K"));
  // The input's bytes as a file kept as bytes: the rules of its text, each byte one character.
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  auto widened = [](std::string_view b) {
    std::wstring text;
    for (char c : b) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return text;
  };
  const std::string byteEdited = kestrova::WithIniBytes(bytes, L"Main", L"K", "v\xE9");
  FUZZ_CHECK(widened(byteEdited) == kestrova::WithIniValue(widened(bytes), L"Main", L"K", L"v\xE9"));
  FUZZ_CHECK(widened(kestrova::WithIniBytes(bytes, L"Main", L"K", std::nullopt)) ==
             kestrova::WithoutIniKey(widened(bytes), L"Main", L"K"));
  auto printable = [](wchar_t c) { return c > L' ' && c < 0x7F && c != L'"' && c != L'\''; };
  if (!line.empty() && printable(line.front()) && printable(line.back())) {
    FUZZ_CHECK(written == line);
  }

  const std::size_t cut = kestrova::WholeCharacterPrefix(value, limit, Size);
  FUZZ_CHECK(cut <= value.size());
  if (cut > 0 && cut < value.size()) FUZZ_CHECK(!(IsHigh(value[cut - 1]) && IsLow(value[cut])));
  std::size_t used = 0;
  for (std::size_t pos = 0; pos < cut;) {
    const std::size_t length = IsHigh(value[pos]) && pos + 1 < value.size() && IsLow(value[pos + 1]) ? 2 : 1;
    used += Size(std::wstring_view(value).substr(pos, length));
    pos += length;
  }
  FUZZ_CHECK(used <= limit);
  if (cut < value.size()) {
    const std::size_t next =
        IsHigh(value[cut]) && cut + 1 < value.size() && IsLow(value[cut + 1]) ? 2 : 1;
    FUZZ_CHECK(used + Size(std::wstring_view(value).substr(cut, next)) > limit);
  }
  return 0;
}

// ParseIniInteger against a reference written another way (std::from_chars over the digits),
// plus round trips through decimal (DecimalText) and "$" hexadecimal text.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "toolkit/TextRules.h"

namespace {

bool IsDigitOf(wchar_t c, int base) {
  if (c >= L'0' && c <= L'9') return true;
  return base == 16 && ((c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'));
}

std::optional<std::int32_t> Reference(std::wstring_view text) {
  std::wstring_view rest = text;
  while (!rest.empty() && (rest.front() == L' ' || rest.front() == L'\t')) rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == L'+' || rest.front() == L'-')) {
    negative = rest.front() == L'-';
    rest.remove_prefix(1);
  }
  int base = 10;
  if (rest.starts_with(L"$") || rest.starts_with(L"x") || rest.starts_with(L"X")) {
    base = 16;
    rest.remove_prefix(1);
  } else if (text.size() > 2 && (rest.starts_with(L"0x") || rest.starts_with(L"0X"))) {
    base = 16;
    rest.remove_prefix(2);
  }
  if (rest.empty()) return std::nullopt;
  std::string digits;
  for (wchar_t c : rest) {
    if (!IsDigitOf(c, base)) return std::nullopt;
    digits += static_cast<char>(c);
  }
  std::uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (negative) {
    if (magnitude > 2147483648ULL) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > 2147483647ULL) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::wstring DollarHex(std::int32_t value) {
  std::int64_t wide = value;
  std::uint64_t magnitude = wide < 0 ? static_cast<std::uint64_t>(-wide)
                                     : static_cast<std::uint64_t>(wide);
  char digits[32];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, magnitude, 16);
  FUZZ_CHECK(error == std::errc());
  return Wide(std::string(wide < 0 ? "-$" : "$") + std::string(digits, end));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::wstring text = FuzzUnits(data, size);
  std::optional<std::int32_t> value = kestrova::ParseIniInteger(text);

  FUZZ_CHECK(value == Reference(text));

  // A leading blank or tab never changes what a text means.
  FUZZ_CHECK(kestrova::ParseIniInteger(L" " + text) == value);
  FUZZ_CHECK(kestrova::ParseIniInteger(L"\t" + text) == value);

  if (value) {
    FUZZ_CHECK(kestrova::DecimalText(*value) == Wide(std::to_string(*value)));
    FUZZ_CHECK(kestrova::ParseIniInteger(kestrova::DecimalText(*value)) == value);
    FUZZ_CHECK(kestrova::ParseIniInteger(DollarHex(*value)) == value);
  }
  return 0;
}

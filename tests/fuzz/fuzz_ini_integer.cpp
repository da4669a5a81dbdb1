// ParseIniInteger against a reference written another way (std::from_chars over the digits),
// plus round trips through decimal and "$" hexadecimal text.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "toolkit/TextRules.h"

namespace {

bool IsDigitOf(char c, int base) {
  if (c >= '0' && c <= '9') return true;
  return base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

std::optional<std::int32_t> Reference(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  bool negative = false;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    negative = rest.front() == '-';
    rest.remove_prefix(1);
  }
  int base = 10;
  if (rest.starts_with("$") || rest.starts_with("x") || rest.starts_with("X")) {
    base = 16;
    rest.remove_prefix(1);
  } else if (text.size() > 2 && (rest.starts_with("0x") || rest.starts_with("0X"))) {
    base = 16;
    rest.remove_prefix(2);
  }
  if (rest.empty()) return std::nullopt;
  for (char c : rest) {
    if (!IsDigitOf(c, base)) return std::nullopt;
  }
  std::uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), magnitude, base);
  if (error != std::errc() || end != rest.data() + rest.size()) return std::nullopt;
  if (negative) {
    if (magnitude > 2147483648ULL) return std::nullopt;
    return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
  }
  if (magnitude > 2147483647ULL) return std::nullopt;
  return static_cast<std::int32_t>(magnitude);
}

std::string DollarHex(std::int32_t value) {
  std::int64_t wide = value;
  std::uint64_t magnitude = wide < 0 ? static_cast<std::uint64_t>(-wide)
                                     : static_cast<std::uint64_t>(wide);
  char digits[32];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, magnitude, 16);
  FUZZ_CHECK(error == std::errc());
  return std::string(wide < 0 ? "-$" : "$") + std::string(digits, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<std::int32_t> value = kestrova::ParseIniInteger(text);

  FUZZ_CHECK(value == Reference(text));

  // A leading blank or tab never changes what a text means.
  FUZZ_CHECK(kestrova::ParseIniInteger(" " + std::string(text)) == value);
  FUZZ_CHECK(kestrova::ParseIniInteger("\t" + std::string(text)) == value);

  if (value) {
    FUZZ_CHECK(kestrova::ParseIniInteger(std::to_string(*value)) == value);
    FUZZ_CHECK(kestrova::ParseIniInteger(DollarHex(*value)) == value);
  }
  return 0;
}

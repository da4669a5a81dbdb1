// Window-free text rules: code-page character walking, the error box's text and settings
// integers. Bytes are always looked at as unsigned char: a Shift_JIS lead byte such as 0x95
// is negative as a plain char on this compiler.
#include "toolkit/TextRules.h"

#include <cstring>

namespace kestrova {

namespace {

unsigned char ByteAt(std::string_view text, std::size_t pos) {
  return static_cast<unsigned char>(text[pos]);
}

bool IsBlank(unsigned char byte) { return byte == ' ' || byte == '\t'; }

// Value of a digit in the given base, or -1 when the byte is not one.
int DigitValue(unsigned char byte, int base) {
  int value = -1;
  if (byte >= '0' && byte <= '9') {
    value = byte - '0';
  } else if (byte >= 'a' && byte <= 'f') {
    value = byte - 'a' + 10;
  } else if (byte >= 'A' && byte <= 'F') {
    value = byte - 'A' + 10;
  }
  return value < base ? value : -1;
}

}  // namespace

bool ShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::size_t CharLength(std::string_view text, std::size_t pos, LeadByteTest isLead) {
  if (pos + 1 < text.size() && isLead(ByteAt(text, pos))) return 2;
  return 1;
}

std::size_t LastCharStart(std::string_view text, LeadByteTest isLead) {
  std::size_t start = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos, isLead)) {
    start = pos;
  }
  return start;
}

std::string ErrorBoxText(std::string_view message, LeadByteTest isLead) {
  std::string text(message);
  if (message.empty()) return text;
  std::size_t start = LastCharStart(message, isLead);
  // The last character as a zero-terminated text of its own, compared the way strcmp does
  // (which looks at unsigned bytes and stops at the first zero).
  std::string lastChar(message.substr(start, CharLength(message, start, isLead)));
  if (std::strcmp(lastChar.c_str(), ".") > 0) text += '.';
  return text;
}

std::optional<std::int32_t> ParseIniInteger(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(ByteAt(text, pos))) ++pos;

  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
    negative = text[pos] == '-';
    ++pos;
  }

  int base = 10;
  if (pos < text.size() && text[pos] == '$') {
    base = 16;
    pos += 1;
  } else if (text.size() > 2 && pos + 1 < text.size() && text[pos] == '0' &&
             (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
    base = 16;
    pos += 2;
  } else if (pos < text.size() && (text[pos] == 'x' || text[pos] == 'X')) {
    base = 16;
    pos += 1;
  }

  if (pos >= text.size()) return std::nullopt;

  // The magnitude may reach 2^31 only for a negative value; checking at every digit keeps
  // the accumulator far from 64-bit overflow whatever the length of the text.
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    int digit = DigitValue(ByteAt(text, pos), base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

}  // namespace kestrova

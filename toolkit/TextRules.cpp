// Window-free text rules: the error box's text, settings integers and settings values.
#include "toolkit/TextRules.h"

#include <algorithm>

namespace kestrova {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// What the profile services may take for white space around a value: every control
// character and blank, and the Unicode spaces.
bool IsSpaceLike(wchar_t c) {
  return c <= 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 ||
         c == 0xFEFF;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Value of a digit in the given base, or -1 when the character is not one.
int DigitValue(wchar_t c, int base) {
  int value = -1;
  if (c >= L'0' && c <= L'9') {
    value = c - L'0';
  } else if (c >= L'a' && c <= L'f') {
    value = c - L'a' + 10;
  } else if (c >= L'A' && c <= L'F') {
    value = c - L'A' + 10;
  }
  return value < base ? value : -1;
}

}  // namespace

std::wstring ErrorBoxText(std::wstring_view message) {
  std::wstring text(message);
  // The last character's first unit decides: a surrogate pair sorts after "." as a whole.
  if (!message.empty() && message.back() > L'.') text += L'.';
  return text;
}

std::optional<std::int32_t> ParseIniInteger(std::wstring_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;

  bool negative = false;
  if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) {
    negative = text[pos] == L'-';
    ++pos;
  }

  int base = 10;
  if (pos < text.size() && text[pos] == L'$') {
    base = 16;
    pos += 1;
  } else if (text.size() > 2 && pos + 1 < text.size() && text[pos] == L'0' &&
             (text[pos + 1] == L'x' || text[pos + 1] == L'X')) {
    base = 16;
    pos += 2;
  } else if (pos < text.size() && (text[pos] == L'x' || text[pos] == L'X')) {
    base = 16;
    pos += 1;
  }

  if (pos >= text.size()) return std::nullopt;

  // The magnitude may reach 2^31 only for a negative value; checking at every digit keeps
  // the accumulator far from 64-bit overflow whatever the length of the text.
  const std::int64_t limit = negative ? std::int64_t{1} << 31 : (std::int64_t{1} << 31) - 1;
  std::int64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    int digit = DigitValue(text[pos], base);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::wstring DecimalText(long long value) {
  // Digits from the end; the magnitude of the smallest value does not fit a long long.
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  wchar_t digits[24];
  wchar_t* end = digits + 24;
  wchar_t* at = end;
  do {
    *--at = static_cast<wchar_t>(L'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *--at = L'-';
  return std::wstring(at, end);
}

std::wstring HexText(std::uint32_t value) {
  std::wstring text = L"0x00000000";
  for (std::size_t at = text.size(); value != 0; value >>= 4) {
    text[--at] = L"0123456789ABCDEF"[value & 0xF];
  }
  return text;
}

std::wstring IniValueToWrite(std::wstring_view value) {
  if (value.empty()) return {};
  const bool spaced = IsSpaceLike(value.front()) || IsSpaceLike(value.back());
  const bool quoted = (value.front() == L'"' || value.front() == L'\'') &&
                      value.back() == value.front();
  if (!spaced && !quoted) return std::wstring(value);
  std::wstring text;
  text.reserve(value.size() + 2);
  text += L'"';
  text += value;
  text += L'"';
  return text;
}

std::size_t WholeCharacterPrefix(std::wstring_view text, std::size_t limit, CharSize size) {
  std::size_t used = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t length =
        IsHighSurrogate(text[pos]) && pos + 1 < text.size() && IsLowSurrogate(text[pos + 1]) ? 2
                                                                                             : 1;
    const std::size_t units = size(text.substr(pos, length));
    if (units > limit - used) break;
    used += units;
    pos += length;
  }
  return pos;
}

namespace {

std::wstring_view Trimmed(std::wstring_view text) {
  while (!text.empty() && IsSpaceLike(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpaceLike(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

bool SameAsciiName(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::optional<std::wstring> IniValue(std::wstring_view text, std::wstring_view section,
                                     std::wstring_view key) {
  section = Trimmed(section);
  key = Trimmed(key);
  bool inSection = false;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of(L"\r\n"), text.size());
    const std::wstring_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty()) continue;
    const std::size_t close = line.find(L']');
    if (line.front() == L'[' && close != std::wstring_view::npos) {
      inSection = SameAsciiName(Trimmed(line.substr(1, close - 1)), section);
      continue;
    }
    const std::size_t equals = line.find(L'=');
    if (!inSection || equals == std::wstring_view::npos ||
        !SameAsciiName(Trimmed(line.substr(0, equals)), key)) {
      continue;
    }
    std::wstring_view value = Trimmed(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value.substr(0, value.find(L'\0')));
  }
  return std::nullopt;
}

FileText DetectFileText(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return FileText::Utf16;
  if (bytes.starts_with("\xEF\xBB\xBF")) return FileText::Utf8Mark;
  bool ascii = true;
  for (char c : bytes) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return FileText::Ascii;
  return IsUtf8(bytes) ? FileText::Utf8 : FileText::CodePage;
}

bool IsUtf8(std::string_view bytes) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80) {
      ++pos;
      continue;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;   // no overlong form
      if (lead == 0xED) high = 0x9F;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;   // no overlong form
      if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
      return false;
    }
    if (bytes.size() - pos < length) return false;
    for (std::size_t i = 1; i < length; ++i) {
      const unsigned char next = static_cast<unsigned char>(bytes[pos + i]);
      if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return false;
    }
    pos += length;
  }
  return true;
}

}  // namespace kestrova

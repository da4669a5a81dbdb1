// Window-free text rules: the error box's text, settings integers and settings values.
#include "toolkit/TextRules.h"

#include <algorithm>
#include <vector>

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

namespace {

// One line of an INI file's text, as the profile services take it.
struct IniLine {
  enum class Kind { Other, Section, Key };
  std::size_t offset;   // where the line begins in the text
  std::size_t length;   // without its line end
  std::size_t end;      // where the next line begins
  Kind kind;
  std::wstring_view name;   // the section's or the key's, without white space around it
  std::size_t valueOffset;  // a key's: right after its "=", in the text
};

// The lines of a text: each ends at CR, LF or CR LF (or where the text ends).
std::vector<IniLine> IniLines(std::wstring_view text) {
  std::vector<IniLine> lines;
  std::size_t offset = 0;
  while (offset < text.size()) {
    const std::size_t length =
        std::min(text.find_first_of(L"\r\n", offset), text.size()) - offset;
    std::size_t end = offset + length;
    if (end < text.size()) end += text.compare(end, 2, L"\r\n") == 0 ? 2 : 1;
    IniLine line{offset, length, end, IniLine::Kind::Other, {}, 0};
    const std::wstring_view raw = text.substr(offset, length);
    const std::wstring_view trimmed = Trimmed(raw);
    const std::size_t close = trimmed.find(L']');
    const std::size_t equals = raw.find(L'=');
    if (!trimmed.empty() && trimmed.front() == L'[' && close != std::wstring_view::npos) {
      line.kind = IniLine::Kind::Section;
      line.name = Trimmed(trimmed.substr(1, close - 1));
    } else if (equals != std::wstring_view::npos) {
      line.kind = IniLine::Kind::Key;
      line.name = Trimmed(raw.substr(0, equals));
      line.valueOffset = offset + equals + 1;
    }
    lines.push_back(line);
    offset = end;
  }
  return lines;
}

// What a value can be in the file: one line, so it ends at a line end or a zero.
std::wstring_view OneLine(std::wstring_view value) {
  return value.substr(0, std::min(value.find_first_of(std::wstring_view(L"\r\n\0", 3)),
                                  value.size()));
}

}  // namespace

std::optional<std::wstring> IniValue(std::wstring_view text, std::wstring_view section,
                                     std::wstring_view key) {
  section = Trimmed(section);
  key = Trimmed(key);
  bool inSection = false;
  for (const IniLine& line : IniLines(text)) {
    if (line.kind == IniLine::Kind::Section) {
      inSection = SameAsciiName(line.name, section);
      continue;
    }
    if (!inSection || line.kind != IniLine::Kind::Key || !SameAsciiName(line.name, key)) continue;
    std::wstring_view value =
        Trimmed(text.substr(line.valueOffset, line.offset + line.length - line.valueOffset));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::wstring(value.substr(0, value.find(L'\0')));
  }
  return std::nullopt;
}

std::wstring IniTextOf(std::wstring_view value) { return IniValueToWrite(OneLine(value)); }

namespace {

// The text with key in section holding written, as it goes after the "=" (see WithIniValue).
std::wstring WithIniText(std::wstring_view text, std::wstring_view section, std::wstring_view key,
                         std::wstring_view written) {
  const std::wstring_view sectionName = Trimmed(section);
  const std::wstring_view keyName = Trimmed(key);
  bool inSection = false;
  bool inFirstSection = false;
  bool sectionSeen = false;
  // Where a new key goes: after the last key, or the header, of the first section of the name.
  std::optional<IniLine> last;
  for (const IniLine& line : IniLines(text)) {
    if (line.kind == IniLine::Kind::Section) {
      inSection = SameAsciiName(line.name, sectionName);
      inFirstSection = inSection && !sectionSeen;
      sectionSeen = sectionSeen || inSection;
      if (inFirstSection) last = line;
    } else if (inSection && line.kind == IniLine::Kind::Key) {
      if (SameAsciiName(line.name, keyName)) {
        // The line the reader takes: its value goes, its key and line end stay as they were.
        std::wstring result(text.substr(0, line.valueOffset));
        result += written;
        result += text.substr(line.offset + line.length);
        return result;
      }
      if (inFirstSection) last = line;
    }
  }
  std::wstring result;
  std::wstring added;
  std::size_t at = text.size();
  if (last) {
    at = last->end;
  } else {
    added = L"[" + std::wstring(section) + L"]\r\n";
  }
  result.reserve(text.size() + added.size() + key.size() + written.size() + 5);
  result += text.substr(0, at);
  // Every line added ends in CR LF, and so does the one before it.
  if (!result.empty() && result.back() != L'\r' && result.back() != L'\n') result += L"\r\n";
  result += added;
  result += key;
  result += L'=';
  result += written;
  result += L"\r\n";
  result += text.substr(at);
  return result;
}

// Each byte as the character of the same number, and back.
std::wstring Widened(std::string_view bytes) {
  std::wstring text(bytes.size(), L'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
  return text;
}

std::string Narrowed(std::wstring_view text) {
  std::string bytes(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<char>(text[i]);
  return bytes;
}

}  // namespace

std::wstring WithIniValue(std::wstring_view text, std::wstring_view section,
                          std::wstring_view key, std::wstring_view value) {
  return WithIniText(text, section, key, IniTextOf(value));
}

std::string WithIniBytes(std::string_view bytes, std::wstring_view section, std::wstring_view key,
                         std::optional<std::string_view> written) {
  const std::wstring text = Widened(bytes);
  return Narrowed(written ? WithIniText(text, section, key, Widened(*written))
                          : WithoutIniKey(text, section, key));
}

std::wstring SaveCompanionPath(std::wstring_view path, std::uint32_t process, std::uint32_t save,
                               std::wstring_view kind) {
  auto hex = [](std::uint32_t value) {
    std::wstring digits;
    do {
      digits.insert(digits.begin(), L"0123456789abcdef"[value & 0xF]);
      value >>= 4;
    } while (value != 0);
    return digits;
  };
  return std::wstring(path) + L'.' + hex(process) + L'-' + hex(save) + L'.' + std::wstring(kind);
}

std::wstring WithoutIniKey(std::wstring_view text, std::wstring_view section,
                           std::wstring_view key) {
  section = Trimmed(section);
  key = Trimmed(key);
  std::wstring result;
  bool inSection = false;
  for (const IniLine& line : IniLines(text)) {
    if (line.kind == IniLine::Kind::Section) inSection = SameAsciiName(line.name, section);
    if (inSection && line.kind == IniLine::Kind::Key && SameAsciiName(line.name, key)) continue;
    result += text.substr(line.offset, line.end - line.offset);
  }
  return result;
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

// The program's command-line words and a second start's paths.
#include "app/desktop/ProgramText.h"

#include <cstdint>

namespace kestrova {

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
  std::vector<std::wstring> words;
  std::size_t pos = 0;
  const std::size_t end = commandLine.size();
  for (;;) {
    // Blanks, then any "" where the word would begin, as often as they come.
    for (;;) {
      while (pos < end && commandLine[pos] <= L' ') ++pos;
      if (pos + 1 < end && commandLine[pos] == L'"' && commandLine[pos + 1] == L'"') {
        pos += 2;
        continue;
      }
      break;
    }

    std::wstring word;
    while (pos < end && commandLine[pos] > L' ') {
      if (commandLine[pos] == L'"') {
        ++pos;
        while (pos < end && commandLine[pos] != L'"') word += commandLine[pos++];
        if (pos < end) ++pos;  // the closing quote
      } else {
        word += commandLine[pos++];
      }
    }
    if (word.empty()) break;
    words.push_back(std::move(word));
  }
  return words;
}

std::wstring JoinPaths(const std::vector<std::wstring>& paths) {
  std::wstring text;
  for (const std::wstring& path : paths) {
    text += path;
    text += L'\0';
  }
  return text;
}

std::optional<std::vector<std::wstring>> SplitPaths(std::wstring_view text) {
  if (text.empty() || text.back() != L'\0') return std::nullopt;
  std::vector<std::wstring> paths;
  while (!text.empty()) {
    const std::size_t end = text.find(L'\0');
    if (end == 0) return std::nullopt;
    paths.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return paths;
}

std::wstring StartLockName(std::wstring_view upperCasePath) {
  // FNV-1a over the UTF-16 units, 64 bits.
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (const wchar_t c : upperCasePath) {
    const auto unit = static_cast<std::uint32_t>(c);
    for (const std::uint32_t byte : {unit & 0xFFu, (unit >> 8) & 0xFFu}) {
      hash ^= byte;
      hash *= 0x100000001B3ull;
    }
  }
  std::wstring name = L"Local\\Kestrova-";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789ABCDEF"[(hash >> shift) & 0xF];
  return name;
}

}  // namespace kestrova

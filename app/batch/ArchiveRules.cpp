// Window-free texts of an archive job and a batch.
#include "app/batch/ArchiveRules.h"

#include "toolkit/TextRules.h"

namespace kestrova {

std::wstring ArchiverCommandLine(std::wstring_view archiverPath, std::wstring_view profile,
                                 std::wstring_view archivePath, std::wstring_view sourceFolder) {
  std::wstring line;
  line.reserve(archiverPath.size() + profile.size() + archivePath.size() + sourceFolder.size() +
               10);
  line += L'"';
  line += archiverPath;
  line += L"\" ";
  line += profile;
  line += L" \"";
  line += archivePath;
  line += L"\" \"";
  line += sourceFolder;
  line += L"*\"";
  return line;
}

bool UsableExtension(std::wstring_view ext) {
  return ext.find(L'"') == std::wstring_view::npos &&
         (ext.empty() || (ext.back() != L'\\' && ext.back() != L'/'));
}

bool CommandLineFits(std::wstring_view commandLine) {
  return commandLine.size() + 1 <= kMaxCommandLineChars;
}

std::wstring OutputTail(std::wstring_view output, std::size_t count) {
  constexpr std::size_t kLongestLine = 256;
  auto blank = [](wchar_t c) { return c <= L' ' || c == 0x7F || c == 0x3000; };
  std::vector<std::wstring_view> lines;
  std::size_t end = output.size();
  while (end > 0 && lines.size() < count) {
    std::size_t start = end;
    while (start > 0 && output[start - 1] != L'\r' && output[start - 1] != L'\n') --start;
    std::wstring_view line = output.substr(start, end - start);
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    if (line.size() > kLongestLine) {
      line = line.substr(0, kLongestLine);
      // Never half a surrogate pair, nor a blank at the end of what is kept.
      if (line.back() >= 0xD800 && line.back() <= 0xDBFF) line.remove_suffix(1);
      while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    }
    if (!line.empty()) lines.push_back(line);
    end = start > 0 ? start - 1 : 0;
  }
  std::wstring tail;
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    // "Unknown switch:" runs on into what it announces; other lines are set apart.
    if (!tail.empty()) tail += tail.back() == L':' ? L" " : L" / ";
    tail += *line;
  }
  return tail;
}

std::vector<TProfileWord> ProfileWords(std::wstring_view profile) {
  std::vector<TProfileWord> words;
  std::size_t at = 0;
  while (at < profile.size()) {
    if (profile[at] <= L' ') {
      ++at;
      continue;
    }
    TProfileWord word;
    word.start = at;
    for (; at < profile.size() && (word.openQuote || profile[at] > L' '); ++at) {
      if (profile[at] == L'"') {
        word.openQuote = !word.openQuote;
      } else {
        word.text += profile[at];
      }
    }
    word.end = at;
    words.push_back(std::move(word));
  }
  return words;
}

bool DeletesSources(std::wstring_view profile) {
  bool first = true;
  for (const TProfileWord& each : ProfileWords(profile)) {
    const std::wstring& word = each.text;
    if (first) {
      if (SameAsciiName(word, L"m") || SameAsciiName(word, L"mf")) return true;
      first = false;
    }
    if (word.size() > 1 && (word[0] == L'-' || word[0] == L'/')) {
      const std::wstring_view name = std::wstring_view(word).substr(1);
      for (std::wstring_view deleting : {L"df", L"dr", L"dw", L"sdel"}) {
        if (SameAsciiName(name, deleting)) return true;
      }
    }
  }
  return false;
}

std::optional<std::wstring> ArchiveToMake(std::wstring_view folder, std::wstring_view ext,
                                          TExistingArchive choice,
                                          const std::function<bool(const std::wstring&)>& exists) {
  std::wstring archive = std::wstring(folder) + std::wstring(ext);
  if (choice == TExistingArchive::Add || !exists(archive)) return archive;
  if (choice == TExistingArchive::Skip) return std::nullopt;
  for (int n = 2; n <= 9999; ++n) {
    archive = std::wstring(folder) + L" (" + DecimalText(n) + L")" + std::wstring(ext);
    if (!exists(archive)) return archive;
  }
  return std::nullopt;
}

bool IsChildFolder(std::wstring_view name, std::uint32_t attributes, std::uint32_t reparseTag) {
  constexpr std::uint32_t kHidden = 0x2, kSystem = 0x4, kDirectory = 0x10, kReparsePoint = 0x400;
  // The name-surrogate bit of a reparse tag (IsReparseTagNameSurrogate).
  constexpr std::uint32_t kNameSurrogate = 0x20000000;
  if ((attributes & kDirectory) == 0 || (attributes & (kHidden | kSystem)) != 0) return false;
  if ((attributes & kReparsePoint) != 0 && (reparseTag & kNameSurrogate) != 0) return false;
  return name != L"." && name != L"..";
}

}  // namespace kestrova

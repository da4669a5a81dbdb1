// Window-free rules of what follows a folder's archive.
#include "app/batch/AfterArchiveRules.h"

#include "toolkit/PathRules.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool SameAsciiCase(wchar_t a, wchar_t b) {
  auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
  return lower(a) == lower(b);
}

bool StartsWithCaseless(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (!SameAsciiCase(text[i], prefix[i])) return false;
  }
  return true;
}

// The file name of a path: what follows its last "\", "/" or ":".
std::wstring_view FileNameOf(std::wstring_view path) {
  const std::size_t last = path.find_last_of(L"\\/:");
  return last == std::wstring_view::npos ? path : path.substr(last + 1);
}

// Whether a profile's word, its quotes removed, is a switch the test takes: the passwords and
// the console's charset.
bool IsTestSwitch(std::wstring_view word) {
  if (word.size() < 2 || (word[0] != L'-' && word[0] != L'/')) return false;
  const std::wstring_view name = word.substr(1);
  for (std::wstring_view kept : {L"p", L"hp", L"scc"}) {
    if (StartsWithCaseless(name, kept)) return true;
  }
  return false;
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:", "C:\..." and "\\..." are full paths; anything else cannot be placed.
bool IsFullPath(std::wstring_view plain) {
  if (plain.size() >= 2 && IsDriveLetter(plain[0]) && plain[1] == L':') {
    return plain.size() == 2 || plain[2] == L'\\';
  }
  return plain.starts_with(L"\\\\");
}

}  // namespace

bool RefusesStart(TAfterArchive after, std::wstring_view profile) {
  return after == TAfterArchive::Recycle && DeletesSources(profile);
}

std::optional<std::wstring> TestCommandLine(std::wstring_view archiver, std::wstring_view profile,
                                            std::wstring_view archive) {
  if (archive.empty() || archive.back() == L'\\') return std::nullopt;
  for (const wchar_t c : archive) {
    if (c == L'"' || c < L' ' || c == 0x7F) return std::nullopt;
  }
  std::wstring line;
  line.reserve(archiver.size() + archive.size() + profile.size() + 16);
  line += L'"';
  line += archiver;
  line += L"\" t";
  if (SameAsciiName(FileNameOf(archiver), L"WinRAR.exe")) line += L" -ibck";
  // The profile's words as DeletesSources reads them.
  for (const TProfileWord& word : ProfileWords(profile)) {
    if (word.text == L"--") break;  // what follows is no switch
    if (!IsTestSwitch(word.text)) continue;
    line += L' ';
    line += profile.substr(word.start, word.end - word.start);
    // A quote left open would take the archive's path into the switch.
    if (word.openQuote) line += L'"';
  }
  line += L" \"";
  line += archive;
  line += L'"';
  return line;
}

bool TestsArchive(TAfterArchive after, TArchiveEnd end) {
  return after != TAfterArchive::None && end == TArchiveEnd::Ok;
}

std::wstring PlainPath(std::wstring_view path) {
  std::wstring plain;
  if (path.size() >= 4 && (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\\\.\\"))) {
    const std::wstring_view rest = path.substr(4);
    if (StartsWithCaseless(rest, L"UNC\\")) {
      plain = L"\\\\" + std::wstring(rest.substr(4));
    } else if (rest.size() >= 2 && IsDriveLetter(rest[0]) && rest[1] == L':') {
      plain = rest;
    } else {
      plain = path;  // a volume's or a device's own name
    }
  } else {
    plain = path;
  }
  for (wchar_t& c : plain) {
    if (c == L'/') c = L'\\';
  }
  // "C:\" keeps its separator; "\\?\Volume{...}\" and "\\server\share\" keep theirs too, for
  // IsRootPath to see them as roots.
  return std::wstring(WithoutTrailingSeparators(plain));
}

bool IsRootPath(std::wstring_view path) {
  const std::wstring plain = PlainPath(path);
  if (plain.empty()) return false;
  if (plain == L"\\") return true;
  if (IsDriveLetter(plain[0]) && plain.size() >= 2 && plain[1] == L':') {
    return plain.size() == 2 || (plain.size() == 3 && plain[2] == L'\\');
  }
  if (!plain.starts_with(L"\\\\")) return false;
  std::wstring_view rest = std::wstring_view(plain).substr(2);
  if (rest.starts_with(L"?\\") || rest.starts_with(L".\\")) {
    // A volume's own name: nothing after it but its separator.
    rest.remove_prefix(2);
    const std::size_t end = rest.find(L'\\');
    return end == std::wstring_view::npos || end + 1 == rest.size();
  }
  // "\\server\share", with or without its separator; "\\server" alone is no folder either.
  const std::size_t server = rest.find(L'\\');
  if (server == std::wstring_view::npos) return true;
  const std::wstring_view share = rest.substr(server + 1);
  const std::size_t end = share.find(L'\\');
  return end == std::wstring_view::npos || end + 1 == share.size();
}

bool IsSameOrInside(std::wstring_view inner, std::wstring_view outer) {
  const std::wstring in = PlainPath(inner);
  const std::wstring out = PlainPath(outer);
  if (in.empty() || out.empty() || in.size() < out.size()) return false;
  if (!StartsWithCaseless(in, out)) return false;
  return in.size() == out.size() || IsSeparator(out.back()) || in[out.size()] == L'\\';
}

TKeep RecycleDecision(const TRecycleFacts& facts) {
  if (facts.after != TAfterArchive::Recycle || facts.archive != TArchiveEnd::Ok || !facts.testOk) {
    return TKeep::NotAsked;
  }
  if (facts.stopped) return TKeep::Stopped;
  if (facts.archiveExisted) return TKeep::NotMadeNow;
  if (!facts.archiveNotEmpty) return TKeep::NoArchive;
  const std::wstring folder = PlainPath(facts.folder);
  const std::wstring archive = PlainPath(facts.archivePath);
  if (!IsFullPath(folder) || !IsFullPath(archive)) return TKeep::Unknown;
  if (IsRootPath(folder)) return TKeep::Root;
  if (IsSameOrInside(archive, folder)) return TKeep::HoldsArchive;
  for (const TKeptPlace& place : facts.kept) {
    if (IsSameOrInside(place.path, folder)) return place.why;
  }
  return TKeep::Go;
}

}  // namespace kestrova

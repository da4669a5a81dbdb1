// Window-free rules of an archive job and a batch: the choices a batch keeps, the archiver's
// command line and whether it fits, the archive to make, the folders inside a given one, what a
// profile does to the sources, and the last words of what an archiver wrote. No <windows.h>
// here: the host build tests and fuzzes these directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// "archiver" profile "archive" "source*", where source is the folder path followed by "\".
// Every part is taken as it stands; empty parts stay empty.
std::wstring ArchiverCommandLine(std::wstring_view archiverPath, std::wstring_view profile,
                                 std::wstring_view archivePath, std::wstring_view sourceFolder);

// Whether an extension can end an archive's name in that command line: not when it ends in "\"
// or "/" (the name would be a folder's, and "\" before the closing quote escapes it for the
// archivers that read their command line as the C runtime does) or holds a double quote (no
// name holds one, and it would end the quoted name).
bool UsableExtension(std::wstring_view ext);

// CreateProcess takes at most 32767 UTF-16 units, the terminating zero included.
constexpr std::size_t kMaxCommandLineChars = 32767;

// Whether a command line fits what CreateProcess accepts.
bool CommandLineFits(std::wstring_view commandLine);

// What a job does when the folder's archive is there already: the archiver gets it (and adds
// to it), the folder is skipped, or the archive is made under another name.
enum class TExistingArchive { Add, Skip, Rename };
// What a given folder stands for: one archive, or one archive per folder directly inside it.
enum class TTarget { Folder, Children };

// What follows each archive: nothing; its test; its test, then the folder to the Recycle Bin.
enum class TAfterArchive { None, Test, Recycle };

// The choices of the list's menu that a batch keeps from its start.
struct TJobChoices {
  TExistingArchive existingArchive = TExistingArchive::Add;
  TTarget target = TTarget::Folder;
  TAfterArchive afterArchive = TAfterArchive::None;

  bool operator==(const TJobChoices&) const = default;
};

// The archive a job makes for the folder: folder + ext, or, when that exists, the same for
// Add, none (skip the folder) for Skip, and the first of "folder (2)ext", "folder (3)ext", ...
// that does not exist for Rename (none when even "(9999)" does).
std::optional<std::wstring> ArchiveToMake(std::wstring_view folder, std::wstring_view ext,
                                          TExistingArchive choice,
                                          const std::function<bool(const std::wstring&)>& exists);

// Whether an entry of a folder, by its name, file attributes and reparse tag (read only when the
// attributes mark a reparse point), is a folder to archive on its own: a folder that is neither
// hidden nor a system folder nor a link, and not "." or "..". A link is a reparse point whose tag
// stands for another name (a junction, a mounted folder, a symbolic link); any other reparse
// point (a cloud file placeholder such as OneDrive's) is a folder like any other.
bool IsChildFolder(std::wstring_view name, std::uint32_t attributes, std::uint32_t reparseTag);

// A word of a profile as the archiver reads it: blanks (any character up to " ") separate words,
// double quotes group blanks and are removed. start and end: where the word stands in the
// profile, quotes included; openQuote: the profile ended inside a quote the word opened.
struct TProfileWord {
  std::wstring text;
  std::size_t start = 0;
  std::size_t end = 0;
  bool openQuote = false;
};
std::vector<TProfileWord> ProfileWords(std::wstring_view profile);

// Whether the profile has the archiver delete or move the folder's files as it archives them:
// WinRAR's commands m and mf (the first word), its switches -df, -dr and -dw, or 7-Zip's -sdel.
// Words are separated by blanks, double quotes removed; they compare without case, a switch
// as a whole word, after "-" or "/".
bool DeletesSources(std::wstring_view profile);

// The last non-empty lines (at most count) of what a program wrote: lines end at CR or LF,
// blanks and control characters around a line are dropped, a line longer than 256 units is
// cut there; the lines are joined by " / ", or by a blank after a line that ends in ":" (it
// announces the next). Empty when there is none.
std::wstring OutputTail(std::wstring_view output, std::size_t count);

}  // namespace kestrova

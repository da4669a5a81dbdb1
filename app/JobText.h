// Window-free texts of an archive job and a batch: the folder path as the job takes it, the
// folder name shown in results and captions, the archiver's command line, the program's own
// command-line words and the long form of a path. No <windows.h> here: the host build tests
// and fuzzes these directly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// The path without its trailing separators ("D:\Photos\" is "D:\Photos"), except where
// that would leave a root: "C:\", "\" and "\\server\share\" keep theirs.
std::wstring_view WithoutTrailingSeparators(std::wstring_view path);

// The text after the last "\" or ":" of a path. Empty when the path ends in a separator.
std::wstring FolderName(std::wstring_view path);

// "archiver" profile "archive" "source*", where source is the folder path followed by "\".
// Every part is taken as it stands; empty parts stay empty.
std::wstring ArchiverCommandLine(std::wstring_view archiverPath, std::wstring_view profile,
                                 std::wstring_view archivePath, std::wstring_view sourceFolder);

// CreateProcess takes at most 32767 UTF-16 units, the terminating zero included.
constexpr std::size_t kMaxCommandLineChars = 32767;

// Whether a command line fits what CreateProcess accepts.
bool CommandLineFits(std::wstring_view commandLine);

// The words of a command line, the program's own name first: blanks (any character up to and
// including " ") separate words, double quotes group blanks into a word and are removed, and
// a pair of adjacent double quotes where a word would begin is skipped. The words end at the
// first empty one.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// A full path in the form that the file services take at any length: "\\?\" before a drive
// path, "\\?\UNC\" instead of the "\\" of a share path; a path already in that form, or one
// of another kind (relative, a device), stays as it is.
std::wstring ExtendedLengthPath(std::wstring_view fullPath);

// The last non-empty lines (at most count) of what a program wrote: lines end at CR or LF,
// blanks and control characters around a line are dropped, a line longer than 256 units is
// cut there; the lines are joined by " / ". Empty when there is none.
std::wstring OutputTail(std::wstring_view output, std::size_t count);

}  // namespace kestrova

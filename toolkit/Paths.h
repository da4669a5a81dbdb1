// Paths as the file services take them: the running program's own, a full one, one at any
// length, and whether something is there.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrova {

// The running program's own full path.
std::wstring ProgramPath();

// The full path of a path given relative to the current directory (or to the current
// directory of its drive); "/" becomes "\". The path itself when it cannot be made full.
std::wstring FullPath(const std::wstring& path);

// The path as the file services take it at any length: a full path of MAX_PATH characters or
// more in its "\\?\" form, which needs no machine-wide long-path setting.
std::wstring ServicePath(const std::wstring& path);

// The path in its long form (GetLongPathNameW: every short 8.3 name in it replaced by its long
// name), at any length; the path as it stands where the system cannot say (nothing there, a
// folder on the way that may not be listed).
std::wstring LongPath(const std::wstring& path);
// The path in its short form (GetShortPathNameW) where it has one, at any length: for the calls
// that take at most MAX_PATH - 1 characters; the path as it stands where there is none.
std::wstring ShortPath(const std::wstring& path);

// Whether the path names an existing file (not a folder), at any length.
bool IsFile(const std::wstring& path);
// Whether the path names an existing folder, at any length.
bool IsFolder(const std::wstring& path);
// Whether anything (a file or a folder) is there, at any length.
bool Exists(const std::wstring& path);
// The size in bytes of an existing file (not a folder), at any length; nothing where there is
// none.
std::optional<std::uint64_t> FileSize(const std::wstring& path);

}  // namespace kestrova

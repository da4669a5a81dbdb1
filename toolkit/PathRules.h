// Window-free rules of Windows paths: a path's last name, its trailing separators, and its
// extended-length form. No <windows.h> here: the host build tests and fuzzes these directly.
#pragma once

#include <string>
#include <string_view>

namespace kestrova {

// The path without its trailing separators ("D:\Photos\" is "D:\Photos"), except where
// that would leave a root: "C:\", "\" and "\\server\share\" keep theirs.
std::wstring_view WithoutTrailingSeparators(std::wstring_view path);

// The text after the last "\" or ":" of a path. Empty when the path ends in a separator.
std::wstring FolderName(std::wstring_view path);

// A full path in the form that the file services take at any length: "\\?\" before a drive
// path, "\\?\UNC\" instead of the "\\" of a share path; a path already in that form, or one
// of another kind (relative, a device), stays as it is.
std::wstring ExtendedLengthPath(std::wstring_view fullPath);


}  // namespace kestrova

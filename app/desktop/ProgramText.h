// Window-free texts of how paths reach the program: the words of its command line, the one
// text in which a second start hands its paths to the running window, and the name of the lock
// that keeps two starts of one program from both opening a window. No <windows.h> here: the
// host build tests and fuzzes these directly.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// The words of a command line, the program's own name first: blanks (any character up to and
// including " ") separate words, double quotes group blanks into a word and are removed, and
// a pair of adjacent double quotes where a word would begin is skipped. The words end at the
// first empty one.
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// Paths as one text, each followed by a zero: what a second start hands to the running window.
std::wstring JoinPaths(const std::vector<std::wstring>& paths);
// The paths of such a text; nothing when it is not one (empty, an empty path, no final zero).
std::optional<std::vector<std::wstring>> SplitPaths(std::wstring_view text);

// The name of the start lock of the program at that path (given in capitals, so that the name
// does not depend on case): "Local\Kestrova-" and a hash of the path in 16 hexadecimal digits.
// An object name holds no "\" after its namespace, and at most MAX_PATH characters: a path can
// have neither.
std::wstring StartLockName(std::wstring_view upperCasePath);

}  // namespace kestrova

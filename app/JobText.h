// Window-free texts of an archive job and a batch: the folder name shown in results and
// captions, the archiver's command line, and the program's own command-line words.
// No <windows.h> here: the host build tests and fuzzes these directly.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/TextRules.h"

namespace kestrova {

// The text after the last "\" or ":" of a path; a separator byte that is the trail byte of a
// double-byte character does not count. Empty when the path ends in a separator.
std::string FolderName(std::string_view path, LeadByteTest isLead);

// "archiver" profile "archive" "source*", where source is the folder path followed by "\".
// Every part is taken as it stands; empty parts stay empty.
std::string ArchiverCommandLine(std::string_view archiverPath, std::string_view profile,
                                std::string_view archivePath, std::string_view sourceFolder);

// CreateProcess takes at most 32767 characters, the terminating zero included.
constexpr std::size_t kMaxCommandLineChars = 32767;

// Number of characters (a double-byte character counting as one) of a code-page text.
std::size_t CharCount(std::string_view text, LeadByteTest isLead);

// Whether a command line fits what CreateProcess accepts.
bool CommandLineFits(std::string_view commandLine, LeadByteTest isLead);

// The words of a command line, the program's own name first: blanks (any byte up to and
// including " ") separate words, double quotes group blanks into a word and are removed, and
// a pair of adjacent double quotes where a word would begin is skipped. The words end at the
// first empty one.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace kestrova

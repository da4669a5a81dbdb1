// A file written whole, in one step: the settings file and the results file.
#pragma once

#include <string>
#include <string_view>

namespace kestrova {

// Writes the bytes to a new file beside path and puts it in path's place in one step (the file
// made where there was none), so that path is at every moment either the old file or the whole
// new one, with the old one's attributes (hidden, system). Where the folder takes no new file,
// the bytes are written over the file itself. False where the file refuses: a read-only file, a
// folder, a file held by another program, a folder that takes nothing; nothing changed then but
// where the write over the file itself failed on the way.
bool ReplaceFileBytes(const std::wstring& path, std::string_view bytes);

}  // namespace kestrova

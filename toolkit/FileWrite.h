// A file written whole, in one step: the settings file and the results file.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kestrova {

// How long a replacement that another program's hold refuses is tried again, before the file is
// written over in place, and how often.
constexpr unsigned long kReplaceRetryMs = 1000;
constexpr unsigned long kReplaceRetryStepMs = 50;

// Writes the bytes to a new file beside path and puts it in path's place in one step (the file
// made where there was none), so that path is at every moment either the old file or the whole
// new one, with the old one's attributes (hidden, system). The new file, and the backup name the
// old one takes on the way, are this save's own (SaveCompanionPath): two saves at once never take
// each other's, and after a step that failed half-way the new file is moved in (or the old one
// back), never deleted while it may be the only copy. While another program holds the file (or
// the new one: scanners and indexers open a new file as soon as it is closed) so that it cannot
// be replaced, the replacement is tried again for kReplaceRetryMs (onRetry is called before each
// new try), then the bytes are written over the file itself where it lets itself be written; so
// they are where the folder takes no new file. False where the file refuses: a read-only file, a
// folder, a file held by another program that lets nobody write it, a folder that takes nothing;
// nothing changed then but where the write over the file itself failed on the way.
bool ReplaceFileBytes(const std::wstring& path, std::string_view bytes,
                      const std::function<void()>& onRetry = {});

}  // namespace kestrova

// What a batch item is: only folders are archived, every other kind is skipped.
#pragma once

#include <string>
#include <vector>

namespace kestrova {

enum TItemKind : int {
  ikUnreadable = 1,  // not a folder, and it cannot be opened for reading
  ikZip = 2,         // a file starting with "PK"
  ik7z = 3,          // a file starting with "7z"
  ikOther = 4,       // any other readable file
  ikFolder = 5,      // an existing folder
};

// Looks at the path: a folder is never opened; a file only for a moment, to read two bytes.
TItemKind GetItemKind(const std::wstring& path);

// The folders directly inside a folder that are archived on their own (IsChildFolder), as full
// paths in Explorer's order of names ("b2" before "b10").
std::vector<std::wstring> ChildFolders(const std::wstring& folder);

}  // namespace kestrova

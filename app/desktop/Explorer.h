// What the program asks of the desktop shell: Explorer opened on a place, known folders, the
// Send To shortcut, and where the archiver is looked for.
#pragma once

#include <string>

#include <shlobj.h>

#include "toolkit/Win.h"

namespace kestrova {

// Whether the path lies in the user's temporary folder (where Explorer runs a program straight
// from a ZIP: whatever is written there is soon gone).
bool InTemporaryFolder(const std::wstring& path);

// Explorer at the path's folder, the path selected in it (a path too long for the shell in its
// short form, or the nearest folder above it that the shell takes).
void ShowInExplorer(const std::wstring& path);

// A known folder's path (SHGetKnownFolderPath); empty where the system cannot say.
std::wstring KnownFolderPath(REFKNOWNFOLDERID folder, DWORD flags = 0);

// The path of the shortcut "Kestrova.lnk" in the user's Send To folder, the folder made where
// missing only when asked (to add the shortcut); empty where the user has none.
std::wstring SendToShortcut(bool makeFolder);

// Whether Explorer's Send To menu has this program: not offered where the user has no Send To
// folder, nor for a copy run from the temporary folder (straight from a ZIP: the shortcut would
// point at a file that is soon gone). Nothing is made by asking.
enum class TSendTo { NotOffered, Absent, Present };
TSendTo SendToState();

// The folder the archiver's locate dialog starts in: the current archiver's, where it exists;
// else WinRAR's under the 64-bit or the 32-bit Program Files, whichever has one; else none.
std::wstring ArchiverFolderToOffer(const std::wstring& archiver);
// Makes a shortcut at link that starts target (in target's folder); false when it could not.
bool MakeShortcut(const std::wstring& link, const std::wstring& target);

}  // namespace kestrova

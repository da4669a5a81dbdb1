// What the program asks of the desktop shell and the window manager: Explorer opened on a
// place, and the messages that must reach the window when it runs elevated.
#pragma once

#include <initializer_list>
#include <string>

#include <shlobj.h>

#include "toolkit/Win.h"

namespace kestrova {

// Explorer at the path's folder, the path selected in it.
void ShowInExplorer(const std::wstring& path);

// A known folder's path (SHGetKnownFolderPath); empty where the system cannot say.
std::wstring KnownFolderPath(REFKNOWNFOLDERID folder, DWORD flags = 0);

// The path of the shortcut "Kestrova.lnk" in the user's Send To folder (the folder made where
// missing); empty where the user has none.
std::wstring SendToShortcut();
// Makes a shortcut at link that starts target (in target's folder); false when it could not.
bool MakeShortcut(const std::wstring& link, const std::wstring& target);

// Lets these messages reach the window from processes of a lower integrity level (Explorer's
// drops to an elevated window): the system's isolation refuses them otherwise.
void AllowMessagesFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages);

}  // namespace kestrova

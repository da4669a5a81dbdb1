// What the program asks of the desktop shell and the window manager: Explorer opened on a
// place, and the messages that must reach the window when it runs elevated.
#pragma once

#include <initializer_list>
#include <string>

#include "toolkit/Win.h"

namespace kestrova {

// Explorer at the path's folder, the path selected in it.
void ShowInExplorer(const std::wstring& path);

// Lets these messages reach the window from processes of a lower integrity level (Explorer's
// drops to an elevated window): the system's isolation refuses them otherwise.
void AllowMessagesFromLowerIntegrity(HWND window, std::initializer_list<UINT> messages);

}  // namespace kestrova

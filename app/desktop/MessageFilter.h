// Which processes may hand the window folders. Windows' isolation of integrity levels (UIPI)
// lets a message reach a window only from a process at the same level or higher. A Kestrova
// that runs elevated opens the messages of a hand-over to lower levels, since Explorer (its
// drops) and a second start from Send To run at medium; a normal Kestrova opens nothing, so a
// process at low integrity (a sandboxed renderer, a protected-mode program) cannot make it
// archive, or with a -df profile delete, anything.
#pragma once

#include <initializer_list>

#include "toolkit/Win.h"

namespace kestrova {

// Whether this process's token is elevated (an administrator's full token).
bool RunsElevated();

// When the program runs elevated, lets these messages reach the window from processes of a
// lower integrity level; otherwise leaves the system's filter as it is. Returns whether it
// opened them.
bool AcceptHandOversFromBelow(HWND window, std::initializer_list<UINT> messages);

}  // namespace kestrova

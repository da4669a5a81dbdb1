// Which processes may hand the window folders. Windows' isolation of integrity levels (UIPI)
// lets a message reach a window only from a process at the same level or higher. A Kestrova
// that runs elevated opens to lower levels only what the user does with Explorer (a drop) and
// the taskbar's word, never a second start's hand-over: a program at the normal level could
// send one with any folders and, with a -df profile, have folders deleted that only an
// administrator could delete. A second start hands its folders only to a window at its own
// level, so a start at the normal level opens a window of its own. A normal Kestrova opens
// nothing, so a process at low integrity (a sandboxed renderer, a protected-mode program)
// cannot make it archive, or delete, anything.
#pragma once

#include <optional>
#include <vector>

#include "toolkit/Win.h"

namespace kestrova {

// Whether this process's token is elevated (an administrator's full token); never under Wine,
// which calls every token elevated but has no levels to keep apart.
bool RunsElevated();
// Whether the process that owns the window runs elevated; nothing where its token cannot be
// read (a process at a higher integrity level keeps its token from a lower one).
std::optional<bool> RunsElevated(HWND window);

// The messages a window lets reach it from processes of lower integrity levels, by whether its
// own process runs elevated: a drop (WM_DROPFILES, WM_COPYGLOBALDATA) and the taskbar button's
// registered message when elevated, never WM_COPYDATA; nothing when not.
std::vector<UINT> MessagesFromLowerLevels(bool elevated, UINT taskbarButtonCreated);

// Lets the messages reach the window from lower levels (ChangeWindowMessageFilterEx, where the
// system has it).
void OpenToLowerLevels(HWND window, const std::vector<UINT>& messages);

}  // namespace kestrova

// Screen readers told a short text at once, whatever has the focus: the window raises UI
// Automation's notification event (Windows 10 1709 on), which Narrator and NVDA speak.
#pragma once

#include <string_view>

#include "toolkit/Win.h"

namespace kestrova {

// What the text says of a piece of work: that it was done, or given up.
enum class TAnnounced { Completed, Aborted };

// Raises the notification for the window with the text; activity names the kind of
// notification (a later one of the same kind replaces one not read yet). False where the
// system has no such notification.
bool Announce(HWND window, std::wstring_view text, TAnnounced kind, std::wstring_view activity);

}  // namespace kestrova

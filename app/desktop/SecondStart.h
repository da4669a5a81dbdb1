// A second start with paths (Explorer's Send To, a drop on the exe's icon) while Kestrova runs:
// the paths go to the running window, which takes them as a drop, and the second process ends.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "toolkit/Win.h"

namespace kestrova {

// Hands the paths to the main window of a Kestrova started from the same exe path, if one is
// shown, and brings it to the front; true when it took them.
bool HandOverToRunning(const std::vector<std::wstring>& paths);

// The paths a second start sent with WM_COPYDATA; nothing when the data is not that.
std::optional<std::vector<std::wstring>> HandedOver(const COPYDATASTRUCT& data);

}  // namespace kestrova

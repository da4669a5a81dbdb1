// A second start with paths (Explorer's Send To, a drop on the exe's icon) while Kestrova runs:
// the paths go to the running window, which takes them as a drop, and the second process ends.
// Starts of one exe file take turns until their window is shown, so that two at the same
// moment do not both open one.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Handles.h"
#include "toolkit/Win.h"

namespace kestrova {

// Held by a start from its beginning until its window is shown (Release) or it ends: a start
// of the same exe file meanwhile waits for it, at most kStartLockWaitMs, and then finds its
// window. A start that cannot have the lock goes on without it.
class TStartLock {
 public:
  static constexpr DWORD kStartLockWaitMs = 15000;
  TStartLock();
  ~TStartLock() { Release(); }
  TStartLock(const TStartLock&) = delete;
  TStartLock& operator=(const TStartLock&) = delete;
  void Release();

 private:
  UniqueHandle mutex_;
  bool held_ = false;
};

// Whether the window's process runs at this process's level: both elevated or neither (an
// elevated window's process cannot be asked from the normal level: not the same).
bool AtOwnLevel(HWND window);

// Hands the paths to the main window of a Kestrova started from the same exe file (its path as
// the file system names it: whatever path, drive letter, short name or case either was started
// by) that runs at this start's level (sameLevel: AtOwnLevel; Wine has no levels, and tests
// stand in), if one is shown, and brings it to the front; true when it took them. A start at
// the normal level never hands folders to an elevated window (which refuses them anyway), nor
// an elevated start to a normal one (which could not archive what only an administrator may
// read): each opens a window at its own level.
bool HandOverToRunning(const std::vector<std::wstring>& paths,
                       const std::function<bool(HWND)>& sameLevel = AtOwnLevel);

// The paths a second start sent with WM_COPYDATA; nothing when the data is not that.
std::optional<std::vector<std::wstring>> HandedOver(const COPYDATASTRUCT& data);

}  // namespace kestrova

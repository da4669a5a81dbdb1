// Work done on a thread of its own once at the start and again after each change in a folder (a
// file made, renamed, deleted or written), so that whoever wants what the folder holds never
// waits for it: a folder on a network share that sleeps holds this thread, never the window's.
// The work reads what it needs and posts it to whoever wants it (it must not touch a window's
// object: the watch's end does not wait for it). Where the folder cannot be watched (it is not
// there yet, or its file system gives no notifications), the work is done again every
// kPollMs instead; and it is done again when asked (Again), for a share whose server does not
// tell every change.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "toolkit/Win.h"

namespace kestrova {

class TFolderWatch {
 public:
  static constexpr DWORD kPollMs = 2000;

  // Starts the thread; a watch whose thread cannot start does the work once, here and now.
  TFolderWatch(std::wstring folder, std::function<void()> work);
  // Tells the thread to end, without waiting: a thread held by the file system ends once it is
  // let go, and does no more work.
  ~TFolderWatch();
  // Does the work once more, soon, on the watch's thread; returns at once.
  void Again();
  TFolderWatch(const TFolderWatch&) = delete;
  TFolderWatch& operator=(const TFolderWatch&) = delete;

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace kestrova

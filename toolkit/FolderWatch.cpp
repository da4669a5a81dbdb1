#include "toolkit/FolderWatch.h"

#include <process.h>

#include "toolkit/Handles.h"

namespace kestrova {

struct TFolderWatch::Shared {
  std::wstring folder;
  std::function<void()> work;
  UniqueHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  UniqueHandle again{CreateEventW(nullptr, FALSE, FALSE, nullptr)};

  bool Stopped() const { return WaitForSingleObject(stop.Get(), 0) == WAIT_OBJECT_0; }

  void Run() {
    constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                               FILE_NOTIFY_CHANGE_SIZE;
    HANDLE change = INVALID_HANDLE_VALUE;
    while (!Stopped()) {
      if (change == INVALID_HANDLE_VALUE) {
        change = FindFirstChangeNotificationW(folder.c_str(), FALSE, kChanges);
      }
      // Watched before the work, so that no change made while it works goes unseen.
      work();
      const bool watched = change != INVALID_HANDLE_VALUE;
      const HANDLE waits[] = {stop.Get(), again.Get(), change};
      const DWORD waited =
          WaitForMultipleObjects(watched ? 3 : 2, waits, FALSE, watched ? INFINITE : kPollMs);
      if (waited == WAIT_OBJECT_0 || waited == WAIT_FAILED) break;
      if (waited == WAIT_OBJECT_0 + 2 && !FindNextChangeNotification(change)) {
        FindCloseChangeNotification(change);
        change = INVALID_HANDLE_VALUE;
      }
    }
    if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
  }
};

TFolderWatch::TFolderWatch(std::wstring folder, std::function<void()> work)
    : shared_(std::make_shared<Shared>()) {
  shared_->folder = std::move(folder);
  shared_->work = std::move(work);
  if (!shared_->stop || !shared_->again) {
    shared_->work();
    return;
  }
  // The thread holds the shared part for as long as it runs.
  auto* held = new std::shared_ptr<Shared>(shared_);
  const uintptr_t thread = _beginthreadex(
      nullptr, 0,
      [](void* argument) -> unsigned {
        const std::unique_ptr<std::shared_ptr<Shared>> shared(
            static_cast<std::shared_ptr<Shared>*>(argument));
        (*shared)->Run();
        return 0;
      },
      held, 0, nullptr);
  if (thread == 0) {
    delete held;
    shared_->work();
    return;
  }
  CloseHandle(reinterpret_cast<HANDLE>(thread));
}

TFolderWatch::~TFolderWatch() {
  if (shared_->stop) SetEvent(shared_->stop.Get());
}

void TFolderWatch::Again() {
  if (shared_->again) SetEvent(shared_->again.Get());
}

}  // namespace kestrova

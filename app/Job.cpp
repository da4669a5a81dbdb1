// Items of a batch on threads of their own.
#include "app/Job.h"

#include <process.h>
#include <utility>

#include "app/ItemKind.h"
#include "app/JobText.h"
#include "app/Process.h"
#include "app/Reasons.h"
#include "resources/resource.h"
#include "toolkit/Text.h"

namespace kestrova {

std::optional<TResult> ArchiveFolder(std::wstring_view given, const TJobSettings& settings,
                                     TJobControl& control,
                                     const std::function<bool(const std::wstring&)>& mayStart) {
  // "D:\Photos\" is archived as "D:\Photos"; a root keeps its separator.
  TResult result;
  result.folder = WithoutTrailingSeparators(given);
  result.name = FolderName(result.folder);
  result.archive = result.folder + settings.ext;
  const bool existed = IsFile(result.archive);
  std::wstring commandLine = ArchiverCommandLine(settings.archiver, settings.profile,
                                                 result.archive, result.folder + L"\\");
  if (!mayStart(result.name)) return std::nullopt;
  if (!CommandLineFits(commandLine)) {
    result.kind = TResult::Kind::Failed;
    result.reason = LoadStr(IDS_TOO_LONG);
    return result;
  }
  const TProcessEnd end = RunProcess(std::move(commandLine), control.KillEvent());
  // What a stopped archiver was writing is no archive; one that was there before is the user's.
  if (end.how == TProcessEnd::How::Killed && !existed) {
    DeleteFileW(ServicePath(result.archive).c_str());
  }
  result.reason = ReasonOfEnd(end);
  if (!result.reason.empty()) result.kind = TResult::Kind::Failed;
  return result;
}

namespace {

// An item's thread: owns everything it works with, and ends with the item.
struct ItemThread {
  HWND window;
  std::uint64_t id;
  std::wstring item;
  TJobSettings settings;
  std::shared_ptr<TJobControl> control;
  std::function<void()> pause;

  static unsigned __stdcall Run(void* self) {
    std::unique_ptr<ItemThread>(static_cast<ItemThread*>(self))->Go();
    return 0;
  }

  void Go() noexcept {
    auto outcome = std::make_unique<TItemOutcome>();
    outcome->id = id;
    try {
      if (pause) pause();
      if (GetItemKind(item) == ikFolder) {
        outcome->result = ArchiveFolder(item, settings, *control, [&](const std::wstring& name) {
          if (pause) pause();
          return SendMessageW(window, kItemMayStart, static_cast<WPARAM>(id),
                              reinterpret_cast<LPARAM>(&name)) == 1;
        });
      }
    } catch (...) {
      // Nothing but memory can run out here: the folder counts as failed.
      TResult failed;
      failed.kind = TResult::Kind::Failed;
      failed.folder = WithoutTrailingSeparators(item);
      failed.name = FolderName(failed.folder);
      failed.reason = SystemMessage(ERROR_NOT_ENOUGH_MEMORY);
      outcome->result = std::move(failed);
    }
    // A window that is gone takes nothing: the outcome goes with this thread.
    if (PostMessageW(window, kItemDone, 0, reinterpret_cast<LPARAM>(outcome.get()))) {
      outcome.release();
    }
  }
};

}  // namespace

bool StartItem(HWND window, std::uint64_t id, std::wstring item, TJobSettings settings,
               std::shared_ptr<TJobControl> control, std::function<void()> pause) {
  auto thread = std::make_unique<ItemThread>(ItemThread{window, id, std::move(item),
                                                        std::move(settings), std::move(control),
                                                        std::move(pause)});
  const auto handle = _beginthreadex(nullptr, 0, &ItemThread::Run, thread.get(), 0, nullptr);
  if (handle == 0) return false;
  thread.release();  // the thread's own now
  CloseHandle(reinterpret_cast<HANDLE>(handle));
  return true;
}

}  // namespace kestrova

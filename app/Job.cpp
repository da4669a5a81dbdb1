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
  const std::optional<std::wstring> archive =
      ArchiveToMake(result.folder, settings.ext, settings.existingArchive, Exists);
  if (!archive) {
    result.kind = TResult::Kind::Skipped;
    result.archive = result.folder + settings.ext;
    result.reason = LoadStr(IDS_ALREADY_THERE) + result.archive;
    return result;
  }
  result.archive = *archive;
  const bool existed = Exists(result.archive);
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
  if (!result.reason.empty()) {
    result.kind = TResult::Kind::Failed;
  } else if (result.archive != result.folder + settings.ext) {
    result.reason = LoadStr(IDS_MADE_AS) + result.archive;
  }
  return result;
}

namespace {

// A given folder that stands for the folders inside it, and has none.
TResult NoChildFolders(const std::wstring& path) {
  TResult result;
  result.kind = TResult::Kind::Skipped;
  result.folder = WithoutTrailingSeparators(path);
  result.name = FolderName(result.folder);
  result.reason = LoadStr(IDS_NO_FOLDERS);
  return result;
}

// An item's thread: owns everything it works with, and ends with the item.
struct ItemThread {
  HWND window;
  std::uint64_t id;
  TBatchItem item;
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
      if (GetItemKind(item.path) != ikFolder) {
        // Not a folder: skipped without a line.
      } else if (settings.target == TTarget::Children && !item.child) {
        outcome->children = ChildFolders(item.path);
        if (outcome->children.empty()) outcome->result = NoChildFolders(item.path);
      } else {
        outcome->result = ArchiveFolder(item.path, settings, *control, [&](const std::wstring& name) {
          if (pause) pause();
          return SendMessageW(window, kItemMayStart, static_cast<WPARAM>(id),
                              reinterpret_cast<LPARAM>(&name)) == 1;
        });
      }
    } catch (...) {
      // Nothing but memory can run out here: the folder counts as failed.
      TResult failed;
      failed.kind = TResult::Kind::Failed;
      failed.folder = WithoutTrailingSeparators(item.path);
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

bool StartItem(HWND window, std::uint64_t id, TBatchItem item, TJobSettings settings,
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

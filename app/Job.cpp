// Items of a batch on the window's worker thread.
#include "app/Job.h"

#include <process.h>

#include <atomic>
#include <utility>

#include "app/ItemKind.h"
#include "app/JobText.h"
#include "app/Process.h"
#include "app/Reasons.h"
#include "resources/resource.h"
#include "toolkit/Text.h"

namespace kestrova {

TResult FolderResult(std::wstring_view given, TResult::Kind kind, std::wstring reason) {
  TResult result;
  result.kind = kind;
  result.folder = WithoutTrailingSeparators(given);
  result.name = FolderName(result.folder);
  result.reason = std::move(reason);
  return result;
}

std::optional<TResult> ArchiveFolder(std::wstring_view given, const TJobSettings& settings,
                                     TJobControl& control,
                                     const std::function<bool(const std::wstring&)>& mayStart) {
  TResult result = FolderResult(given);
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

// An item handed to the worker: everything it works with, its own.
struct TItemWorker::Request {
  std::uint64_t id;
  TBatchItem item;
  TJobSettings settings;
  std::shared_ptr<TJobControl> control;
  std::function<void()> pause;
};

// What the window and the thread share: the thread keeps it alive as long as it runs, so the
// window may go first.
struct TItemWorker::Shared {
  HWND window = nullptr;
  UniqueHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  std::atomic<Request*> request{nullptr};
  std::atomic<bool> quit{false};
};

namespace {

std::unique_ptr<TItemOutcome> Look(HWND window, const TItemWorker::Request& request) noexcept;

}  // namespace

TItemWorker::TItemWorker(HWND window) : shared_(std::make_shared<Shared>()) {
  shared_->window = window;
}

TItemWorker::~TItemWorker() {
  if (!started_) return;
  // The thread ends once its item, if any, is done; nothing here waits for it.
  shared_->quit = true;
  SetEvent(shared_->wake.Get());
}

bool TItemWorker::Start(std::uint64_t id, TBatchItem item, TJobSettings settings,
                        std::shared_ptr<TJobControl> control, std::function<void()> pause) {
  if (!shared_->wake) return false;
  if (!started_) {
    // One thread for all items of the window: a thread costs more than a folder's own work
    // (under Wine a thread that talks to a window even opens a display connection).
    auto* keep = new std::shared_ptr<Shared>(shared_);
    const auto handle = _beginthreadex(nullptr, 0, &TItemWorker::Loop, keep, 0, nullptr);
    if (handle == 0) {
      delete keep;
      return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    started_ = true;
  }
  delete shared_->request.exchange(new Request{id, std::move(item), std::move(settings),
                                               std::move(control), std::move(pause)});
  SetEvent(shared_->wake.Get());
  return true;
}

unsigned __stdcall TItemWorker::Loop(void* keep) {
  const std::shared_ptr<Shared> shared = *static_cast<std::shared_ptr<Shared>*>(keep);
  delete static_cast<std::shared_ptr<Shared>*>(keep);
  for (;;) {
    WaitForSingleObject(shared->wake.Get(), INFINITE);
    const std::unique_ptr<Request> request(shared->request.exchange(nullptr));
    if (shared->quit) break;
    if (!request) continue;
    std::unique_ptr<TItemOutcome> outcome = Look(shared->window, *request);
    // A window that is gone takes nothing: the outcome goes with this thread.
    if (outcome && PostMessageW(shared->window, kItemDone, 0,
                                reinterpret_cast<LPARAM>(outcome.get()))) {
      outcome.release();
    }
  }
  return 0;
}

namespace {

std::unique_ptr<TItemOutcome> Look(HWND window, const TItemWorker::Request& request) noexcept {
  try {
    auto outcome = std::make_unique<TItemOutcome>();
    outcome->id = request.id;
    try {
      if (request.pause) request.pause();
      const TBatchItem& item = request.item;
      if (GetItemKind(item.path) != ikFolder) {
        // Not a folder: skipped without a line.
      } else if (request.settings.target == TTarget::Children && !item.child) {
        outcome->children = ChildFolders(item.path);
        // A given folder that stands for the folders inside it, and has none.
        if (outcome->children.empty()) {
          outcome->result =
              FolderResult(item.path, TResult::Kind::Skipped, LoadStr(IDS_NO_FOLDERS));
        }
      } else {
        outcome->result = ArchiveFolder(
            item.path, request.settings, *request.control, [&](const std::wstring& name) {
              if (request.pause) request.pause();
              return SendMessageW(window, kItemMayStart, static_cast<WPARAM>(request.id),
                                  reinterpret_cast<LPARAM>(&name)) == 1;
            });
      }
    } catch (...) {
      // Nothing but memory can run out here: the folder counts as failed.
      outcome->result = FolderResult(request.item.path, TResult::Kind::Failed,
                                     SystemMessage(ERROR_NOT_ENOUGH_MEMORY));
    }
    return outcome;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

}  // namespace kestrova

// The batch's worker thread and the ways its items end.
#include "app/batch/ItemWorker.h"

#include <process.h>

#include <atomic>
#include <exception>
#include <new>
#include <utility>

#include "app/batch/ExitReasons.h"
#include "app/batch/Files.h"
#include "toolkit/OwnedMessage.h"

namespace kestrova {

// An item handed to the worker: everything it works with, its own, and the outcome it ends in.
struct TItemWorker::Request {
  TBatchItem item;
  TJobSettings settings;
  std::shared_ptr<TJobControl> control;
  std::unique_ptr<TItemOutcome> outcome;
};

// What the window and the thread share: the thread keeps it alive as long as it runs, so the
// window may go first.
struct TItemWorker::Shared {
  HWND window = nullptr;
  std::function<void()> pause;
  decltype(&PostMessageW) post = &PostMessageW;
  UniqueHandle wake{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  std::atomic<Request*> request{nullptr};
  std::atomic<bool> quit{false};
};

namespace {

// Asks the window whether the step may start; a start told to wait asks again once the item's
// control is resumed (or ends without starting once it is killed).
bool MayStart(HWND window, std::uint64_t id, const TStepStart& start, TJobControl& control) {
  for (;;) {
    const auto answer = static_cast<TItemStart>(SendMessageW(
        window, msg::kItemMayStart, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&start)));
    if (answer != TItemStart::Wait) return answer == TItemStart::Yes;
    const HANDLE events[] = {control.ResumeEvent(), control.KillEvent()};
    if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) return false;
  }
}

// The item's work; whatever it throws leaves the outcome broken off and saying why.
void Look(const TItemWorker::Shared& shared, TItemWorker::Request& request) noexcept {
  TItemOutcome& outcome = *request.outcome;
  try {
    if (shared.pause) shared.pause();
    const TBatchItem& item = request.item;
    if (GetItemKind(item.path) != ikFolder) {
      // Not a folder: skipped without a line.
    } else if (request.settings.choices.target == TTarget::Children && !item.child) {
      outcome.children = ChildFolders(item.path);
      // A given folder that stands for the folders inside it, and has none.
      if (outcome.children.empty()) {
        outcome.result = FolderResult(item.path, TResult::Kind::Skipped, ReasonNoFolders());
      }
    } else {
      TJobControl& control = *request.control;
      outcome.result = ArchiveFolder(
          item.path, request.settings, control,
          [&](TStep step, const std::wstring& name) {
            if (shared.pause) shared.pause();
            return MayStart(shared.window, outcome.id, TStepStart{step, name}, control);
          },
          [&](int percent) {
            if (control.SetPercent(percent) &&
                !PostMessageW(shared.window, msg::kItemProgress, static_cast<WPARAM>(outcome.id),
                              0)) {
              control.Untold();
            }
          });
    }
  } catch (...) {
    outcome.result.reset();
    outcome.children.clear();
    outcome.brokeOff = true;
    outcome.failure = FailureText(std::current_exception());
  }
}

// The outcome to the window. A refused post (a full queue) is sent instead, which needs no room
// in the queue; the window answers 1 once it has taken the outcome. A window that is gone takes
// nothing: the outcome goes with this thread.
void Deliver(const TItemWorker::Shared& shared, std::unique_ptr<TItemOutcome> outcome) {
  if (msg::PostOwned(shared.window, msg::kItemDone, 0, outcome, shared.post)) return;
  if (SendMessageW(shared.window, msg::kItemDone, 0, reinterpret_cast<LPARAM>(outcome.get())) ==
      1) {
    outcome.release();
  }
}

}  // namespace

TItemWorker::TItemWorker(HWND window, std::uint64_t number, const TWorkerSeams& seams)
    : number_(number), shared_(std::make_shared<Shared>()), beginThread_(seams.beginThread) {
  shared_->window = window;
  shared_->pause = seams.pause;
  if (seams.post != nullptr) shared_->post = seams.post;
  if (!beginThread_) {
    beginThread_ = [](unsigned(__stdcall * loop)(void*), void* argument) {
      return _beginthreadex(nullptr, 0, loop, argument, 0, nullptr);
    };
  }
}

TItemWorker::~TItemWorker() {
  if (wait_ != nullptr) {
    // Waits for a callback that runs now (it only posts), never for the thread.
    UnregisterWaitEx(wait_, INVALID_HANDLE_VALUE);
  }
  if (!thread_) return;
  shared_->quit = true;
  SetEvent(shared_->wake.Get());
}

bool TItemWorker::Start(std::uint64_t id, TBatchItem item, TJobSettings settings,
                        std::shared_ptr<TJobControl> control) {
  // The outcome exists before the work starts: the item ends in it whatever the work does.
  auto outcome = std::make_unique<TItemOutcome>();
  outcome->id = id;
  auto request = std::make_unique<Request>(
      Request{std::move(item), std::move(settings), std::move(control), std::move(outcome)});
  if (!shared_->wake) return false;
  if (!thread_) {
    // One thread for all items of the window: a thread costs more than a folder's own work
    // (under Wine a thread that talks to a window even opens a display connection).
    auto keep = std::make_unique<std::shared_ptr<Shared>>(shared_);
    const std::uintptr_t handle = beginThread_(&TItemWorker::Loop, keep.get());
    if (handle == 0) return false;
    keep.release();
    thread_.Reset(reinterpret_cast<HANDLE>(handle));
    // Its end, whenever it comes, reaches the window: an item it leaves unfinished fails there.
    watch_ = std::make_unique<Watch>(Watch{shared_->window, number_});
    if (!RegisterWaitForSingleObject(&wait_, thread_.Get(), &TItemWorker::ThreadEnded,
                                     watch_.get(), INFINITE, WT_EXECUTEONLYONCE)) {
      wait_ = nullptr;
    }
  }
  delete shared_->request.exchange(request.release());
  SetEvent(shared_->wake.Get());
  return true;
}

void CALLBACK TItemWorker::ThreadEnded(void* watch, BOOLEAN) {
  // Sent without waiting rather than posted: it needs no room in the window's queue.
  const Watch& ended = *static_cast<const Watch*>(watch);
  SendNotifyMessageW(ended.window, msg::kWorkerEnded, static_cast<WPARAM>(ended.number), 0);
}

unsigned __stdcall TItemWorker::Loop(void* keep) {
  const std::shared_ptr<Shared> shared = *static_cast<std::shared_ptr<Shared>*>(keep);
  delete static_cast<std::shared_ptr<Shared>*>(keep);
  for (;;) {
    WaitForSingleObject(shared->wake.Get(), INFINITE);
    const std::unique_ptr<Request> request(shared->request.exchange(nullptr));
    if (shared->quit) break;
    if (!request) continue;
    Look(*shared, *request);
    request->control->Finished();
    Deliver(*shared, std::move(request->outcome));
  }
  return 0;
}

}  // namespace kestrova

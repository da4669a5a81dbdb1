// The batch's worker: one thread per window that takes the batch's items one at a time, away
// from the window's thread, so that the window never waits for the file system or a process.
// A folder is archived (ArchiveFolder); when the batch's choices say so, the folders inside a
// given one are listed; anything else is skipped. It talks to its runner only through the
// window's messages below: kItemMayStart (sent) before an archiver, a test or a move to the bin
// starts, kItemProgress as the archiver's percentage rises, kItemDone at the item's end,
// kWorkerEnded when its thread has ended.
//
// Every item ends in a kItemDone, whatever happens to it: its outcome is made with the request,
// before the work starts; the work's exceptions become a broken-off outcome; a refused post is
// sent instead. What the worker cannot report itself (its thread did not start, or ended in the
// middle of an item) the runner learns from Start's false and from kWorkerEnded.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/batch/ArchiveJob.h"
#include "app/batch/Batch.h"
#include "toolkit/Handles.h"

namespace kestrova {

namespace msg {
// The worker's messages to its window, whose runner takes them (WM_APP + 1 to + 15 are the
// batch's; the window's own come after).
// Sent right before an archiver starts, an archive's test starts or a folder goes to the bin:
// wParam the item's number, lParam what starts (const TStepStart*, the sender's). The answer is
// a TItemStart.
constexpr UINT kItemMayStart = WM_APP + 1;
// Posted at an item's end (sent when the post is refused): lParam an owned TItemOutcome
// (PostOwned); the window answers 1 once it has taken it.
constexpr UINT kItemDone = WM_APP + 2;
// Posted once the worker's thread has ended, whatever way: wParam the worker's number.
constexpr UINT kWorkerEnded = WM_APP + 3;
// Posted when the percentage the item's archiver prints has risen and the window has taken the
// one before (TJobControl::SetPercent, TakePercent): wParam the item's number.
constexpr UINT kItemProgress = WM_APP + 4;
// The first id after the batch's.
constexpr UINT kAfterBatchMessages = WM_APP + 16;
}  // namespace msg

// What became of an item: a folder's result; none for anything else (skipped without a line)
// and for a folder whose archiver was not let start; for a given folder that stands for the
// folders inside it, those folders. When the work broke off (an exception), no result but why.
struct TItemOutcome {
  std::uint64_t id = 0;
  std::optional<TResult> result;
  std::vector<std::wstring> children;
  bool brokeOff = false;
  std::wstring failure;  // what broke it off, in words; empty when even that could not be said
};

// What kItemMayStart asks about: the step, and the folder's name.
struct TStepStart {
  TStep step;
  const std::wstring& name;
};

// The window's answer to kItemMayStart: start, don't (the batch stops), or wait until the
// item's control is resumed and ask again (a stop question is open).
enum class TItemStart : LRESULT { No = 0, Yes = 1, Wait = 2 };

// Where tests make each way out of an item happen.
struct TWorkerSeams {
  // Runs on the worker's thread before it looks at an item and before its archiver starts.
  std::function<void()> pause;
  // How the outcome is posted.
  decltype(&PostMessageW) post = &PostMessageW;
  // How the thread is started: a thread handle as _beginthreadex gives it, 0 (with the error in
  // GetLastError) when none could be.
  std::function<std::uintptr_t(unsigned(__stdcall*)(void*), void*)> beginThread;
};

class TItemWorker {
 public:
  // number: what its kWorkerEnded carries.
  TItemWorker(HWND window, std::uint64_t number, const TWorkerSeams& seams);
  // Nothing here waits for the thread: it ends once its item, if any, is done.
  ~TItemWorker();
  TItemWorker(const TItemWorker&) = delete;
  TItemWorker& operator=(const TItemWorker&) = delete;

  std::uint64_t Number() const { return number_; }

  // Hands the next item over (the last one's outcome has come); the thread starts with the
  // first. False when it could not be started (the error in GetLastError).
  bool Start(std::uint64_t id, TBatchItem item, TJobSettings settings,
             std::shared_ptr<TJobControl> control);

  struct Request;
  struct Shared;

 private:
  struct Watch {
    HWND window;
    std::uint64_t number;
  };
  static unsigned __stdcall Loop(void* shared);
  static void CALLBACK ThreadEnded(void* watch, BOOLEAN timedOut);

  std::uint64_t number_;
  std::shared_ptr<Shared> shared_;
  std::function<std::uintptr_t(unsigned(__stdcall*)(void*), void*)> beginThread_;
  UniqueHandle thread_;
  // The wait that posts kWorkerEnded when the thread's handle is signalled.
  HANDLE wait_ = nullptr;
  std::unique_ptr<Watch> watch_;
};

}  // namespace kestrova

// A batch driven through the worker's messages.
#include "app/batch/BatchRunner.h"

#include <new>
#include <utility>

#include "app/batch/ExitReasons.h"
#include "toolkit/OwnedMessage.h"

namespace kestrova {

namespace {

// Each item of a batch has its own number, across windows: a message of an item that is not
// the window's own is ignored.
std::uint64_t NextItemId() {
  static std::uint64_t last = 0;
  return ++last;
}

}  // namespace

TBatchRunner::TBatchRunner(HWND window, TBatchListener& listener)
    : window_(window), listener_(listener) {}

TBatchRunner::~TBatchRunner() {
  // A start held by a question asks again, and a window that is gone says no; an archiver
  // that runs is let finish.
  if (job_) job_->Resume();
}

void TBatchRunner::Begin(std::vector<TBatchItem> items, TJobSettings settings) {
  settings_ = std::move(settings);
  batch_.Begin(std::move(items));
  NextItem();
}

void TBatchRunner::Add(std::vector<std::wstring> items) {
  batch_.Add(std::move(items));
  ShowProgress();
}

bool TBatchRunner::Answer(bool yes) {
  const TBatch::Then then = batch_.Answer(yes);
  if (then == TBatch::Then::Kill && job_) job_->Kill();
  // The question held the next item and an archiver about to start: they go on now (or find
  // the batch stopped).
  if (job_) job_->Resume();
  if (batch_.Running() && itemId_ == 0) NextItem();
  return then == TBatch::Then::Close;
}

void TBatchRunner::Pause() {
  batch_.Pause();
  ShowProgress();
}

void TBatchRunner::Resume() {
  if (!batch_.Paused()) return;
  batch_.Resume();
  // An archiver about to start when the pause came starts now; between folders the next is
  // taken.
  if (job_) job_->Resume();
  if (itemId_ == 0) {
    NextItem();
  } else {
    ShowProgress();
  }
}

void TBatchRunner::EndSession() {
  const bool paused = batch_.Paused();
  batch_.EndSession();
  // Paused between folders, nothing is left to wait for: the batch ends now.
  if (paused && itemId_ == 0) NextItem();
  if (!job_) return;
  // Windows may end the process any time after WM_ENDSESSION returns: the archiver is ended
  // now, and the half-made archive deleted, unless that takes longer than a moment.
  // The worker may be asking whether its archiver may start meanwhile: messages sent to the
  // window are answered while it waits (the batch stops, so the answer is no).
  constexpr ULONGLONG kCleanUpMs = 5000;
  const std::shared_ptr<TJobControl> job = job_;
  job->Kill();
  const HANDLE finished = job->FinishedEvent();
  const ULONGLONG end = GetTickCount64() + kCleanUpMs;
  for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
    const DWORD waited = MsgWaitForMultipleObjects(1, &finished, FALSE,
                                                   static_cast<DWORD>(end - now), QS_SENDMESSAGE);
    if (waited != WAIT_OBJECT_0 + 1) break;
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

bool TBatchRunner::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case msg::kItemMayStart: {
      TItemStart start = TItemStart::No;
      const auto* step = reinterpret_cast<const TStepStart*>(lParam);
      if (wParam == itemId_ && itemId_ != 0) {
        switch (batch_.MayStart(step != nullptr && step->step != TStep::Archive)) {
          case TBatch::Start::Yes:
            start = TItemStart::Yes;
            if (step != nullptr) listener_.ItemStarts(step->step, step->name);
            break;
          case TBatch::Start::Wait:
            start = TItemStart::Wait;
            break;
          case TBatch::Start::No:
            break;
        }
      }
      result = static_cast<LRESULT>(start);
      return true;
    }
    case msg::kItemDone: {
      const std::unique_ptr<TItemOutcome> outcome = msg::TakeOwned<TItemOutcome>(lParam);
      result = 1;
      ItemDone(*outcome);
      return true;
    }
    case msg::kItemProgress:
      if (wParam == itemId_ && itemId_ != 0 && job_) {
        if (const int percent = job_->TakePercent(); percent >= 0) percent_ = percent;
        ShowProgress();
      }
      result = 0;
      return true;
    case msg::kWorkerEnded:
      if (worker_ && worker_->Number() == wParam) {
        // Its thread is gone: the next item gets a new one, and the item it left fails.
        worker_.reset();
        if (itemId_ != 0) Fail(ReasonWorkerEnded());
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

void TBatchRunner::NextItem() {
  while (std::optional<TBatchItem> item = batch_.Next()) {
    ShowProgress();
    itemId_ = NextItemId();
    itemPath_ = item->path;
    DWORD error = ERROR_SUCCESS;
    try {
      job_ = std::make_shared<TJobControl>();
      if (!worker_) worker_ = std::make_unique<TItemWorker>(window_, ++workers_, Seams);
      if (worker_->Start(itemId_, std::move(*item), settings_, job_)) return;
      error = GetLastError();
      worker_.reset();
    } catch (const std::bad_alloc&) {
      error = ERROR_NOT_ENOUGH_MEMORY;
    }
    // No worker for it: the folder fails, and the batch goes on with the next.
    Record(FolderResult(itemPath_, TResult::Kind::Failed, ReasonWorkerNotStarted(error)), {});
  }
  // Held by an open question or a pause: the next item starts once it is answered, or resumed.
  if (!batch_.Over()) {
    ShowProgress();
    return;
  }
  TBatch::Ended ended = batch_.End();
  itemId_ = 0;
  job_.reset();
  listener_.ProgressChanged(TBatchProgress{});
  listener_.BatchEnded(std::move(ended));
}

void TBatchRunner::ItemDone(const TItemOutcome& outcome) {
  if (outcome.id != itemId_ || itemId_ == 0 || !batch_.Running()) return;
  if (outcome.brokeOff) {
    Fail(ReasonBrokeOff(outcome.failure));
    return;
  }
  Finish(outcome.result, outcome.children);
}

void TBatchRunner::Fail(std::wstring reason) {
  Finish(FolderResult(itemPath_, TResult::Kind::Failed, std::move(reason)));
}

void TBatchRunner::Finish(std::optional<TResult> result, std::vector<std::wstring> children) {
  Record(std::move(result), std::move(children));
  NextItem();
}

void TBatchRunner::Record(std::optional<TResult> result, std::vector<std::wstring> children) {
  itemId_ = 0;
  job_.reset();
  percent_.reset();
  batch_.AddChildren(std::move(children));
  if (const std::optional<std::size_t> index = batch_.ItemDone(std::move(result))) {
    listener_.ResultAdded(*index, *batch_.Result(*index));
  }
}

void TBatchRunner::ShowProgress() {
  if (batch_.Running()) {
    listener_.ProgressChanged(TBatchProgress{batch_.Done(), batch_.Total(), batch_.Failed(),
                                             percent_, batch_.Paused()});
  }
}

TBatchRunner::HandOver TBatchRunner::TakeHandOver(std::vector<std::wstring>& paths) {
  if (closing_ || !batch_.TakesHandOver()) return HandOver::Refused;
  if (!Running()) return HandOver::Later;
  Add(std::move(paths));
  return HandOver::Joined;
}

}  // namespace kestrova

// A batch from its first item to its end, for a window: it owns the batch's rules (TBatch), the
// worker, the item in hand with the control that ends its archiver, and the choices the batch
// began with. It takes the worker's messages (the window hands them over first thing) and tells
// the window what to show through a small listener. It asks the user nothing: the window asks,
// and gives the runner the answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/batch/ArchiveJob.h"
#include "app/batch/Batch.h"
#include "app/batch/ItemWorker.h"
#include "toolkit/Win.h"

namespace kestrova {

// What a batch tells its window.
class TBatchListener {
 public:
  // A step of an item is about to start (its archiver, its archive's test, the folder's move to
  // the bin): the folder's name.
  virtual void ItemStarts(TStep step, const std::wstring& name) = 0;
  // A folder's result, kept in the batch at index.
  virtual void ResultAdded(std::size_t index, const TResult& result) = 0;
  // How far the batch is; all zero once it has ended.
  virtual void ProgressChanged(const TBatchProgress& progress) = 0;
  // The batch is over; what the window does next is in ended.
  virtual void BatchEnded(TBatch::Ended ended) = 0;

 protected:
  ~TBatchListener() = default;
};

class TBatchRunner {
 public:
  TBatchRunner(HWND window, TBatchListener& listener);
  ~TBatchRunner();
  TBatchRunner(const TBatchRunner&) = delete;
  TBatchRunner& operator=(const TBatchRunner&) = delete;

  bool Running() const { return batch_.Running(); }
  // The batch's results (also after it ended, until the next begins).
  const TResult* Result(std::size_t index) const { return batch_.Result(index); }
  std::vector<TBatchItem> FailedFolders() const { return batch_.FailedFolders(); }

  // Begins a batch of these items with these choices; the first item goes to the worker now.
  void Begin(std::vector<TBatchItem> items, TJobSettings settings);
  // Items given while the batch runs (TBatch::Add).
  void Add(std::vector<std::wstring> items);

  // A second start's paths: joined to the running batch, to run as a batch of their own once
  // the second start has its answer (Later), or refused, so that the second start opens a
  // window of its own rather than lose them: while the window closes or asks whether to.
  enum class HandOver { Refused, Joined, Later };
  HandOver TakeHandOver(std::vector<std::wstring>& paths);
  // The window closes (or asks the user whether to end unsaved): no hand-over is taken.
  void SetClosing(bool closing) { closing_ = closing; }

  // A request to stop and the question it asks (TBatch::RequestStop); while it is open no new
  // item starts. Answer acts on the answer: true when the window is to close now.
  TBatch::Question RequestStop(TBatch::After after) { return batch_.RequestStop(after); }
  // Whether the batch stops with only a look at its item in hand left (TBatch::OnlyLooking): a
  // close need not wait for it; the worker ends the look by itself, once the system lets it.
  bool OnlyLooking() const { return batch_.OnlyLooking(); }
  bool Answer(bool yes);
  // Holds the batch between folders (TBatch::Pause) and lets it go on: an archiver that was
  // about to start starts then, or the next item is taken.
  void Pause();
  void Resume();
  bool Paused() const { return batch_.Paused(); }

  // The session ends: no further archiver starts, and the one that runs is ended, so that no
  // half-made archive stays behind; waits a bounded time for the worker to clean up. A batch
  // paused between folders ends at once.
  void EndSession();
  // What the window does once the batch has ended.
  void ThenDo(TBatch::After after) { batch_.ThenDo(after); }

  // Tells the listener the progress again, while a batch runs.
  void ShowProgress();

  // The worker's messages (ItemWorker.h): true when it was one of them.
  bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Where tests make the worker's ways out happen; read when a worker is made.
  TWorkerSeams Seams;

 private:
  // Takes the batch's next item to the worker, or ends the batch when it is over.
  void NextItem();
  // The item in hand ends with this outcome (none: it gave no line).
  void Finish(std::optional<TResult> result, std::vector<std::wstring> children = {});
  // The same without taking the next item.
  void Record(std::optional<TResult> result, std::vector<std::wstring> children);
  // The item in hand fails for this reason, as every way out of it that is not its own result.
  void Fail(std::wstring reason);
  void ItemDone(const TItemOutcome& outcome);

  HWND window_;
  TBatchListener& listener_;
  TBatch batch_;
  // What the batch's folders get, taken as it began.
  TJobSettings settings_;
  // The item in hand: its number (messages of other items are not its), its path, and how to
  // end its archiver or let it start.
  std::uint64_t itemId_ = 0;
  std::wstring itemPath_;
  std::shared_ptr<TJobControl> job_;
  // The percentage its archiver last printed.
  std::optional<int> percent_;
  std::unique_ptr<TItemWorker> worker_;
  std::uint64_t workers_ = 0;
  bool closing_ = false;
};

}  // namespace kestrova

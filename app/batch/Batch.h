// A batch as its own unit: the items still to be looked at, how far it has got, what became of
// each folder, and the rules of stopping it. Window-free (the host build tests it); the batch
// runner drives it, and its window shows it and asks the user what it says to ask.
//
// One item is in hand at a time, from Next until ItemDone. A stop empties the queue: no further
// item is taken, and the archiver of the item in hand is let finish (or, after a second request
// and its question, ended). While a stop or close question is open nothing new starts: the next
// item waits, and so does an archiver about to start; the one running goes on. Items that
// arrive while a batch stops to stay open wait for a batch of their own after it; once it stops
// to close, nothing new is taken. A pause holds the batch between folders: the archiver that
// runs finishes, no item is taken and no archiver starts until it resumes; a stop, a close and
// the end of the session act on a paused batch as on one between folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova {

// What became of a folder of a batch.
struct TResult {
  enum class Kind { Ok, Failed, Skipped };
  Kind kind = Kind::Ok;
  std::wstring name;     // the folder's name, as its line shows it
  std::wstring folder;   // the folder archived
  std::wstring archive;  // the archive it was to become
  std::wstring reason;   // why it failed or was skipped; empty when it did not
  // The size of the archive the archiver left (none when it left none, or did not run), and
  // how long it ran, its clean-up included.
  std::optional<std::uint64_t> archiveSize;
  std::uint64_t milliseconds = 0;
};

// An item of a batch: a path given (dropped, named on the command line), or a folder found
// inside a given one (archived as it is, never looked into).
struct TBatchItem {
  std::wstring path;
  bool child = false;
};

class TBatch {
 public:
  // What the window does once the batch has ended: stay open, close (saving its settings), or
  // end the program without another save. The strongest asked for holds (Quit over Close over
  // Stay), whatever the order of the requests.
  enum class After { Stay, Close, Quit };
  // The question a request to stop asks first.
  enum class Question { None, Stop, ForceStop };
  // What the window does after the answer.
  enum class Then { Nothing, Kill, Close };

  // Whether the item in hand's archiver may start now.
  enum class Start { No, Yes, Wait };

  // From Begin until End.
  bool Running() const { return running_; }

  // A new batch of these items; the results and the progress start afresh.
  void Begin(std::vector<std::wstring> items);
  void Begin(std::vector<TBatchItem> items);
  // Items that arrive while the batch runs: behind its queue; while it stops to stay open, kept
  // for the next batch (End gives them); while it stops to close, not taken.
  void Add(std::vector<std::wstring> items);
  // The folders found inside the item in hand: they come before the rest of the queue.
  void AddChildren(std::vector<std::wstring> folders);

  // Holds the batch between folders (not once it stops), and lets it go on.
  void Pause();
  void Resume() { paused_ = false; }
  bool Paused() const { return paused_; }

  // The next item, now in hand; none once the queue is empty or the batch stops, and none
  // while a question is open or the batch is paused.
  std::optional<TBatchItem> Next();
  // Whether the batch is over once Next gave nothing: no item in hand, and none to wait for.
  bool Over() const;
  // Whether the archiver may start for the item in hand: not once the batch stops; not yet
  // while a question is open or the batch is paused (ask again once it is answered or resumed).
  // A later step of a folder already begun (its archive's test, its move to the bin) goes on
  // while paused: the folder in hand finishes.
  Start MayStart(bool laterStep = false);
  // Whether paths handed over now would be archived (by this batch or one after it): not once
  // it stops to close, nor while the question whether to close is open.
  bool TakesHandOver() const;
  // The item in hand is done; a folder's result is kept. Returns the result's index.
  std::optional<std::size_t> ItemDone(std::optional<TResult> result);

  // Whether the batch stops and its item in hand is only being looked at: no archiver runs, and
  // none will start. A window that closes need not wait for such an item (a look at a share
  // that no longer answers lasts as long as the network takes to give up).
  bool OnlyLooking() const { return running_ && stopping_ && inHand_ && !archiverRunning_; }

  // The user (or the system) asks to stop; after says what follows the stop. The question to
  // ask, if any; none while one is being asked, or when there is nothing left to stop.
  Question RequestStop(After after);
  // The answer to the question RequestStop gave.
  Then Answer(bool yes);
  // The session ends: nothing more starts; what runs is let finish.
  void EndSession();
  // The batch runs to its end as usual; then the window does what after says.
  void ThenDo(After after);

  struct Ended {
    bool stopped = false;
    After after = After::Stay;
    std::vector<std::wstring> next;  // items for a batch of their own, in arrival order
  };
  // The batch is over (Next gave nothing and no item is in hand).
  Ended End();

  // Progress: items done of those taken so far (the one in hand and the queue included), and
  // whether a folder failed.
  int Done() const { return done_; }
  int Total() const;
  bool Failed() const { return failed_; }

  // The folders whose results are failures, in order, as items archived as they are: what a
  // retry begins with. None while the batch runs.
  std::vector<TBatchItem> FailedFolders() const;

  // The results of the batch (also after it ended, until the next begins), in order.
  const std::vector<TResult>& Results() const { return results_; }
  const TResult* Result(std::size_t index) const {
    return index < results_.size() ? &results_[index] : nullptr;
  }

 private:
  void Stop(After after);
  // A question about this batch is open (one asked about an earlier batch holds nothing).
  bool AskingNow() const;

  bool running_ = false;
  bool stopping_ = false;
  bool paused_ = false;
  After after_ = After::Stay;
  bool inHand_ = false;
  bool archiverRunning_ = false;
  std::vector<TBatchItem> queue_;
  std::vector<std::wstring> next_;
  int done_ = 0;
  bool failed_ = false;
  std::vector<TResult> results_;
  // Each batch has its own number: an answer given after its batch ended acts on no other.
  std::uint64_t generation_ = 0;
  Question asking_ = Question::None;
  After askedAfter_ = After::Stay;
  std::uint64_t askedIn_ = 0;
};

// How far a batch is: items done of those taken so far, whether a folder failed, the
// percentage the archiver of the item in hand last printed (none before it prints one), and
// whether the batch is paused. All zero when no batch runs.
struct TBatchProgress {
  int done = 0;
  int total = 0;
  bool failed = false;
  std::optional<int> percent;
  bool paused = false;
};

// The progress as the window's strip says it: the folder in hand (the next one between
// folders) and the count, "3/10"; then the folder's percentage where the archiver gives one,
// "3/10 45%", or, while paused, the word for it, "3/10 一時停止". Empty when no batch runs.
std::wstring ProgressText(const TBatchProgress& progress, std::wstring_view pausedWord);

}  // namespace kestrova

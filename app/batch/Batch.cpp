// The batch's queue, progress and stop rules.
#include "app/batch/Batch.h"

#include <algorithm>
#include <utility>

#include "toolkit/TextRules.h"

namespace kestrova {

void TBatch::Begin(std::vector<std::wstring> items) {
  std::vector<TBatchItem> given;
  given.reserve(items.size());
  for (std::wstring& item : items) given.push_back(TBatchItem{std::move(item), false});
  Begin(std::move(given));
}

void TBatch::Begin(std::vector<TBatchItem> items) {
  running_ = true;
  stopping_ = paused_ = false;
  after_ = After::Stay;
  inHand_ = archiverRunning_ = false;
  queue_ = std::move(items);
  next_.clear();
  done_ = 0;
  failed_ = false;
  results_.clear();
  ++generation_;
}

void TBatch::Add(std::vector<std::wstring> items) {
  if (!running_) return;
  if (!stopping_) {
    for (std::wstring& item : items) queue_.push_back(TBatchItem{std::move(item), false});
  } else if (after_ == After::Stay) {
    for (std::wstring& item : items) next_.push_back(std::move(item));
  }
}

void TBatch::AddChildren(std::vector<std::wstring> folders) {
  if (!inHand_ || stopping_) return;
  std::vector<TBatchItem> children;
  children.reserve(folders.size());
  for (std::wstring& folder : folders) children.push_back(TBatchItem{std::move(folder), true});
  queue_.insert(queue_.begin(), std::make_move_iterator(children.begin()),
                std::make_move_iterator(children.end()));
}

void TBatch::Pause() {
  if (running_ && !stopping_) paused_ = true;
}

std::optional<TBatchItem> TBatch::Next() {
  if (!running_ || stopping_ || paused_ || inHand_ || queue_.empty() || AskingNow()) {
    return std::nullopt;
  }
  TBatchItem item = std::move(queue_.front());
  queue_.erase(queue_.begin());
  inHand_ = true;
  return item;
}

bool TBatch::AskingNow() const { return asking_ != Question::None && askedIn_ == generation_; }

bool TBatch::Over() const { return !inHand_ && (stopping_ || queue_.empty()); }

TBatch::Start TBatch::MayStart(bool laterStep) {
  if (!inHand_ || stopping_) return Start::No;
  if (AskingNow() || (paused_ && !laterStep)) return Start::Wait;
  archiverRunning_ = true;
  return Start::Yes;
}

bool TBatch::TakesHandOver() const {
  if (!running_) return true;
  if (stopping_ && after_ != After::Stay) return false;
  return !AskingNow() || askedAfter_ == After::Stay;
}

std::optional<std::size_t> TBatch::ItemDone(std::optional<TResult> result) {
  if (!inHand_) return std::nullopt;
  inHand_ = archiverRunning_ = false;
  ++done_;
  if (!result) return std::nullopt;
  if (result->kind == TResult::Kind::Failed) failed_ = true;
  results_.push_back(std::move(*result));
  return results_.size() - 1;
}

int TBatch::Total() const {
  return done_ + (inHand_ ? 1 : 0) + static_cast<int>(queue_.size());
}

void TBatch::ThenDo(After after) {
  if (running_ && after > after_) after_ = after;
}

void TBatch::Stop(After after) {
  stopping_ = true;
  paused_ = false;
  ThenDo(after);
  queue_.clear();
  // Nothing new is taken once the window is to close.
  if (after_ != After::Stay) next_.clear();
}

TBatch::Question TBatch::RequestStop(After after) {
  if (!running_ || asking_ != Question::None) return Question::None;
  if (stopping_) {
    // Already stopping: only the running archiver is left, and ending it needs its own yes.
    if (!archiverRunning_) return Question::None;
    asking_ = Question::ForceStop;
  } else {
    asking_ = Question::Stop;
  }
  askedAfter_ = after;
  askedIn_ = generation_;
  return asking_;
}

TBatch::Then TBatch::Answer(bool yes) {
  const Question asked = std::exchange(asking_, Question::None);
  if (asked == Question::None || !yes) return Then::Nothing;
  if (!running_ || askedIn_ != generation_) {
    // The batch ended while the question was up: only a close is left to do.
    return askedAfter_ != After::Stay ? Then::Close : Then::Nothing;
  }
  if (asked == Question::Stop) {
    Stop(askedAfter_);
    return Then::Nothing;
  }
  ThenDo(askedAfter_);
  return archiverRunning_ ? Then::Kill : Then::Nothing;
}

void TBatch::EndSession() {
  if (running_) Stop(after_);
}

std::vector<TBatchItem> TBatch::FailedFolders() const {
  std::vector<TBatchItem> failed;
  if (running_) return failed;
  // A folder found inside a given one is not looked into again.
  for (const TResult& result : results_) {
    if (result.kind == TResult::Kind::Failed) failed.push_back(TBatchItem{result.folder, true});
  }
  return failed;
}

TBatch::Ended TBatch::End() {
  Ended ended;
  ended.stopped = stopping_;
  ended.after = after_;
  ended.next = std::move(next_);
  running_ = stopping_ = paused_ = false;
  after_ = After::Stay;
  inHand_ = archiverRunning_ = false;
  queue_.clear();
  next_.clear();
  return ended;
}

std::wstring ProgressText(const TBatchProgress& progress, std::wstring_view pausedWord) {
  if (progress.total <= 0) return std::wstring();
  std::wstring text = DecimalText(std::min(progress.done + 1, progress.total)) + L"/" +
                      DecimalText(progress.total);
  if (progress.paused) {
    text += L" ";
    text += pausedWord;
  } else if (progress.percent) {
    text += L" " + DecimalText(*progress.percent) + L"%";
  }
  return text;
}

}  // namespace kestrova

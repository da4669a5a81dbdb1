// A folder's archive job: the batch's choices, the way to end its archiver, and one run of the
// archiver from its start to its end. It runs on the batch's worker thread (ItemWorker), never
// on the window's.
#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/batch/Batch.h"
#include "app/batch/ArchiveRules.h"
#include "app/batch/Process.h"
#include "toolkit/Handles.h"

namespace kestrova {

// The batch's choices, taken as it begins: every folder of it gets the same.
struct TJobSettings {
  std::wstring archiver;
  std::wstring profile;
  std::wstring ext;
  TJobChoices choices;
  // Files whose folders never go to the Recycle Bin: Kestrova.exe and its settings file.
  std::vector<std::wstring> ownFiles;
};

// What may start for an item: its archiver, the archive's test, the folder's move to the bin.
enum class TStep { Archive, Test, Recycle };

// Shared by the window and the worker for the item in hand: the window's way to end its
// archiver, and to let a start that was told to wait go on; and how far the archiver says it
// is, from the worker to the window.
class TJobControl {
 public:
  TJobControl()
      : kill_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        resume_(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
        finished_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  // Ends the archiver and everything it started (at once if it has not started yet).
  void Kill() { SetEvent(kill_.Get()); }
  HANDLE KillEvent() const { return kill_.Get(); }
  // The start that waits (TItemStart::Wait) asks again.
  void Resume() { SetEvent(resume_.Get()); }
  HANDLE ResumeEvent() const { return resume_.Get(); }
  // The worker is done with the item: its archiver has ended and what it left is cleaned up.
  void Finished() { SetEvent(finished_.Get()); }
  HANDLE FinishedEvent() const { return finished_.Get(); }

  // The worker keeps the archiver's latest percentage here; true when the window is to be told,
  // which is only once it has taken the one told before: so the window never has more than one
  // such message waiting, however fast the archiver prints.
  bool SetPercent(int percent) {
    percent_ = percent;
    return !told_.exchange(true);
  }
  // The telling failed: the next percentage tells again.
  void Untold() { told_ = false; }
  // The window takes the latest percentage (-1: none yet); the next one tells it again.
  int TakePercent() {
    told_ = false;
    return percent_;
  }

  // Where tests stand between the kill and the archiver's end.
  TKillSeams Seams;

 private:
  std::atomic<int> percent_{-1};
  std::atomic<bool> told_{false};
  UniqueHandle kill_;
  UniqueHandle resume_;
  UniqueHandle finished_;
};

// A folder's result, named after the path given ("D:\Photos\" is "D:\Photos"; a root keeps its
// separator).
TResult FolderResult(std::wstring_view given, TResult::Kind kind = TResult::Kind::Ok,
                     std::wstring reason = {});

// Runs one job to its end and returns what became of the folder: its archive beside it, named
// after it with the extension, made by the archiver from the command line of the settings. An
// archive that is there already is added to, skipped or left alone for another name, as the
// settings say (ArchiveToMake). The archiver starts only once mayStart (asked right before,
// with the folder's name) agrees; without that there is no result. An archive that a killed
// archiver leaves behind is deleted, unless it was there before the job, the profile deletes or
// moves the folder's files (the half-made archive may hold the only copy of some), or the
// archiver did not end (it may still be writing); the reason says when it is kept. progress
// gets each rise of the percentage the archiver prints (RunProcess). Then the archive is tested
// and the folder sent to the bin, as the choices say (TestAndTidy); mayStart is asked before
// each of those too.
std::optional<TResult> ArchiveFolder(
    std::wstring_view folder, const TJobSettings& settings, TJobControl& control,
    const std::function<bool(TStep, const std::wstring& name)>& mayStart,
    const std::function<void(int percent)>& progress = {});

}  // namespace kestrova

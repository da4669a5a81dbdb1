// One item of a batch, away from the window's thread: what it is, and for a folder one run of
// the archiver from its start to its end. Nothing here touches a window but through the two
// messages below, so the window's thread never waits for the file system or a process.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Batch.h"
#include "app/JobText.h"
#include "toolkit/Handles.h"

namespace kestrova {

// The batch's choices, taken as it begins: every folder of it gets the same.
struct TJobSettings {
  std::wstring archiver;
  std::wstring profile;
  std::wstring ext;
  TExistingArchive existingArchive = TExistingArchive::Add;
  TTarget target = TTarget::Folder;
};

// Shared by the window and an item's thread: the window's way to end the item's archiver.
class TJobControl {
 public:
  TJobControl() : kill_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  // Ends the archiver and everything it started (at once if it has not started yet).
  void Kill() { SetEvent(kill_.Get()); }
  HANDLE KillEvent() const { return kill_.Get(); }

 private:
  UniqueHandle kill_;
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
// archiver leaves behind is deleted, unless it was there before the job.
std::optional<TResult> ArchiveFolder(std::wstring_view folder, const TJobSettings& settings,
                                     TJobControl& control,
                                     const std::function<bool(const std::wstring&)>& mayStart);

// What an item's thread found: a folder's result; none for anything else (skipped without a
// line) and for a folder whose archiver was not let start; or, for a given folder that stands
// for the folders inside it, those folders.
struct TItemOutcome {
  std::uint64_t id = 0;
  std::optional<TResult> result;
  std::vector<std::wstring> children;
};

// The messages of an item's thread to the window.
// Sent right before the archiver starts: wParam the item's id, lParam the folder's name
// (const std::wstring*). The answer 1 lets it start.
constexpr UINT kItemMayStart = WM_APP + 1;
// Posted at the end: lParam a TItemOutcome* that the window deletes.
constexpr UINT kItemDone = WM_APP + 2;

// The thread that looks at a window's items, one at a time: a folder is archived
// (ArchiveFolder), or, when the settings say so, the folders inside a given one are listed;
// anything else is skipped. The window gets kItemMayStart (sent) before an archiver starts and
// kItemDone (posted) at each item's end. Started with the first item; it ends after its owner,
// once its item (if any) is done.
class TItemWorker {
 public:
  explicit TItemWorker(HWND window);
  ~TItemWorker();
  TItemWorker(const TItemWorker&) = delete;
  TItemWorker& operator=(const TItemWorker&) = delete;

  // Hands the next item over (the last one's outcome has come). pause, when given, runs on the
  // thread before it looks at the item and before the archiver starts (tests make it slow).
  // False when no thread could be started.
  bool Start(std::uint64_t id, TBatchItem item, TJobSettings settings,
             std::shared_ptr<TJobControl> control, std::function<void()> pause);

  struct Request;

 private:
  struct Shared;
  static unsigned __stdcall Loop(void* shared);

  std::shared_ptr<Shared> shared_;
  bool started_ = false;
};

}  // namespace kestrova

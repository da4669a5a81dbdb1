// What became of a folder, in the program's words: every reason a result line carries (the
// tip of its line), from an archiver's exit code and what it wrote to the ways an item ends
// without its archiver.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "app/batch/AfterArchiveRules.h"
#include "app/batch/Process.h"

namespace kestrova {

// Why an archiver's run failed; empty when it exited with code 0. The exit code's number and
// what the archivers document it to mean (or the crash it stands for), then the last lines of
// what it wrote, in its own words; or why it could not start; or that it was stopped.
std::wstring ReasonOfEnd(const TProcessEnd& end);

// Why a stopped archiver's unfinished archive was not deleted: it did not end (it may still be
// writing), the profile moves the folder's files (the archive may hold the only copy of some),
// or the deletion failed with error. The stop's reason followed by that.
enum class TKept { NotEnded, SourcesMoved, NotDeleted };
std::wstring WithKept(std::wstring stopped, TKept why, unsigned long error = 0);

// Before the archiver starts: the archive is there and the folder skipped ([--]); the archive
// was made under another name ([OK]); the command line is longer than a process takes ([NG]);
// a given folder that stands for those inside has none ([--]).
std::wstring ReasonAlreadyThere(std::wstring_view archive);
std::wstring ReasonMadeAs(std::wstring_view archive);
std::wstring ReasonTooLong();
std::wstring ReasonNoFolders();

// An archive's test ([NG]): its command line could not be written (the archive's path) or is
// too long (written); it was not let start, or a forced stop ended it ("中止しました"); its run
// ended otherwise than with 0: "検査: " and why, as ReasonOfEnd says it (empty when it did).
std::wstring ReasonTestNotRun(bool written);
std::wstring ReasonStopped();
std::wstring ReasonOfTest(const TProcessEnd& end);
// A tested folder's tip ([OK]): tested; tested and in the bin (Go); tested and kept, and why
// (error: what the shell answered, for TKeep::Failed). What the result said before follows.
std::wstring ReasonTested(TKeep kept, HRESULT error, std::wstring_view before);

// An item that ended without a result of its own ([NG]): the worker's thread could not start
// (error), ended in the middle of it, or its work broke off (failure, FailureText).
std::wstring ReasonWorkerNotStarted(unsigned long error);
std::wstring ReasonWorkerEnded();
std::wstring ReasonBrokeOff(const std::wstring& failure);
// What broke an item's work off, in words; empty when it cannot be said.
std::wstring FailureText(std::exception_ptr failure) noexcept;

}  // namespace kestrova

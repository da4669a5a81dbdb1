// Window-free rules of what follows a folder's archive (TAfterArchive: nothing; its test; its
// test, then the folder to the Recycle Bin): the archiver's command line that tests an archive,
// and which folders are tested, which go to the bin, which stay and why, and which batches may
// not start. No <windows.h> here: the host build tests and fuzzes these directly.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/batch/ArchiveRules.h"

namespace kestrova {

// Whether a batch with this choice may not start with this profile: the folders would go to the
// bin while the profile has the archiver delete or move their files itself (DeletesSources).
bool RefusesStart(TAfterArchive after, std::wstring_view profile);

// "archiver" t switches "archive": the archiver tests the archive it made. The switches are the
// profile's password switches (-p..., -hp...) and the 7-Zip console's charset switch (-scc...)
// as the profile spells them (a "-" or "/" first, names without case, quotes kept, one left
// open closed), in its order, none after a "--"; WinRAR.exe (its file name, in any case) gets
// -ibck first, so that it tests in the background. None when the archive's path cannot be one
// quoted word that every archiver reads alike: empty, or with a double quote, a control
// character or a "\" at its end (some read "\"" as a quote inside the word).
std::optional<std::wstring> TestCommandLine(std::wstring_view archiver, std::wstring_view profile,
                                            std::wstring_view archive);

// How a folder's archive run ended, as what follows it sees it.
enum class TArchiveEnd {
  Ok,       // the archiver ended with exit code 0
  Failed,   // it did not start, or ended with another code
  Stopped,  // it was ended by a forced stop, or the batch stopped before it started
  Skipped,  // the archive was there and the folder was skipped ([--])
};

// Whether the archive is tested: the choice tests, and the archiver ended with 0.
bool TestsArchive(TAfterArchive after, TArchiveEnd end);

// Why a tested folder stays where it is rather than going to the bin. The order counts, and so
// do the numbers: the string table holds the words of each (IDS_KEEP_BASE + its number).
enum class TKeep {
  Go,            // nothing keeps it: it goes to the bin
  NotAsked,      // the choice does not recycle, or the archive or its test did not end with 0
  Stopped,       // the batch stops (a stop, a forced stop, the session's end)
  NotMadeNow,    // the archive was there before this run (it was added to)
  NoArchive,     // the archive is not there as a file, or it is empty
  Unknown,       // the folder's or the archive's place cannot be told
  Root,          // the folder is the root of a drive or a share
  HoldsArchive,  // the archive lies inside the folder
  KnownFolder,   // the folder is one of the system's or the user's own folders, or holds one
  OwnFolder,     // the folder holds Kestrova.exe or its settings file
  // What the shell's operation found (RecycleFolder):
  NoBin,         // the drive has no Recycle Bin (a network or removable drive, a bin turned off)
  WouldDestroy,  // the shell would have deleted it for good (too big for the bin, a bin that
                 // keeps nothing)
  TooLong,       // the path is too long for the shell's operation
  Failed,        // the operation failed (its error says why)
  StillThere,    // the operation ended, but the folder is still there
};

// A place that the bin never gets, nor any folder that holds it.
struct TKeptPlace {
  std::wstring path;
  TKeep why;  // KnownFolder or OwnFolder
};

// What decides whether a folder goes to the bin once its archive is tested. The paths are full
// paths as the file system gives them (its final paths: one spelling per place, "\\?\" forms
// allowed); an empty one is a place that could not be told.
struct TRecycleFacts {
  TAfterArchive after = TAfterArchive::None;
  TArchiveEnd archive = TArchiveEnd::Failed;
  bool testOk = false;           // the test ended with 0
  bool stopped = false;          // the batch stops
  bool archiveExisted = false;   // the archive was there before the job
  bool archiveNotEmpty = false;  // the archive is a file of at least one byte
  std::wstring_view folder;
  std::wstring_view archivePath;
  std::span<const TKeptPlace> kept;
};

// Go, or the first reason (in the order of TKeep) that keeps the folder.
TKeep RecycleDecision(const TRecycleFacts& facts);

// The path without its "\\?\" (or "\\?\UNC\" for "\\") and its trailing separators (a root keeps
// its own): one spelling to compare.
std::wstring PlainPath(std::wstring_view path);
// Whether inner is the place outer or lies inside it (plain paths, ASCII letters without case).
bool IsSameOrInside(std::wstring_view inner, std::wstring_view outer);
// Whether the path is a root: of a drive ("C:\", "C:"), of the current drive ("\"), of a share
// ("\\server\share"), or of a volume's own name ("\\?\Volume{...}\").
bool IsRootPath(std::wstring_view path);

}  // namespace kestrova

// A folder to the Recycle Bin through the shell's own operation, never deleted for good, and the
// places that never go there. Runs on the batch's worker thread; it starts COM (apartment-
// threaded) on the calling thread for the operation.
#pragma once

#include <string>
#include <vector>

#include "app/batch/AfterArchiveRules.h"
#include "toolkit/Win.h"

namespace kestrova {

struct TRecycled {
  TKeep kept = TKeep::Go;  // Go: the folder is in the bin and no longer where it was
  HRESULT error = S_OK;    // Failed: what the shell answered
  bool byShFileOperation = false;  // the older operation did it (where the newer one is missing)
};

// Sends the folder (a full path) to the Recycle Bin, or leaves it where it is and says why.
//
// The shell's IFileOperation does it, with flags that show no dialog and stop at the first error,
// and a progress sink that refuses any item the shell would delete rather than recycle: before
// each item is deleted the shell says whether it recycles it (TSF_DELETE_RECYCLE_IF_POSSIBLE);
// where it does not, the sink's error cancels that delete and everything after it, so nothing is
// deleted for good. Where the system has no IFileOperation (E_NOTIMPL: Wine), SHFileOperationW
// does it, after checks of its own (the drive's bin, its settings, the folder's size) and with
// the shell's warning kept, since it has no such sink. Either way a drive that is not a fixed
// drive, or has no bin, keeps the folder; afterwards the folder must be gone.
TRecycled RecycleFolder(const std::wstring& folder);

// The file system's own path of a place that exists (GetFinalPathNameByHandleW: one spelling
// per place, links followed, in its "\\?\" form); empty where it cannot be had.
std::wstring FinalPath(const std::wstring& path);

// The places the bin never gets, nor any folder that holds one, as final paths: the system's
// known folders (each one the known-folder manager lists, and the Desktop, Documents, Downloads,
// the user's profile, Windows, Program Files... in any case) and the files given (Kestrova.exe,
// its settings file). Places that do not exist are left out.
std::vector<TKeptPlace> KeptPlaces(const std::vector<std::wstring>& ownFiles);

}  // namespace kestrova

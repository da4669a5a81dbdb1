// What follows a folder's archive on the batch's worker: the archive's test, run like the archive
// job (RunProcess: null input, output read, the item's kill), then the folder to the Recycle Bin,
// as the batch's choice says. The folder's result tells what was done.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/batch/AfterArchiveRules.h"
#include "app/batch/ArchiveJob.h"
#include "app/batch/Batch.h"

namespace kestrova {

// What may start for an item: its archiver, the archive's test, the folder's move to the bin.
enum class TStep { Archive, Test, Recycle };

// The batch's choice of what follows each archive, taken as it begins, and the files whose
// folders never go to the bin (Kestrova.exe, its settings file).
struct TAfterSettings {
  TAfterArchive after = TAfterArchive::None;
  std::vector<std::wstring> ownFiles;
};

// What the archive job knew of the archive of a folder.
struct TArchiveFacts {
  TArchiveEnd end = TArchiveEnd::Failed;
  bool existed = false;  // the archive was there before the job
};

// Tests the folder's archive once its archiver has ended with 0 (TestsArchive), and then sends
// the folder to the bin (RecycleDecision, RecycleFolder), as the choice says. mayStart is asked
// right before the test starts and right before the folder is moved; a no stops there.
//
// The result: [NG] when the test could not run or did not end with 0 ("検査: " and why), or
// when the batch stopped before the test or a forced stop ended it ("中止しました": the archive
// is complete and kept); else [OK] with the tip "検査済み", followed by what became of the
// folder when it was to go to the bin. Whatever the result said before (another name made)
// follows.
void TestAndTidy(TResult& result, const TArchiveFacts& facts, const TJobSettings& settings,
                 const TAfterSettings& after, TJobControl& control,
                 const std::function<bool(TStep, const std::wstring& name)>& mayStart);

// Why a folder stayed, in words.
std::wstring KeptText(TKeep why, HRESULT error);

}  // namespace kestrova

// What follows a folder's archive on the batch's worker: the archive's test, run like the archive
// job (RunProcess: null input, output read, the item's kill), then the folder to the Recycle Bin,
// as the batch's choice says. The folder's result tells what was done.
#pragma once

#include <functional>
#include <string>

#include "app/batch/AfterArchiveRules.h"
#include "app/batch/ArchiveJob.h"
#include "app/batch/Batch.h"

namespace kestrova {

// What the archive job knew of the archive of a folder.
struct TArchiveFacts {
  TArchiveEnd end = TArchiveEnd::Failed;
  bool existed = false;  // the archive was there before the job
};

// Tests the folder's archive once its archiver has ended with 0 (TestsArchive), and then sends
// the folder to the bin (RecycleDecision, RecycleFolder), as settings.choices.afterArchive says;
// the folders of settings.ownFiles never go. mayStart is asked right before the test starts and
// right before the folder is moved; a no stops there.
//
// The result: [NG] when the test could not run or did not end with 0, or when the batch stopped
// before the test or a forced stop ended it (ReasonOfTest: the archive is complete and kept);
// else [OK] with the tip of a tested archive, and what became of the folder when it was to go
// to the bin (ReasonTested).
void TestAndTidy(TResult& result, const TArchiveFacts& facts, const TJobSettings& settings,
                 TJobControl& control,
                 const std::function<bool(TStep, const std::wstring& name)>& mayStart);

}  // namespace kestrova

// The archive's test and the folder's move to the bin, on the worker.
#include "app/batch/AfterArchive.h"

#include <optional>
#include <utility>
#include <vector>

#include "app/batch/ArchiveRules.h"
#include "app/batch/ExitReasons.h"
#include "app/batch/Process.h"
#include "app/batch/Recycle.h"
#include "toolkit/Paths.h"

namespace kestrova {

namespace {

bool HasBytes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(ServicePath(path).c_str(), GetFileExInfoStandard, &data) &&
         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
}

}  // namespace

void TestAndTidy(TResult& result, const TArchiveFacts& facts, const TJobSettings& settings,
                 TJobControl& control,
                 const std::function<bool(TStep, const std::wstring& name)>& mayStart) {
  const TAfterArchive after = settings.choices.afterArchive;
  if (!TestsArchive(after, facts.end)) return;
  const std::wstring before = std::move(result.reason);
  auto fail = [&](std::wstring reason) {
    result.kind = TResult::Kind::Failed;
    result.reason = std::move(reason);
  };
  const std::optional<std::wstring> line =
      TestCommandLine(settings.archiver, settings.profile, result.archive);
  if (!line || !CommandLineFits(*line)) return fail(ReasonTestNotRun(line.has_value()));
  if (!mayStart(TStep::Test, result.name)) return fail(ReasonStopped());
  // A forced stop ends the test; the archive it was reading is complete and stays.
  if (std::wstring why = ReasonOfTest(RunProcess(*line, control.KillEvent(), control.Seams));
      !why.empty()) {
    return fail(std::move(why));
  }
  if (after != TAfterArchive::Recycle) {
    result.reason = ReasonTested(TKeep::NotAsked, S_OK, before);
    return;
  }

  TRecycleFacts recycle;
  recycle.after = after;
  recycle.archive = facts.end;
  recycle.testOk = true;
  recycle.archiveExisted = facts.existed;
  recycle.archiveNotEmpty = HasBytes(result.archive);
  // Where the folder and the archive are, and what must never go: the file system's own paths,
  // so that a link, a short name or another case is seen for the place it is.
  const std::wstring folder = FinalPath(result.folder);
  const std::wstring archive = FinalPath(result.archive);
  const std::vector<TKeptPlace> kept = KeptPlaces(settings.ownFiles);
  recycle.folder = folder;
  recycle.archivePath = archive;
  recycle.kept = kept;
  recycle.stopped = !mayStart(TStep::Recycle, result.name);
  TKeep why = RecycleDecision(recycle);
  HRESULT error = S_OK;
  if (why == TKeep::Go) {
    // The path as given: a link given goes itself, not the folder it stands for.
    const TRecycled recycled = RecycleFolder(result.folder);
    why = recycled.kept;
    error = recycled.error;
  }
  result.reason = ReasonTested(why, error, before);
}

}  // namespace kestrova

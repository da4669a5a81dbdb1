// The archive's test and the folder's move to the bin, on the worker.
#include "app/batch/AfterArchive.h"

#include <utility>

#include "app/batch/ArchiveRules.h"
#include "app/batch/ExitReasons.h"
#include "app/batch/Files.h"
#include "app/batch/Process.h"
#include "app/batch/Recycle.h"
#include "resources/resource.h"
#include "toolkit/Error.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

// The tip of a tested folder: what was done, then what the result said before.
std::wstring Tip(std::wstring done, const std::wstring& before) {
  return before.empty() ? done : done + L" \u2014 " + before;
}

bool HasBytes(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(ServicePath(path).c_str(), GetFileExInfoStandard, &data) &&
         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (data.nFileSizeHigh != 0 || data.nFileSizeLow != 0);
}

}  // namespace

std::wstring KeptText(TKeep why, HRESULT error) {
  if (why == TKeep::Failed) {
    std::wstring text = SystemMessage(static_cast<DWORD>(error));
    return text.empty() ? HexText(static_cast<std::uint32_t>(error)) : text;
  }
  return LoadStr(IDS_KEEP_BASE + static_cast<UINT>(why));
}

void TestAndTidy(TResult& result, const TArchiveFacts& facts, const TJobSettings& settings,
                 const TAfterSettings& after, TJobControl& control,
                 const std::function<bool(TStep, const std::wstring& name)>& mayStart) {
  if (!TestsArchive(after.after, facts.end)) return;
  const std::wstring before = std::move(result.reason);
  auto fail = [&](std::wstring reason) {
    result.kind = TResult::Kind::Failed;
    result.reason = std::move(reason);
  };
  const std::optional<std::wstring> line =
      TestCommandLine(settings.archiver, settings.profile, result.archive);
  if (!line) return fail(LoadStr(IDS_TEST_PREFIX) + LoadStr(IDS_TEST_NO_LINE));
  if (!CommandLineFits(*line)) return fail(LoadStr(IDS_TEST_PREFIX) + LoadStr(IDS_TOO_LONG));
  if (!mayStart(TStep::Test, result.name)) return fail(LoadStr(IDS_REASON_STOPPED));
  const TProcessEnd end = RunProcess(*line, control.KillEvent(), control.Seams);
  // A forced stop ends the test; the archive it was reading is complete and stays.
  if (end.how == TProcessEnd::How::Killed) return fail(LoadStr(IDS_REASON_STOPPED));
  if (std::wstring why = ReasonOfEnd(end); !why.empty()) {
    return fail(LoadStr(IDS_TEST_PREFIX) + why);
  }
  if (after.after != TAfterArchive::Recycle) {
    result.reason = Tip(LoadStr(IDS_TESTED), before);
    return;
  }

  TRecycleFacts recycle;
  recycle.after = after.after;
  recycle.archive = facts.end;
  recycle.testOk = true;
  recycle.archiveExisted = facts.existed;
  recycle.archiveNotEmpty = HasBytes(result.archive);
  // Where the folder and the archive are, and what must never go: the file system's own paths,
  // so that a link, a short name or another case is seen for the place it is.
  const std::wstring folder = FinalPath(result.folder);
  const std::wstring archive = FinalPath(result.archive);
  const std::vector<TKeptPlace> kept = KeptPlaces(after.ownFiles);
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
  result.reason = Tip(why == TKeep::Go ? LoadStr(IDS_TESTED_RECYCLED)
                                       : LoadStr(IDS_TESTED_KEPT) + KeptText(why, error),
                      before);
}

}  // namespace kestrova

// A folder's archive job.
#include "app/batch/ArchiveJob.h"

#include <utility>

#include "app/batch/AfterArchive.h"
#include "app/batch/ArchiveRules.h"
#include "app/batch/ExitReasons.h"
#include "app/batch/Process.h"
#include "toolkit/PathRules.h"
#include "toolkit/Paths.h"

namespace kestrova {

TResult FolderResult(std::wstring_view given, TResult::Kind kind, std::wstring reason) {
  TResult result;
  result.kind = kind;
  result.folder = WithoutTrailingSeparators(given);
  result.name = FolderName(result.folder);
  result.reason = std::move(reason);
  return result;
}

std::optional<TResult> ArchiveFolder(
    std::wstring_view given, const TJobSettings& settings, TJobControl& control,
    const std::function<bool(TStep, const std::wstring& name)>& mayStart,
    const std::function<void(int percent)>& progress) {
  TResult result = FolderResult(given);
  const std::optional<std::wstring> archive =
      ArchiveToMake(result.folder, settings.ext, settings.choices.existingArchive, Exists);
  if (!archive) {
    result.kind = TResult::Kind::Skipped;
    result.archive = result.folder + settings.ext;
    result.reason = ReasonAlreadyThere(result.archive);
    return result;
  }
  result.archive = *archive;
  const bool existed = Exists(result.archive);
  // Built and measured before the start is asked for: a folder that cannot start is never
  // shown as being archived.
  std::wstring commandLine = ArchiverCommandLine(settings.archiver, settings.profile,
                                                 result.archive, result.folder + L"\\");
  if (!CommandLineFits(commandLine)) {
    result.kind = TResult::Kind::Failed;
    result.reason = ReasonTooLong();
    return result;
  }
  if (!mayStart(TStep::Archive, result.name)) return std::nullopt;
  const ULONGLONG started = GetTickCount64();
  const TProcessEnd end =
      RunProcess(std::move(commandLine), control.KillEvent(), control.Seams, progress);
  result.reason = ReasonOfEnd(end);
  // What a stopped archiver was writing is no archive; one that was there before is the user's.
  if (end.how == TProcessEnd::How::Killed && !existed) {
    if (!end.ended) {
      result.reason = WithKept(std::move(result.reason), TKept::NotEnded);
    } else if (DeletesSources(settings.profile)) {
      result.reason = WithKept(std::move(result.reason), TKept::SourcesMoved);
    } else if (!DeleteFileW(ServicePath(result.archive).c_str())) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        result.reason = WithKept(std::move(result.reason), TKept::NotDeleted, error);
      }
    }
  }
  result.milliseconds = GetTickCount64() - started;
  result.archiveSize = FileSize(result.archive);
  TArchiveFacts facts;
  facts.existed = existed;
  if (!result.reason.empty()) {
    result.kind = TResult::Kind::Failed;
    facts.end = end.how == TProcessEnd::How::Killed ? TArchiveEnd::Stopped : TArchiveEnd::Failed;
  } else {
    facts.end = TArchiveEnd::Ok;
    if (result.archive != result.folder + settings.ext) result.reason = ReasonMadeAs(result.archive);
  }
  TestAndTidy(result, facts, settings, control, mayStart);
  return result;
}

}  // namespace kestrova

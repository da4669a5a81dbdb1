// A folder's archive job.
#include "app/batch/ArchiveJob.h"

#include <utility>

#include "app/batch/Files.h"
#include "app/batch/ArchiveRules.h"
#include "app/batch/Process.h"
#include "app/batch/ExitReasons.h"
#include "resources/resource.h"
#include "toolkit/Error.h"
#include "toolkit/Text.h"

namespace kestrova {

TResult FolderResult(std::wstring_view given, TResult::Kind kind, std::wstring reason) {
  TResult result;
  result.kind = kind;
  result.folder = WithoutTrailingSeparators(given);
  result.name = FolderName(result.folder);
  result.reason = std::move(reason);
  return result;
}

std::optional<TResult> ArchiveFolder(std::wstring_view given, const TJobSettings& settings,
                                     TJobControl& control,
                                     const std::function<bool(const std::wstring&)>& mayStart) {
  TResult result = FolderResult(given);
  const std::optional<std::wstring> archive =
      ArchiveToMake(result.folder, settings.ext, settings.existingArchive, Exists);
  if (!archive) {
    result.kind = TResult::Kind::Skipped;
    result.archive = result.folder + settings.ext;
    result.reason = LoadStr(IDS_ALREADY_THERE) + result.archive;
    return result;
  }
  result.archive = *archive;
  const bool existed = Exists(result.archive);
  std::wstring commandLine = ArchiverCommandLine(settings.archiver, settings.profile,
                                                 result.archive, result.folder + L"\\");
  if (!mayStart(result.name)) return std::nullopt;
  if (!CommandLineFits(commandLine)) {
    result.kind = TResult::Kind::Failed;
    result.reason = LoadStr(IDS_TOO_LONG);
    return result;
  }
  const TProcessEnd end = RunProcess(std::move(commandLine), control.KillEvent(), control.Seams);
  result.reason = ReasonOfEnd(end);
  // What a stopped archiver was writing is no archive; one that was there before is the user's.
  if (end.how == TProcessEnd::How::Killed && !existed) {
    std::wstring kept;
    if (!end.ended) {
      kept = LoadStr(IDS_KEPT_NOT_ENDED);
    } else if (DeletesSources(settings.profile)) {
      kept = LoadStr(IDS_KEPT_SOURCES_MOVED);
    } else if (!DeleteFileW(ServicePath(result.archive).c_str())) {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
        kept = Format(IDS_NOT_DELETED, SystemMessage(error));
      }
    }
    if (!kept.empty()) result.reason += L" \u2014 " + kept;
  }
  if (!result.reason.empty()) {
    result.kind = TResult::Kind::Failed;
  } else if (result.archive != result.folder + settings.ext) {
    result.reason = LoadStr(IDS_MADE_AS) + result.archive;
  }
  return result;
}

}  // namespace kestrova

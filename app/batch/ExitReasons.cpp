// Reasons in the string table's words.
#include "app/batch/ExitReasons.h"

#include "app/batch/ArchiveRules.h"
#include "app/batch/ErrorText.h"
#include "resources/resource.h"
#include "toolkit/Error.h"
#include "toolkit/Text.h"
#include "toolkit/TextRules.h"

namespace kestrova {

namespace {

// What the archivers document an exit code to mean (WinRAR's table; the 7-Zip console uses the
// same numbers for the codes it has), or the crash it stands for.
std::wstring ReasonOfExit(DWORD code) {
  if (code >= 0xC0000000u) return Format(IDS_CRASHED, HexText(code));
  std::wstring text = Format(IDS_EXIT_CODE, DecimalText(code));
  if ((code >= 1 && code <= 12) || code == 255) {
    text += L": " + LoadStr(code == 255 ? IDS_EXIT_255 : IDS_EXIT_MEANING_BASE + code);
  }
  return text;
}

// A reason with what it says more, after a colon, when there is any.
std::wstring WithDetail(UINT id, const std::wstring& detail) {
  return detail.empty() ? LoadStr(id) : Format(id, detail);
}

// A console program writes UTF-8 when asked to (7-Zip's -sccUTF-8), else its OEM code page.
std::wstring OutputText(std::string_view bytes) {
  return IsUtf8(bytes) ? FromUtf8(bytes) : FromOemCodePage(bytes);
}

}  // namespace

std::wstring ReasonOfEnd(const TProcessEnd& end) {
  switch (end.how) {
    case TProcessEnd::How::NotStarted:
      // Most often the archiver is no longer where it was: the reason says where to change that.
      return LoadStr(IDS_CANNOT_START) + SystemMessage(end.code) + LoadStr(IDS_CANNOT_START_HINT);
    case TProcessEnd::How::Killed:
      return LoadStr(IDS_REASON_STOPPED);
    case TProcessEnd::How::Exited:
      break;
  }
  if (end.code == 0) return std::wstring();
  std::wstring reason = ReasonOfExit(end.code);
  const std::wstring said = OutputTail(OutputText(end.output), 3);
  if (!said.empty()) reason += L" \u2014 " + said;
  return reason;
}

std::wstring WithKept(std::wstring stopped, TKept why, unsigned long error) {
  switch (why) {
    case TKept::NotEnded:
      return stopped + L" \u2014 " + LoadStr(IDS_KEPT_NOT_ENDED);
    case TKept::SourcesMoved:
      return stopped + L" \u2014 " + LoadStr(IDS_KEPT_SOURCES_MOVED);
    case TKept::NotDeleted:
      break;
  }
  return stopped + L" \u2014 " + Format(IDS_NOT_DELETED, SystemMessage(error));
}

std::wstring ReasonAlreadyThere(std::wstring_view archive) {
  return LoadStr(IDS_ALREADY_THERE) + std::wstring(archive);
}

std::wstring ReasonMadeAs(std::wstring_view archive) {
  return LoadStr(IDS_MADE_AS) + std::wstring(archive);
}

std::wstring ReasonTooLong() { return LoadStr(IDS_TOO_LONG); }

std::wstring ReasonNoFolders() { return LoadStr(IDS_NO_FOLDERS); }

std::wstring ReasonTestNotRun(bool written) {
  return LoadStr(IDS_TEST_PREFIX) + LoadStr(written ? IDS_TOO_LONG : IDS_TEST_NO_LINE);
}

std::wstring ReasonStopped() { return LoadStr(IDS_REASON_STOPPED); }

std::wstring ReasonOfTest(const TProcessEnd& end) {
  if (end.how == TProcessEnd::How::Killed) return ReasonStopped();
  const std::wstring why = ReasonOfEnd(end);
  return why.empty() ? why : LoadStr(IDS_TEST_PREFIX) + why;
}

std::wstring ReasonTested(TKeep kept, HRESULT error, std::wstring_view before) {
  std::wstring tip;
  if (kept == TKeep::NotAsked) {
    tip = LoadStr(IDS_TESTED);
  } else if (kept == TKeep::Go) {
    tip = LoadStr(IDS_TESTED_RECYCLED);
  } else {
    std::wstring why = kept == TKeep::Failed ? SystemMessage(static_cast<DWORD>(error))
                                             : LoadStr(IDS_KEEP_BASE + static_cast<UINT>(kept));
    if (why.empty()) why = HexText(static_cast<std::uint32_t>(error));
    tip = LoadStr(IDS_TESTED_KEPT) + why;
  }
  // What was said before (another name made) follows.
  if (!before.empty()) tip += L" \u2014 " + std::wstring(before);
  return tip;
}

std::wstring ReasonWorkerNotStarted(unsigned long error) {
  return WithDetail(IDS_WORKER_NOT_STARTED,
                    SystemMessage(error != ERROR_SUCCESS ? error : ERROR_NOT_ENOUGH_MEMORY));
}

std::wstring ReasonWorkerEnded() { return LoadStr(IDS_WORKER_ENDED); }

std::wstring ReasonBrokeOff(const std::wstring& failure) {
  return WithDetail(IDS_ITEM_BROKE_OFF, failure);
}

std::wstring FailureText(std::exception_ptr failure) noexcept {
  try {
    try {
      std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
      return SystemMessage(ERROR_NOT_ENOUGH_MEMORY);
    } catch (const Error& e) {
      return ErrorText(e);
    }
  } catch (...) {
  }
  return {};
}

}  // namespace kestrova

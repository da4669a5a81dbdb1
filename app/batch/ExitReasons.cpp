// Reasons in the string table's words.
#include "app/batch/ExitReasons.h"

#include "app/batch/ArchiveRules.h"
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

}  // namespace kestrova

#include "app/SaveResults.h"

#include "app/desktop/Explorer.h"
#include "resources/resource.h"
#include "toolkit/Error.h"
#include "toolkit/FileWrite.h"
#include "toolkit/SaveDialog.h"
#include "toolkit/Text.h"

namespace kestrova {

bool SaveResults(HWND owner, const std::vector<TResultsLine>& lines) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  TSaveDialog dialog;
  dialog.Title = LoadStr(IDS_SAVE_RESULTS_TITLE);
  // In the order of TResultsFormat.
  dialog.Types = {{LoadStr(IDS_SAVE_TYPE_TSV), L"txt"}, {LoadStr(IDS_SAVE_TYPE_CSV), L"csv"}};
  dialog.InitialDir = KnownFolderPath(FOLDERID_Documents);
  dialog.FileName = Format(IDS_SAVE_RESULTS_NAME,
                           FileNameStamp(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute));
  if (!dialog.Execute(owner)) return false;
  TResultsLine header;
  for (std::size_t i = 0; i < header.size(); ++i) {
    header[i] = LoadStr(IDS_RESULTS_HEADER_BASE + static_cast<UINT>(i));
  }
  const auto format = dialog.TypeIndex == 1 ? TResultsFormat::Csv : TResultsFormat::Tsv;
  if (!ReplaceFileBytes(dialog.FileName, ToUtf8(ResultsFileText(header, lines, format)))) {
    throw Error(Error::Kind::CannotWrite, dialog.FileName);
  }
  return true;
}

}  // namespace kestrova

// The result list kept as a file: the user chooses where in the save dialog ("結果を保存": a
// name "Kestrova 結果 yyyy-mm-dd hhmm.txt" in the user's Documents; tab-separated text or CSV),
// and the file is written whole (app/batch/ResultsFile says what it holds).
#pragma once

#include <vector>

#include "app/batch/ResultsFile.h"
#include "toolkit/Win.h"

namespace kestrova {

// Asks where, then writes the lines under the header; false when the user cancelled. A file
// that refuses raises Error::Kind::CannotWrite with its path (for the standard error box), and
// is then as it was.
bool SaveResults(HWND owner, const std::vector<TResultsLine>& lines);

}  // namespace kestrova

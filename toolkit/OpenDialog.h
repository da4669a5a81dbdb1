// The file-open dialog: filter, default extension, title and starting folder; Execute asks.
#pragma once

#include <string>

#include "toolkit/Win.h"

namespace kestrova {

class TOpenDialog {
 public:
  std::wstring Title;
  std::wstring FilterName;     // description of the one filter entry
  std::wstring FilterPattern;  // its pattern, e.g. "*.exe"
  std::wstring DefaultExt;     // without the dot
  std::wstring InitialDir;     // empty: the dialog's own choice
  std::wstring FileName;       // the chosen file's full path after Execute

  // Shows the dialog owned by the window; true when the user picked a file.
  bool Execute(HWND owner);
};

}  // namespace kestrova

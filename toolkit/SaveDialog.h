// The save dialog (the system's Common Item Dialog): its title, the types offered, the name and
// folder it opens with; Execute asks. Choosing another type puts that type's extension on the
// name in the box, as the dialog does with a default extension; an existing file is asked about
// before it is chosen.
#pragma once

#include <string>
#include <vector>

#include "toolkit/Win.h"

namespace kestrova {

class TSaveDialog {
 public:
  struct FileType {
    std::wstring name;       // what the type box shows
    std::wstring extension;  // without the dot: the pattern is "*." and it
  };

  std::wstring Title;
  std::vector<FileType> Types;
  int TypeIndex = 0;         // in: the type offered first; out: the type chosen (from 0)
  std::wstring InitialDir;   // the folder it opens in; empty: the dialog's own choice
  std::wstring FileName;     // in: the name offered; out: the chosen file's full path

  // Shows the dialog owned by the window; true when the user chose a file.
  bool Execute(HWND owner);
};

}  // namespace kestrova

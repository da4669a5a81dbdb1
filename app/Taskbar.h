// The taskbar button's progress (ITaskbarList3, Windows 7 on): how far a batch has got, in the
// error state once a folder failed.
#pragma once

#include "toolkit/Win.h"

struct ITaskbarList3;

namespace kestrova {

class TTaskbarButton {
 public:
  TTaskbarButton() = default;
  ~TTaskbarButton();
  TTaskbarButton(const TTaskbarButton&) = delete;
  TTaskbarButton& operator=(const TTaskbarButton&) = delete;

  // done of total; total 0 clears the button's progress.
  void Show(HWND window, int done, int total, bool failed);

 private:
  ITaskbarList3* List();

  ITaskbarList3* list_ = nullptr;
  bool tried_ = false;
};

}  // namespace kestrova

// The taskbar button: its progress (ITaskbarList3, Windows 7 on), how far a batch has got, in
// the error state once a folder failed, paused while it is; and its call for attention.
#pragma once

#include "toolkit/Handles.h"

struct ITaskbarList3;

namespace kestrova {

// The button's colour: green, red (TBPF_ERROR), yellow (TBPF_PAUSED).
enum class TTaskbarState { Normal, Error, Paused };

class TTaskbarButton {
 public:
  TTaskbarButton();
  ~TTaskbarButton();
  TTaskbarButton(const TTaskbarButton&) = delete;
  TTaskbarButton& operator=(const TTaskbarButton&) = delete;

  // completed of total; total 0 clears the button's progress.
  void Show(HWND window, ULONGLONG completed, ULONGLONG total, TTaskbarState state);

 private:
  ITaskbarList3* List();

  ComPtr<ITaskbarList3> list_;
  bool tried_ = false;
};

// Flashes the window's taskbar button until the window comes to the front (FlashWindowEx).
void FlashUntilInFront(HWND window);

}  // namespace kestrova

#include "app/desktop/Taskbar.h"

#include <shobjidl.h>

#include <utility>

#include "toolkit/System.h"
#include "toolkit/SystemCalls.h"

namespace kestrova {

// Here, where ITaskbarList3 is complete.
TTaskbarButton::TTaskbarButton() = default;
TTaskbarButton::~TTaskbarButton() = default;

void TTaskbarButton::Show(HWND window, ULONGLONG completed, ULONGLONG total,
                          TTaskbarState state) {
  ITaskbarList3* taskbar = List();
  if (taskbar == nullptr) return;
  if (total == 0) {
    taskbar->SetProgressState(window, TBPF_NOPROGRESS);
    return;
  }
  taskbar->SetProgressState(window, state == TTaskbarState::Paused  ? TBPF_PAUSED
                                    : state == TTaskbarState::Error ? TBPF_ERROR
                                                                    : TBPF_NORMAL);
  taskbar->SetProgressValue(window, completed, total);
}

ITaskbarList3* TTaskbarButton::List() {
  if (tried_) return list_.Get();
  tried_ = true;
  const auto create = sys::Ole32().CoCreateInstance;
  if (create == nullptr || !UseCom()) return nullptr;
  ComPtr<ITaskbarList3> list;
  if (SUCCEEDED(create(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                       list.Receive())) &&
      SUCCEEDED(list->HrInit())) {
    list_ = std::move(list);
  }
  return list_.Get();
}

void FlashUntilInFront(HWND window) {
  FLASHWINFO flash{sizeof(flash), window, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
  FlashWindowEx(&flash);
}

}  // namespace kestrova

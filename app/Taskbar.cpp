#include "app/Taskbar.h"

#include <shobjidl.h>

#include "toolkit/System.h"

namespace kestrova {

TTaskbarButton::~TTaskbarButton() {
  if (list_ != nullptr) list_->Release();
}

void TTaskbarButton::Show(HWND window, int done, int total, bool failed) {
  ITaskbarList3* taskbar = List();
  if (taskbar == nullptr) return;
  if (total <= 0) {
    taskbar->SetProgressState(window, TBPF_NOPROGRESS);
    return;
  }
  taskbar->SetProgressState(window, failed ? TBPF_ERROR : TBPF_NORMAL);
  taskbar->SetProgressValue(window, static_cast<ULONGLONG>(done), static_cast<ULONGLONG>(total));
}

ITaskbarList3* TTaskbarButton::List() {
  if (tried_) return list_;
  tried_ = true;
  using Create = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
  static const auto create = SystemFunction<Create>(L"ole32.dll", "CoCreateInstance");
  if (create == nullptr || !UseCom()) return nullptr;
  ITaskbarList3* list = nullptr;
  if (SUCCEEDED(create(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                       reinterpret_cast<void**>(&list))) &&
      SUCCEEDED(list->HrInit())) {
    list_ = list;
  } else if (list != nullptr) {
    list->Release();
  }
  return list_;
}

}  // namespace kestrova

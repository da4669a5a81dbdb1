// Keeps the system from sleeping on idle while work goes on (the display may still turn off):
// a power request with a reason, which "powercfg /requests" shows (Windows 7 on); the thread's
// execution state where no request can be made. Taken and released on one thread, the window's:
// the execution state is the calling thread's.
#pragma once

#include <string>
#include <utility>

#include "toolkit/Handles.h"

namespace kestrova {

class TPowerRequest {
 public:
  explicit TPowerRequest(std::wstring reason) : reason_(std::move(reason)) {}
  // Releases what is taken.
  ~TPowerRequest() { Release(); }
  TPowerRequest(const TPowerRequest&) = delete;
  TPowerRequest& operator=(const TPowerRequest&) = delete;

  // Both do nothing when it is so already.
  void Take();
  void Release();
  bool Taken() const { return taken_ != By::Nothing; }

 private:
  enum class By { Nothing, Request, ThreadState };

  std::wstring reason_;
  // The request object, made at the first Take and kept for the next.
  UniqueHandle request_;
  bool made_ = false;
  By taken_ = By::Nothing;
};

}  // namespace kestrova

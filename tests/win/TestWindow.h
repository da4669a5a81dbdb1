// Helpers for the in-process tests: a plain parent window for free-standing controls, and a
// spy that sits above a control's own subclass and records the requests reaching its window.
#pragma once

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "toolkit/Win.h"

namespace kestrova::test {

// A hidden top-level window to put controls on; destroyed, with its children, at scope end.
class TestParent {
 public:
  TestParent()
      : hwnd_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr)) {}
  TestParent(const TestParent&) = delete;
  TestParent& operator=(const TestParent&) = delete;
  ~TestParent() { DestroyWindow(hwnd_); }
  HWND Handle() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// Records the watched messages sent to a window in the order they arrive, with their results
// and, for LB_GETTEXT, the text copied out. Attach it once the control has made its window:
// the subclass installed last runs first, so the spy also sees the control's requests to itself.
class MessageSpy {
 public:
  struct Event {
    UINT msg;
    WPARAM wParam;
    LRESULT result;
    std::wstring text;
    LRESULT probed;  // what the probe said when the message arrived
  };

  explicit MessageSpy(std::initializer_list<UINT> watched) : watched_(watched) {}
  MessageSpy(const MessageSpy&) = delete;
  MessageSpy& operator=(const MessageSpy&) = delete;
  ~MessageSpy() { Detach(); }

  bool Attach(HWND hwnd) {
    Detach();
    if (SetWindowSubclass(hwnd, Proc, Id(), reinterpret_cast<DWORD_PTR>(this))) hwnd_ = hwnd;
    return hwnd_ != nullptr;
  }
  void Detach() {
    if (hwnd_) RemoveWindowSubclass(hwnd_, Proc, Id());
    hwnd_ = nullptr;
  }
  const std::vector<Event>& Events() const { return events_; }

  // Asked on the arrival of each watched message, before it is passed on; whatever reaches the
  // window while it runs goes unrecorded.
  std::function<LRESULT()> probe;

 private:
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR self) {
    auto* spy = reinterpret_cast<MessageSpy*>(self);
    if (msg == WM_NCDESTROY) spy->Detach();
    if (spy->probing_ ||
        std::find(spy->watched_.begin(), spy->watched_.end(), msg) == spy->watched_.end()) {
      return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    // Noted on arrival, so that requests made while this one is handled come after it.
    const std::size_t at = spy->events_.size();
    spy->events_.push_back({msg, wParam, 0, {}, 0});
    if (spy->probe) {
      spy->probing_ = true;
      spy->events_[at].probed = spy->probe();
      spy->probing_ = false;
    }
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    Event& event = spy->events_[at];
    event.result = result;
    if (msg == LB_GETTEXT && result >= 0) event.text = CopiedText(hwnd, lParam, result);
    return result;
  }

  // Every request here is wide: the program's windows are Unicode ones.
  static std::wstring CopiedText(HWND, LPARAM buffer, LRESULT length) {
    return {reinterpret_cast<const wchar_t*>(buffer), std::size_t(length)};
  }

  std::vector<UINT> watched_;
  std::vector<Event> events_;
  HWND hwnd_ = nullptr;
  bool probing_ = false;
};

}  // namespace kestrova::test

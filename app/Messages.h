// The program's private window messages, in one place, and the one way to hand an object over
// with a posted one: PostOwned gives the object to the message only once the post went through
// (a unique_ptr in), and the receiving window takes it back with TakeOwned (a unique_ptr out),
// so that an object is deleted exactly once whatever becomes of its message. The toolkit keeps
// its own (TApplication::kShowPendingErrors), far above these.
#pragma once

#include <memory>

#include "toolkit/Win.h"

namespace kestrova::msg {

// Sent by the batch's worker right before an archiver starts: wParam the item's number, lParam
// the folder's name (const std::wstring*, the sender's). The answer is a TItemStart.
constexpr UINT kItemMayStart = WM_APP + 1;
// Posted by the worker at an item's end (sent when the post is refused): lParam an owned
// TItemOutcome; the window answers 1 once it has taken it.
constexpr UINT kItemDone = WM_APP + 2;
// Posted once the worker's thread has ended, whatever way: wParam the worker's number.
constexpr UINT kWorkerEnded = WM_APP + 3;
// Posted when the question for the archiver was cancelled: the program ends once the window
// has been shown and activated and the command-line batch (if any) has run.
constexpr UINT kEndAfterStart = WM_APP + 4;
// Posted with the paths a second start handed over: lParam an owned std::vector<std::wstring>.
// They are taken as a drop once the second start has its answer.
constexpr UINT kHandedOver = WM_APP + 5;

// Posts message with the object; true when the post went through and the object went with it,
// false when it was refused and the object is still the caller's. post is PostMessageW but in
// tests.
template <class T>
bool PostOwned(HWND window, UINT message, WPARAM wParam, std::unique_ptr<T>& object,
               decltype(&PostMessageW) post = &PostMessageW) {
  if (!post(window, message, wParam, reinterpret_cast<LPARAM>(object.get()))) {
    return false;
  }
  object.release();
  return true;
}

// The object a message of PostOwned brought.
template <class T>
std::unique_ptr<T> TakeOwned(LPARAM lParam) {
  return std::unique_ptr<T>(reinterpret_cast<T*>(lParam));
}

}  // namespace kestrova::msg

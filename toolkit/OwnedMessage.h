// The one way to hand an object over with a posted message: PostOwned gives the object to the
// message only once the post went through (a unique_ptr in), and the receiving window takes it
// back with TakeOwned (a unique_ptr out), so that an object is deleted exactly once whatever
// becomes of its message.
#pragma once

#include <memory>

#include "toolkit/Win.h"

namespace kestrova::msg {

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

// Owning holders for platform handles, one template for every kind: each releases what it
// holds when it goes. Plus the scope helpers of GDI work and a general scope guard.
#pragma once

#include <utility>

#include "toolkit/Win.h"

namespace kestrova {

// Holds a handle of the kind Traits describes (its type, what counts as none, how it is
// released) and releases it on destruction.
template <typename Traits>
class Owned {
 public:
  using Type = typename Traits::Type;

  Owned() = default;
  explicit Owned(Type handle) : handle_(handle) {}
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Type{})) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, Type{}));
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { Reset(); }

  Type Get() const { return handle_; }
  explicit operator bool() const { return Traits::Valid(handle_); }
  void Reset(Type handle = Type{}) {
    if (Traits::Valid(handle_)) Traits::Release(handle_);
    handle_ = handle;
  }

 private:
  Type handle_{};
};

struct KernelHandleTraits {
  using Type = HANDLE;
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Release(HANDLE h) { CloseHandle(h); }
};

template <typename T>
struct GdiObjectTraits {
  using Type = T;
  static bool Valid(T object) { return object != nullptr; }
  static void Release(T object) { DeleteObject(object); }
};

// A kernel handle (process, thread, file), closed on destruction.
using UniqueHandle = Owned<KernelHandleTraits>;
using FontHandle = Owned<GdiObjectTraits<HFONT>>;
using BrushHandle = Owned<GdiObjectTraits<HBRUSH>>;
using BitmapHandle = Owned<GdiObjectTraits<HBITMAP>>;

// Runs a function when the scope ends, however it ends.
template <typename F>
class ScopeExit {
 public:
  explicit ScopeExit(F f) : f_(std::move(f)) {}
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;
  ~ScopeExit() { f_(); }

 private:
  F f_;
};

// A window's device context, released on destruction.
class WindowDC {
 public:
  explicit WindowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  ~WindowDC() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// One WM_PAINT: BeginPaint on construction, EndPaint on destruction, however the painting ends.
// Objects selected into its DC are held after it, so they go back before EndPaint.
class PaintScope {
 public:
  explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  ~PaintScope() { EndPaint(hwnd_, &ps_); }
  HDC Dc() const { return dc_; }
  RECT Client() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return client;
  }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a DC for the holder's lifetime.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace kestrova

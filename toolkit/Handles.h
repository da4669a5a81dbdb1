// Owning holders for what the platform hands out, each releasing it when it goes: one template
// for handles of every kind (a native window among them), the DCs (a window's, a paint's, a
// memory DC), a COM interface pointer, an object selected into a DC, and a general scope
// guard.
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

struct MemoryDcTraits {
  using Type = HDC;
  static bool Valid(HDC dc) { return dc != nullptr; }
  static void Release(HDC dc) { DeleteDC(dc); }
};

struct WindowTraits {
  using Type = HWND;
  static bool Valid(HWND hwnd) { return hwnd != nullptr; }
  static void Release(HWND hwnd) { DestroyWindow(hwnd); }
};

// A kernel handle (process, thread, file), closed on destruction.
using UniqueHandle = Owned<KernelHandleTraits>;
using FontHandle = Owned<GdiObjectTraits<HFONT>>;
using BrushHandle = Owned<GdiObjectTraits<HBRUSH>>;
using BitmapHandle = Owned<GdiObjectTraits<HBITMAP>>;
// A memory DC (CreateCompatibleDC), deleted on destruction.
using MemoryDC = Owned<MemoryDcTraits>;
// A native window that keeps its own procedure (a tooltip), destroyed on destruction.
using OwnedWindow = Owned<WindowTraits>;

// A COM interface pointer holding one reference, released when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller holds.
  explicit ComPtr(T* pointer) : pointer_(pointer) {}
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.pointer_, nullptr));
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // Releases the reference held and takes over the given one.
  void Reset(T* pointer = nullptr) {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = pointer;
  }
  // Where a function that hands out a reference writes it (CoCreateInstance's last argument):
  // the reference held so far is released first.
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&pointer_);
  }

 private:
  T* pointer_ = nullptr;
};

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

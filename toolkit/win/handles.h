// Owners for the few Win32 handles the toolkit keeps. Each has exactly one owner, cannot
// be copied, and releases its handle in the destructor.
#pragma once

#include <windows.h>

#include <utility>

namespace tk {

template <typename H, BOOL(WINAPI* kRelease)(H)>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) Reset(std::exchange(o.h_, nullptr));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  void Reset(H h = nullptr) {
    if (h_ != nullptr) kRelease(h_);
    h_ = h;
  }
  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_ = nullptr;
};

inline BOOL WINAPI DeleteGdiBitmap(HBITMAP h) { return DeleteObject(h); }

using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiBitmap>;
using UniqueMemoryDc = UniqueHandle<HDC, DeleteDC>;

// Selects an object into a DC for one scope and puts the old one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~ScopedSelect() { SelectObject(dc_, old_); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A window DC for one scope.
class ScopedWindowDc {
 public:
  explicit ScopedWindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~ScopedWindowDc() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &ps_); }
  ~ScopedPaint() { EndPaint(hwnd_, &ps_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  HDC dc() const { return ps_.hdc; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
};

}  // namespace tk

#pragma once
// Move-only owners for every kind of system handle the program holds. Each owner closes
// its handle exactly once, on destruction or reset; a selection into a device context
// puts the previous object back by itself.
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace dorvane {

template <typename Handle, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Handle h) noexcept : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return Traits::IsValid(h_); }
  Handle release() noexcept { return std::exchange(h_, Traits::Invalid()); }
  void reset(Handle h = Traits::Invalid()) noexcept {
    if (Traits::IsValid(h_)) Traits::Close(h_);
    h_ = h;
  }
  // For out-parameters of system calls: releases the current handle first.
  Handle* put() noexcept {
    reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::Invalid();
};

template <typename Handle, auto CloseFn>
struct NullHandleTraits {
  static constexpr Handle Invalid() noexcept { return nullptr; }
  static bool IsValid(Handle h) noexcept { return h != nullptr; }
  static void Close(Handle h) noexcept { CloseFn(h); }
};

struct FileHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { ::CloseHandle(h); }
};

inline void CloseKey(HKEY k) noexcept { ::RegCloseKey(k); }
inline void DeleteGdiObject(HGDIOBJ o) noexcept { ::DeleteObject(o); }
inline void CloseModule(HMODULE m) noexcept { ::FreeLibrary(m); }
inline void DestroyWindowHandle(HWND w) noexcept { ::DestroyWindow(w); }
inline void CloseMenu(HMENU m) noexcept { ::DestroyMenu(m); }
inline void CloseIcon(HICON i) noexcept { ::DestroyIcon(i); }
inline void CloseMemoryDc(HDC dc) noexcept { ::DeleteDC(dc); }
inline void CloseImageList(HIMAGELIST l) noexcept { ::ImageList_Destroy(l); }
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }

using UniqueHkey = UniqueHandle<HKEY, NullHandleTraits<HKEY, CloseKey>>;
using UniqueHwnd = UniqueHandle<HWND, NullHandleTraits<HWND, DestroyWindowHandle>>;
using UniqueHmenu = UniqueHandle<HMENU, NullHandleTraits<HMENU, CloseMenu>>;
using UniqueHicon = UniqueHandle<HICON, NullHandleTraits<HICON, CloseIcon>>;
using UniqueHmodule = UniqueHandle<HMODULE, NullHandleTraits<HMODULE, CloseModule>>;
using UniqueMemoryDc = UniqueHandle<HDC, NullHandleTraits<HDC, CloseMemoryDc>>;
using UniqueImageList = UniqueHandle<HIMAGELIST, NullHandleTraits<HIMAGELIST, CloseImageList>>;
using UniqueKernelHandle = UniqueHandle<HANDLE, NullHandleTraits<HANDLE, CloseKernelHandle>>;
using UniqueFile = UniqueHandle<HANDLE, FileHandleTraits>;

// Any GDI object (pen, brush, font, bitmap, region).
template <typename T>
using UniqueGdi = UniqueHandle<T, NullHandleTraits<T, DeleteGdiObject>>;
using UniqueHbitmap = UniqueGdi<HBITMAP>;
using UniqueHbrush = UniqueGdi<HBRUSH>;
using UniqueHpen = UniqueGdi<HPEN>;
using UniqueHfont = UniqueGdi<HFONT>;
using UniqueHrgn = UniqueGdi<HRGN>;

// A device context obtained with GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(wnd_, dc_);
  }
  HDC get() const noexcept { return dc_; }

 private:
  HWND wnd_;
  HDC dc_;
};

// BeginPaint/EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND wnd) noexcept : wnd_(wnd) { dc_ = ::BeginPaint(wnd, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { ::EndPaint(wnd_, &ps_); }
  HDC get() const noexcept { return dc_; }
  const RECT& UpdateRect() const noexcept { return ps_.rcPaint; }

 private:
  HWND wnd_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// Selects an object into a device context and puts the previous one back.
class SelectObjectGuard {
 public:
  SelectObjectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  SelectObjectGuard(const SelectObjectGuard&) = delete;
  SelectObjectGuard& operator=(const SelectObjectGuard&) = delete;
  ~SelectObjectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// SaveDC/RestoreDC around a drawing step.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) noexcept : dc_(dc), id_(::SaveDC(dc)) {}
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;
  ~SavedDcState() {
    if (id_) ::RestoreDC(dc_, id_);
  }

 private:
  HDC dc_;
  int id_;
};

}  // namespace dorvane

#pragma once
// Move-only owners for every kind of system handle the program holds. Each owner closes
// its handle exactly once, on destruction or reset; a selection into a device context
// gives a guard that puts the previous object back.
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
// A reference to a COM object: given back once.
template <typename Interface>
void ReleaseCom(Interface* object) noexcept {
  object->Release();
}

using UniqueHkey = UniqueHandle<HKEY, NullHandleTraits<HKEY, CloseKey>>;
using UniqueHwnd = UniqueHandle<HWND, NullHandleTraits<HWND, DestroyWindowHandle>>;
using UniqueHmenu = UniqueHandle<HMENU, NullHandleTraits<HMENU, CloseMenu>>;
using UniqueHicon = UniqueHandle<HICON, NullHandleTraits<HICON, CloseIcon>>;
using UniqueHmodule = UniqueHandle<HMODULE, NullHandleTraits<HMODULE, CloseModule>>;
using UniqueMemoryDc = UniqueHandle<HDC, NullHandleTraits<HDC, CloseMemoryDc>>;
using UniqueImageList = UniqueHandle<HIMAGELIST, NullHandleTraits<HIMAGELIST, CloseImageList>>;
using UniqueKernelHandle = UniqueHandle<HANDLE, NullHandleTraits<HANDLE, CloseKernelHandle>>;
using UniqueFile = UniqueHandle<HANDLE, FileHandleTraits>;
template <typename Interface>
using UniqueCom = UniqueHandle<Interface*, NullHandleTraits<Interface*, ReleaseCom<Interface>>>;

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

// BeginPaint/EndPaint. Empty when BeginPaint fails: there is nothing to paint on, and
// nothing to end.
class PaintDc {
 public:
  explicit PaintDc(HWND wnd) noexcept : wnd_(wnd) { dc_ = ::BeginPaint(wnd, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() {
    if (dc_) ::EndPaint(wnd_, &ps_);
  }
  explicit operator bool() const noexcept { return dc_ != nullptr; }
  HDC get() const noexcept { return dc_; }
  const RECT& UpdateRect() const noexcept { return ps_.rcPaint; }

 private:
  HWND wnd_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

class DcRestore;
inline DcRestore SelectInto(HDC dc, HGDIOBJ object) noexcept;
inline DcRestore SaveDcState(HDC dc) noexcept;
inline DcRestore ClipToRect(HDC dc, const RECT& r) noexcept;

// Puts a device context back, when the guard ends, as it was when the guard was made:
// the object selected before, the state saved, or drawing allowed everywhere again.
class [[nodiscard]] DcRestore {
 public:
  DcRestore(const DcRestore&) = delete;
  DcRestore& operator=(const DcRestore&) = delete;
  ~DcRestore() {
    switch (what_) {
      case kSelection:
        if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
        break;
      case kState:
        if (saved_) ::RestoreDC(dc_, saved_);
        break;
      case kClip:
        ::SelectClipRgn(dc_, nullptr);
        break;
    }
  }

 private:
  enum What { kSelection, kState, kClip };
  DcRestore(HDC dc, What what, HGDIOBJ previous = nullptr, int saved = 0) noexcept
      : dc_(dc), what_(what), previous_(previous), saved_(saved) {}
  friend DcRestore SelectInto(HDC dc, HGDIOBJ object) noexcept;
  friend DcRestore SaveDcState(HDC dc) noexcept;
  friend DcRestore ClipToRect(HDC dc, const RECT& r) noexcept;

  HDC dc_;
  What what_;
  HGDIOBJ previous_;
  int saved_;
};

// Selects an object into a device context; the guard puts the previous one back.
[[nodiscard]] inline DcRestore SelectInto(HDC dc, HGDIOBJ object) noexcept {
  return DcRestore(dc, DcRestore::kSelection, ::SelectObject(dc, object));
}

// SaveDC now; the guard restores that state (RestoreDC).
[[nodiscard]] inline DcRestore SaveDcState(HDC dc) noexcept {
  return DcRestore(dc, DcRestore::kState, nullptr, ::SaveDC(dc));
}

// Confines drawing on a device context to a rectangle until the guard ends.
[[nodiscard]] inline DcRestore ClipToRect(HDC dc, const RECT& r) noexcept {
  ::IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  return DcRestore(dc, DcRestore::kClip);
}

}  // namespace dorvane

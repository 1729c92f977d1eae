#include "framework/UtilityWindow.h"

#include "framework/Application.h"
#include "framework/Classes.h"
#include "framework/SysUtils.h"
#include "framework/Trace.h"

namespace dorvane {
namespace {

constexpr const wchar_t* kClass = L"DorvaneUtilityWindow";

void EnsureClass() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  (void)registered;
}

}  // namespace

TUtilityWindow::TUtilityWindow(Handler handler, TObject* owner, Kind kind)
    : handler_(std::move(handler)), owner_(owner) {
  const bool messageOnly = kind == kMessageOnly;
  const TraceScope trace(messageOnly ? "utility window, message-only" : "utility window, top-level");
  EnsureClass();
  wnd_ = CreateWindowExW(messageOnly ? 0 : WS_EX_TOOLWINDOW, kClass, L"", messageOnly ? 0 : WS_POPUP, 0, 0, 0, 0,
                         messageOnly ? HWND_MESSAGE : nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!wnd_) RaiseLastOSError("creating a utility window");
  SetWindowLongPtrW(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TUtilityWindow::WindowProc));
}

TUtilityWindow::~TUtilityWindow() {
  if (wnd_) {
    SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
    SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
    DestroyWindow(wnd_);
  }
}

LRESULT CALLBACK TUtilityWindow::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TUtilityWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
  if (self && self->handler_) {
    // The handler may free the window's owner, and this object with it: nothing of
    // either is touched after the call unless the owner is known to be alive.
    const Handler handler = self->handler_;
    TObject* owner = self->owner_;
    const auto* component = dynamic_cast<const TComponent*>(owner);
    const std::weak_ptr<const void> alive = component ? component->AliveToken() : std::weak_ptr<const void>();
    try {
      if (auto result = handler(msg, wp, lp)) return *result;
    } catch (...) {
      HandleException(component && alive.expired() ? nullptr : owner);
      return 0;
    }
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace dorvane

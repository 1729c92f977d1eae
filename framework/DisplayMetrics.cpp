#include "framework/DisplayMetrics.h"

#include "core/DisplayScale.h"
#include "winapi/Handles.h"
#include "winapi/SystemLibrary.h"

namespace dorvane {

int SystemDpi() {
  using GetDpiForSystemFn = UINT WINAPI();
  static GetDpiForSystemFn* const forSystem = SystemFunctionAs<GetDpiForSystemFn>(L"user32.dll", "GetDpiForSystem");
  if (forSystem) return static_cast<int>(forSystem());
  const WindowDc screen(nullptr);
  const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND wnd) {
  using GetDpiForWindowFn = UINT WINAPI(HWND);
  static GetDpiForWindowFn* const forWindow = SystemFunctionAs<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
  const int dpi = forWindow && wnd ? static_cast<int>(forWindow(wnd)) : 0;
  return dpi > 0 ? dpi : SystemDpi();
}

namespace {

HMONITOR NotificationAreaMonitor() { return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY); }

}  // namespace

int NotificationAreaDpi() {
  // MDT_EFFECTIVE_DPI (0) of shcore's GetDpiForMonitor: the scale the user chose.
  using GetDpiForMonitorFn = HRESULT WINAPI(HMONITOR, int, UINT*, UINT*);
  static GetDpiForMonitorFn* const forMonitor = SystemFunctionAs<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (forMonitor && SUCCEEDED(forMonitor(NotificationAreaMonitor(), 0, &x, &y)) && y > 0) return static_cast<int>(y);
  return SystemDpi();
}

bool OnNotificationAreaMonitor(HWND wnd) {
  return wnd && MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST) == NotificationAreaMonitor();
}

int SmallIconSize(int dpi) {
  using GetSystemMetricsForDpiFn = int WINAPI(int, UINT);
  static GetSystemMetricsForDpiFn* const forDpi =
      SystemFunctionAs<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  const int size = forDpi ? forDpi(SM_CXSMICON, static_cast<UINT>(dpi)) : 0;
  if (size > 0) return size;
  // Older systems know only the system's DPI.
  return dpi == SystemDpi() ? GetSystemMetrics(SM_CXSMICON) : SmallIconSizeForDpi(dpi);
}

}  // namespace dorvane

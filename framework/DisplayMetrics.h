#pragma once
// What the system says about the display scale: a window's DPI, the system's, and the
// size of the small icons the notification area shows. Each asks the newest call the
// system has and falls back to what older systems offer.
#include <windows.h>

namespace dorvane {

// The DPI of the monitor the window is on as the window sees it (per-monitor aware); on
// systems without per-monitor DPI, the system's.
int WindowDpi(HWND wnd);

// The system's DPI (the primary monitor's at log-on): the notification area's.
int SystemDpi();

// The DPI of the monitor the notification area is on (the primary one) as it is now: it
// follows the user's changes of that monitor's scale, which the system's DPI does not.
int NotificationAreaDpi();

// Whether the window is on that monitor, so that its DPI is the notification area's.
bool OnNotificationAreaMonitor(HWND wnd);

// The side in pixels of the small icons (the tray's) at `dpi`.
int SmallIconSize(int dpi);

}  // namespace dorvane

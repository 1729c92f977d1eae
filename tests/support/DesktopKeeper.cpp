// Keeps the Wine session's desktop process up while the test programs come and go.
// Without a window of some program the desktop process ends about a second after the
// last one and is started again by the next: a test program that ends while it starts
// or stops can wait for it. One window of this program, for the whole run, keeps it;
// the wineserver's end (wine-server stop) ends this program too.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"DorvaneDesktopKeeper";
  if (!RegisterClassW(&wc)) return 1;
  HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"desktop keeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                             nullptr, instance, nullptr);
  if (!wnd) return 1;
  ShowWindow(wnd, SW_SHOWNOACTIVATE);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

// A bare window set up like dorvane.exe's main window and nothing else: borderless popup,
// always on top, layered with a constant opacity, a rounded window region, the same size
// and place. With the argument "tray" it also keeps an icon in the notification area and
// removes it at exit, as the program does. The start-up benchmark launches it beside
// dorvane.exe: what this window pays is what Wine and X11 charge for such a window.
// With "keeper" it shows no window and only keeps a tray icon: the benchmark runs one for
// the whole run, as the shell is always there on Windows, so that Wine's desktop process
// and its notification area stay up between the launches it measures.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "framework/Trace.h"
#ifdef BARE_WITH_PROGRAM_IMPORTS
#include "bench/ProgramImports.h"
#endif

namespace {

constexpr int kWidth = 261;
constexpr int kHeight = 143;
constexpr UINT kTrayMessage = WM_APP + 1;

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd, &ps);
      HBRUSH brush = CreateSolidBrush(RGB(126, 178, 235));
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(wnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(wnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR args, int) {
  // The same first mark as the program's: the benchmark splits each launch there.
  dorvane::TraceMark("wWinMain");
  const bool keeper = args && std::wcsstr(args, L"keeper") != nullptr;
#ifdef BARE_WITH_PROGRAM_IMPORTS
  ImportTheProgramsDlls();
#endif
  const bool tray = keeper || (args && std::wcsstr(args, L"tray") != nullptr);
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"BareStyledWindow";
  RegisterClassW(&wc);
  const int left = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int top = GetSystemMetrics(SM_CYSCREEN) / 2;
  HWND wnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_LAYERED, L"BareStyledWindow",
                             keeper ? L"Start-up benchmark keeper" : L"Bare styled window",
                             WS_POPUP | WS_CLIPCHILDREN, left, top, kWidth, kHeight, nullptr, nullptr, instance,
                             nullptr);
  SetLayeredWindowAttributes(wnd, 0, 255, LWA_ALPHA);
  SetWindowRgn(wnd, CreateRoundRectRgn(0, 0, kWidth, kHeight, 9, 9), TRUE);
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = wnd;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  std::wcscpy(icon.szTip, L"Bare styled window");
  if (tray) Shell_NotifyIconW(NIM_ADD, &icon);
  if (!keeper) ShowWindow(wnd, SW_SHOW);
  if (!keeper) SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (tray) Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}

// The smallest Win32 window program: one window class, one window, the message loop.
// The start-up benchmark launches it beside dorvane.exe as the floor any program pays.
// Built a second time with BARE_WITH_PROGRAM_IMPORTS (bare_window_imports.exe): then it
// imports the system DLLs dorvane.exe imports and carries its manifest (common controls
// 6), and shows what loading those costs before the first line of a program runs.
#include <windows.h>

#ifdef BARE_WITH_PROGRAM_IMPORTS
#include "bench/ProgramImports.h"
#endif

#include "framework/Trace.h"

namespace {

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  // The same first mark as the program's: the benchmark splits each launch there.
  dorvane::TraceMark("wWinMain");
#ifdef BARE_WITH_PROGRAM_IMPORTS
  ImportTheProgramsDlls();
#endif
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"BareWindow";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowW(L"BareWindow", L"Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 261,
                           143, nullptr, nullptr, instance, nullptr);
  ShowWindow(wnd, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

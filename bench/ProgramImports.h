#pragma once
// For the yardsticks built "with the program's imports": calls that never run but make the
// linker import the system DLLs dorvane.exe imports, so that loading them (and what their
// start-up does, such as common controls 6 from the manifest) is paid before wWinMain as
// the program pays it.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

inline void ImportTheProgramsDlls() {
  // Read at run time, so that the compiler cannot drop the calls and with them the imports.
  static volatile int never = 0;
  if (never != -12345) return;
  InitCommonControls();
  SHGetFileInfoW(L"", 0, nullptr, 0, 0);
  GradientFill(nullptr, nullptr, 0, nullptr, 0, 0);
  GetFileVersionInfoSizeW(L"", nullptr);
  RegCloseKey(nullptr);
}

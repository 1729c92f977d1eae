// Program entry: the application, the main window with the machine it runs on, the
// about box, and the message loop.
#include <windows.h>

#include "core/NumberFormat.h"
#include "core/win32/Win32Machine.h"
#include "framework/Forms.h"
#include "framework/Trace.h"
#include "main/Program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace dorvane;
  TraceMark("wWinMain");
  SetCurrentSeparators(ReadUserSeparators());
  static Win32Machine machine;
  try {
    const TraceScope trace("create windows");
    CreateProgramWindows(machine);
  } catch (...) {
    Application().HandleException(nullptr);
    return 1;
  }
  TraceMark("message loop");
  Application().Run();
  TraceMark("message loop ended");
  return 0;
}

// Program entry: the application, the main window with the machine it runs on, the
// about box, and the message loop.
#include <windows.h>

#include <cstddef>

#include "core/NumberFormat.h"
#include "core/win32/Win32Machine.h"
#include "framework/Forms.h"
#include "framework/SingleInstance.h"
#include "framework/Trace.h"
#include "main/Program.h"

#if defined(DORVANE_RELEASE_BUILD) && defined(__GLIBCXX__)
// The release program never shows demangled type names: the runtime's only caller is its
// message for an exception that escapes everything, which our handlers do not let happen.
// Defined here, the runtime's demangler (about 50 KB of the executable) stays out; that
// message would then show the raw type name.
extern "C" char* __cxa_demangle(const char*, char*, std::size_t*, int* status) {
  if (status) *status = -2;
  return nullptr;
}
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace dorvane;
  TraceMark("wWinMain");
  // One copy per session: a later start brings the first one's window forward and ends
  // before it reads a setting or makes a window.
  TSingleInstance instance("Dorvane");
  if (instance.HandedOver()) return 0;
  SetCurrentSeparators(ReadUserSeparators());
  static Win32Machine machine;
  try {
    const TraceScope trace("create windows");
    CreateProgramWindows(machine);
    AnswerLaterStarts(instance);
  } catch (...) {
    Application().HandleException(nullptr);
    FreeApplication();
    return 1;
  }
  RunProgram();
  return 0;
}

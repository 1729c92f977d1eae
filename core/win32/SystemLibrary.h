#pragma once
// Functions of system DLLs that the program needs only now and then (the file dialog, the
// wave player), loaded when first called. Every DLL the executable imports is loaded, with
// all it imports in turn, before the program's first line runs: the file dialog's DLL
// brings the printing DLLs, the wave player's the audio codec manager.
#include <windows.h>

#include <cstring>

namespace dorvane {

// The function `name` of the DLL `dll` in the system folder (loaded on first use and kept
// for the rest of the run), or null when either is missing.
FARPROC SystemFunction(const wchar_t* dll, const char* name);

// The same, as a pointer of the function's own type.
template <class Fn>
Fn* SystemFunctionAs(const wchar_t* dll, const char* name) {
  const FARPROC found = SystemFunction(dll, name);
  Fn* fn = nullptr;
  static_assert(sizeof fn == sizeof found);
  std::memcpy(&fn, &found, sizeof fn);
  return fn;
}

}  // namespace dorvane

#pragma once
// Functions of system DLLs that the program needs only now and then (the file dialog, the
// wave player), loaded when first called. Every DLL the executable imports is loaded, with
// all it imports in turn, before the program's first line runs: the file dialog's DLL
// brings the printing DLLs, the wave player's the audio codec manager.
#include <windows.h>

#include <cstring>
#include <string>

namespace dorvane {

// The function `name` of the DLL `dll` in the system folder (loaded on first use and kept
// for the rest of the run), or null when either is missing.
inline FARPROC SystemFunction(const wchar_t* dll, const char* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  // A full path: a DLL of the same name beside the program or in the current folder is
  // never loaded instead.
  const std::wstring path = std::wstring(folder, length) + L"\\" + dll;
  HMODULE module = GetModuleHandleW(path.c_str());
  if (!module) module = LoadLibraryW(path.c_str());
  return module ? GetProcAddress(module, name) : nullptr;
}

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

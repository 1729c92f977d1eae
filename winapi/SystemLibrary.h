#pragma once
// The system's DLLs, loaded the one way: by their full path in the system folder, so
// that a DLL of the same name beside the program or in the current folder is never
// loaded instead. Functions that the program needs only now and then (the file dialog,
// the wave player, the shell's extras) come through SystemFunctionAs: every DLL the
// executable imports is loaded, with all it imports in turn, before the program's first
// line runs (the file dialog's DLL brings the printing DLLs, the wave player's the audio
// codec manager). Also the system's version, asked once.
#include <windows.h>

#include <cstring>
#include <string>

#include "winapi/Handles.h"

namespace dorvane {

// "<system folder>\<dll>", or empty when the system folder is unknown.
inline std::wstring SystemDllPath(const wchar_t* dll) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::wstring();
  return std::wstring(folder, length) + L"\\" + dll;
}

// The one call that loads a system DLL: by its full path (one more reference to it).
inline HMODULE LoadByFullPath(const std::wstring& path) {
  return path.empty() ? nullptr : LoadLibraryW(path.c_str());
}

// A system DLL loaded for as long as the owner is kept (null when it cannot be loaded).
inline UniqueHmodule LoadSystemLibrary(const wchar_t* dll) { return UniqueHmodule(LoadByFullPath(SystemDllPath(dll))); }

// The function `name` (or ordinal, MAKEINTRESOURCEA) of the system DLL `dll`, loaded on
// first use and kept for the rest of the run; null when either is missing.
inline FARPROC SystemFunction(const wchar_t* dll, const char* name) {
  const std::wstring path = SystemDllPath(dll);
  if (path.empty()) return nullptr;
  HMODULE module = GetModuleHandleW(path.c_str());
  if (!module) module = LoadByFullPath(path);
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

// A function of a loaded module, as a pointer of its own type (null when missing).
template <class Fn>
Fn* ModuleFunctionAs(HMODULE module, const char* name) {
  const FARPROC found = module ? GetProcAddress(module, name) : nullptr;
  Fn* fn = nullptr;
  static_assert(sizeof fn == sizeof found);
  std::memcpy(&fn, &found, sizeof fn);
  return fn;
}

// The system's version as it reports itself, asked once per process.
struct SystemVersion {
  bool known = false;  // false when the system did not say
  DWORD platform = 0;  // VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS, ...
  DWORD major = 0;
  DWORD minor = 0;
};

inline const SystemVersion& TheSystemVersion() {
  static const SystemVersion version = [] {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    if (!GetVersionExW(&info)) return SystemVersion{};
    return SystemVersion{true, info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
  }();
  return version;
}

}  // namespace dorvane

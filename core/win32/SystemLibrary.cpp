#include "core/win32/SystemLibrary.h"

#include <string>

namespace dorvane {

FARPROC SystemFunction(const wchar_t* dll, const char* name) {
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

}  // namespace dorvane

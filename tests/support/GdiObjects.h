#pragma once
// Live GDI objects of the process. Wine answers GetGuiResources with 0; its handle table
// also takes handles by bare index, so there they are counted by probing.
#include <windows.h>

#include <cstdint>

namespace dorvane::testing {

inline int LiveGdiObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
  int live = 0;
  for (std::uintptr_t i = 0x20; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++live;
  return live;
}

}  // namespace dorvane::testing

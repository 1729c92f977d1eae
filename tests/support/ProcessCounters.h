#pragma once
// What a process holds, counted in ways that also work under Wine: its threads, its
// kernel handles, its GDI objects and its committed private memory.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstddef>

namespace dorvane::testing {

inline int CountThreads() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
    n += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snap);
  return n;
}

// Wine answers GetProcessHandleCount with 0: every handle value is asked instead.
inline int CountHandles() {
  int n = 0;
  for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
    DWORD flags = 0;
    n += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
  }
  return n;
}

// Live GDI objects. Wine answers GetGuiResources with 0; its handle table also takes
// handles by bare index, so there they are counted by probing.
inline int CountGdiObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
  int live = 0;
  for (ULONG_PTR i = 0x20; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++live;
  return live;
}

inline std::size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc);
  if (pmc.PrivateUsage) return pmc.PrivateUsage;
  // Wine leaves the counter at 0: add up the committed private memory instead.
  std::size_t total = 0;
  MEMORY_BASIC_INFORMATION mbi{};
  for (const char* p = nullptr; VirtualQuery(p, &mbi, sizeof mbi) == sizeof mbi;
       p = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    if (mbi.RegionSize == 0) break;
  }
  return total;
}

}  // namespace dorvane::testing

#pragma once
// Runs the window thread's messages while a test waits for something to happen.
#include <windows.h>

#include "framework/Forms.h"

namespace dorvane::testing {

template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    Application().ProcessMessages();
    Sleep(2);
  }
  return true;
}

inline void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

}  // namespace dorvane::testing

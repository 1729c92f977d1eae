#pragma once
// Tab presses as the window thread receives them: queued key-downs for the focused window,
// read by the application's message handling with the thread's Shift state.
//
// Other programs of the session (test suites run beside this one) may take the activation,
// and the focus with it, at any moment: each press starts from the focus the previous one
// left, given back when it was taken, and is pressed again when it was taken meanwhile
// (even when given back at once: the focus does not come back with it).
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Controls.h"

namespace dorvane::testing {

// Shift as the thread's keyboard state has it (what a queued key is read with).
inline void SetShiftDown(bool down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// Activates wnd's window and focuses wnd (or the child it hands the focus to); false when
// another program kept taking it.
inline bool Refocus(HWND wnd) {
  const HWND top = GetAncestor(wnd, GA_ROOT);
  auto focused = [wnd] { return GetFocus() && (GetFocus() == wnd || IsChild(wnd, GetFocus())); };
  for (int attempt = 0; attempt < 50 && !focused(); ++attempt) {
    SetForegroundWindow(top);
    SetActiveWindow(top);
    SetFocus(wnd);
    Application().ProcessMessages();
  }
  return focused();
}

// The nearest named control from the focused window up (an edit inside a composite
// control answers with the composite's name), or "(none)".
inline std::string FocusedName() {
  for (TWinControl* c = TWinControl::FromHandle(GetFocus()); c; c = c->Parent())
    if (!c->Name().empty()) return c->Name();
  return "(none)";
}

// Activation changes of this thread's windows while a ScopedActivationCount lives: a
// window given the activation back is focused itself, not the control that had the focus.
inline int& ActivationChanges() {
  static int changes = 0;
  return changes;
}

class ScopedActivationCount {
 public:
  ScopedActivationCount()
      : hook_(SetWindowsHookExW(WH_CALLWNDPROC, &Count, nullptr, GetCurrentThreadId())) {}
  ~ScopedActivationCount() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  ScopedActivationCount(const ScopedActivationCount&) = delete;
  ScopedActivationCount& operator=(const ScopedActivationCount&) = delete;

 private:
  static LRESULT CALLBACK Count(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(lp)->message == WM_ACTIVATE) ++ActivationChanges();
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  HHOOK hook_;
};

// Presses Tab (Shift+Tab) `count` times from `from`; the focused control's name after each.
inline std::vector<std::string> PressTab(TWinControl& from, std::size_t count, bool shift = false) {
  HWND at = from.Handle();
  const HWND top = GetAncestor(at, GA_ROOT);
  std::vector<std::string> focused;
  ScopedActivationCount activations;
  for (std::size_t i = 0; i < count; ++i) {
    for (int attempt = 0; attempt < 20; ++attempt) {
      if (!Refocus(at)) continue;
      const int before = ActivationChanges();
      SetShiftDown(shift);
      PostMessageW(at, WM_KEYDOWN, VK_TAB, 1);
      Application().ProcessMessages();
      SetShiftDown(false);
      if (ActivationChanges() == before && GetActiveWindow() == top && GetFocus()) break;
    }
    at = GetFocus();
    focused.push_back(FocusedName());
  }
  return focused;
}

}  // namespace dorvane::testing

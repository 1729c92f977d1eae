#pragma once
// One running copy of a program per user session.
//
// The first start holds a named object of the session's own namespace and a hidden
// window that answers a registered message. A later start finds the object taken, asks
// that window to bring its program forward and, once answered, is to end at once: it has
// made no window of its own and read nothing. The asking waits a bounded time, so a first
// copy that hangs, or is going away, never keeps a new one from starting: a copy that has
// gone frees the object, which the new start then takes; one that does not answer in time
// leaves the new start to run beside it.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "framework/Window.h"
#include "winapi/Handles.h"

namespace dorvane {

class TSingleInstance : private TWindowTarget {
 public:
  static constexpr std::chrono::milliseconds kHandOverWait{3000};

  // `name` names the object, the window and the message (tests use names of their own).
  // `wait` bounds how long a later start waits for the first one's answer.
  explicit TSingleInstance(const std::string& name, std::chrono::milliseconds wait = kHandOverWait);
  ~TSingleInstance();
  TSingleInstance(const TSingleInstance&) = delete;
  TSingleInstance& operator=(const TSingleInstance&) = delete;

  // A first copy answered: this start is to end now.
  bool HandedOver() const { return handedOver_; }
  // This start holds the name: it came first, or took over from a copy that went away.
  bool Holds() const { return holds_; }

  // What a later start asks of this one. It runs from the message loop, after the later
  // start has had its answer (never inside the other program's call); a request that came
  // before an action was set runs when it is set.
  void SetOnLaterStart(std::function<void()> action);

 private:
  void HandOver(std::chrono::milliseconds wait);
  void Listen();
  bool WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void WindowBound(HWND wnd) override { wnd_ = wnd; }
  void WindowGone(HWND) override { wnd_ = nullptr; }

  std::wstring title_;
  UINT message_ = 0;
  UniqueKernelHandle object_;
  HWND wnd_ = nullptr;
  bool holds_ = false;
  bool handedOver_ = false;
  bool pending_ = false;
  std::function<void()> onLaterStart_;
};

}  // namespace dorvane

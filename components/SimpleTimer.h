#pragma once
// A light timer for components: no component of its own, no property table, just a
// callback run on the window thread. Every timer of the process shares one hidden
// window, created by the first timer and destroyed with the last.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>

#include "framework/UtilityWindow.h"

namespace dorvane {

class TObject;
class TSimpleTimer;

// The hidden window that receives WM_TIMER for every TSimpleTimer. The timer object's
// address is the system timer identifier; a timer that has already gone is recognised
// and ignored (a WM_TIMER may still be queued when a timer is freed).
class TSimpleTimerHandler {
 public:
  TSimpleTimerHandler(const TSimpleTimerHandler&) = delete;
  TSimpleTimerHandler& operator=(const TSimpleTimerHandler&) = delete;
  ~TSimpleTimerHandler();

  // The shared handler, created when none exists. Holding the pointer keeps it alive.
  static std::shared_ptr<TSimpleTimerHandler> Acquire();
  // The window of the shared handler, or null while no timer exists.
  static HWND CurrentWindow();

  HWND Handle() const { return window_.Handle(); }

 private:
  friend class TSimpleTimer;
  TSimpleTimerHandler();
  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp);

  std::unordered_set<const TSimpleTimer*> timers_;  // the live ones
  TUtilityWindow window_;
};

class TSimpleTimer {
 public:
  // Called with the object the timer was given.
  using TCallback = std::function<void(TObject* object)>;

  TSimpleTimer(TObject* object, TCallback callback);
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;
  ~TSimpleTimer();

  // Stops a running timer, then starts one of `interval` milliseconds. Returns whether
  // the system accepted it; a refused timer stays inactive.
  bool Start(unsigned interval);
  void Stop();

  bool Active() const { return active_; }
  unsigned Interval() const { return interval_; }
  TObject* Object() const { return object_; }
  UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

 private:
  friend class TSimpleTimerHandler;
  void Fire();

  std::shared_ptr<TSimpleTimerHandler> handler_;
  TObject* object_;
  TCallback callback_;
  unsigned interval_ = 0;
  bool active_ = false;
};

}  // namespace dorvane

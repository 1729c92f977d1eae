#pragma once
// A light timer for components: no component of its own, no property table, just a
// callback run on the window thread. Every timer of the process shares one hidden
// window, created by the first timer and destroyed with the last.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include "framework/UtilityWindow.h"

namespace dorvane {

class TObject;
class TSimpleTimer;

// The hidden window that receives WM_TIMER for every TSimpleTimer. Every start of a timer
// takes a fresh system timer identifier, never used before in the process: a WM_TIMER
// still queued for a stopped or freed timer matches no running one and is ignored, even
// when a new timer now lives at the freed one's address.
class TSimpleTimerHandler : public SharedPerKind<TSimpleTimerHandler> {
 public:
  TSimpleTimerHandler(const TSimpleTimerHandler&) = delete;
  TSimpleTimerHandler& operator=(const TSimpleTimerHandler&) = delete;
  ~TSimpleTimerHandler();

  // The window of the shared handler, or null while no timer exists.
  static HWND CurrentWindow();

  HWND Handle() const { return window_.Handle(); }

 private:
  friend class TSimpleTimer;
  friend class SharedPerKind<TSimpleTimerHandler>;
  TSimpleTimerHandler();
  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp);

  // Counted for the whole process: a handler made after the last one went starts no
  // identifier over.
  static UINT_PTR NewId();

  std::unordered_map<UINT_PTR, TSimpleTimer*> running_;  // by identifier
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
  // The system timer identifier of the current run; 0 while stopped.
  UINT_PTR Id() const { return id_; }

 private:
  friend class TSimpleTimerHandler;
  void Fire();

  std::shared_ptr<TSimpleTimerHandler> handler_;
  TObject* object_;
  TCallback callback_;
  unsigned interval_ = 0;
  bool active_ = false;
  UINT_PTR id_ = 0;
};

}  // namespace dorvane

#pragma once
// A periodic timer on the window thread. It runs while Enabled, Interval > 0 and OnTimer
// is set; an exception from OnTimer goes to the application's handler and the timer
// keeps firing.
#include <memory>

#include "framework/Classes.h"
#include "framework/UtilityWindow.h"

namespace dorvane {

class TTimer : public TComponent {
  DORVANE_CLASS(TTimer)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  TNotifyEvent OnTimer;
  void Loaded() override;
  // Whether the system timer is running now.
  bool Running() const { return running_; }

 private:
  void UpdateTimer();
  bool enabled_ = true;
  unsigned interval_ = 1000;
  bool running_ = false;
  std::unique_ptr<TUtilityWindow> window_;
};

}  // namespace dorvane

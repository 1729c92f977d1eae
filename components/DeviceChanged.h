#pragma once
// A component that listens to the system's device-change broadcasts through a hidden
// window of its own and reports, by drive letter, when media arrives in a volume (a disc
// inserted) or has been removed from it.
//
// Beyond media changes it can also report volumes that arrive or leave as a whole (a USB
// stick plugged in, a network drive mapped), and it can gather a burst of broadcasts
// into one report: plugging in one stick can bring several broadcasts within a second.
// Both are off by default.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "components/SimpleTimer.h"
#include "framework/Classes.h"
#include "framework/UtilityWindow.h"

namespace dorvane {

using TOnDeviceArrived = std::function<void(TObject* sender, char drive)>;

class TDeviceChanged : public TComponent {
  DORVANE_CLASS(TDeviceChanged)
 public:
  explicit TDeviceChanged(TComponent* owner);
  ~TDeviceChanged() override;

  // The hidden window that receives the broadcasts. It is made once the message loop has
  // handled what waits at the start (a window costs the start-up time; a broadcast can
  // only come through the loop anyway), or when asked for here first.
  HWND Handle();
  bool HandleAllocated() const { return window_ != nullptr; }

  // -- published properties --
  // Also report volumes arriving or leaving as a whole, not only media changes.
  bool WholeVolumes() const { return wholeVolumes_; }
  void SetWholeVolumes(bool value) { wholeVolumes_ = value; }
  // 0: every broadcast is reported at once. Otherwise the broadcasts are gathered until
  // none has come for this many milliseconds, then reported once: an arrival (the
  // lowest drive that arrived) when any drive arrived, else a removal.
  int SettleTime() const { return settleTime_; }
  void SetSettleTime(int ms);

  TOnDeviceArrived OnDeviceArrived;
  TOnDeviceArrived OnDeviceRemoveCompleted;
  // Raised once the hidden window exists: from then on no broadcast is missed. What came
  // before (a drive mapped while the program was starting) only its owner can find out.
  TNotifyEvent OnListening;

  // Whether gathered broadcasts wait to be reported.
  bool Pending() const { return pendingArrival_ || pendingRemoval_; }

 private:
  std::optional<LRESULT> Message(UINT msg, WPARAM wp, LPARAM lp);
  void Broadcast(bool arrived, char drive);
  void Settled();

  bool wholeVolumes_ = false;
  int settleTime_ = 0;
  char pendingArrival_ = 0;  // the lowest drive letter gathered, or 0
  char pendingRemoval_ = 0;
  TSimpleTimer settle_;
  std::unique_ptr<TUtilityWindow> window_;
};

// The drive letter a volume broadcast reports: the lowest drive of its unit mask (bit 0
// = A); 0 when the mask names no drive A to Z.
char LowestDriveOfMask(DWORD unitMask);

}  // namespace dorvane

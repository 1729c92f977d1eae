#include "components/DeviceChanged.h"

#include <dbt.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <utility>

#include "framework/Application.h"
#include "framework/ClassBuilder.h"

namespace dorvane {

const ClassInfo& TDeviceChanged::StaticClass() {
  using T = TDeviceChanged;
  static const ClassInfo info = ClassBuilder<T>("TDeviceChanged", &TComponent::StaticClass())
                                    .Bool("WholeVolumes", &T::WholeVolumes, &T::SetWholeVolumes, false)
                                    .Int("SettleTime", &T::SettleTime, &T::SetSettleTime, 0)
                                    .Event("OnDeviceArrived", &T::OnDeviceArrived)
                                    .Event("OnDeviceRemoveCompleted", &T::OnDeviceRemoveCompleted)
                                    .Event("OnListening", &T::OnListening)
                                    .Build();
  return info;
}

char LowestDriveOfMask(DWORD unitMask) {
  if (unitMask == 0) return 0;
  const int bit = std::countr_zero(static_cast<std::uint32_t>(unitMask));
  return bit < 26 ? static_cast<char>('A' + bit) : 0;
}

TDeviceChanged::TDeviceChanged(TComponent* owner)
    : TComponent(owner),
      settle_(this, [this](TObject*) { Settled(); }) {
  Application().Later(this, [this] { (void)Handle(); });
}

TDeviceChanged::~TDeviceChanged() = default;

HWND TDeviceChanged::Handle() {
  if (!window_) {
    window_ = std::make_unique<TUtilityWindow>([this](UINT msg, WPARAM wp, LPARAM lp) { return Message(msg, wp, lp); },
                                               this);
    Fire(OnListening, this);
  }
  return window_->Handle();
}

void TDeviceChanged::SetSettleTime(int ms) { settleTime_ = std::max(ms, 0); }

std::optional<LRESULT> TDeviceChanged::Message(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_DEVICECHANGE) return std::nullopt;
  if ((wp != DBT_DEVICEARRIVAL && wp != DBT_DEVICEREMOVECOMPLETE) || lp == 0) return TRUE;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lp);
  if (header->dbch_devicetype != DBT_DEVTYP_VOLUME || header->dbch_size < sizeof(DEV_BROADCAST_VOLUME))
    return TRUE;
  const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(lp);
  if (!(volume->dbcv_flags & DBTF_MEDIA) && !wholeVolumes_) return TRUE;
  if (const char drive = LowestDriveOfMask(volume->dbcv_unitmask)) Broadcast(wp == DBT_DEVICEARRIVAL, drive);
  return TRUE;
}

void TDeviceChanged::Broadcast(bool arrived, char drive) {
  if (settleTime_ == 0) {
    Fire(arrived ? OnDeviceArrived : OnDeviceRemoveCompleted, this, drive);
    return;
  }
  char& pending = arrived ? pendingArrival_ : pendingRemoval_;
  if (!pending || drive < pending) pending = drive;
  settle_.Start(static_cast<unsigned>(settleTime_));  // every broadcast starts the wait anew
}

void TDeviceChanged::Settled() {
  settle_.Stop();
  const char arrival = std::exchange(pendingArrival_, 0);
  const char removal = std::exchange(pendingRemoval_, 0);
  try {
    if (arrival) Fire(OnDeviceArrived, this, arrival);
    else if (removal) Fire(OnDeviceRemoveCompleted, this, removal);
  } catch (...) {
    HandleException(this);
  }
}

}  // namespace dorvane

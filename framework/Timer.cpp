#include "framework/Timer.h"

#include "framework/ClassBuilder.h"

namespace dorvane {

const ClassInfo& TTimer::StaticClass() {
  static const ClassInfo info = ClassBuilder<TTimer>("TTimer", &TComponent::StaticClass())
                                    .Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
                                    .Int("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
                                    .Event("OnTimer", &TTimer::OnTimer)
                                    .Build();
  return info;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  window_ = std::make_unique<TUtilityWindow>(
      [this](UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (msg != WM_TIMER) return std::nullopt;
        Fire(OnTimer, this);
        return 0;
      },
      this, TUtilityWindow::kMessageOnly);
}

TTimer::~TTimer() {
  if (running_) KillTimer(window_->Handle(), 1);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
  if (ms == interval_) return;
  interval_ = ms;
  UpdateTimer();
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (running_) {
    KillTimer(window_->Handle(), 1);
    running_ = false;
  }
  if (IsLoading() || !enabled_ || interval_ == 0) return;
  running_ = SetTimer(window_->Handle(), 1, interval_, nullptr) != 0;
}

}  // namespace dorvane

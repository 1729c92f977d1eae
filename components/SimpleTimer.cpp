#include "components/SimpleTimer.h"

namespace dorvane {

TSimpleTimerHandler::TSimpleTimerHandler()
    : window_([this](UINT msg, WPARAM wp, LPARAM lp) { return Message(msg, wp, lp); }, nullptr,
              TUtilityWindow::kMessageOnly) {}

TSimpleTimerHandler::~TSimpleTimerHandler() = default;

HWND TSimpleTimerHandler::CurrentWindow() {
  const auto current = Current();
  return current ? current->Handle() : nullptr;
}

UINT_PTR TSimpleTimerHandler::NewId() {
  static UINT_PTR last = 0;
  return ++last;
}

std::optional<LRESULT> TSimpleTimerHandler::Message(UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_TIMER) return std::nullopt;
  const auto it = running_.find(static_cast<UINT_PTR>(wp));
  if (it != running_.end()) it->second->Fire();
  return 0;
}

TSimpleTimer::TSimpleTimer(TObject* object, TCallback callback)
    : handler_(TSimpleTimerHandler::Acquire()), object_(object), callback_(std::move(callback)) {}

TSimpleTimer::~TSimpleTimer() { Stop(); }

bool TSimpleTimer::Start(unsigned interval) {
  Stop();
  interval_ = interval;
  const UINT_PTR id = handler_->NewId();
  if (::SetTimer(handler_->Handle(), id, interval, nullptr) == 0) return false;
  id_ = id;
  active_ = true;
  handler_->running_.emplace(id_, this);
  return true;
}

void TSimpleTimer::Stop() {
  active_ = false;
  if (id_ == 0) return;
  ::KillTimer(handler_->Handle(), id_);
  handler_->running_.erase(id_);
  id_ = 0;
}

void TSimpleTimer::Fire() {
  if (!callback_) return;
  // A copy: the callback may free this timer (its owner) while it runs.
  const TCallback callback = callback_;
  try {
    callback(object_);
  } catch (...) {
    // A light timer has nobody to report to: the callback's failure ends with it.
  }
}

}  // namespace dorvane

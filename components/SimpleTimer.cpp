#include "components/SimpleTimer.h"

namespace dorvane {
namespace {

std::weak_ptr<TSimpleTimerHandler>& Shared() {
  static std::weak_ptr<TSimpleTimerHandler> shared;
  return shared;
}

}  // namespace

TSimpleTimerHandler::TSimpleTimerHandler()
    : window_([this](UINT msg, WPARAM wp, LPARAM lp) { return Message(msg, wp, lp); }) {}

TSimpleTimerHandler::~TSimpleTimerHandler() = default;

std::shared_ptr<TSimpleTimerHandler> TSimpleTimerHandler::Acquire() {
  auto& shared = Shared();
  if (auto existing = shared.lock()) return existing;
  std::shared_ptr<TSimpleTimerHandler> created(new TSimpleTimerHandler());
  shared = created;
  return created;
}

HWND TSimpleTimerHandler::CurrentWindow() {
  const auto current = Shared().lock();
  return current ? current->Handle() : nullptr;
}

std::optional<LRESULT> TSimpleTimerHandler::Message(UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_TIMER) return std::nullopt;
  const auto* key = reinterpret_cast<const TSimpleTimer*>(wp);
  if (timers_.count(key) == 0) return 0;
  // The set holds only live timers, so the cast back to a mutable object is safe.
  const_cast<TSimpleTimer*>(key)->Fire();
  return 0;
}

TSimpleTimer::TSimpleTimer(TObject* object, TCallback callback)
    : handler_(TSimpleTimerHandler::Acquire()), object_(object), callback_(std::move(callback)) {
  handler_->timers_.insert(this);
}

TSimpleTimer::~TSimpleTimer() {
  Stop();
  handler_->timers_.erase(this);
}

bool TSimpleTimer::Start(unsigned interval) {
  Stop();
  interval_ = interval;
  active_ = ::SetTimer(handler_->Handle(), Id(), interval, nullptr) != 0;
  return active_;
}

void TSimpleTimer::Stop() {
  active_ = false;
  ::KillTimer(handler_->Handle(), Id());
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

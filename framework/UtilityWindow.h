#pragma once
// A hidden top-level window whose messages go to one handler. Components that need
// window messages (timers, the tray icon, menus, the device notifier) own one, or share
// one per kind through SharedPerKind. A top-level window unless asked otherwise:
// broadcasts such as the taskbar's re-creation reach only top-level windows.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

#include "framework/Window.h"

namespace dorvane {

class TObject;

class TUtilityWindow : private TWindowTarget {
 public:
  // Returns a result for handled messages; nullopt passes the message to the default
  // window procedure. Exceptions go to the application's handler, sender = owner.
  using Handler = std::function<std::optional<LRESULT>(UINT msg, WPARAM wp, LPARAM lp)>;

  // Message-only windows are cheaper to make (the display system gets no window for
  // them): for owners that need nothing but timers and posted messages.
  enum Kind { kTopLevel, kMessageOnly };

  explicit TUtilityWindow(Handler handler, TObject* owner = nullptr, Kind kind = kTopLevel);
  TUtilityWindow(const TUtilityWindow&) = delete;
  TUtilityWindow& operator=(const TUtilityWindow&) = delete;
  ~TUtilityWindow();

  HWND Handle() const { return wnd_; }
  void SetHandler(Handler handler) { handler_ = std::move(handler); }

 private:
  bool WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
  void WindowBound(HWND wnd) override { wnd_ = wnd; }
  void WindowGone(HWND) override { wnd_ = nullptr; }
  TObject* MessageSender() override { return owner_; }

  HWND wnd_ = nullptr;
  Handler handler_;
  TObject* owner_;
};

// One object of a kind per process, shared by all its users: the hidden window of the
// kind (the tray icons', the light timers', the HTTP getters') with what the kind keeps
// beside it. The first Acquire makes it; it goes with the last holder. The kind derives
// from SharedPerKind<Kind> and makes its constructor reachable to it (friend).
template <typename Kind>
class SharedPerKind {
 public:
  static std::shared_ptr<Kind> Acquire() {
    auto& slot = Slot();
    if (auto existing = slot.lock()) return existing;
    std::shared_ptr<Kind> created(new Kind());
    slot = created;
    return created;
  }
  // The shared object while one exists.
  static std::shared_ptr<Kind> Current() { return Slot().lock(); }

 private:
  static std::weak_ptr<Kind>& Slot() {
    static std::weak_ptr<Kind> slot;
    return slot;
  }
};

}  // namespace dorvane

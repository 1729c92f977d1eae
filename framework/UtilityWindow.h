#pragma once
// A hidden top-level window whose messages go to one handler. Components that need
// window messages (timers, the tray icon, menus, the device notifier) own one or share
// one through SharedUtilityWindow. A top-level window unless asked otherwise: broadcasts
// such as the taskbar's re-creation reach only top-level windows.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>

namespace dorvane {

class TObject;

class TUtilityWindow {
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
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
  HWND wnd_ = nullptr;
  Handler handler_;
  TObject* owner_;
};

// One window per kind (Tag), created by the first user and destroyed with the last.
template <typename Tag>
class SharedUtilityWindow {
 public:
  static std::shared_ptr<TUtilityWindow> Acquire(TUtilityWindow::Handler handler) {
    auto& weak = Slot();
    if (auto existing = weak.lock()) return existing;
    auto created = std::make_shared<TUtilityWindow>(std::move(handler));
    weak = created;
    return created;
  }
  static std::shared_ptr<TUtilityWindow> Current() { return Slot().lock(); }

 private:
  static std::weak_ptr<TUtilityWindow>& Slot() {
    static std::weak_ptr<TUtilityWindow> slot;
    return slot;
  }
};

}  // namespace dorvane
